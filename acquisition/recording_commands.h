// recording_commands.h - the named commands of continuous recording, for the named-command table.
#pragma once

#include "gateway/named_commands.h"

namespace qorin {

NamedResult handleStartRecording(int inputCount, const mxArray* const inputs[]);
NamedResult handleStopRecording(int inputCount, const mxArray* const inputs[]);
NamedResult handleIsRecording(int inputCount, const mxArray* const inputs[]);
NamedResult handleGetFrames(int inputCount, const mxArray* const inputs[]);
NamedResult handlePeekFrame(int inputCount, const mxArray* const inputs[]);
NamedResult handleWaitFrames(int inputCount, const mxArray* const inputs[]);
NamedResult handleRecordingStatus(int inputCount, const mxArray* const inputs[]);

}  // namespace qorin
