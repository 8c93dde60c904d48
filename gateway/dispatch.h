// dispatch.h - the dispatch table: one row per command with its checks, messages and handler.
#pragma once

#include <array>
#include <cstdint>

#include "gateway/args.h"
#include "gateway/results.h"

namespace qorin {

// A handler receives the converted parameters and returns its result array, or null for a
// command without a result.  It reports failure by throwing CommandError.
using Handler = ArrayPtr (*)(const Args&);

// How one group of parameters is checked.
enum class Check : std::uint8_t {
    Integer,              // isIntegerScalar
    Double,               // isDoubleScalar
    Logical,              // isLogicalScalar
    IntegerEachPosition,  // isIntegerScalar, the message formatted with the failing input's position
};

// How one parameter is converted for the handler.
enum class Conv : std::uint8_t {
    Integer,          // integer conversion
    Double,           // double conversion (value of the first element)
    Single,           // double conversion narrowed to a 32-bit float
    IntegerAsSingle,  // integer conversion held in a 32-bit float
    Logical,          // logical conversion
    Array,            // the array itself, untouched
    Text,             // the characters of a char array
};

// Bit k stands for input k (input 0 is the command code, input k parameter k).
constexpr std::uint16_t param(int k) { return static_cast<std::uint16_t>(1u << k); }
constexpr std::uint16_t params(int first, int last) {
    return first > last ? 0 : static_cast<std::uint16_t>(param(first) | params(first + 1, last));
}

struct CheckStep {
    Check check = Check::Integer;
    std::uint16_t inputs = 0;
    const char* message = nullptr;  // null: no step
};

struct CommandRow {
    std::int32_t code;
    const char* name;
    int parameterCount;        // inputs after the command code
    const char* countMessage;  // null: no count check, further inputs are ignored
    std::array<Conv, kMaxParameters> conversions;
    std::array<CheckStep, 3> checks;  // run in this order, each over its inputs in increasing order
    Handler handler;
    bool hasResult;
};

// The row of a code in -2..100, or null outside that range.
const CommandRow* findCommandRow(std::int32_t code);

// Every row, in code order.
const CommandRow* commandRowsBegin();
const CommandRow* commandRowsEnd();

// Runs a row's count and class checks and conversions, then its handler.  Throws the
// row's message on the first failed check.
ArrayPtr runCommandRow(const CommandRow& row, int inputCount, const mxArray* const inputs[]);

}  // namespace qorin
