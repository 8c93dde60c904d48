// background_recording.h - a camera's recording as the camera layer drives it: whether it runs, stopping it, and the camera record after it.
#pragma once

#include <cstdint>

namespace qorin {

// A camera's recording as the camera layer sees it.  The recording itself (recording/) owns
// its worker threads; everything here is called on MATLAB's thread.
class BackgroundRecording {
public:
    virtual ~BackgroundRecording() = default;
    // True while its worker takes frames.  A worker that ended has given the camera back the
    // modes it was in (stream, fast frames, a paused preview's stream) and takes no further turn.
    virtual bool running() const noexcept = 0;
    // Once the worker has ended: brings the camera record up to what the worker left the camera
    // in (a paused preview running again).  Does nothing while it runs.
    virtual void syncCameraRecord() noexcept = 0;
    // Asks the worker to stop and returns at once; `unloading` is the reason it gives.
    virtual void requestStop(bool unloading) noexcept = 0;
    // Waits for the worker to end, asked to or by itself, then syncs the camera record.
    virtual void awaitEnd() noexcept = 0;
    // In the turn of a command beside the recording that may have changed the flipping or the
    // conversion parameters: reads them again, for the frames handed out after it (never throws).
    virtual void rereadFrameProperties() noexcept = 0;
    // Frames held that nobody took.
    virtual std::uint64_t framesNotTaken() const noexcept = 0;
};

}  // namespace qorin
