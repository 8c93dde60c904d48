// commands.cpp - startRecording, stopRecording, isRecording, getFrames, peekFrame, waitFrames and recordingStatus.
#include "gateway/named_commands.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <system_error>

#include "acquisition/array_slabs.h"
#include "acquisition/frame_readings.h"
#include "recording/recorder.h"
#include "acquisition/sdk_conversions.h"
#include "camera/camera_state.h"
#include "gateway/args.h"
#include "gateway/errors.h"
#include "platform/mex_host.h"
#include "platform/mex_text.h"
#include "platform/native_path.h"
#include "platform/wall_clock.h"

namespace qorin {
namespace {

constexpr const char* kNotConnected = "Camera %d is not connected.";
constexpr double kDefaultWaitSeconds = 10.0;
// The longest wait waitFrames takes: a day, far below what the clock can represent.
constexpr double kLongestWaitSeconds = 86400.0;

// What getFrames and peekFrame return a frame as: what codes 76, 75 and 7 return.
enum class FrameKind { Raw, Mono, Rgb };

// Text input (char row or string scalar) or `message` as a usage error.
std::string textInput(const mxArray* input, const std::string& message) {
    host::HostArray converted;
    const mxArray* chars = host::textChars(input, converted);
    if (chars == nullptr || mxGetNumberOfDimensions(chars) != 2 || mxGetM(chars) > 1) fail(ErrorKind::Usage, message);
    std::string text;
    if (host::convertText(chars, text) == host::TextStatus::kUnrepresentable) {
        failValue("The text holds a character that the user's default character encoding cannot represent.");
    }
    return text;
}

// Which of `words` the text input names, without regard to case, or `message`.
std::size_t wordInput(const mxArray* input, const char* message, std::initializer_list<const char*> words) {
    const std::string given = textInput(input, message);
    std::size_t k = 0;
    for (const char* word : words) {
        if (sameName(given, word)) return k;
        ++k;
    }
    failValue(message);
}

// A real numeric scalar holding a whole number of at least 1, or `message`.
std::uint64_t countInput(const mxArray* input, const std::string& message) {
    if (input == nullptr || !mxIsNumeric(input) || mxIsComplex(input) || mxGetNumberOfElements(input) != 1) {
        fail(ErrorKind::Usage, message);
    }
    const double value = doubleConversion(input);
    // Below 2^53 every whole double is exact.
    if (!(value >= 1.0) || value != std::floor(value) || value > 9007199254740992.0) fail(ErrorKind::Value, message);
    return static_cast<std::uint64_t>(value);
}

// A logical or real numeric scalar that is 0 or 1, or `message`: NaN, 2 or [true false] say
// nothing a flag can mean.
bool flagInput(const mxArray* input, const char* message) {
    if (input == nullptr || (!mxIsLogical(input) && !mxIsNumeric(input)) || mxIsComplex(input) ||
        mxGetNumberOfElements(input) != 1) {
        fail(ErrorKind::Usage, message);
    }
    const double value = host::scalarValue(input);
    if (value != 0.0 && value != 1.0) fail(ErrorKind::Value, message);
    return value != 0.0;
}

CameraRecord& cameraInput(int inputCount, const mxArray* const inputs[], const char* command) {
    if (inputCount < 1 || !isIntegerScalar(inputs[0])) {
        fail(ErrorKind::Usage, formatText("qorincam('%s', cam, ...) needs the camera number, an integer.", command));
    }
    return connectedCamera(integerConversion(inputs[0]), kNotConnected);
}

void inputCountAtMost(int inputCount, int most, const char* usage) {
    if (inputCount > most) fail(ErrorKind::Usage, formatText("Too many inputs. The call is %s.", usage));
}

// The camera's recording, settled when it ended by itself; "Camera %d has no recording." when
// it never recorded (since it was connected).
Recorder& recordingOf(CameraRecord& camera) {
    if (camera.recorder == nullptr) failState(formatText("Camera %d has no recording.", camera.cameraNumber));
    camera.recorder->settle();
    return static_cast<Recorder&>(*camera.recorder);
}

// A count of frames the recording's buffer can hold at once, or a value error: more could never be there.
void requireWithinCapacity(const CameraRecord& camera, Recorder& recorder, std::uint64_t count) {
    const std::uint64_t capacity = recorder.ring().capacity();
    if (count <= capacity) return;
    failValue(formatText("Camera %d's recording buffer holds at most %llu frames.", camera.cameraNumber,
                         static_cast<unsigned long long>(capacity)));
}

// The worker's failure, raised once by the first call that looks at the recording after it.
void raiseWorkerError(Recorder& recorder) {
    const std::string error = recorder.takeError();
    if (!error.empty()) failSdk(error);
}

FrameKind kindInput(int inputCount, const mxArray* const inputs[], int index) {
    if (inputCount <= index) return FrameKind::Raw;
    constexpr FrameKind kKinds[] = {FrameKind::Raw, FrameKind::Mono, FrameKind::Rgb};
    return kKinds[wordInput(inputs[index], "The frame kind must be 'raw', 'mono' or 'rgb'.", {"raw", "mono", "rgb"})];
}

// Bytes of a size given as text: a number and a unit, B, kB, MB, GB, TB (powers of 1000) or
// KiB, MiB, GiB, TiB (powers of 1024); false for anything else.
bool parseByteSize(const std::string& text, std::uint64_t& bytes) {
    std::size_t end = 0;
    double number = 0.0;
    try {
        number = std::stod(text, &end);
    } catch (const std::exception&) {
        return false;
    }
    while (end < text.size() && text[end] == ' ') ++end;
    const std::string unit = text.substr(end);
    static constexpr struct {
        const char* name;
        double factor;
    } kUnits[] = {{"B", 1.0},           {"kB", 1e3},  {"MB", 1e6},  {"GB", 1e9},  {"TB", 1e12},
                  {"KiB", 1024.0},      {"MiB", 1048576.0},          {"GiB", 1073741824.0},
                  {"TiB", 1099511627776.0}};
    for (const auto& candidate : kUnits) {
        if (!sameName(unit, candidate.name)) continue;
        const double value = std::floor(number * candidate.factor);
        if (!(value >= 1.0) || value > 9007199254740992.0) return false;
        bytes = static_cast<std::uint64_t>(value);
        return true;
    }
    return false;
}

// The 'file' option: the name as the system takes it, absolute (so that a later change of the
// current folder moves nothing), and as the user gave it, for messages.
void fileInput(const mxArray* value, RecordingOptions& options) {
    constexpr const char* kFileMessage = "Option 'file' must be a file name.";
    host::HostArray converted;
    const mxArray* chars = host::textChars(value, converted);
    if (chars == nullptr || mxGetNumberOfDimensions(chars) != 2 || mxGetM(chars) > 1) failUsage(kFileMessage);
    const platform::NativePath given =
        platform::nativePathOfText(mxGetChars(chars), mxGetNumberOfElements(chars), sizeof(mxChar));
    if (given.empty()) failValue(kFileMessage);
    options.file = host::hostText(chars);
    options.path = platform::absolutePath(given);
}

constexpr const char* kOptionNames = "source, frames, seconds, buffer, whenFull, file and overwrite";

// Every option checked, and the file's place, before anything starts.
RecordingOptions recordingOptions(int inputCount, const mxArray* const inputs[]) {
    RecordingOptions options;
    bool overwrite = false;
    if (inputCount % 2 != 0) failUsage("Recording options come in name, value pairs.");
    for (int k = 0; k < inputCount; k += 2) {
        const std::string name = textInput(
            inputs[k], formatText("Option names must be text; the options are %s.", kOptionNames));
        const mxArray* value = inputs[k + 1];
        if (sameName(name, "source")) {
            const std::size_t source = wordInput(value, "Option 'source' must be 'video' or 'snapshot'.", {"video", "snapshot"});
            options.source = source == 0 ? RecordingSource::Video : RecordingSource::Snapshot;
        } else if (sameName(name, "frames")) {
            options.frames = countInput(value, "Option 'frames' must be a whole number of at least 1.");
        } else if (sameName(name, "seconds")) {
            // Any real numeric class: isIntegerScalar takes fractions too.
            if (!isIntegerScalar(value) || !(doubleConversion(value) > 0.0) || !std::isfinite(doubleConversion(value))) {
                failValue("Option 'seconds' must be a positive number.");
            }
            options.seconds = doubleConversion(value);
        } else if (sameName(name, "buffer")) {
            constexpr const char* kBufferMessage =
                "Option 'buffer' must be a number of frames (at least 1) or a size such as '512MB'.";
            options.bufferFrames = 0;
            options.bufferBytes = 0;
            if (host::isTextInput(value)) {
                if (!parseByteSize(textInput(value, kBufferMessage), options.bufferBytes)) failValue(kBufferMessage);
            } else {
                options.bufferFrames = countInput(value, kBufferMessage);
            }
        } else if (sameName(name, "whenFull")) {
            const std::size_t whenFull = wordInput(value, "Option 'whenFull' must be 'overwrite' or 'stop'.", {"overwrite", "stop"});
            options.whenFull = whenFull == 0 ? WhenFull::Overwrite : WhenFull::Stop;
        } else if (sameName(name, "file")) {
            fileInput(value, options);
        } else if (sameName(name, "overwrite")) {
            overwrite = flagInput(value, "Option 'overwrite' must be true or false.");
        } else {
            // Only so much of what was given goes into the message.
            constexpr std::size_t kShownLength = 40;
            const std::string shown = name.size() > kShownLength ? name.substr(0, kShownLength) + "..." : name;
            fail(ErrorKind::Usage, formatText("Unknown recording option '%s'. The options are %s.", shown.c_str(),
                                              kOptionNames));
        }
    }
    if (!options.file.empty()) {
        if (!platform::folderExists(platform::parentFolder(options.path))) {
            failValue("The folder of " + options.file + " does not exist.");
        }
        if (platform::folderExists(options.path)) failValue(options.file + " is a folder.");
        if (platform::pathExists(options.path) && !overwrite) {
            failValue("The file " + options.file + " exists. Give 'overwrite', true to replace it.");
        }
    }
    return options;
}

// Turns for a run of SDK conversions beside a recording: one is kept for several frames, up to
// half a frame period (or kShortestTurn for fast frames), so that neither the worker waits
// long for its next frame nor MATLAB a frame period for each conversion.
class ConversionTurns {
public:
    static constexpr double kShortestTurn = 0.005;

