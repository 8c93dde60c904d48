// captures.h - the capture calls whose memory is measured, and their set-up through the native harness.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tests/native/harness.h"

namespace captures {

struct Capture {
    int code = 13;    // 7 video grab, 13 snapshot, 87 fast frames, 32 synchronous snapshots
    int frames = 1;   // code 87's N
    int cameras = 1;  // code 32's connected cameras
    bool wide = false;
    bool colour = true;
    std::string label() const;  // "87 N=8 colour 16-bit"
};

// Codes 7, 13, 87 (N = 1, 8, 40) and 32 (2 and 5 cameras), each 8- and 16-bit, colour and
// monochrome.
std::vector<Capture> all();

// Resets the module and the simulator, then connects the cameras of `c` with a frame of
// `columns` x `rows` set explicitly (so the simulator's own work is one copy) and the
// snapshot depth of `c`.
void prepare(const Capture& c, std::size_t columns, std::size_t rows);

// The capture call itself.
harness::Outcome take(const Capture& c);

// Bytes of one raw frame and of the result of `c`.
std::size_t rawBytes(const Capture& c, std::size_t columns, std::size_t rows);
std::size_t resultBytes(const Capture& c, std::size_t columns, std::size_t rows);

}  // namespace captures
