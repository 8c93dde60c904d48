// recording_session.cpp - two cameras record while MATLAB's thread issues commands, then the module unloads under them.
//
// Every MEX call is made on the main thread, as MATLAB makes them; the module's recording
// workers and TIFF writer are the only other threads.  Camera 1 records its video into a TIFF
// file at the frame rate; camera 2 records snapshots (fast frames) or video as fast as the
// simulator delivers them, and is stopped and restarted.  Meanwhile settings change (they wait their turn), frames
// are taken, peeked at and waited for (one wait ended by Ctrl+C), and commands that would
// disturb a recording are refused.
// Last, the exit hook runs while both record: no thread may be left, the cameras must be closed
// in the simulator and the file a valid TIFF of whole pages.  The summary line does not depend
// on timing, so that the Linux and Windows runs print the same one; the ThreadSanitizer build
// (scripts/reliability.sh, step tsan) runs the same program.
//
// First, camera 1 records into files whose names go beyond ASCII and beyond 260 characters, in
// a folder named "Été €Ł 日本" (the temporary folder on Windows, under the Wine prefix; the
// working folder elsewhere), under both of MATLAB's text models: each file must be found under
// its own name, a TIFF of its frames.
//
//   recording_session [rounds]      (default 3)
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "camera/camera_table.h"
#include "platform/native_path.h"
#include "recording/recording.h"
#include "sim/sim_control.h"
#include "tests/native/harness.h"
#include "ut.h"

#ifdef _WIN32
#  include "platform/windows_api.h"
#  include <tlhelp32.h>
#else
#  include <dirent.h>
#  include <sys/stat.h>
#  include <unistd.h>
#endif

namespace {

using harness::check;
using harness::flag;
using harness::num;
using harness::Outcome;
using harness::text;

constexpr int kRows = 48;
constexpr int kColumns = 64;
constexpr const char* kFile = "recording_session.tif";
constexpr const char* kRefused = "Camera 1 is recording. Stop the recording first.";


// The threads of this process.
int threadCount() {
#ifdef _WIN32
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more != FALSE; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
#else
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) return -1;
    int count = 0;
    while (const dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] != '.') ++count;
    }
    closedir(tasks);
    return count;
#endif
}

// A named command: its name, then the parameters.
Outcome named(const char* name, std::vector<mxArray*> params, int outputCount = 1) {
    params.insert(params.begin(), text(name));
    return harness::runRaw(std::move(params), outputCount);
}

std::string failure(const Outcome& outcome) { return outcome.ok ? "succeeded" : harness::show(outcome.message); }

// A command that must succeed; returns its first output (may be null).
harness::Owned must(Outcome outcome, const std::string& what) {
    check(outcome.ok, what + ": " + failure(outcome));
    return std::move(outcome.result);
}

double scalar(const harness::Owned& result) {
    return result != nullptr && mxGetNumberOfElements(result.get()) == 1 ? hostdouble::value(result.get(), 0) : -1.0;
}

double field(const harness::Owned& status, const char* name) {
    const mxArray* value = status != nullptr && mxIsStruct(status.get()) ? mxGetField(status.get(), 0, name) : nullptr;
    return value != nullptr && mxGetNumberOfElements(value) == 1 ? hostdouble::value(value, 0) : -1.0;
}

bool isRecording(int camera) { return scalar(must(named("isRecording", {num(camera)}), "isRecording")) == 1.0; }

// A numbered command that a recording must refuse with its state error.
void refused(double code, std::vector<mxArray*> params, const std::string& what) {
    const Outcome outcome = harness::run(code, std::move(params));
    check(!outcome.ok && outcome.identifier == "qorincam:state" && outcome.message == kRefused,
          what + " refused while recording: " + outcome.identifier + " " + failure(outcome));
}