    ConversionTurns(SdkTurns& turns, double period) : turns_(turns), budget_(std::fmax(period / 2, kShortestTurn)) {}
    // Before a conversion: the turn held, or a new one once the budget is spent.
    void take() {
        const auto now = std::chrono::steady_clock::now();
        if (turn_ && std::chrono::duration<double>(now - since_).count() < budget_) return;
        turn_.reset();
        turn_.emplace(turns_);
        since_ = std::chrono::steady_clock::now();
    }

private:
    SdkTurns& turns_;
    double budget_;
    std::optional<HostTurn> turn_;
    std::chrono::steady_clock::time_point since_;
};

// The frames of a recording as codes 76 (raw), 75 (mono) and 7 (rgb) return a frame, one slab
// each, from frame span.first on, with the properties those codes read as the camera has them
// now: while the worker runs they are the recording's (Recorder::properties), so that raw
// frames need no SDK call and mono and rgb ones only their conversions; afterwards they are
// read as the codes read them.
void copyFrames(CameraRecord& camera, Recorder& recorder, const FrameRing::Span& span, FrameKind kind, void* data) {
    CapturedFrame frame = recorder.frames().sameKind();
    const FrameGeometry& g = frame.geometry;
    const QorinHandle handle = camera.handle;
    FrameRing& ring = recorder.ring();
    const FrameProperties properties =
        camera.recording() ? recorder.properties() : readFrameProperties(handle, frame.colourFormat);
    const Orientation orientation = properties.orientation;
    if (kind == FrameKind::Raw) {
        for (std::uint64_t f = 0; f < span.count; ++f) {
            copyPlaneToArray(ring.samples(span.first + f), g.rows, g.columns, g.sampleBytes, orientation, data, g.rows,
                             static_cast<std::size_t>(f));
        }
        return;
    }
    ConversionParams params = properties.conversion.params;
    ConversionTurns turns(camera.sdkTurns, recorder.period());
    auto view = [&](std::uint64_t index) {
        frame.raw.view(const_cast<std::uint8_t*>(ring.samples(index)), g.rawBytes);
    };
    if (kind == FrameKind::Mono) {
        FrameBuffer grey = allocateFrameBuffer(g.rawBytes, "Not enough memory to make grayscale frame buffer.");
        const SdkConversions& sdk = sdkConversions(*frame.format);
        for (std::uint64_t f = 0; f < span.count; ++f) {
            view(span.first + f);
            turns.take();
            convertFrame(handle, sdk.grey, frame, grey.data(), params, sdk.greyFailed);
            copyPlaneToArray(grey.data(), g.rows, g.columns, g.sampleBytes, orientation, data, g.rows,
                             static_cast<std::size_t>(f));
        }
        return;
    }
    frame.picture = allocatePictureBuffer(frame, "Not enough memory to make rgb frame buffer.");
    frame.monoWordFlags = properties.conversion.flags;
    for (std::uint64_t f = 0; f < span.count; ++f) {
        view(span.first + f);
        if (!frame.monochrome()) {
            turns.take();
            buildRgbPicture(handle, frame, frame.picture.data(), params);
        }
        copyRgbSlab(frame, ArraySlab{data, g.rows, g.sampleBytes, static_cast<std::size_t>(f)}, orientation);
    }
}

// The result of getFrames or peekFrame: `count` frames' slabs and a count-by-1 structure of
// their stamps, both created before the frames are pinned (see ReservedArray).
struct FramesResult {
    ArrayPtr frames;
    ArrayPtr meta;
};

FramesResult createFramesResult(const Recorder& recorder, std::uint64_t count, FrameKind kind) {
    const CapturedFrame& description = recorder.frames();
    const FrameGeometry& g = description.geometry;
    const auto n = static_cast<std::size_t>(count);
    FramesResult result;
    const mxClassID classId = arrayClass(*description.format);
    if (kind == FrameKind::Rgb) {
        result.frames = makeNumericArray({g.rows, g.columns, 3, n}, classId, kArrayFailed, true);
    } else {
        result.frames = makeNumericArray({g.rows, g.columns, n}, classId, kArrayFailed, true);
    }
    result.meta = makeStructArray(n, 1, {"sequence", "timestamp", "missed"});
    for (std::size_t f = 0; f < n; ++f) {
        for (int field = 0; field < 3; ++field) setStructField(result.meta.get(), f, field, makeDoubleScalar(0.0));
    }
    return result;
}

void fillStamps(mxArray* meta, const FrameRing& ring, const FrameRing::Span& span) {
    for (std::uint64_t f = 0; f < span.count; ++f) {
        const FrameStamp stamp = ring.stamp(span.first + f);
        const auto index = static_cast<mwIndex>(f);
        *mxGetPr(mxGetFieldByNumber(meta, index, 0)) = static_cast<double>(stamp.sequence);
        *mxGetPr(mxGetFieldByNumber(meta, index, 1)) = stamp.timestamp;
        *mxGetPr(mxGetFieldByNumber(meta, index, 2)) = stamp.missed;
    }
}

// Unpins the span on every way out of the copy.
class PinnedSpan {
public:
    PinnedSpan(FrameRing& ring, FrameRing::Span span, bool take) : ring_(ring), span_(span), take_(take) {}
    PinnedSpan(const PinnedSpan&) = delete;
    PinnedSpan& operator=(const PinnedSpan&) = delete;
    ~PinnedSpan() { ring_.unpin(span_, take_ && done_); }
    const FrameRing::Span& span() const { return span_; }
    void done() { done_ = true; }

private:
    FrameRing& ring_;
    FrameRing::Span span_;
    bool take_;
    bool done_ = false;
};

NamedResult framesResult(CameraRecord& camera, Recorder& recorder, std::uint64_t count, FrameKind kind, bool newest) {
    FramesResult result = createFramesResult(recorder, count, kind);
    FrameRing& ring = recorder.ring();
    // The frames available only grow but by a take, so the span pinned is as long as the
    // arrays just made; the newest frame, once there, is always there.
    PinnedSpan pinned(ring, newest ? ring.pinNewest() : ring.pinOldest(count), !newest);
    if (pinned.span().count != count) throw std::logic_error("fewer frames pinned than counted");
    copyFrames(camera, recorder, pinned.span(), kind, mxGetData(result.frames.get()));
    fillStamps(result.meta.get(), ring, pinned.span());
    pinned.done();
    return NamedResult(std::move(result.frames), std::move(result.meta));
}

ArrayPtr makeUint64Scalar(std::uint64_t value) { return makeDoubleScalar(static_cast<double>(value)); }


// Throws when another recording, of any camera, still writes the file `options` name, under
// whatever name it was given there: two writers would leave one's pages in the other's file.
void refuseFileInUse(const RecordingOptions& options) {
    const platform::FileIdentity identity = platform::fileIdentity(options.path);
    if (!identity.known) return;
    CameraTable& table = cameraTable();
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        const CameraRecord& other = table.at(slot);
        if (other.recorder == nullptr) continue;
        const auto& recorder = static_cast<const Recorder&>(*other.recorder);
        if (recorder.writingFile() && recorder.fileIdentity() == identity) {
            failState(formatText("The file %s is being written by camera %d's recording.", options.file.c_str(),
                                 other.cameraNumber));
        }
    }
}

}  // namespace

