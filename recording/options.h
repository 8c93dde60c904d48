// options.h - startRecording's options: read by their rules from plain values, and the ring's size they ask for.
#pragma once

#include <cstdint>
#include <string>

#include "gateway/input_values.h"
#include "platform/native_path.h"
#include "recording/frame_ring.h"

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
    platform::NativePath path;       // that file as the system takes it: as given, absolute once placed (placeFile)
    bool overwrite = false;          // an existing file may be replaced
};

// The options from input `first` of `inputs` on, name-value pairs read in order, each by its
// rules; throws the first rule broken, with its message.  Asks nothing of the system.
RecordingOptions readRecordingOptions(const InputValues& inputs, int first);

// Makes the file's name absolute, so that a later change of the current folder moves nothing,
// and checks its place with the system: its folder exists, it is no folder, and it exists only
// when it may be replaced.  Nothing for a recording without a file.
void placeFile(RecordingOptions& options);

// Bytes of a size given as text: a number and a unit, B, kB, MB, GB, TB (powers of 1000) or
// KiB, MiB, GiB, TiB (powers of 1024); false for anything else.
bool parseByteSize(const std::string& text, std::uint64_t& bytes);

// The ring's default size: the smaller of 1 GiB and a quarter of the physical memory.
std::uint64_t defaultRingBytes(std::uint64_t physicalMemory);

// How many frames of `frameBytes` (at least 1) the ring of a recording with `options` holds,
// or why it cannot be made: 'buffer' in frames, or in bytes as whole frames; by default
// defaultRingBytes as whole frames, at least one and no more than 'frames'.  The whole ring is
// made resident before the first frame, so it must fit the physical memory and, with one frame
// to spare, the memory available now (each 0 when the system cannot tell, and then no limit).
struct RingCapacity {
    enum class Refusal : std::uint8_t { None, SmallerThanFrame, Memory };
    std::uint64_t frames = 0;
    Refusal refusal = Refusal::None;
};
RingCapacity ringCapacity(const RecordingOptions& options, std::uint64_t frameBytes, std::uint64_t physicalMemory,
                          std::uint64_t availableMemory);

}  // namespace qorin
