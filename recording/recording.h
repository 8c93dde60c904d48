// recording.h - a camera's recording as its commands see it: its frames under leases, its statistics, its file and its failure.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "acquisition/captured_frame.h"
#include "acquisition/frame_readings.h"
#include "camera/background_recording.h"
#include "platform/native_path.h"
#include "platform/wall_clock.h"
#include "recording/frame_ring.h"
#include "recording/options.h"

namespace qorin {

// Why a recording ended.
enum class StopReason : std::uint8_t { None, Stopped, Frames, Seconds, Full, Error, Unloaded };
const char* stopReasonName(StopReason reason);

// What handing out a frame reads from the camera: the flipping (QORIN_PROP_FLIPPING) and the
// conversion parameters (QORIN_PROP_CORRECTION_MATRIX, then QORIN_PROP_DEMOSAIC_METHOD), read
// in the order a single grab reads them.
struct FrameProperties {
    ConversionReading conversion;
    Orientation orientation;
};
FrameProperties readFrameProperties(QorinHandle handle, float colourFormat);

// A recording at one moment, every figure read at once.  Held in place, texts included, so that
// it can live on the stack of a call MATLAB may end without unwinding while the result is made.
struct RecordingStatistics {
    static constexpr std::size_t kTextCapacity = 512;
    bool running = false;
    RecordingSource source = RecordingSource::Video;
    platform::IsoTime startTime{};
    double startPosixTime = 0.0;
    FrameRing::Counts counts;
    std::uint64_t capacity = 0;
    std::uint64_t frameBytes = 0;
    const std::string* file = nullptr;   // the file's absolute name in UTF-8 ('' for none), held by the recording
    char writeError[kTextCapacity] = {};  // cut to fit
    char error[kTextCapacity] = {};
    StopReason stopReason = StopReason::None;
};

// A camera's recording as its commands see it; MATLAB's thread only.
class Recording : public BackgroundRecording {
public:
    // The frames' description (format, geometry, colour format); their buffers stay empty.
    virtual const CapturedFrame& frames() const = 0;
    // The frame properties handing out frames goes by now: while the worker runs, those the
    // recording keeps (read at the start and after every command beside it that may change
    // them), so that handing out takes no turn for them; once it ended, read from the camera as
    // the grabs read them.
    virtual FrameProperties currentFrameProperties() const = 0;
    // Seconds between frames of a video recording; 0 for fast frames.
    virtual double period() const = 0;
    // Frames the ring holds at the most.
    virtual std::uint64_t capacity() const = 0;
    virtual FrameRing::Counts counts() const = 0;

    // The oldest frames not yet taken, at most `count`; the newest frame.  See FrameRing.
    virtual TakeLease takeOldest(std::uint64_t count) = 0;
    virtual FrameLease peekNewest() = 0;
    // Waits until `count` frames are available, the recording ended, or `deadline`; true when
    // they are available.
    virtual bool waitAvailable(std::uint64_t count, std::chrono::steady_clock::time_point deadline) = 0;

    virtual RecordingStatistics statistics() const = 0;
    // The worker's failure, once: the first caller after it gets its message, later ones none.
    virtual std::string takeError() = 0;

    // Waits until the writer has closed the file or `deadline` passes; true once it has (or
    // there is no file).
    virtual bool awaitFileClosed(std::chrono::steady_clock::time_point deadline) = 0;
    // Whether the writer still has `file` open.
    virtual bool writesFile(const platform::FileIdentity& file) const = 0;
};

struct CameraRecord;

// The camera's recording, running or ended with its frames held; null when it has none.
Recording* recordingOf(CameraRecord& camera);

}  // namespace qorin
