// args.cpp - argument predicates and value conversions shared by every command.
#include "gateway/args.h"

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

}  // namespace qorin
