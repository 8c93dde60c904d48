// recorder.cpp - starting a recording, its worker and writer threads, and giving the camera back.
#include "recording/recorder.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>
#include <system_error>

#include "acquisition/frame_readings.h"
#include "acquisition/frame_result.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "platform/memory.h"
#include "platform/mex_host.h"

namespace qorin {
namespace {

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

void copyText(const std::string& text, char (&to)[RecordingStatistics::kTextCapacity]) {
    text.copy(to, RecordingStatistics::kTextCapacity - 1);
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

// --- the outcome --------------------------------------------------------------------------------

void RecordingOutcome::begin(bool writing) {
    platform::MutexLocker locker(mutex_);
    running_ = true;
    writing_ = writing;
}

void RecordingOutcome::neverRan() {
    platform::MutexLocker locker(mutex_);
    running_ = false;
    writing_ = false;
}

bool RecordingOutcome::running() const {
    platform::MutexLocker locker(mutex_);
    return running_;
}

void RecordingOutcome::stopAsked(StopReason reason) {
    platform::MutexLocker locker(mutex_);
    if (running_ && stopReason_ == StopReason::None) stopReason_ = reason;
}

void RecordingOutcome::workerEnded(StopReason reason, const std::string& error) {
    platform::MutexLocker locker(mutex_);
    if (stopReason_ == StopReason::None) stopReason_ = reason;
    if (reason == StopReason::Error) error_ = error;
    running_ = false;
}

void RecordingOutcome::writeFailed(const std::string& what) {
    platform::MutexLocker locker(mutex_);
    if (writeError_.empty()) writeError_ = what;
}

void RecordingOutcome::fileClosed() {
    {
        platform::MutexLocker locker(mutex_);
        writing_ = false;
    }
    fileClosed_.notifyAll();
}

bool RecordingOutcome::awaitFileClosed(std::chrono::steady_clock::time_point deadline) {
    platform::MutexLocker locker(mutex_);
    return fileClosed_.waitUntil(locker, deadline, [&]() QORIN_REQUIRES(mutex_) { return !writing_; });
}

bool RecordingOutcome::writing() const {
    platform::MutexLocker locker(mutex_);
    return writing_;
}

std::string RecordingOutcome::takeError() {
    platform::MutexLocker locker(mutex_);
    if (error_.empty() || errorReported_) return std::string();
    errorReported_ = true;
    return error_;
}

void RecordingOutcome::fill(RecordingStatistics& statistics, const FrameRing& ring) const {
    platform::MutexLocker locker(mutex_);
    statistics.running = running_;
    statistics.counts = ring.counts();
    copyText(writeError_, statistics.writeError);
    copyText(error_, statistics.error);
    statistics.stopReason = stopReason_;
}

// --- the worker ---------------------------------------------------------------------------------

void FrameWorker::run() noexcept {
    platform::raiseThreadPriority();
    std::string error;
    StopReason reason = StopReason::Error;
    // Nothing may leave a thread's function: the process would end.
    try {
        reason = takeFrames(error);
    } catch (const std::exception& failure) {
        error = std::string("Internal error: ") + failure.what();
    } catch (...) {
        error = "Internal error.";
    }
    giveBackCamera();
    outcome_.workerEnded(reason, error);
    ring_.announceEnd();
}

StopReason FrameWorker::takeFrames(std::string& error) {
    std::uint64_t acquired = 0;
    double previous = -1.0;
    for (;;) {
        const StopReason limit = limitReached(acquired);
        if (limit != StopReason::None) return limit;
        std::uint8_t* slot = ring_.beginPut();
        if (slot == nullptr) return stopRequested_ ? StopReason::Stopped : StopReason::Full;
        if (const char* failure = takeFrame(slot)) {
            error = failure;
            return StopReason::Error;
        }
        const double arrival = secondsSince(start_);
        const std::uint32_t missed = previous < 0.0 ? 0 : framesMissed(arrival - previous, period_);
        previous = arrival;
        ring_.commitPut(FrameStamp{++acquired, arrival, missed});
    }
}

StopReason FrameWorker::limitReached(std::uint64_t acquired) const {
    if (stopRequested_) return StopReason::Stopped;
    if (limits_.frames != 0 && acquired >= limits_.frames) return StopReason::Frames;
    if (limits_.seconds > 0.0 && secondsSince(start_) >= limits_.seconds) return StopReason::Seconds;
    return StopReason::None;
}

const char* FrameWorker::takeFrame(std::uint8_t* slot) {
    SdkTurn turn(turns_);
    return takeFrameInTurn(slot);
}

const char* FrameWorker::takeFrameInTurn(std::uint8_t* slot) {
    if (limits_.source == RecordingSource::Snapshot) {
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

void FrameWorker::stop() noexcept {
    stopRequested_ = true;
    ring_.refusePuts();
}

void FrameWorker::giveBackCamera() noexcept {
    if (givenBack_) return;
    givenBack_ = true;
    try {
        SdkTurn turn(turns_);
        giveBackInTurn();
    } catch (...) {
        // No turn to be had: the camera is given its modes back all the same, as a worker that
        // kept them would leave it streaming for good.
        [this]() QORIN_NO_THREAD_SAFETY_ANALYSIS { giveBackInTurn(); }();
    }
}

void FrameWorker::giveBackInTurn() {
    fastFrames_ = FastFrameMode();
    stream_ = StartedStream();
    // As after any capture, only the stream comes back, without a window; a preview that
    // cannot be restarted stays paused.
    if (previewPaused_) previewResumed_ = QorinStreamVideoControl(handle_, QORIN_STREAM_START, nullptr) != 0;
}

// --- the writer ---------------------------------------------------------------------------------

void PageWriter::run() noexcept {
    std::uint64_t pages = 0;
    // The stamps of the first and last frames written, for ImageJ's time between frames.
    double first = 0.0;
    double last = 0.0;
    // A failure gives the file up, with the pages before it: the recording goes on without it.
    try {
        writePages(pages, first, last);
    } catch (const std::exception& failure) {
        outcome_.writeFailed(failure.what());
        ring_.detachDisk();
    } catch (...) {
        outcome_.writeFailed("Internal error.");
        ring_.detachDisk();
    }
    close(pages, first, last);
}

void PageWriter::writePages(std::uint64_t& pages, double& first, double& last) {
    for (;;) {
        DiskLease frame = ring_.nextForDisk();
        if (frame.count() == 0) return;
        const FrameStamp stamp = frame.stamp(0);
        TiffPage page = shape_;
        page.samples = frame.samples(0);
        page.description = formatText("sequence=%llu timestamp=%.6f missed=%u",
                                      static_cast<unsigned long long>(stamp.sequence), stamp.timestamp, stamp.missed);
        file_->append(page);
        frame.commit();
        if (pages == 0) first = stamp.timestamp;
        last = stamp.timestamp;
        ++pages;
    }
}

void PageWriter::close(std::uint64_t pages, double first, double last) noexcept {
    // The mean time between the frames written, or the camera's period when there are fewer
    // than two.
    try {
        file_->finish(pages > 1 ? (last - first) / static_cast<double>(pages - 1) : period_);
    } catch (const std::exception& failure) {
        outcome_.writeFailed(failure.what());
    } catch (...) {
    }
    try {
        file_.reset();
    } catch (...) {
    }
    outcome_.fileClosed();
}

// --- the recorder -------------------------------------------------------------------------------

std::unique_ptr<Recorder> Recorder::start(CameraRecord& camera, const RecordingOptions& options) {
    std::unique_ptr<Recorder> recorder(new Recorder(camera, options));
    recorder->describeFrames();
    recorder->makeRing();
    recorder->holdCameraModes();
    recorder->createFile();
    recorder->launch();
    return recorder;
}

void Recorder::describeFrames() {
    FrameFormat format{};  // the video format every frame must keep; none for fast frames
    if (options_.source == RecordingSource::Video) {
        const PropertyReading colourFormat = readColourFormat(camera_.handle);
        const FormatReading video = readVideoFormat(camera_);
        format = video.format;
        description_ = describeFrame(video.format, colourFormat);
        period_ = video.frameRate > 0.0f ? 1.0 / video.frameRate : 0.0;
    } else {
        description_ = describeSnapshot(camera_);
    }
    properties_ = readFrameProperties(camera_.handle, description_.colourFormat);
    worker_.prepare(FrameWorker::Limits{options_.source, options_.frames, options_.seconds}, format, period_);
}

void Recorder::makeRing() {
    // An empty frame still takes a byte, as its buffer does in a single capture.
    const std::uint64_t frameBytes = std::max<std::uint64_t>(description_.geometry.rawBytes, 1);
    const RingCapacity size =
        ringCapacity(options_, frameBytes, platform::physicalMemoryBytes(), platform::availableMemoryBytes());
    if (size.refusal == RingCapacity::Refusal::SmallerThanFrame) {
        failValue(formatText("The buffer is smaller than one frame (%llu bytes).",
                             static_cast<unsigned long long>(frameBytes)));
    }
    // The whole buffer is made resident before the first frame: one the system cannot back now
    // is refused here rather than paged out, or the session killed, later.
    if (size.refusal == RingCapacity::Refusal::Memory) failMemory(kRingMemory);
    if (!ring_.allocate(size.frames, frameBytes, options_.whenFull, !options_.file.empty())) failMemory(kRingMemory);
    if (!ring_.makeResident(host::interruptPending)) failState("The recording was not started: interrupted.");
}

void Recorder::holdCameraModes() {
    if (options_.source == RecordingSource::Video) {
        if (camera_.state() != CameraState::Previewing) worker_.holdStream(StartedStream(camera_.handle));
        return;
    }
    if (camera_.previewing()) worker_.holdPausedPreview();
    suspendPreview(camera_);
    worker_.holdFastFrames(FastFrameMode(camera_.handle, camera_.snapshot));
}

void Recorder::createFile() {
    if (options_.file.empty()) return;
    shownFile_ = platform::shownPath(options_.path);
    std::unique_ptr<TiffFile> file;
    try {
        file = std::make_unique<TiffFile>(options_.path, options_.file);
    } catch (const TiffWriteError&) {
        failValue("Could not create the file " + options_.file + ".");
    }
    fileIdentity_ = platform::fileIdentity(options_.path);
    // The pages keep the flipping of the start: a later change turns the frames getFrames
    // returns, not the pages already on their way.
    const FrameGeometry& g = description_.geometry;
    TiffPage shape;
    shape.width = g.columns;
    shape.height = g.rows;
    shape.bitsPerSample = static_cast<std::uint16_t>(8 * g.sampleBytes);
    shape.mosaic = description_.monochrome() ? "" : kSensorMosaic;
    shape.rowsReversed = properties_.orientation.rowsReversed;
    shape.columnsReversed = properties_.orientation.colsReversed;
    writer_ = std::make_unique<PageWriter>(ring_, outcome_, std::move(file), shape, period_);
}

void Recorder::launch() {
    worker_.startClock();
    wallStart_ = std::chrono::system_clock::now();
    outcome_.begin(writer_ != nullptr);
    try {
        workerThread_ = std::thread(&FrameWorker::run, &worker_);
        if (writer_ != nullptr) writerThread_ = std::thread(&PageWriter::run, writer_.get());
    } catch (const std::system_error&) {
        worker_.stop();
        if (workerThread_.joinable()) workerThread_.join();
        outcome_.neverRan();
        writer_.reset();
        failMemory("Not enough resources to start the recording threads.");
    }
}

Recorder::~Recorder() {
    requestStop(false);
    awaitEnd();
    // A writer whose worker never ran sees the end here.
    ring_.announceEnd();
    if (writerThread_.joinable()) writerThread_.join();
}

void Recorder::rereadFrameProperties() noexcept {
    // A read that fails leaves the properties as they were.
    try {
        properties_ = readFrameProperties(camera_.handle, description_.colourFormat);
    } catch (...) {
    }
}

FrameProperties Recorder::currentFrameProperties() const {
    return running() ? properties_ : readFrameProperties(camera_.handle, description_.colourFormat);
}

void Recorder::requestStop(bool unloading) noexcept {
    outcome_.stopAsked(unloading ? StopReason::Unloaded : StopReason::Stopped);
    worker_.stop();
}

void Recorder::awaitEnd() noexcept {
    if (workerThread_.joinable()) workerThread_.join();
    syncCameraRecord();
}

void Recorder::syncCameraRecord() noexcept {
    if (running() || synced_) return;
    if (workerThread_.joinable()) workerThread_.join();
    // A worker that ran gave the modes back as it ended; a start that failed before its worker
    // ran gives them back here.
    worker_.giveBackCamera();
    synced_ = true;
    // The worker restarted the paused preview's stream; the record follows.
    if (worker_.previewResumed() && camera_.state() == CameraState::PreviewSuspended) {
        setState(camera_, CameraState::Previewing);
    }
}

bool Recorder::awaitFileClosed(std::chrono::steady_clock::time_point deadline) {
    const bool closed = outcome_.awaitFileClosed(deadline);
    if (closed && writerThread_.joinable()) writerThread_.join();
    return closed;
}

RecordingStatistics Recorder::statistics() const {
    RecordingStatistics statistics;
    statistics.source = options_.source;
    statistics.startTime = platform::isoLocalTime(wallStart_);
    statistics.startPosixTime = platform::posixSeconds(wallStart_);
    statistics.capacity = ring_.capacity();
    statistics.frameBytes = ring_.frameBytes();
    statistics.file = &shownFile_;
    outcome_.fill(statistics, ring_);
    return statistics;
}

Recording* recordingOf(CameraRecord& camera) { return dynamic_cast<Recording*>(camera.recorder.get()); }

}  // namespace qorin
