// args.cpp - argument predicates and value conversions shared by every command.
#include "gateway/args.h"

#include <cmath>
#include <limits>

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

std::int32_t integerConversion(const mxArray* array) {
    const double value = std::trunc(host::scalarValue(array));
    // NaN fails both comparisons and lands on the same value as an out-of-range one.
    if (!(value >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
          value <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

double doubleConversion(const mxArray* array) { return host::elementValue(array, 0); }

std::uint8_t logicalConversion(const mxArray* array) {
    if (!mxIsLogical(array) || mxGetNumberOfElements(array) == 0) return 0;
    return host::elementValue(array, 0) != 0.0 ? 1 : 0;
}

}  // namespace qorin
