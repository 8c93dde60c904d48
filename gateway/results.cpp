// results.cpp - result array creation; a failed creation becomes the command's message.
#include "gateway/results.h"

#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include "gateway/errors.h"
#include "platform/mex_host.h"
#include "platform/memory.h"
#include "platform/utf8.h"

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

ArrayPtr makeString(const char* text, const char* failMessage) { return checked(mxCreateString(text), failMessage); }

ArrayPtr makeString(const std::string& text, const char* failMessage) { return makeString(text.c_str(), failMessage); }

ArrayPtr makeUtf8String(const std::string& text, const char* failMessage) {
    if constexpr (sizeof(mxChar) == 1) {
        return makeString(text, failMessage);
    } else {
        // Counted first and written into the array after, so that nothing of the module's own
        // is allocated while the host creates it.
        std::size_t units = 0;
        for (std::size_t at = 0; at < text.size();) {
            units += platform::nextUtf8(text.data(), text.size(), at) >= 0x10000 ? 2 : 1;
        }
        const mwSize dims[2] = {1, static_cast<mwSize>(units)};
        ArrayPtr array = checked(mxCreateCharArray(2, dims), failMessage);
        mxChar* out = mxGetChars(array.get());
        for (std::size_t at = 0; at < text.size();) {
            out = platform::putUtf16<mxChar>(platform::nextUtf8(text.data(), text.size(), at), out);
        }
        return array;
    }
}

ArrayPtr makeNumericArray(std::initializer_list<std::size_t> dimensions, mxClassID classId, const char* failMessage,
                          bool uninitialised) {
    if (uninitialised) {
        return checked(host::createUninitNumericArray(dimensions.size(), dimensions.begin(), classId), failMessage);
    }
    std::array<mwSize, 4> dims{};
    if (dimensions.size() > dims.size()) throw std::logic_error("more dimensions than a result array has");
    std::size_t count = 0;
    for (std::size_t extent : dimensions) dims[count++] = static_cast<mwSize>(extent);
    return checked(mxCreateNumericArray(static_cast<mwSize>(count), dims.data(), classId, mxREAL), failMessage);
}

ArrayPtr makeStructArray(std::size_t rows, std::size_t columns, std::initializer_list<const char*> fieldNames,
                         const char* failMessage) {
    return makeStructArray(rows, columns, fieldNames.begin(), fieldNames.size(), failMessage);
}

ArrayPtr makeStructArray(std::size_t rows, std::size_t columns, const char* const* fieldNames, std::size_t fieldCount,
                         const char* failMessage) {
    // The host only reads the names; its declaration lacks the const.
    return checked(mxCreateStructMatrix(static_cast<mwSize>(rows), static_cast<mwSize>(columns),
                                        static_cast<int>(fieldCount), const_cast<const char**>(fieldNames)),
                   failMessage);
}

void setStructField(mxArray* structure, std::size_t index, int field, ArrayPtr value) {
    mxSetFieldByNumber(structure, static_cast<mwIndex>(index), field, value.release());
}

namespace {

std::size_t elementBytes(mxClassID classId) {
    switch (classId) {
        case mxINT8_CLASS: case mxUINT8_CLASS: case mxLOGICAL_CLASS: return 1;
        case mxINT16_CLASS: case mxUINT16_CLASS: case mxCHAR_CLASS: return 2;
        case mxINT32_CLASS: case mxUINT32_CLASS: case mxSINGLE_CLASS: return 4;
        default: return 8;
    }
}

// Whether an array of `count` elements of `size` bytes could exist on this machine at all.
bool couldHold(const std::array<std::size_t, 4>& dims, std::size_t dimensionCount, std::size_t size) {
    std::uint64_t bytes = size;
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max());
    for (std::size_t k = 0; k < dimensionCount; ++k) {
        if (dims[k] != 0 && bytes > limit / dims[k]) return false;
        bytes *= dims[k];
    }
    const std::uint64_t memory = platform::physicalMemoryBytes();
    return memory == 0 || bytes <= memory;
}

}  // namespace

void ReservedArray::reserve(std::initializer_list<std::size_t> dimensions, mxClassID classId, bool zeroed) {
    if (dimensions.size() > dims_.size()) throw std::logic_error("more dimensions than a result array has");
    count_ = 0;
    for (std::size_t extent : dimensions) dims_[count_++] = extent;
    classId_ = classId;
    zeroed_ = zeroed;
    attempted_ = couldHold(dims_, count_, elementBytes(classId));
    readied_ = false;
    if (!attempted_) return;
    std::array<mwSize, 4> dims{};
    for (std::size_t k = 0; k < count_; ++k) dims[k] = static_cast<mwSize>(dims_[k]);
    const auto ndim = static_cast<mwSize>(count_);
    array_.reset(zeroed ? mxCreateNumericArray(ndim, dims.data(), classId, mxREAL)
                        : mxCreateUninitNumericArray(ndim, dims.data(), classId, mxREAL));
}

void ReservedArray::ready() {
    if (readied_) return;
    readied_ = true;
    if (!attempted_) {
        attempted_ = true;
        if (!zeroed_) {
            array_.reset(host::createUninitNumericArray(count_, dims_.data(), classId_));
            return;
        }
        std::array<mwSize, 4> dims{};
        for (std::size_t k = 0; k < count_; ++k) dims[k] = static_cast<mwSize>(dims_[k]);
        array_.reset(mxCreateNumericArray(static_cast<mwSize>(count_), dims.data(), classId_, mxREAL));
        return;
    }
    if (array_ && !zeroed_) {
        platform::prepareArrayMemory(mxGetData(array_.get()), mxGetNumberOfElements(array_.get()) * mxGetElementSize(array_.get()));
    }
}

ArrayPtr ReservedArray::claim(const char* failMessage) {
    ready();
    if (!array_) failMemory(failMessage);
    return std::move(array_);
}

}  // namespace qorin