NamedResult handleStartRecording(int inputCount, const mxArray* const inputs[]) {
    CameraRecord& camera = cameraInput(inputCount, inputs, "startRecording");
    const RecordingOptions options = recordingOptions(inputCount - 1, inputs + 1);
    if (camera.recorder != nullptr) camera.recorder->settle();
    if (camera.recording()) failState(formatText("Camera %d is already recording.", camera.cameraNumber));
    if (!options.file.empty()) refuseFileInUse(options);
    // The recording before keeps its frames until the new one has started: a start that fails
    // changes nothing.
    std::unique_ptr<Recorder> next = Recorder::start(camera, options);
    camera.recorder = std::move(next);
    return NamedResult();
}

NamedResult handleStopRecording(int inputCount, const mxArray* const inputs[]) {
    CameraRecord& camera = cameraInput(inputCount, inputs, "stopRecording");
    inputCountAtMost(inputCount, 1, "qorincam('stopRecording', cam)");
    if (camera.recorder == nullptr) return NamedResult();
    camera.recorder->stop();
    // The file is complete when the call returns, unless Ctrl+C ends the wait: the writer then
    // completes it all the same, and the status counts what it has still to write.
    Recorder& recorder = static_cast<Recorder&>(*camera.recorder);
    const auto slice = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(host::kInterruptCheckSeconds));
    while (!recorder.awaitFile(std::chrono::steady_clock::now() + slice) && !host::interruptPending()) {
    }
    return NamedResult();
}

