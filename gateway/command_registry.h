// command_registry.h - what a command is (code, name, parameters, checks, result, help) and the registry's rows.
//
// Plain data with no MEX host and no handler, so that the help generator (tools/) links the
// rows on their own; gateway/dispatch.h pairs each row with its handler.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>

namespace qorin {

constexpr int kMaxParameters = 10;
// The inputs a row describes: the command code (input 0) and its parameters.
constexpr int kMaxInputs = kMaxParameters + 1;
constexpr int kMaxChecks = 3;

// The inputs a check covers, input k as bit k.
using InputMask = std::uint16_t;
static_assert(kMaxInputs <= std::numeric_limits<InputMask>::digits, "every input has its bit in an InputMask");

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
    Text,             // a char array or string scalar as text in the user's default encoding
};

// A malformed registry entry stops the build: the rows are built by constant evaluation, where
// the call of the non-constexpr registryError is not a constant expression, and the compiler's
// message shows it with the entry it was evaluating.
inline void registryError(const char* /*what*/) {}

// Bit k stands for input k (input 0 is the command code, input k parameter k).
constexpr InputMask param(int k) {
    if (k < 0 || k >= kMaxInputs) registryError("an input beyond those a row describes");
    return static_cast<InputMask>(1u << k);
}
constexpr InputMask params(int first, int last) {
    return first > last ? 0 : static_cast<InputMask>(param(first) | params(first + 1, last));
}

// What a command does while its camera records (command_registry.def says why).
enum class WhileRecording : std::uint8_t { Waits, Rereads, Refused };

struct CheckStep {
    Check check = Check::Integer;
    InputMask inputs = 0;
    const char* message = nullptr;  // null: no step
};

struct CommandRow {
    std::int32_t code = 0;
    const char* name = nullptr;           // CMD_ and the code's name in qorin.cmd
    WhileRecording whileRecording = WhileRecording::Waits;
    const char* parameterNames = "";      // as the help shows them, ", " between names
    int parameterCount = 0;               // inputs after the command code
    std::array<Conv, kMaxParameters> conversions{};
    const char* countMessage = nullptr;   // null: no count check, further inputs are ignored
    std::array<CheckStep, kMaxChecks> checks{};  // run in this order, each over its inputs in increasing order
    const char* result = nullptr;         // what the command returns, as the help describes it; null: nothing
    const char* summary = "";             // what the command does, one sentence
};

// The row of a code, or null when the registry has none: such a code does nothing.
const CommandRow* findCommandRow(std::int32_t code);

// Every row, in code order.
const CommandRow* commandRowsBegin();
const CommandRow* commandRowsEnd();

constexpr std::size_t countParameterNames(const char* names) {
    if (*names == '\0') return 0;
    std::size_t count = 1;
    for (const char* p = names; *p != '\0'; ++p) count += *p == ',';
    return count;
}

constexpr CommandRow defineCommand(std::int32_t code, const char* name, WhileRecording whileRecording,
                                   const char* parameterNames,
                                   std::initializer_list<Conv> conversions, const char* countMessage,
                                   std::initializer_list<CheckStep> checks, const char* result,
                                   const char* summary) {
    CommandRow row;
    row.code = code;
    row.name = name;
    row.whileRecording = whileRecording;
    row.parameterNames = parameterNames;
    row.parameterCount = static_cast<int>(conversions.size());
    row.countMessage = countMessage;
    row.result = result;
    row.summary = summary;
    if (conversions.size() > kMaxParameters) registryError("more parameters than a call carries");
    if (checks.size() > kMaxChecks) registryError("more check steps than a row holds");
    if (countParameterNames(parameterNames) != conversions.size()) {
        registryError("one parameter name per conversion");
    }
    if (*summary == '\0' || (result != nullptr && *result == '\0')) registryError("help text missing");
    std::size_t k = 0;
    for (Conv conversion : conversions) row.conversions[k++] = conversion;
    // Without a count check nothing is checked or converted.
    if (countMessage == nullptr && (conversions.size() != 0 || checks.size() != 0)) {
        registryError("parameters without a count check");
    }
    InputMask checked = 0;
    k = 0;
    for (const CheckStep& step : checks) {
        row.checks[k++] = step;
        const InputMask allowed = step.check == Check::IntegerEachPosition ? params(0, row.parameterCount)
                                                                           : params(1, row.parameterCount);
        if ((step.inputs & ~allowed) != 0) registryError("a check names a parameter the command does not have");
        if ((step.inputs & checked) != 0) registryError("a parameter is checked twice");
        checked = static_cast<InputMask>(checked | step.inputs);
        for (int p = 1; p <= row.parameterCount; ++p) {
            if ((step.inputs & param(p)) == 0) continue;
            const Conv conversion = row.conversions[static_cast<std::size_t>(p - 1)];
            // A logical check goes with the logical conversion and nothing else does; arrays
            // and text are checked by their handlers.
            if ((step.check == Check::Logical) != (conversion == Conv::Logical)) {
                registryError("a logical check without the logical conversion, or the reverse");
            }
            if (conversion == Conv::Array || conversion == Conv::Text) registryError("an array or text is class-checked");
        }
    }
    if (row.parameterCount > 0 && (checked & param(1)) == 0) registryError("parameter 1 is not checked");
    return row;
}

}  // namespace qorin
