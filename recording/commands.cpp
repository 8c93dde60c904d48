// commands.cpp - startRecording, stopRecording, isRecording, getFrames, peekFrame, waitFrames, recordingStatus and flushFrames.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "camera/camera_state.h"
#include "gateway/errors.h"
#include "gateway/named_commands.h"
#include "platform/mex_host.h"
#include "platform/native_path.h"
#include "recording/handout.h"
#include "recording/options.h"
#include "recording/recorder.h"
#include "recording/recording.h"

namespace qorin {
namespace {

constexpr double kDefaultWaitSeconds = 10.0;
// The longest wait waitFrames takes: a day, far below what the clock can represent.
constexpr double kLongestWaitSeconds = 86400.0;

constexpr const char* kCountMessage = "The frame count must be a whole number of at least 1.";

// The connected camera a recording command names first.
CameraRecord& cameraInput(const NamedInputs& inputs, const char* command) {
    return inputs.camera(formatText("qorincam('%s', cam, ...)", command));
}

// The camera's recording, synced when it ended by itself; "Camera %d has no recording." when
// it never recorded (since it was connected).
Recording& recordingIn(CameraRecord& camera) {
    Recording* recording = recordingOf(camera);
    if (recording == nullptr) failState(formatText("Camera %d has no recording.", camera.cameraNumber));
    recording->syncCameraRecord();
    return *recording;
}

// A count of frames the recording's buffer can hold at once, or a value error: more could never be there.
void requireWithinCapacity(const CameraRecord& camera, const Recording& recording, std::uint64_t count) {
    const std::uint64_t capacity = recording.capacity();
    if (count <= capacity) return;
    failValue(formatText("Camera %d's recording buffer holds at most %llu frames.", camera.cameraNumber,
                         static_cast<unsigned long long>(capacity)));
}

// The worker's failure, raised once by the first call that looks at the recording after it.
void raiseWorkerError(Recording& recording) {
    const std::string error = recording.takeError();
    if (!error.empty()) failSdk(error);
}

FrameKind kindInput(const NamedInputs& inputs, int k) {
    if (inputs.size() <= k) return FrameKind::Raw;
    constexpr FrameKind kKinds[] = {FrameKind::Raw, FrameKind::Mono, FrameKind::Rgb};
    return kKinds[inputs.word(k, "The frame kind must be 'raw', 'mono' or 'rgb'.", {"raw", "mono", "rgb"})];
}

std::chrono::steady_clock::duration seconds(double value) {
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(value));
}

// Throws when another recording, of any camera, still writes the file `options` name, under
// whatever name it was given there: two writers would leave one's pages in the other's file.
void refuseFileInUse(const RecordingOptions& options) {
    const platform::FileIdentity identity = platform::fileIdentity(options.path);
    if (!identity.known) return;
    CameraTable& table = cameraTable();
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        CameraRecord& other = table.at(slot);
        const Recording* recording = recordingOf(other);
        if (recording != nullptr && recording->writesFile(identity)) {
            failState(formatText("The file %s is being written by camera %d's recording.", options.file.c_str(),
                                 other.cameraNumber));
        }
    }
}

ArrayPtr makeCount(std::uint64_t value) { return makeDoubleScalar(static_cast<double>(value)); }

// The fields of recordingStatus' result, in order, each made from one statistics record.
struct StatisticsField {
    const char* name;
    ArrayPtr (*value)(const RecordingStatistics& s);
};
constexpr StatisticsField kStatisticsFields[] = {
    {"running", [](const RecordingStatistics& s) { return makeLogicalScalar(s.running); }},
    {"source", [](const RecordingStatistics& s) { return makeString(s.source == RecordingSource::Video ? "video" : "snapshot"); }},
    {"startTime", [](const RecordingStatistics& s) { return makeString(s.startTime.text); }},
    {"startPosixTime", [](const RecordingStatistics& s) { return makeDoubleScalar(s.startPosixTime); }},
    {"acquired", [](const RecordingStatistics& s) { return makeCount(s.counts.acquired); }},
    {"taken", [](const RecordingStatistics& s) { return makeCount(s.counts.taken); }},
    {"available", [](const RecordingStatistics& s) { return makeCount(s.counts.available); }},
    {"dropped", [](const RecordingStatistics& s) { return makeCount(s.counts.missed); }},
    {"overwritten", [](const RecordingStatistics& s) { return makeCount(s.counts.overwritten); }},
    {"written", [](const RecordingStatistics& s) { return makeCount(s.counts.written); }},
    {"notWritten", [](const RecordingStatistics& s) { return makeCount(s.counts.notWritten); }},
    {"toWrite", [](const RecordingStatistics& s) { return makeCount(s.counts.toWrite); }},
    {"capacity", [](const RecordingStatistics& s) { return makeCount(s.capacity); }},
    {"frameBytes", [](const RecordingStatistics& s) { return makeCount(s.frameBytes); }},
    {"file", [](const RecordingStatistics& s) { return makeUtf8String(*s.file); }},
    {"writeError", [](const RecordingStatistics& s) { return makeString(s.writeError); }},
    {"error", [](const RecordingStatistics& s) { return makeString(s.error); }},
    {"stopReason", [](const RecordingStatistics& s) { return makeString(stopReasonName(s.stopReason)); }},
};
constexpr auto kStatisticsNames = fieldNamesOf(kStatisticsFields);

}  // namespace