NamedResult handleIsRecording(int inputCount, const mxArray* const inputs[]) {
    CameraRecord& camera = cameraInput(inputCount, inputs, "isRecording");
    inputCountAtMost(inputCount, 1, "qorincam('isRecording', cam)");
    if (camera.recorder != nullptr) camera.recorder->settle();
    return NamedResult(makeLogicalScalar(camera.recording()));
}

NamedResult handleGetFrames(int inputCount, const mxArray* const inputs[]) {
    CameraRecord& camera = cameraInput(inputCount, inputs, "getFrames");
    inputCountAtMost(inputCount, 3, "[frames, meta] = qorincam('getFrames', cam, count, kind)");
    const bool all = inputCount < 2 || (mxIsNumeric(inputs[1]) && mxIsEmpty(inputs[1]));
    const std::uint64_t wanted = all ? 0 : countInput(inputs[1], "The frame count must be a whole number of at least 1.");
    const FrameKind kind = kindInput(inputCount, inputs, 2);
    Recorder& recorder = recordingOf(camera);
    raiseWorkerError(recorder);
    if (!all) requireWithinCapacity(camera, recorder, wanted);
    const std::uint64_t available = recorder.ring().counts().available;
    const std::uint64_t count = all || available < wanted ? available : wanted;
    return framesResult(camera, recorder, count, kind, false);
}

