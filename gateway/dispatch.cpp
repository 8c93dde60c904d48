// dispatch.cpp - running a registry row: count check, class checks, conversions, handler.
#include "gateway/dispatch.h"

#include <cstring>
#include <optional>

#include "camera/recording_gate.h"
#include "gateway/errors.h"
#include "platform/mex_host.h"
#include "platform/mex_text.h"

namespace qorin {
namespace {

bool passes(Check check, const mxArray* input) {
    switch (check) {
        case Check::Integer:
        case Check::IntegerEachPosition: return isIntegerScalar(input);
        case Check::Double: return isDoubleScalar(input);
        case Check::Logical: return isLogicalScalar(input);
    }
    return false;
}

// After the count check, so that the inputs are the row's: kMaxInputs at most, as the registry
// makes sure, each with its bit in the step's mask.
void runCheck(const CheckStep& step, int inputCount, const mxArray* const inputs[]) {
    for (int k = 0; k < inputCount && k < kMaxInputs; ++k) {
        if ((step.inputs & param(k)) == 0 || passes(step.check, inputs[k])) continue;
        if (step.check == Check::IntegerEachPosition) {
QORIN_FIXED_FORMAT_BEGIN
            fail(ErrorKind::Usage, formatText(step.message, k));
QORIN_FIXED_FORMAT_END
        }
        failUsage(step.message);
    }
}

// A string scalar is handed on as its chars, so that the handler sees the char array it
// would have had.  Any other class reaches the handler as it came, for its own class message.
void convertText(const mxArray* input, Args::Value& value) {
    const mxArray* chars = host::textChars(input, value.chars);
    if (chars == nullptr) return;
    value.array = chars;
    if (host::convertText(chars, value.text) == host::TextStatus::kUnrepresentable) {
        failValue(kUnrepresentableText);
    }
}

void convert(Conv conversion, const mxArray* input, Args::Value& value) {
    value.array = input;
    switch (conversion) {
        case Conv::Integer: value.integer = integerConversion(input); break;
        case Conv::Double: value.real = doubleConversion(input); break;
        case Conv::Single:
            value.real = doubleConversion(input);
            value.single = static_cast<float>(value.real);
            break;
        case Conv::IntegerAsSingle:
            value.integer = integerConversion(input);
            value.single = static_cast<float>(value.integer);
            break;
        case Conv::Logical: value.logical = logicalConversion(input); break;
        case Conv::Array: break;
        case Conv::Text: convertText(input, value); break;
    }
}

// The camera a command is for: its parameter 1 when that is the camera number, else none.
std::optional<std::int32_t> cameraOf(const CommandRow& row, const Args& args) {
    const bool hasCamera = row.parameterCount >= 1 && row.conversions[0] == Conv::Integer &&
                           std::strncmp(row.parameterNames, "cam", 3) == 0 &&
                           (row.parameterNames[3] == '\0' || row.parameterNames[3] == ',');
    if (!hasCamera) return std::nullopt;
    return args.integer(1);
}

}  // namespace

ArrayPtr runCommandRow(const CommandRow& row, int inputCount, const mxArray* const inputs[]) {
    Args args;
    if (row.countMessage != nullptr) {
        if (inputCount != row.parameterCount + 1) failUsage(row.countMessage);
        for (const CheckStep& step : row.checks) {
            if (step.message != nullptr) runCheck(step, inputCount, inputs);
        }
        for (int k = 1; k <= row.parameterCount; ++k) {
            const Conv conversion = row.conversions[static_cast<size_t>(k - 1)];
            convert(conversion, inputs[k], args.store(k, conversion));
        }
    }
    HostTurn turn = admitWhileRecording(cameraOf(row, args), row.whileRecording == WhileRecording::Refused,
                                        row.whileRecording == WhileRecording::Rereads);
    ArrayPtr result = handlerOf(row)(args);
    turn.commandDone();
    return result;
}

}  // namespace qorin