// rows x columns x frames of a getFrames result.
bool framesShape(const harness::Owned& frames, std::size_t count, std::size_t planes = 1) {
    if (frames == nullptr || count == 0) return false;
    const std::size_t* d = mxGetDimensions(frames.get());
    const std::size_t n = mxGetNumberOfDimensions(frames.get());
    const std::size_t expected = kRows * kColumns * planes * count;
    return d[0] == kRows && d[1] == kColumns && mxGetNumberOfElements(frames.get()) == expected && n >= 2;
}

// The pages of a little-endian TIFF, classic or BigTIFF: {width, height} of each, by the chain
// of directories from the header; empty when the file is not such a TIFF.
std::vector<std::pair<std::uint64_t, std::uint64_t>> tiffPages(const std::vector<unsigned char>& bytes) {
    auto read = [&](std::uint64_t at, int size, bool& ok) {
        std::uint64_t value = 0;
        if (at + static_cast<std::uint64_t>(size) > bytes.size()) {
            ok = false;
            return value;
        }
        for (int k = size - 1; k >= 0; --k) value = value << 8 | bytes[at + static_cast<std::uint64_t>(k)];
        return value;
    };
    std::vector<std::pair<std::uint64_t, std::uint64_t>> pages;
    bool ok = bytes.size() >= 8 && bytes[0] == 'I' && bytes[1] == 'I';
    const bool big = ok && read(2, 2, ok) == 43;
    if (!ok || (!big && read(2, 2, ok) != 42)) return {};
    const int word = big ? 8 : 4;             // offsets and counts
    const int entry = big ? 20 : 12;          // bytes of a directory entry
    const int countBytes = big ? 8 : 2;       // bytes of a directory's entry count
    std::uint64_t next = read(big ? 8 : 4, word, ok);
    while (ok && next != 0 && pages.size() < 100000) {
        const std::uint64_t entries = read(next, countBytes, ok);
        std::uint64_t width = 0, height = 0;
        for (std::uint64_t e = 0; ok && e < entries; ++e) {
            const std::uint64_t at = next + static_cast<std::uint64_t>(countBytes) + e * static_cast<std::uint64_t>(entry);
            const std::uint64_t tag = read(at, 2, ok);
            const std::uint64_t type = read(at + 2, 2, ok);
            const std::uint64_t value = read(at + 4 + static_cast<std::uint64_t>(word), type == 3 ? 2 : 4, ok);
            if (tag == 256) width = value;
            if (tag == 257) height = value;
        }
        pages.emplace_back(width, height);
        next = read(next + static_cast<std::uint64_t>(countBytes) + entries * static_cast<std::uint64_t>(entry), word, ok);
    }
    if (!ok) return {};
    return pages;
}

