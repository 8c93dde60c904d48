// results.cpp - result array creation; a failed creation becomes the command's message.
#include "gateway/results.h"

#include <vector>

#include "gateway/errors.h"
#include "platform/mex_host.h"

namespace qorin {
namespace {

ArrayPtr checked(mxArray* array, const char* failMessage) {
    if (array == nullptr) failMemory(failMessage);
    return ArrayPtr(array);
}

}  // namespace

ArrayPtr makeDoubleScalar(double value, const char* failMessage) {
    return checked(mxCreateDoubleScalar(value), failMessage);
}

ArrayPtr makeLogicalScalar(bool value, const char* failMessage) {
    return checked(mxCreateLogicalScalar(value), failMessage);
}

ArrayPtr makeDoubleMatrix(std::size_t rows, std::size_t columns, const char* failMessage) {
    return checked(mxCreateDoubleMatrix(static_cast<mwSize>(rows), static_cast<mwSize>(columns), mxREAL),
                   failMessage);
}

ArrayPtr makeDoubleMatrix(std::size_t rows, std::size_t columns, std::initializer_list<double> values,
                          const char* failMessage) {
    ArrayPtr array = makeDoubleMatrix(rows, columns, failMessage);
    double* data = mxGetPr(array.get());
    std::size_t i = 0;
    for (double value : values) {
        if (i == rows * columns) break;
        data[i++] = value;
    }
    return array;
}

ArrayPtr makeString(const std::string& text, const char* failMessage) {
    return checked(mxCreateString(text.c_str()), failMessage);
}

ArrayPtr makeNumericArray(std::initializer_list<std::size_t> dimensions, mxClassID classId, const char* failMessage,
                          bool uninitialised) {
    std::vector<std::size_t> dims(dimensions);
    if (uninitialised) {
        return checked(host::createUninitNumericArray(dims.size(), dims.data(), classId), failMessage);
    }
    std::vector<mwSize> mwDims(dims.begin(), dims.end());
    return checked(mxCreateNumericArray(static_cast<mwSize>(mwDims.size()), mwDims.data(), classId, mxREAL),
                   failMessage);
}

ArrayPtr makeStructArray(std::size_t rows, std::size_t columns, std::initializer_list<const char*> fieldNames,
                         const char* failMessage) {
    std::vector<const char*> names(fieldNames);
    return checked(mxCreateStructMatrix(static_cast<mwSize>(rows), static_cast<mwSize>(columns),
                                        static_cast<int>(names.size()), names.data()),
                   failMessage);
}

void setStructField(mxArray* structure, std::size_t index, int field, ArrayPtr value) {
    mxSetFieldByNumber(structure, static_cast<mwIndex>(index), field, value.release());
}

}  // namespace qorin
