// camera_state.h - a camera's state, its one writer and the checks of camera number, connection and state.
#pragma once

#include <cstdint>

namespace qorin {

struct CameraRecord;

// The states of a camera record.
enum class CameraState : std::uint8_t {
    Disconnected,  // closed; the record keeps its slot until a newer record takes it
    Idle,          // open, no preview
    Previewing,    // a preview was started and not yet stopped; its stream runs
    // A preview whose stream suspendPreview stopped for a format change or a capture, and
    // resumePreview has not restarted: after one that failed it stays so until a later one
    // succeeds or the preview is stopped and started again.  Every command that needs a
    // preview takes it as one.
    PreviewSuspended,
};

// The only writer of a record's state; connect, start, stop, suspend and resume the preview,
// and closeCamera call it.
void setState(CameraRecord& camera, CameraState state);

// Throws "Not enough cameras connected.", as a not-connected error, when fewer than n cameras
// are attached.
void requireAttached(std::int32_t cameraNumber);

// The record that carries camera number n, connected or not, or null.  Before looking, throws
// "Invalid camera number." for a number below 1, then as requireAttached.
CameraRecord* findCamera(std::int32_t cameraNumber);

// The camera of a command: the record of camera n when that camera is open.  Otherwise throws,
// as a not-connected error, what findCamera throws, "Camera ID not found." or
// `notConnectedFormat` (one %d: the camera number), in that order of tests.
CameraRecord& connectedCamera(std::int32_t cameraNumber, const char* notConnectedFormat);

// Throws a state error with `messageFormat` (at most one %d: the camera number) unless the
// camera is in `state`; a suspended preview is in Previewing.
void requireState(const CameraRecord& camera, CameraState state, const char* messageFormat);

}  // namespace qorin
