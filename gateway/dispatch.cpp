// dispatch.cpp - running a registry row: count check, class checks, conversions, handler.
#include "gateway/dispatch.h"

#include "gateway/errors.h"
#include "platform/mex_host.h"

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

void runCheck(const CheckStep& step, int inputCount, const mxArray* const inputs[]) {
    for (int k = 0; k < inputCount && k < 16; ++k) {
        if ((step.inputs & param(k)) == 0 || passes(step.check, inputs[k])) continue;
        if (step.check == Check::IntegerEachPosition) {
QORIN_FIXED_FORMAT_BEGIN
            fail(ErrorKind::Usage, formatText(step.message, k));
QORIN_FIXED_FORMAT_END
        }
        failUsage(step.message);
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
        case Conv::Text: value.text = host::charText(input); break;
    }
}

}  // namespace

ArrayPtr runCommandRow(const CommandRow& row, int inputCount, const mxArray* const inputs[]) {
    Args args;
    if (row.countMessage != nullptr) {
        if (inputCount != row.parameterCount + 1) failUsage(row.countMessage);
        for (const CheckStep& step : row.checks) {
            if (step.message != nullptr) runCheck(step, inputCount, inputs);
        }
        for (int k = 1; k <= row.parameterCount && k <= kMaxParameters; ++k) {
            convert(row.conversions[static_cast<size_t>(k - 1)], inputs[k], args.at(k));
        }
    }
    return handlerOf(row)(args);
}

}  // namespace qorin
