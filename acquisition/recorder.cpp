// recorder.cpp - starting a recording, its worker and writer threads, and giving the camera back.
#include "acquisition/recorder.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>
#include <system_error>

#include "acquisition/frame_readings.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "platform/mex_host.h"

namespace qorin {
namespace {

constexpr std::uint64_t kDefaultRingLimit = std::uint64_t{1} << 30;
// The colour sensors deliver their mosaic in readout order with red first.
constexpr const char* kSensorMosaic = "RGGB";

constexpr const char* kVideoTakeFailed = "An error occured while trying to take a video frame.";
constexpr const char* kFastFrameFailed = "Error taking fast frames.";

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

const char* stopReasonName(StopReason reason) {
    switch (reason) {
        case StopReason::None: return "";
        case StopReason::Stopped: return "stopped";
        case StopReason::Frames: return "frames";
        case StopReason::Seconds: return "seconds";
        case StopReason::Full: return "full";
        case StopReason::Error: return "error";
        case StopReason::Unloaded: return "unloaded";
    }
    return "";
}

std::uint64_t defaultRingBytes(std::uint64_t physicalMemory) {
    if (physicalMemory == 0) return kDefaultRingLimit;
    return std::min(kDefaultRingLimit, physicalMemory / 4);
}

std::uint32_t framesMissed(double gapSeconds, double periodSeconds) {
    if (!(periodSeconds > 0.0) || !(gapSeconds > 1.5 * periodSeconds)) return 0;
    const double periods = std::round(gapSeconds / periodSeconds);
    if (periods >= 4294967296.0) return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(periods) - 1;
}

FrameProperties readFrameProperties(QorinHandle handle, float colourFormat) {
    FrameProperties properties;
    properties.conversion = readConversionParams(handle);
    properties.orientation = readOrientation(handle, colourFormat);
    return properties;
}

std::unique_ptr<Recorder> Recorder::start(CameraRecord& camera, const RecordingOptions& options) {
    std::unique_ptr<Recorder> recorder(new Recorder(camera, options));
    Recorder& r = *recorder;
    r.handle_ = camera.handle;
    const PropertyReading colourFormat = readColourFormat(camera.handle);
    if (options.source == RecordingSource::Video) {
        const FormatReading video = readVideoFormat(camera);
        r.description_ = describeFrame(video.format, colourFormat);
        r.period_ = video.frameRate > 0.0f ? 1.0 / video.frameRate : 0.0;
    } else {
        refreshSnapshotFormat(camera);
        r.description_ = describeFrame(camera.snapshot.format, colourFormat);
    }
    r.mosaic_ = r.description_.monochrome() ? "" : kSensorMosaic;
    r.properties_ = readFrameProperties(camera.handle, r.description_.colourFormat);
    r.fileOrientation_ = r.properties_.orientation;

    // An empty frame still takes a byte, as its buffer does in a single capture.
    const std::uint64_t frameBytes = std::max<std::uint64_t>(r.description_.geometry.rawBytes, 1);
    std::uint64_t capacity = options.bufferFrames;
    if (capacity == 0) {
        const std::uint64_t bytes =
            options.bufferBytes != 0 ? options.bufferBytes : defaultRingBytes(host::physicalMemoryBytes());
        capacity = options.bufferBytes != 0 ? bytes / frameBytes : std::max<std::uint64_t>(bytes / frameBytes, 1);
    }
    if (capacity == 0) {
        failValue(formatText("The buffer is smaller than one frame (%llu bytes).",
                             static_cast<unsigned long long>(frameBytes)));
    }
    const std::uint64_t memory = host::physicalMemoryBytes();
    if (memory != 0 && capacity > memory / frameBytes) failMemory("Not enough memory for the recording buffer.");
    if (!r.ring_.allocate(capacity, frameBytes, options.whenFull, !options.file.empty())) {
        failMemory("Not enough memory for the recording buffer.");
    }

    // The camera's modes, each given back by the recorder should a later step fail.
    if (options.source == RecordingSource::Video) {
        if (camera.state() != CameraState::Previewing) r.stream_ = StartedStream(camera.handle);
    } else {
        r.previewSuspended_ = camera.previewing();
        suspendPreview(camera);
        r.fastFrames_ = FastFrameMode(camera.handle, camera.snapshot);
    }
    if (!options.file.empty()) {
        // The pages keep the flipping of the start: a later change turns the frames getFrames
        // returns, not the pages already on their way.
        try {
            // Until the host's text reaches here as a NativePath, the name is taken byte by
            // byte: on Windows that holds for ASCII names only.
            r.file_ = std::make_unique<TiffFile>(platform::NativePath(options.file.begin(), options.file.end()),
                                                 options.file);
        } catch (const TiffWriteError&) {
            failValue("Could not create the file " + options.file + ".");
        }
    }
    r.launch();
    return recorder;
}

Recorder::~Recorder() { stop(); }

void Recorder::refreshAfterCommand() noexcept {
    // A read that fails leaves the properties as they were.
    try {
        properties_ = readFrameProperties(handle_, description_.colourFormat);
    } catch (...) {
    }
}

void Recorder::launch() {
    start_ = std::chrono::steady_clock::now();
    running_ = true;
    try {
        worker_ = std::thread(&Recorder::record, this);
        if (file_ != nullptr) writer_ = std::thread(&Recorder::writeFile, this);
    } catch (const std::system_error&) {
        stopRequested_ = true;
        ring_.closePuts();
        if (worker_.joinable()) worker_.join();
        running_ = false;
        failMemory("Not enough resources to start the recording threads.");
    }
}

void Recorder::record() {
    StopReason reason = StopReason::Stopped;
    std::string error;
    // Nothing may leave a thread's function: the process would end.
    try {
        const bool video = options_.source == RecordingSource::Video;
        SdkTurns& turns = camera_.sdkTurns;
        std::uint64_t acquired = 0;
        double previous = -1.0;
        for (;;) {
            if (stopRequested_) break;
            if (options_.frames != 0 && acquired >= options_.frames) {
                reason = StopReason::Frames;
                break;
            }
            if (options_.seconds > 0.0 && secondsSince(start_) >= options_.seconds) {
                reason = StopReason::Seconds;
                break;
            }
            std::uint8_t* slot = ring_.beginPut();
            if (slot == nullptr) {
                if (!stopRequested_) reason = StopReason::Full;
                break;
            }
            bool taken = false;
            {
                std::lock_guard<SdkTurns> turn(turns);
                taken = (video ? QorinTakeVideo(handle_, 1, slot) : QorinTakeFastFrame(handle_, slot)) != 0;
            }
            if (!taken) {
                reason = StopReason::Error;
                error = video ? kVideoTakeFailed : kFastFrameFailed;
                break;
            }
            const double arrival = secondsSince(start_);
            const std::uint32_t missed = previous < 0.0 ? 0 : framesMissed(arrival - previous, period_);
            previous = arrival;
            ring_.commitPut(FrameStamp{++acquired, arrival, missed});
            dropped_ += missed;
            ring_.prepareNextSlot();
        }
    } catch (const std::exception& failure) {
        reason = StopReason::Error;
        error = std::string("Internal error: ") + failure.what();
    } catch (...) {
        reason = StopReason::Error;
        error = "Internal error.";
    }
    {
        std::lock_guard<std::mutex> lock(statusMutex_);
        if (stopReason_ == StopReason::None) stopReason_ = reason;
        if (reason == StopReason::Error) error_ = error;
    }
    ring_.finishPuts();
    running_ = false;
}

void Recorder::writeFile() {
    const FrameGeometry& g = description_.geometry;
    std::uint64_t index = 0;
    // The stamps of the first and last frames written, for ImageJ's time between frames.
    double first = 0.0;
    double last = 0.0;
    try {
        while (ring_.nextForDisk(index)) {
            const FrameStamp stamp = ring_.stamp(index);
            TiffPage page;
            page.samples = ring_.samples(index);
            page.width = g.columns;
            page.height = g.rows;
            page.bitsPerSample = static_cast<std::uint16_t>(8 * g.sampleBytes);
            page.mosaic = mosaic_;
            page.rowsReversed = fileOrientation_.rowsReversed;
            page.columnsReversed = fileOrientation_.colsReversed;
            page.description = formatText("sequence=%llu timestamp=%.6f missed=%u",
                                          static_cast<unsigned long long>(stamp.sequence), stamp.timestamp,
                                          stamp.missed);
            file_->append(page);
            ring_.doneWithDisk(index);
            if (written_ == 0) first = stamp.timestamp;
            last = stamp.timestamp;
            ++written_;
        }
    } catch (const std::exception& failure) {
        {
            std::lock_guard<std::mutex> lock(statusMutex_);
            writeError_ = failure.what();
        }
        ring_.detachDisk();
    }
    // The mean time between the frames written, or the camera's period when there are fewer
    // than two.
    const std::uint64_t pages = written_;
    try {
        file_->finish(pages > 1 ? (last - first) / static_cast<double>(pages - 1) : period_);
    } catch (const std::exception& failure) {
        std::lock_guard<std::mutex> lock(statusMutex_);
        if (writeError_.empty()) writeError_ = failure.what();
    }
}

void Recorder::end(StopReason reason) noexcept {
    if (running_) {
        std::lock_guard<std::mutex> lock(statusMutex_);
        if (stopReason_ == StopReason::None) stopReason_ = reason;
    }
    stopRequested_ = true;
    ring_.closePuts();
    if (worker_.joinable()) worker_.join();
    settle();
}

void Recorder::stop() noexcept { end(StopReason::Stopped); }

void Recorder::stopForUnload() noexcept { end(StopReason::Unloaded); }

void Recorder::settle() noexcept {
    if (running_ || settled_) return;
    settled_ = true;
    if (worker_.joinable()) worker_.join();
    // The writer writes every frame still waiting, then the file is closed.
    ring_.finishPuts();
    if (writer_.joinable()) writer_.join();
    file_.reset();
    fastFrames_ = FastFrameMode();
    stream_ = StartedStream();
    if (previewSuspended_) {
        previewSuspended_ = false;
        // A preview that cannot be restarted stays suspended, as after any capture.
        try {
            resumePreview(camera_);
        } catch (...) {
        }
    }
}

Recorder::Status Recorder::status() const {
    Status status;
    status.running = running_;
    status.source = options_.source;
    status.counts = ring_.counts();
    status.dropped = dropped_;
    status.written = written_;
    std::lock_guard<std::mutex> lock(statusMutex_);
    writeError_.copy(status.writeError, Status::kTextCapacity - 1);
    error_.copy(status.error, Status::kTextCapacity - 1);
    status.stopReason = stopReason_;
    return status;
}

std::string Recorder::takeError() {
    std::lock_guard<std::mutex> lock(statusMutex_);
    if (error_.empty() || errorReported_) return std::string();
    errorReported_ = true;
    return error_;
}

}  // namespace qorin
