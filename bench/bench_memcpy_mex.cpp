// bench_memcpy_mex.cpp - MEX that creates an uninitialised array and memcpy's into it: the floor for a capture.
//
// qorin_bench_memcpy(class, rows, columns[, planes[, frames]]) returns an array of class
// 'uint8' or 'uint16' of that size, copied from a buffer the MEX file keeps, so that no
// large argument has to be converted on the way in.
#include <cstddef>
#include <cstring>
#include <vector>

#include "mex.h"

extern "C" __attribute__((visibility("default"))) void mexFunction(int nlhs, mxArray* plhs[], int nrhs,
                                                                   const mxArray* prhs[]) {
    (void)nlhs;
    if (nrhs < 3 || nrhs > 5 || !mxIsChar(prhs[0])) {
        mexErrMsgTxt("usage: qorin_bench_memcpy(class, rows, columns[, planes[, frames]])");
    }
    char name[16] = {0};
    mxGetString(prhs[0], name, sizeof name);
    const bool wide = std::strcmp(name, "uint16") == 0;
    mwSize dims[4] = {1, 1, 1, 1};
    std::size_t count = 1;
    for (int k = 1; k < nrhs; ++k) {
        dims[k - 1] = static_cast<mwSize>(mxGetScalar(prhs[k]));
        count *= static_cast<std::size_t>(dims[k - 1]);
    }
    const std::size_t bytes = count * (wide ? 2 : 1);
    static std::vector<unsigned char> source;
    if (source.size() < bytes) {
        source.resize(bytes);
        for (std::size_t k = 0; k < bytes; ++k) source[k] = static_cast<unsigned char>(k * 2654435761u >> 13);
    }
    mxArray* array = mxCreateUninitNumericArray(static_cast<mwSize>(nrhs - 1), dims,
                                                wide ? mxUINT16_CLASS : mxUINT8_CLASS, mxREAL);
    if (array == nullptr) mexErrMsgTxt("qorin_bench_memcpy: out of memory");
    std::memcpy(mxGetData(array), source.data(), bytes);
    plhs[0] = array;
}
