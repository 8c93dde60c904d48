// recorder.h - a camera's recording: a worker taking frames into a ring, a writer streaming them into a TIFF file.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "acquisition/capture_modes.h"
#include "acquisition/captured_frame.h"
#include "acquisition/frame_readings.h"
#include "recording/frame_ring.h"
#include "tiff/tiff_file.h"
#include "camera/camera_table.h"
#include "platform/native_path.h"

namespace qorin {

enum class RecordingSource : std::uint8_t {
    Video,     // QorinTakeVideo on the running stream, at the video format's frame rate
    Snapshot,  // QorinTakeFastFrame with the snapshot settings
};

struct RecordingOptions {
    RecordingSource source = RecordingSource::Video;
    std::uint64_t frames = 0;        // the recording ends after this many; 0: no limit
    double seconds = 0.0;            // the recording ends after this long; 0: no limit
    std::uint64_t bufferFrames = 0;  // frames the ring holds; 0: from bufferBytes
    std::uint64_t bufferBytes = 0;   // bytes the ring may take; 0 with bufferFrames 0: the default
    WhenFull whenFull = WhenFull::Overwrite;
    std::string file;                // the TIFF file every frame goes into, as the user named it; empty: none
    platform::NativePath path;       // that file, absolute, as the system takes it
};

// Why a recording ended.
enum class StopReason : std::uint8_t { None, Stopped, Frames, Seconds, Full, Error, Unloaded };
const char* stopReasonName(StopReason reason);

// The ring's default size: the smaller of 1 GiB and a quarter of the physical memory.
std::uint64_t defaultRingBytes(std::uint64_t physicalMemory);

// The first frame is on time; after it, a gap longer than one and a half frame periods means
// frames were lost in between, as many as the whole periods it spans beyond one.
std::uint32_t framesMissed(double gapSeconds, double periodSeconds);

// What handing out a frame reads from the camera: the flipping (property 66) and the
// conversion parameters (properties 65 and 64), read in the order a single grab reads them.
struct FrameProperties {
    ConversionReading conversion;
    Orientation orientation;
};
FrameProperties readFrameProperties(QorinHandle handle, float colourFormat);

// A camera's recording.  Made and driven on MATLAB's thread; its worker thread makes the
// camera's capture calls, each in its turn with MATLAB's (SdkTurns), and its writer thread
// writes the frames.  No MATLAB API call is made off MATLAB's thread.
//
// The end of a recording is one event: the worker gives the camera back what it took (stream,
// fast-frame mode, a paused preview's stream), then records why it ended and stops running,
// and only then tells the ring that no frame follows; so whoever sees the end of the frames
// also sees the recording stopped.  The writer writes what the ring still holds for it and
// closes the file at once, with nobody waiting on it.
class Recorder final : public BackgroundRecording {
public:
    // The texts are copied into the status itself: it lives on the stack while its result
    // arrays are created, where a call MATLAB ends must leave no memory of the module's own.
    struct Status {
        static constexpr std::size_t kTextCapacity = 512;
        bool running = false;
        RecordingSource source = RecordingSource::Video;
        FrameRing::Counts counts;
        std::uint64_t dropped = 0;  // frames the camera delivered that the recording missed
        std::uint64_t written = 0;
        char writeError[kTextCapacity] = {};  // cut to fit
        char error[kTextCapacity] = {};
        StopReason stopReason = StopReason::None;
    };

    // Starts recording the open camera as `options` say; throws CommandError, with nothing
    // started, no file made and the camera as it was, when it cannot.
    static std::unique_ptr<Recorder> start(CameraRecord& camera, const RecordingOptions& options);
    // Stops the worker and waits for the writer to close the file.
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool running() const noexcept override { return running_.load(); }
    void refreshAfterCommand() noexcept override;
    void settle() noexcept override;
    void requestStop(bool unloading) noexcept override;
    void awaitStop() noexcept override;
    std::uint64_t framesNotTaken() const noexcept override { return ring_.counts().available; }

    // Waits until the writer has closed the file or `deadline` passes; true once it has (or
    // there is no file).
    bool awaitFile(std::chrono::steady_clock::time_point deadline);
    // The writer still has the file open.
    bool writingFile() const;

    // The file the frames go into, as the user named it ('' for none); fixed from the start on.
    const std::string& file() const { return options_.file; }
    // That file's absolute name in UTF-8, as people write it ('' for none).
    const std::string& shownFile() const { return shownFile_; }
    // The identity of the file the frames go into (not known for none); fixed from the start on.
    const platform::FileIdentity& fileIdentity() const { return fileIdentity_; }
    // The frames' description (format, geometry, colour format); their buffers stay empty.
    const CapturedFrame& frames() const { return description_; }
    FrameRing& ring() { return ring_; }
    // The frame properties as the camera has them now: read at the start and after every
    // command beside the recording that may change them, so that handing out frames takes
    // no turn for them.
    const FrameProperties& properties() const { return properties_; }
    // Seconds between frames of a video recording; 0 for fast frames.
    double period() const { return period_; }
    // The wall-clock time of the start.
    std::chrono::system_clock::time_point startTime() const { return wallStart_; }
    Status status() const;
    // The worker's failure, once: the first caller after it gets its message, later ones none.
    std::string takeError();

private:
    Recorder(CameraRecord& camera, const RecordingOptions& options)
        : camera_(camera), turns_(camera.sdkTurns), handle_(camera.handle), options_(options) {}
    void launch();
    void record();
    // One frame into `slot`, in a turn at the SDK; null, or what failed.
    const char* takeFrame(std::uint8_t* slot);
    // Worker: gives the camera back the modes the recording put it in.
    void giveBackCamera() noexcept;
    void writeFile();

    CameraRecord& camera_;  // MATLAB's thread only: the start and settle
    SdkTurns& turns_;       // the worker's turns at the camera's SDK calls
    QorinHandle handle_ = nullptr;
    RecordingOptions options_;
    std::string shownFile_;
    FrameFormat format_{};  // the video format at the start, which every frame must still have
    CapturedFrame description_;
    double period_ = 0.0;  // seconds; 0 when the source has no frame rate
    FrameRing ring_;
    std::unique_ptr<TiffFile> file_;  // the writer's once launched
    platform::FileIdentity fileIdentity_;  // of the file, taken when it was made
    std::string mosaic_;              // in readout order
    Orientation fileOrientation_;     // the pages read as getFrames returns raw frames at the start
    FrameProperties properties_;      // MATLAB's thread only

    // Camera modes held for the recording; the worker gives them back as it ends.
    StartedStream stream_;
    FastFrameMode fastFrames_;
    bool previewSuspended_ = false;
    bool previewResumed_ = false;  // written by the worker before it stops running
    bool givenBack_ = false;       // by whoever ends the recording: the worker, or the start that failed
    bool launched_ = false;        // MATLAB's thread only: the worker runs or ran

    std::chrono::steady_clock::time_point start_;
    std::chrono::system_clock::time_point wallStart_;
    std::thread worker_;
    std::thread writer_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<std::uint64_t> written_{0};
    bool settled_ = false;  // MATLAB's thread only

    mutable std::mutex statusMutex_;
    std::condition_variable fileClosed_;
    std::atomic<bool> running_{false};  // written under statusMutex_, with stopReason_
    bool writing_ = false;
    std::string error_;
    bool errorReported_ = false;
    std::string writeError_;
    StopReason stopReason_ = StopReason::None;
};

}  // namespace qorin
