// command_registry.cpp - the registry's rows, built from command_registry.def, and the lookup by code.
#include "gateway/command_registry.h"

#include <algorithm>
#include <iterator>

namespace qorin {
namespace {

// The vocabulary the registry's entries are written in.  A new entry may also write its
// message or check in place.

// Count messages; their wording differs from command to command and is kept as it is.
constexpr const char* kNeeds0 = "This function requires no input parameters.";
constexpr const char* kNeeds1 = "This function requires 1 input parameter.";
constexpr const char* kNeeds1Paramenter = "This function requires 1 input paramenter.";
constexpr const char* kNeeds1Functions = "This functions requires 1 input parameter.";
constexpr const char* kNeeds2Singular = "This function requires 2 input parameter.";
constexpr const char* kNeeds2 = "This function requires 2 input parameters.";
constexpr const char* kNeeds3 = "This function requires 3 input parameters.";
constexpr const char* kNeeds3NoStop = "This function requires 3 input parameters";
constexpr const char* kNeeds4 = "This function requires 4 input parameters.";
constexpr const char* kNeeds4NoStop = "This function requires 4 input parameters";
constexpr const char* kNeeds5 = "This function requires 5 input parameters.";
constexpr const char* kNeeds6 = "This function requires 6 input parameters.";
constexpr const char* kNeeds7 = "This function requires 7 input parameters.";
constexpr const char* kNeeds8 = "This function requires 8 input parameters.";
constexpr const char* kNeeds10 = "This function requires 10 input parameters.";

// Parameter checks.
constexpr CheckStep kP1Integer{Check::Integer, param(1), "Parameter 1 must be an integer."};
constexpr CheckStep kP1IntegerPlural{Check::Integer, param(1), "Parameters 1 must be an integer."};
constexpr CheckStep kP2Double{Check::Double, param(2), "Parameter 2 must be a double."};
constexpr CheckStep kP2Logical{Check::Logical, param(2), "Parameter 2 must be a logical."};
constexpr CheckStep kP2Boolean{Check::Logical, param(2), "Parameter 2 must be a boolean."};
constexpr CheckStep kP2Integer{Check::Integer, param(2), "Parameter 2 must be an integer."};
constexpr CheckStep kP3Integer{Check::Integer, param(3), "Parameter 3 must be an integer."};
constexpr CheckStep kP3BooleanAsP4{Check::Logical, param(3), "Parameter 4 must be a boolean."};
constexpr CheckStep kP1to3Comma{Check::Integer, params(1, 3), "Parameters 1, 2, and 3 must be integers."};
constexpr CheckStep kP1to3NoStop{Check::Integer, params(1, 3), "Parameters 1, 2 and 3 must be integers"};
constexpr CheckStep kP1to3Through{Check::Integer, params(1, 3), "Parameters 1 through 3 must be integers."};
constexpr CheckStep kP1to5Through{Check::Integer, params(1, 5), "Parameters 1 through 5 must be integers."};
constexpr CheckStep kP1to5{Check::Integer, params(1, 5), "Parameters 1-5 must be integers."};
constexpr CheckStep kP1to6{Check::Integer, params(1, 6), "Parameters 1-6 must be integers."};
constexpr CheckStep kP1to10{Check::Integer, params(1, 10), "Parameters 1-10 must be integers."};
constexpr CheckStep kP1and2{Check::Integer, params(1, 2), "Parameters 1 and 2 must be integers."};
constexpr CheckStep kP1and2NoStop{Check::Integer, params(1, 2), "Parameters 1 and 2 must be integers"};
constexpr CheckStep kP1and3{Check::Integer, param(1) | param(3), "Parameters 1 and 3 must be integers"};
constexpr CheckStep kP1and4to7{Check::Integer, param(1) | params(4, 7), "Parameters 1 and 4-7 must be integers."};
constexpr CheckStep kP2and3Doubles{Check::Double, params(2, 3), "Parameters 2 and 3 must be doubles."};
constexpr CheckStep kP2to5Doubles{Check::Double, params(2, 5), "Parameters 2, 3, 4, and 5 must be doubles."};
constexpr CheckStep kP4to7Booleans{Check::Logical, params(4, 7), "Parameters 4 to 7 must be booleans."};
constexpr CheckStep kEachInput0to7{Check::IntegerEachPosition, params(0, 7), "Parameter %i must be an integer."};

// Conversions.
constexpr Conv I = Conv::Integer;
constexpr Conv D = Conv::Double;
constexpr Conv S = Conv::Single;
constexpr Conv IS = Conv::IntegerAsSingle;
constexpr Conv L = Conv::Logical;
constexpr Conv A = Conv::Array;
constexpr Conv T = Conv::Text;

// What a command does while its camera records.
constexpr WhileRecording kWaits = WhileRecording::Waits;
constexpr WhileRecording kRereads = WhileRecording::Rereads;
constexpr WhileRecording kRefused = WhileRecording::Refused;

constexpr const char* kNoCountCheck = nullptr;  // further inputs are ignored
constexpr const char* kNone = nullptr;          // no result

#define QORIN_LIST(...) __VA_ARGS__
constexpr CommandRow kRows[] = {
#define QORIN_COMMAND(NAME, CODE, HANDLER, WHILE_RECORDING, NAMES, CONVERSIONS, COUNT_MESSAGE, CHECKS, RESULT, \
                      SUMMARY)                                                                              \
    defineCommand(CODE, "CMD_" #NAME, WHILE_RECORDING, NAMES, {QORIN_LIST CONVERSIONS}, COUNT_MESSAGE,        \
                  {QORIN_LIST CHECKS}, RESULT, SUMMARY),
#include "gateway/command_registry.def"
#undef QORIN_COMMAND
};
#undef QORIN_LIST

// The lookup below and the help rely on code order; two entries for one code cannot both hold.
constexpr bool codesIncrease() {
    for (std::size_t k = 1; k < std::size(kRows); ++k) {
        if (kRows[k].code <= kRows[k - 1].code) return false;
    }
    return true;
}
static_assert(codesIncrease(), "registry entries in increasing code order, each code once");

}  // namespace

const CommandRow* findCommandRow(std::int32_t code) {
    const CommandRow* row = std::lower_bound(std::begin(kRows), std::end(kRows), code,
                                             [](const CommandRow& r, std::int32_t c) { return r.code < c; });
    return row != std::end(kRows) && row->code == code ? row : nullptr;
}

const CommandRow* commandRowsBegin() { return std::begin(kRows); }
const CommandRow* commandRowsEnd() { return std::end(kRows); }

}  // namespace qorin