NamedResult handlePeekFrame(int inputCount, const mxArray* const inputs[]) {
    CameraRecord& camera = cameraInput(inputCount, inputs, "peekFrame");
    inputCountAtMost(inputCount, 2, "[img, meta] = qorincam('peekFrame', cam, kind)");
    const FrameKind kind = kindInput(inputCount, inputs, 1);
    Recorder& recorder = recordingOf(camera);
    if (recorder.ring().counts().acquired == 0) {
        return NamedResult(makeDoubleMatrix(0, 0), makeStructArray(0, 1, {"sequence", "timestamp", "missed"}));
    }
    return framesResult(camera, recorder, 1, kind, true);
}

NamedResult handleWaitFrames(int inputCount, const mxArray* const inputs[]) {
    CameraRecord& camera = cameraInput(inputCount, inputs, "waitFrames");
    inputCountAtMost(inputCount, 3, "tf = qorincam('waitFrames', cam, count, timeout)");
    if (inputCount < 2) failUsage("qorincam('waitFrames', cam, count, timeout) needs the frame count.");
    const std::uint64_t count = countInput(inputs[1], "The frame count must be a whole number of at least 1.");
    double timeout = kDefaultWaitSeconds;
    if (inputCount >= 3) {
        if (!isIntegerScalar(inputs[2]) || !(doubleConversion(inputs[2]) >= 0.0)) {
            failValue("The timeout must be a number of seconds, 0 or more.");
        }
        timeout = std::fmin(doubleConversion(inputs[2]), kLongestWaitSeconds);
    }
    Recorder& recorder = recordingOf(camera);
    raiseWorkerError(recorder);
    requireWithinCapacity(camera, recorder, count);
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(timeout));
    // In slices, so that Ctrl+C ends the wait (host::interruptPending): then it returns at once,
    // true only if the frames are there, and the host ends the user's script.  An ended
    // recording's frames are all there already.
    constexpr auto kSlice = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(host::kInterruptCheckSeconds));
    bool ready = false;
    for (;;) {
        const bool ended = !recorder.running();
        const bool interrupted = host::interruptPending();
        const auto now = std::chrono::steady_clock::now();
        const auto until = interrupted ? now : std::min(deadline, now + kSlice);
        ready = recorder.ring().waitAvailable(count, until);
        if (ready || ended || interrupted || until >= deadline) break;
    }
    recorder.settle();
    raiseWorkerError(recorder);
    return NamedResult(makeLogicalScalar(ready));
}

