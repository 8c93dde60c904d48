// args.cpp - argument predicates and value conversions shared by every command.
#include "gateway/args.h"

#include <stdexcept>

#include "gateway/errors.h"
#include "gateway/truncation.h"
#include "platform/mex_host.h"

namespace qorin {

bool isIntegerScalar(const mxArray* array) {
    return mxIsNumeric(array) && host::rowsTimesColumns(array) == 1 && !mxIsComplex(array) && !mxIsEmpty(array);
}

bool isDoubleScalar(const mxArray* array) {
    return host::rowsTimesColumns(array) == 1 && !mxIsComplex(array) && !mxIsEmpty(array) && mxIsDouble(array);
}

bool isLogicalScalar(const mxArray* array) {
    return !mxIsEmpty(array) && mxIsLogical(array) && mxGetNumberOfElements(array) != 0;
}

std::int32_t integerConversion(const mxArray* array) { return truncateToInt32(host::scalarValue(array)); }

double doubleConversion(const mxArray* array) { return host::elementValue(array, 0); }

std::uint8_t logicalConversion(const mxArray* array) {
    if (!mxIsLogical(array) || mxGetNumberOfElements(array) == 0) return 0;
    return host::elementValue(array, 0) != 0.0 ? 1 : 0;
}

namespace {

const char* conversionName(Conv conversion) {
    switch (conversion) {
        case Conv::Integer: return "an integer";
        case Conv::Double: return "a double";
        case Conv::Single: return "a single";
        case Conv::IntegerAsSingle: return "an integer held as a single";
        case Conv::Logical: return "a logical";
        case Conv::Array: return "an array";
        case Conv::Text: return "text";
    }
    return "unknown";
}

}  // namespace

Args::Value& Args::store(int parameter, Conv conversion) {
    if (parameter < 1 || parameter > kMaxParameters) {
        throw std::logic_error(
            formatText("parameter %d stored beyond the %d a call carries", parameter, kMaxParameters));
    }
    const auto k = static_cast<std::size_t>(parameter - 1);
    conversions_[k] = conversion;
    stored_[k] = true;
    return values_[k];
}

void Args::failRead(int parameter, const char* readAs) const {
    if (parameter < 1 || parameter > kMaxParameters || !stored_[static_cast<std::size_t>(parameter - 1)]) {
        throw std::logic_error(
            formatText("parameter %d read as %s, but the command has no such parameter", parameter, readAs));
    }
    const auto k = static_cast<std::size_t>(parameter - 1);
    throw std::logic_error(formatText("parameter %d read as %s, but converted as %s", parameter, readAs,
                                      conversionName(conversions_[k])));
}

}  // namespace qorin
