// recorder.cpp - starting a recording, its worker and writer threads, and giving the camera back.
#include "recording/recorder.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>
#include <system_error>

#include "acquisition/frame_readings.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "platform/memory.h"
#include "platform/mex_host.h"

namespace qorin {
namespace {

constexpr std::uint64_t kDefaultRingLimit = std::uint64_t{1} << 30;
// The colour sensors deliver their mosaic in readout order with red first.
constexpr const char* kSensorMosaic = "RGGB";

constexpr const char* kVideoTakeFailed = "An error occured while trying to take a video frame.";
constexpr const char* kFastFrameFailed = "Error taking fast frames.";
constexpr const char* kFormatChanged = "The camera's frame format changed during the recording.";
constexpr const char* kRingMemory = "Not enough memory for the recording buffer.";

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Whether a frame of `now` still fills a slot made for `start` exactly, sample for sample.
bool sameFrameSize(const FrameFormat& now, const FrameFormat& start) {
    return now.width == start.width && now.height == start.height && now.xBinSub == start.xBinSub &&
           now.yBinSub == start.yBinSub && now.pixelFormat == start.pixelFormat;
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
    const PropertyReading colourFormat = readColourFormat(camera.handle);
    if (options.source == RecordingSource::Video) {
        const FormatReading video = readVideoFormat(camera);
        r.format_ = video.format;
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
        // The default holds no more frames than the recording will make: its memory is made
        // resident at the start.
        if (options.bufferBytes == 0 && options.frames != 0) capacity = std::min(capacity, options.frames);
    }
    if (capacity == 0) {
        failValue(formatText("The buffer is smaller than one frame (%llu bytes).",
                             static_cast<unsigned long long>(frameBytes)));
    }
    // The whole buffer is made resident before the first frame: one the system cannot back now
    // is refused here rather than paged out, or the session killed, later.
    const std::uint64_t memory = host::physicalMemoryBytes();
    if (memory != 0 && capacity > memory / frameBytes) failMemory(kRingMemory);
    const std::uint64_t available = platform::availableMemoryBytes();
    if (available != 0 && capacity + 1 > available / frameBytes) failMemory(kRingMemory);
    if (!r.ring_.allocate(capacity, frameBytes, options.whenFull, !options.file.empty())) failMemory(kRingMemory);
    if (!r.ring_.makeResident(host::interruptPending)) failState("The recording was not started: interrupted.");

    // The camera's modes, each given back by the recorder should a later step fail.
    if (options.source == RecordingSource::Video) {
        if (camera.state() != CameraState::Previewing) r.stream_ = StartedStream(camera.handle);
    } else {
        r.previewSuspended_ = camera.previewing();
        suspendPreview(camera);
        r.fastFrames_ = FastFrameMode(camera.handle, camera.snapshot);
    }
    if (!options.file.empty()) {
        r.shownFile_ = platform::shownPath(options.path);
        // The pages keep the flipping of the start: a later change turns the frames getFrames
        // returns, not the pages already on their way.
        try {
            r.file_ = std::make_unique<TiffFile>(options.path, options.file);
        } catch (const TiffWriteError&) {
            failValue("Could not create the file " + options.file + ".");
        }
        r.fileIdentity_ = platform::fileIdentity(options.path);
    }
    r.launch();
    return recorder;
}

Recorder::~Recorder() {
    requestStop(false);
    awaitStop();
    // A writer whose worker never ran sees the end here.
    ring_.finishPuts();
    if (writer_.joinable()) writer_.join();
}

void Recorder::refreshAfterCommand() noexcept {
    // A read that fails leaves the properties as they were.
    try {
        properties_ = readFrameProperties(handle_, description_.colourFormat);
    } catch (...) {
    }
}

void Recorder::launch() {
    start_ = std::chrono::steady_clock::now();
    wallStart_ = std::chrono::system_clock::now();
    {
        std::lock_guard<std::mutex> lock(statusMutex_);
        running_ = true;
        writing_ = file_ != nullptr;
    }
    try {
        worker_ = std::thread(&Recorder::record, this);
        launched_ = true;
        if (file_ != nullptr) writer_ = std::thread(&Recorder::writeFile, this);
    } catch (const std::system_error&) {
        stopRequested_ = true;
        ring_.closePuts();
        if (worker_.joinable()) {
            worker_.join();
        } else {
            giveBackCamera();
            std::lock_guard<std::mutex> lock(statusMutex_);
            running_ = false;
        }
        {
            std::lock_guard<std::mutex> lock(statusMutex_);
            writing_ = false;
        }
        file_.reset();
        failMemory("Not enough resources to start the recording threads.");
    }
}

const char* Recorder::takeFrame(std::uint8_t* slot) {
    std::lock_guard<SdkTurns> turn(turns_);
    if (options_.source == RecordingSource::Snapshot) {
        return QorinTakeFastFrame(handle_, slot) != 0 ? nullptr : kFastFrameFailed;
    }
    // The slot fits the format of the start.  A format changed outside the module's commands
    // (the SDK's own pages, another program) would have the SDK write past it.
    FrameFormat now{};
    float rate = 0.0f;
    if (QorinGetFormat(handle_, &now, &rate) == 0) return kFrameFormatFailed;
    if (!sameFrameSize(now, format_)) return kFormatChanged;
    return QorinTakeVideo(handle_, 1, slot) != 0 ? nullptr : kVideoTakeFailed;
}

void Recorder::record() {
    platform::raiseThreadPriority();
    StopReason reason = StopReason::Stopped;
    std::string error;
    // Nothing may leave a thread's function: the process would end.
    try {
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
            if (const char* failure = takeFrame(slot)) {
                reason = StopReason::Error;
                error = failure;
                break;
            }
            const double arrival = secondsSince(start_);
            const std::uint32_t missed = previous < 0.0 ? 0 : framesMissed(arrival - previous, period_);
            previous = arrival;
            ring_.commitPut(FrameStamp{++acquired, arrival, missed});
            dropped_ += missed;
        }
    } catch (const std::exception& failure) {
        reason = StopReason::Error;
        error = std::string("Internal error: ") + failure.what();
    } catch (...) {
        reason = StopReason::Error;
        error = "Internal error.";
    }
    try {
        std::lock_guard<SdkTurns> turn(turns_);
        giveBackCamera();
    } catch (...) {
        giveBackCamera();
    }
    {
        std::lock_guard<std::mutex> lock(statusMutex_);
        if (stopReason_ == StopReason::None) stopReason_ = reason;
        if (reason == StopReason::Error) error_ = error;
        running_ = false;
    }
    ring_.finishPuts();
}

void Recorder::giveBackCamera() noexcept {
    if (givenBack_) return;
    givenBack_ = true;
    fastFrames_ = FastFrameMode();
    stream_ = StartedStream();
    // As after any capture, only the stream comes back, without a window; a preview that
    // cannot be restarted stays paused.
    if (previewSuspended_) previewResumed_ = QorinStreamVideoControl(handle_, QORIN_STREAM_START, nullptr) != 0;
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
    } catch (...) {
        {
            std::lock_guard<std::mutex> lock(statusMutex_);
            writeError_ = "Internal error.";
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
    } catch (...) {
    }
    try {
        file_.reset();
    } catch (...) {
    }
    {
        std::lock_guard<std::mutex> lock(statusMutex_);
        writing_ = false;
    }
    fileClosed_.notify_all();
}

void Recorder::requestStop(bool unloading) noexcept {
    {
        std::lock_guard<std::mutex> lock(statusMutex_);
        if (running_ && stopReason_ == StopReason::None) {
            stopReason_ = unloading ? StopReason::Unloaded : StopReason::Stopped;
        }
    }
    stopRequested_ = true;
    ring_.closePuts();
}

void Recorder::awaitStop() noexcept {
    if (worker_.joinable()) worker_.join();
    settle();
}

void Recorder::settle() noexcept {
    if (running_ || settled_) return;
    if (worker_.joinable()) worker_.join();
    // A start that failed before its worker ran gives the modes back itself.
    if (!launched_) giveBackCamera();
    settled_ = true;
    // The worker restarted the paused preview's stream; the record follows.
    if (previewSuspended_ && previewResumed_ && camera_.state() == CameraState::PreviewSuspended) {
        setState(camera_, CameraState::Previewing);
    }
}

bool Recorder::awaitFile(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(statusMutex_);
    fileClosed_.wait_until(lock, deadline, [&] { return !writing_; });
    const bool closed = !writing_;
    lock.unlock();
    if (closed && writer_.joinable()) writer_.join();
    return closed;
}

bool Recorder::writingFile() const {
    std::lock_guard<std::mutex> lock(statusMutex_);
    return writing_;
}

Recorder::Status Recorder::status() const {
    Status status;
    status.source = options_.source;
    status.dropped = dropped_;
    status.written = written_;
    std::lock_guard<std::mutex> lock(statusMutex_);
    status.running = running_;
    status.counts = ring_.counts();
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