std::vector<std::pair<std::uint64_t, std::uint64_t>> tiffPages(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return tiffPages(std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
}

bool wholePages(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& pages) {
    bool whole = !pages.empty();
    for (const auto& page : pages) whole = whole && page.first == kColumns && page.second == kRows;
    return whole;
}

// A name as MATLAB holds it (UTF-16) and as the system holds it here (UTF-16 on Windows, its
// UTF-8 bytes elsewhere), written out twice, so that neither is the module's own conversion.
struct Name {
    std::u16string utf16;
    std::string utf8;
    Name operator+(const Name& more) const { return {utf16 + more.utf16, utf8 + more.utf8}; }
};
Name ascii(const std::string& text) { return {std::u16string(text.begin(), text.end()), text}; }

#ifdef _WIN32
using SystemName = std::wstring;
SystemName systemName(const Name& name) { return SystemName(name.utf16.begin(), name.utf16.end()); }
// Long names need the \\?\ prefix, which takes absolute names with backslashes only.
SystemName longForm(SystemName absolute) {
    for (wchar_t& c : absolute) c = c == L'/' ? L'\\' : c;
    return L"\\\\?\\" + absolute;
}
// The temporary folder, under the Wine prefix under Wine, made the current one.
SystemName scratchFolder() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    const DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    SystemName folder(buffer.data(), length);
    SetCurrentDirectoryW(folder.c_str());
    return folder.empty() || folder.back() == L'\\' ? folder : folder + L'\\';
}
bool makeFolder(const SystemName& absolute) { return CreateDirectoryW(longForm(absolute).c_str(), nullptr) != FALSE; }
void removeFolder(const SystemName& absolute) { RemoveDirectoryW(longForm(absolute).c_str()); }
void removeFile(const SystemName& absolute) { DeleteFileW(longForm(absolute).c_str()); }
std::vector<unsigned char> fileBytes(const SystemName& absolute) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(longForm(absolute).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    unsigned char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) != FALSE && got > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    CloseHandle(file);
    return bytes;
}
#else
using SystemName = std::string;
SystemName systemName(const Name& name) { return name.utf8; }
// The working folder.
SystemName scratchFolder() {
    std::vector<char> buffer(4096);
    if (getcwd(buffer.data(), buffer.size()) == nullptr) return "/";
    return std::string(buffer.data()) + "/";
}
bool makeFolder(const SystemName& absolute) { return mkdir(absolute.c_str(), 0755) == 0; }
void removeFolder(const SystemName& absolute) { rmdir(absolute.c_str()); }
void removeFile(const SystemName& absolute) { std::remove(absolute.c_str()); }
std::vector<unsigned char> fileBytes(const SystemName& absolute) {
    std::ifstream in(absolute, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
#endif

// Until `camera`'s recording has ended by itself and its writer no longer has the file at
// `absolute` open, or `deadline` passes; asked of the recording, not by a command.
void awaitFileReleased(int camera, const SystemName& absolute, std::chrono::steady_clock::time_point deadline) {
    harness::awaitRecordingEnd(camera, false, deadline);
    qorin::CameraTable& table = qorin::cameraTable();
    const std::int32_t slot = table.findCameraSlot(camera);
    const qorin::Recording* recording = slot == -1 ? nullptr : qorin::recordingOf(table.at(slot));
    const qorin::platform::FileIdentity file = qorin::platform::fileIdentity(absolute);
    while (recording != nullptr && recording->writesFile(file) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// The host's own C text of a name: what its messages hold where they quote it.
std::string hostText(const Name& name) {
    const harness::Owned chars(hostdouble::makeText16(name.utf16));
    char* text = mxArrayToString(chars.get());
    const std::string copy = text == nullptr ? std::string() : text;
    mxFree(text);
    return copy;
}

// Camera 1 records three frames into `name`; true when it recorded them and let the file go.
bool recordThree(const Name& name) {
    const Outcome started = named("startRecording", {num(1), text("frames"), num(3), text("buffer"), num(8), text("file"),
                                                      hostdouble::makeText16(name.utf16)});
    check(started.ok, "recording into " + name.utf8 + ": " + failure(started));
    if (!started.ok) return false;
    const bool ready = scalar(must(named("waitFrames", {num(1), num(3), num(10)}), "waitFrames")) == 1.0;
    must(named("stopRecording", {num(1)}), "stop the recording into " + name.utf8);
    return ready;
}

// Files named beyond ASCII and beyond MAX_PATH, in a folder named so, under MATLAB's two text
// models: the module reads MATLAB's UTF-16 itself, so the files get their names under both,
// and its messages quote the name in the host's own text.
void namesBeyondAscii() {
    const Name folder{u"\u00c9t\u00e9 \u20ac\u0141 \u65e5\u672c", "\xc3\x89t\xc3\xa9 \xe2\x82\xac\xc5\x81 \xe6\x97\xa5\xe6\x9c\xac"};
    const Name deep = ascii(std::string(230, 'd'));
    const SystemName base = scratchFolder();
    check(makeFolder(base + systemName(folder)) && makeFolder(base + systemName(folder + ascii("/") + deep)),
          "folders made for the names");
    const Name models[] = {ascii("before R2022a"), ascii("R2022a on")};
    for (int m = 0; m < 2; ++m) {
        hostdouble::setTextModel(m == 0 ? hostdouble::TextModel::kUserEncoding : hostdouble::TextModel::kUtf8);
        const Name leaf = Name{u"\u0141\u00f3d\u017a \u65e5\u672c ", "\xc5\x81\xc3\xb3" "d\xc5\xba \xe6\x97\xa5\xe6\x9c\xac "} + models[m] + ascii(".tif");
        // Relative, with forward slashes, and (the long one) with . and .. for the system to resolve.
        const Name shortName = folder + ascii("/") + leaf;
        const Name longName = folder + ascii("/") + deep + ascii("/./../") + deep + ascii("/") + leaf;
        const SystemName shortFile = base + systemName(shortName);
        const SystemName longFile = base + systemName(folder + ascii("/") + deep + ascii("/") + leaf);
        check(longFile.size() > 260, "a name longer than 260 characters");
        for (const Name* name : {&shortName, &longName}) {
            const bool recorded = recordThree(*name);
            const auto pages = tiffPages(fileBytes(name == &shortName ? shortFile : longFile));
            check(recorded && wholePages(pages) && pages.size() == 3,
                  name->utf8 + " found under its name, a TIFF of its three frames: " + std::to_string(pages.size()) + " pages");
        }
        const Outcome again = named("startRecording", {num(1), text("file"), hostdouble::makeText16(shortName.utf16)});
        check(!again.ok && again.message == "The file " + hostText(shortName) + " exists. Give 'overwrite', true to replace it.",
              "an existing file named in the host's text: " + failure(again));
        // Another recording's file, named another way, is not camera 2's to replace.
        const Name otherSpelling = ascii("./") + folder + ascii("/../") + shortName;
        must(named("startRecording", {num(1), text("file"), hostdouble::makeText16(shortName.utf16), text("overwrite"), flag(true)}),
             "recording into " + shortName.utf8 + " again");
        const Outcome taken = named("startRecording", {num(2), text("file"), hostdouble::makeText16(otherSpelling.utf16),
                                                       text("overwrite"), flag(true)});
        check(!taken.ok && taken.message == "The file " + hostText(otherSpelling) + " is being written by camera 1's recording.",
              "the file of camera 1's recording refused to camera 2: " + failure(taken));
        must(named("stopRecording", {num(1)}), "stop the recording into " + shortName.utf8);
        // Once camera 1's recording has ended by itself, its file is camera 2's to replace.
        must(named("startRecording", {num(1), text("frames"), num(3), text("file"), hostdouble::makeText16(shortName.utf16),
                                      text("overwrite"), flag(true)}),
             "three frames into " + shortName.utf8);
        // Two of them waited for (later calls would settle it), the third, a frame period
        // (1/30 s) on, left to end the recording by itself.
        must(named("waitFrames", {num(1), num(2), num(10)}), "waitFrames");
        awaitFileReleased(1, shortFile, std::chrono::steady_clock::now() + std::chrono::seconds(10));
        must(named("startRecording", {num(2), text("file"), hostdouble::makeText16(otherSpelling.utf16), text("overwrite"),
                                      flag(true)}),
             "camera 2 replaces the file of camera 1's ended recording");
        must(named("stopRecording", {num(2)}), "stop camera 2");
        removeFile(shortFile);
        removeFile(longFile);
    }
    hostdouble::setTextModel(hostdouble::TextModel::kUserEncoding);
    removeFolder(base + systemName(folder + ascii("/") + deep));
    removeFolder(base + systemName(folder));
}

void setUpCameras() {
    std::lock_guard<std::recursive_mutex> lock(qorinsim::mutex());
    for (int n = 1; n <= 2; ++n) {
        qorinsim::SimulatedCamera& camera = *qorinsim::camera(n);
        camera.format_.width = kColumns;
        camera.format_.height = kRows;
        // Camera 1 at its frame rate, camera 2 as fast as it can go: its worker asks for the
        // SDK again at once, frame after frame.
        camera.timing_ = n == 1 ? qorinsim::Timing::kRealtime : qorinsim::Timing::kImmediate;
        camera.clockRunning_ = false;
    }
}

bool simOpen(int camera) {
    std::lock_guard<std::recursive_mutex> lock(qorinsim::mutex());
    return qorinsim::camera(camera)->open_;
}

std::string sanity() {
    // The checks read the simulator's state, which the workers' calls change.
    std::lock_guard<std::recursive_mutex> lock(qorinsim::mutex());
    return harness::sanity();
}

// Camera 2's recording: snapshots (fast frames) in even rounds, video in odd ones.
void startCamera2(int round) {
    must(named("startRecording", {num(2), text("source"), text(round % 2 == 0 ? "snapshot" : "video"), text("buffer"),
                                  num(8)}),
         "start recording camera 2");
}

void round(int r) {
    const double exposure = 80 + 10 * r;
    must(harness::run(30, {num(1), num(exposure)}), "exposure of camera 1 while it records");
    check(scalar(must(harness::run(31, {num(1)}), "read exposure")) == exposure, "exposure of camera 1 changed");
    const double gain = 3 + r % 10;  // within the range, 1 to 16
    must(harness::run(28, {num(2), num(gain)}), "gain of camera 2 while it records");
    check(scalar(must(harness::run(29, {num(2)}), "read gain")) == gain, "gain of camera 2 changed");
    must(harness::run(15, {num(2), num(exposure)}), "snapshot exposure of camera 2 while it records");

    for (int camera = 1; camera <= 2; ++camera) {
        const std::string which = " (camera " + std::to_string(camera) + ", round " + std::to_string(r) + ")";
        check(scalar(must(named("waitFrames", {num(camera), num(2), num(10)}), "waitFrames" + which)) == 1.0,
              "two frames within 10 s" + which);
        const Outcome taken = named("getFrames", {num(camera), num(2), text(camera == 1 ? "raw" : "mono")}, 2);
        check(taken.ok && framesShape(taken.result, 2), "getFrames of two" + which + ": " + failure(taken));
        const Outcome rgb = named("getFrames", {num(camera), num(1), text("rgb")});
        // One frame or none, as the worker has delivered.
        check(rgb.ok && (framesShape(rgb.result, 1, 3) || mxGetNumberOfElements(rgb.result.get()) == 0),
              "getFrames rgb" + which + ": " + failure(rgb));
        const Outcome peek = named("peekFrame", {num(camera), text("rgb")}, 2);
        check(peek.ok && framesShape(peek.result, 1, 3), "peekFrame" + which + ": " + failure(peek));
        const harness::Owned status = must(named("recordingStatus", {num(camera)}), "recordingStatus" + which);
        check(field(status, "running") == 1.0 && field(status, "acquired") >= 2, "recordingStatus running" + which);
    }
    refused(13, {num(1)}, "snapshot (code 13) of camera 1");
    refused(2, {num(1), num(32), num(24)}, "frame size (code 2) of camera 1");
    refused(87, {num(1), num(2)}, "fast frames (code 87) of camera 1");
    const Outcome again = named("startRecording", {num(1)});
    check(!again.ok && again.message == "Camera 1 is already recording.",
          "a second recording of camera 1 refused: " + failure(again));

    // Camera 2 stops, settles the camera back, and starts again with the other source.
    must(named("stopRecording", {num(2)}), "stop camera 2");
    check(!isRecording(2), "camera 2 stopped");
    const harness::Owned status = must(named("recordingStatus", {num(2)}), "status of camera 2 after its stop");
    check(field(status, "running") == 0.0, "camera 2 not running after its stop");
    check(sanity().empty(), "module and simulator agree after the stop of camera 2: " + sanity());
    must(harness::run(13, {num(2)}), "snapshot of camera 2 between its recordings");
    startCamera2(r + 1);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    std::remove(kFile);
    harness::resetAll(2);
    setUpCameras();
    must(harness::run(-1, {num(1)}), "connect camera 1");
    must(harness::run(-1, {num(2)}), "connect camera 2");
    namesBeyondAscii();

    // A first recording started and stopped: the threads a runtime starts once (ThreadSanitizer's
    // own, say) are there before the count is taken.
    must(named("startRecording", {num(1), text("frames"), num(2)}), "first recording");
    check(scalar(must(named("waitFrames", {num(1), num(2), num(10)}), "waitFrames")) == 1.0, "first recording's frames");
    must(named("stopRecording", {num(1)}), "first recording stopped");
    const int baseline = threadCount();

    must(named("startRecording", {num(1), text("file"), text(kFile), text("buffer"), num(16), text("overwrite"), flag(true)}),
         "start recording camera 1 into " + std::string(kFile));
    startCamera2(0);
    check(isRecording(1) && isRecording(2), "both cameras record");
    check(threadCount() == baseline + 3, "two workers and a writer: " + std::to_string(threadCount() - baseline) + " threads more");
    for (int r = 0; r < rounds; ++r) round(r);

    // Ctrl+C while MATLAB's thread waits: the wait returns at its next look at the host's
    // interrupt, false, and leaves the interrupt to the host.  Camera 1's next 16 frames take
    // half a second to come, so nothing else makes it return false.
    must(named("getFrames", {num(1)}), "take camera 1's frames");
    hostdouble::setInterruptPending(true);
    const double interrupted = scalar(must(named("waitFrames", {num(1), num(16), num(60)}), "waitFrames under Ctrl+C"));
    hostdouble::setInterruptPending(false);
    check(interrupted == 0.0, "Ctrl+C ends a 60 s wait for 16 frames: " + std::to_string(interrupted));
    check(scalar(must(named("waitFrames", {num(1), num(3), num(10)}), "waitFrames")) == 1.0, "frames before the unload");
    const double written = field(must(named("recordingStatus", {num(1)}), "status"), "written");
    check(isRecording(1) && isRecording(2), "both cameras still record at the unload");
    // MATLAB ends a call whose result it cannot create without unwinding the module: a command
    // beside camera 1's recording leaves the camera's SDK turn held, and the worker waits for it.
    // The unloading gives it back before it waits for the workers.
    hostdouble::setMatlabMode(true);
    hostdouble::failCreations(0, 1);
    const Outcome ended = harness::run(31, {num(1)});
    hostdouble::clearCreationFaults();
    hostdouble::setMatlabMode(false);
    check(!ended.ok && ended.identifier == hostdouble::kOutOfMemoryIdentifier,
          "exposure read ended by MATLAB beside the recording: " + failure(ended));
    check(hostdouble::runExitHook(), "exit hook run");
    check(threadCount() == baseline, "no thread left after the unload: " + std::to_string(threadCount() - baseline) + " more");
    check(!simOpen(1) && !simOpen(2), "both cameras closed in the simulator");
    const auto pages = tiffPages(kFile);
    check(wholePages(pages) && static_cast<double>(pages.size()) >= written && pages.size() >= 3,
          std::string(kFile) + " a valid TIFF of " + std::to_string(pages.size()) + " pages of 64x48, at least " +
              std::to_string(static_cast<long long>(written)) + " written before the unload");
    check(sanity().empty(), "module and simulator agree after the unload: " + sanity());
    std::remove(kFile);

    const harness::CheckCounts& counts = harness::checkCounts();
    std::printf("recording session: %d rounds, %d checks, %d failed\n", rounds, counts.checks, counts.failed);
    return counts.failed == 0 ? 0 : 1;
}
