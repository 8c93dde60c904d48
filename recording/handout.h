// handout.h - a recording's frames handed out as MATLAB arrays: raw, mono or rgb, with their stamps.
#pragma once

#include <cstdint>

#include "camera/camera_table.h"
#include "gateway/named_commands.h"
#include "recording/recording.h"

namespace qorin {

// What getFrames and peekFrame return a frame as: what GRAB_RAW_FRAME, GRAB_MONO_FRAME and
// GRAB_RGB_FRAME return for one frame.
enum class FrameKind { Raw, Mono, Rgb };

// `count` frames of the recording as `kind` ([rows, columns, k], or [rows, columns, 3, k] for
// rgb) and their stamps as a count-by-1 structure: the newest frame (count 1) with `newest`,
// else the oldest ones not yet taken, which are taken.  The arrays are made before any frame is
// leased, so that a call MATLAB ends while it makes them leaves every frame as it was.
NamedResult handOutFrames(CameraRecord& camera, Recording& recording, std::uint64_t count, FrameKind kind, bool newest);

// peekFrame's result before the first frame: [] and a 0-by-1 structure of the stamps' fields.
NamedResult noFrame();

}  // namespace qorin