NamedResult handleStartRecording(const NamedInputs& inputs) {
    CameraRecord& camera = cameraInput(inputs, "startRecording");
    RecordingOptions options = readRecordingOptions(inputs, 1);
    placeFile(options);
    if (camera.recorder != nullptr) camera.recorder->syncCameraRecord();
    if (camera.recording()) failState(formatText("Camera %d is already recording.", camera.cameraNumber));
    if (!options.file.empty()) refuseFileInUse(options);
    // The recording before keeps its frames until the new one has started: a start that fails
    // changes nothing.
    std::unique_ptr<Recorder> next = Recorder::start(camera, options);
    camera.recorder = std::move(next);
    return NamedResult();
}

NamedResult handleStopRecording(const NamedInputs& inputs) {
    CameraRecord& camera = cameraInput(inputs, "stopRecording");
    inputs.atMost(1, "qorincam('stopRecording', cam)");
    Recording* recording = recordingOf(camera);
    if (recording == nullptr) return NamedResult();
    recording->requestStop(false);
    recording->awaitEnd();
    // The file is complete when the call returns, unless Ctrl+C ends the wait: the writer then
    // completes it all the same, and the status counts what it has still to write.
    const auto slice = seconds(host::kInterruptCheckSeconds);
    while (!recording->awaitFileClosed(std::chrono::steady_clock::now() + slice) && !host::interruptPending()) {
    }
    return NamedResult();
}

NamedResult handleIsRecording(const NamedInputs& inputs) {
    CameraRecord& camera = cameraInput(inputs, "isRecording");
    inputs.atMost(1, "qorincam('isRecording', cam)");
    if (camera.recorder != nullptr) camera.recorder->syncCameraRecord();
    return NamedResult(makeLogicalScalar(camera.recording()));
}

NamedResult handleGetFrames(const NamedInputs& inputs) {
    CameraRecord& camera = cameraInput(inputs, "getFrames");
    inputs.atMost(3, "[frames, meta] = qorincam('getFrames', cam, count, kind)");
    const NumberValue given = inputs.number(1);
    const bool all = inputs.size() < 2 || (given.numeric && given.elements == 0);
    const std::uint64_t wanted = all ? 0 : inputs.count(1, kCountMessage);
    const FrameKind kind = kindInput(inputs, 2);
    Recording& recording = recordingIn(camera);
    raiseWorkerError(recording);
    if (!all) requireWithinCapacity(camera, recording, wanted);
    const std::uint64_t available = recording.counts().available;
    const std::uint64_t count = all || available < wanted ? available : wanted;
    return handOutFrames(camera, recording, count, kind, false);
}

NamedResult handlePeekFrame(const NamedInputs& inputs) {
    CameraRecord& camera = cameraInput(inputs, "peekFrame");
    inputs.atMost(2, "[img, meta] = qorincam('peekFrame', cam, kind)");
    const FrameKind kind = kindInput(inputs, 1);
    Recording& recording = recordingIn(camera);
    if (recording.counts().acquired == 0) return noFrame();
    return handOutFrames(camera, recording, 1, kind, true);
}

NamedResult handleWaitFrames(const NamedInputs& inputs) {
    CameraRecord& camera = cameraInput(inputs, "waitFrames");
    inputs.atMost(3, "tf = qorincam('waitFrames', cam, count, timeout)");
    if (inputs.size() < 2) failUsage("qorincam('waitFrames', cam, count, timeout) needs the frame count.");
    const std::uint64_t count = inputs.count(1, kCountMessage);
    double timeout = kDefaultWaitSeconds;
    if (inputs.size() >= 3) {
        const NumberValue given = inputs.number(2);
        if (!given.numeric || given.complex || given.elements != 1 || !(given.value >= 0.0)) {
            failValue("The timeout must be a number of seconds, 0 or more.");
        }
        timeout = std::fmin(given.value, kLongestWaitSeconds);
    }
    Recording& recording = recordingIn(camera);
    raiseWorkerError(recording);
    requireWithinCapacity(camera, recording, count);
    const auto deadline = std::chrono::steady_clock::now() + seconds(timeout);
    // In slices, so that Ctrl+C ends the wait (host::interruptPending): then it returns at once,
    // true only if the frames are there, and the host ends the user's script.  An ended
    // recording's frames are all there already.
    const auto slice = seconds(host::kInterruptCheckSeconds);
    bool ready = false;
    for (;;) {
        const bool ended = !recording.running();
        const bool interrupted = host::interruptPending();
        const auto now = std::chrono::steady_clock::now();
        const auto until = interrupted ? now : std::min(deadline, now + slice);
        ready = recording.waitAvailable(count, until);
        if (ready || ended || interrupted || until >= deadline) break;
    }
    recording.syncCameraRecord();
    raiseWorkerError(recording);
    return NamedResult(makeLogicalScalar(ready));
}

NamedResult handleRecordingStatus(const NamedInputs& inputs) {
    CameraRecord& camera = cameraInput(inputs, "recordingStatus");
    inputs.atMost(1, "s = qorincam('recordingStatus', cam)");
    Recording& recording = recordingIn(camera);
    raiseWorkerError(recording);
    const RecordingStatistics statistics = recording.statistics();
    ArrayPtr status = makeStructArray(1, 1, kStatisticsNames.data(), kStatisticsNames.size());
    int field = 0;
    for (const StatisticsField& statisticsField : kStatisticsFields) {
        setStructField(status.get(), 0, field++, statisticsField.value(statistics));
    }
    return NamedResult(std::move(status));
}

NamedResult handleFlushFrames(const NamedInputs& inputs) {
    CameraRecord& camera = cameraInput(inputs, "flushFrames");
    inputs.atMost(1, "qorincam('flushFrames', cam)");
    recordingIn(camera);
    if (camera.recording()) failState(formatText("Camera %d is recording. Stop the recording first.", camera.cameraNumber));
    // Its file, if still being written, is completed first.
    camera.recorder.reset();
    return NamedResult();
}

}  // namespace qorin