NamedResult handleRecordingStatus(int inputCount, const mxArray* const inputs[]) {
    CameraRecord& camera = cameraInput(inputCount, inputs, "recordingStatus");
    inputCountAtMost(inputCount, 1, "s = qorincam('recordingStatus', cam)");
    Recorder& recorder = recordingOf(camera);
    raiseWorkerError(recorder);
    const Recorder::Status s = recorder.status();
    const platform::IsoTime startTime = platform::isoLocalTime(recorder.startTime());
    ArrayPtr status = makeStructArray(1, 1,
                                      {"running", "source", "startTime", "startPosixTime", "acquired", "taken",
                                       "available", "dropped", "overwritten", "written", "notWritten", "toWrite",
                                       "capacity", "frameBytes", "file", "writeError", "error", "stopReason"});
    mxArray* st = status.get();
    int field = 0;
    setStructField(st, 0, field++, makeLogicalScalar(s.running));
    setStructField(st, 0, field++, makeString(s.source == RecordingSource::Video ? "video" : "snapshot"));
    setStructField(st, 0, field++, makeString(startTime.text));
    setStructField(st, 0, field++, makeDoubleScalar(platform::posixSeconds(recorder.startTime())));
    setStructField(st, 0, field++, makeUint64Scalar(s.counts.acquired));
    setStructField(st, 0, field++, makeUint64Scalar(s.counts.taken));
    setStructField(st, 0, field++, makeUint64Scalar(s.counts.available));
    setStructField(st, 0, field++, makeUint64Scalar(s.dropped));
    setStructField(st, 0, field++, makeUint64Scalar(s.counts.overwritten));
    setStructField(st, 0, field++, makeUint64Scalar(s.written));
    setStructField(st, 0, field++, makeUint64Scalar(s.counts.notWritten));
    setStructField(st, 0, field++, makeUint64Scalar(s.counts.toWrite));
    setStructField(st, 0, field++, makeUint64Scalar(recorder.ring().capacity()));
    setStructField(st, 0, field++, makeUint64Scalar(recorder.ring().frameBytes()));
    setStructField(st, 0, field++, makeUtf8String(recorder.shownFile()));
    setStructField(st, 0, field++, makeString(s.writeError));
    setStructField(st, 0, field++, makeString(s.error));
    setStructField(st, 0, field++, makeString(stopReasonName(s.stopReason)));
    return NamedResult(std::move(status));
}

NamedResult handleFlushFrames(int inputCount, const mxArray* const inputs[]) {
    CameraRecord& camera = cameraInput(inputCount, inputs, "flushFrames");
    inputCountAtMost(inputCount, 1, "qorincam('flushFrames', cam)");
    recordingOf(camera);
    if (camera.recording()) failState(formatText("Camera %d is recording. Stop the recording first.", camera.cameraNumber));
    // Its file, if still being written, is completed first.
    camera.recorder.reset();
    return NamedResult();
}

}  // namespace qorin
