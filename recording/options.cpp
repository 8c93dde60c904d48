// options.cpp - startRecording's options by their rules, the file's place, and the ring's capacity.
#include "recording/options.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "gateway/errors.h"
#include "gateway/truncation.h"

namespace qorin {
namespace {

constexpr std::uint64_t kDefaultRingLimit = std::uint64_t{1} << 30;

constexpr const char* kOptionNames = "source, frames, seconds, buffer, whenFull, file and overwrite";

void readFile(const FileNameValue& value, RecordingOptions& options) {
    constexpr const char* kFileMessage = "Option 'file' must be a file name.";
    if (!value.isText) failUsage(kFileMessage);
    if (value.path.empty()) failValue(kFileMessage);
    options.file = value.shown;
    options.path = value.path;
}

void readBuffer(const InputValues& inputs, int k, RecordingOptions& options) {
    constexpr const char* kBufferMessage =
        "Option 'buffer' must be a number of frames (at least 1) or a size such as '512MB'.";
    options.bufferFrames = 0;
    options.bufferBytes = 0;
    if (inputs.textClass(k)) {
        if (!parseByteSize(textOf(inputs.text(k), kBufferMessage), options.bufferBytes)) failValue(kBufferMessage);
    } else {
        options.bufferFrames = countOf(inputs.number(k), kBufferMessage);
    }
}

// Any real numeric class, fractions too.
double positiveSeconds(const NumberValue& value) {
    if (!value.numeric || value.complex || value.elements != 1 || !(value.value > 0.0) || !std::isfinite(value.value)) {
        failValue("Option 'seconds' must be a positive number.");
    }
    return value.value;
}

}  // namespace

RecordingOptions readRecordingOptions(const InputValues& inputs, int first) {
    RecordingOptions options;
    if ((inputs.size() - first) % 2 != 0) failUsage("Recording options come in name, value pairs.");
    for (int k = first; k < inputs.size(); k += 2) {
        const std::string name =
            textOf(inputs.text(k), formatText("Option names must be text; the options are %s.", kOptionNames));
        const int value = k + 1;
        if (sameName(name, "source")) {
            const std::size_t source =
                wordOf(inputs.text(value), "Option 'source' must be 'video' or 'snapshot'.", {"video", "snapshot"});
            options.source = source == 0 ? RecordingSource::Video : RecordingSource::Snapshot;
        } else if (sameName(name, "frames")) {
            options.frames = countOf(inputs.number(value), "Option 'frames' must be a whole number of at least 1.");
        } else if (sameName(name, "seconds")) {
            options.seconds = positiveSeconds(inputs.number(value));
        } else if (sameName(name, "buffer")) {
            readBuffer(inputs, value, options);
        } else if (sameName(name, "whenFull")) {
            const std::size_t whenFull =
                wordOf(inputs.text(value), "Option 'whenFull' must be 'overwrite' or 'stop'.", {"overwrite", "stop"});
            options.whenFull = whenFull == 0 ? WhenFull::Overwrite : WhenFull::Stop;
        } else if (sameName(name, "file")) {
            readFile(inputs.fileName(value), options);
        } else if (sameName(name, "overwrite")) {
            options.overwrite = flagOf(inputs.number(value), "Option 'overwrite' must be true or false.");
        } else {
            fail(ErrorKind::Usage, formatText("Unknown recording option '%s'. The options are %s.", excerpt(name).c_str(),
                                              kOptionNames));
        }
    }
    return options;
}

void placeFile(RecordingOptions& options) {
    if (options.file.empty()) return;
    options.path = platform::absolutePath(options.path);
    if (!platform::folderExists(platform::parentFolder(options.path))) {
        failValue("The folder of " + options.file + " does not exist.");
    }
    if (platform::folderExists(options.path)) failValue(options.file + " is a folder.");
    if (platform::pathExists(options.path) && !options.overwrite) {
        failValue("The file " + options.file + " exists. Give 'overwrite', true to replace it.");
    }
}

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
        if (!(value >= 1.0) || value > kExactWholeLimit) return false;
        bytes = static_cast<std::uint64_t>(value);
        return true;
    }
    return false;
}

std::uint64_t defaultRingBytes(std::uint64_t physicalMemory) {
    if (physicalMemory == 0) return kDefaultRingLimit;
    return std::min(kDefaultRingLimit, physicalMemory / 4);
}

RingCapacity ringCapacity(const RecordingOptions& options, std::uint64_t frameBytes, std::uint64_t physicalMemory,
                          std::uint64_t availableMemory) {
    RingCapacity ring;
    ring.frames = options.bufferFrames;
    if (ring.frames == 0 && options.bufferBytes != 0) {
        ring.frames = options.bufferBytes / frameBytes;
    } else if (ring.frames == 0) {
        ring.frames = std::max<std::uint64_t>(defaultRingBytes(physicalMemory) / frameBytes, 1);
        // The default holds no more frames than the recording will make: its memory is made
        // resident at the start.
        if (options.frames != 0) ring.frames = std::min(ring.frames, options.frames);
    }
    if (ring.frames == 0) {
        ring.refusal = RingCapacity::Refusal::SmallerThanFrame;
    } else if ((physicalMemory != 0 && ring.frames > physicalMemory / frameBytes) ||
               (availableMemory != 0 && ring.frames + 1 > availableMemory / frameBytes)) {
        ring.refusal = RingCapacity::Refusal::Memory;
    }
    return ring;
}

}  // namespace qorin
