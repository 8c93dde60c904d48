// bench_memcpy_mex.cpp - MEX that creates an uninitialised array and memcpy's a buffer into it: the floor for a capture.
//
// qorin_bench_memcpy(source, rows, columns[, planes[, frames]]) returns an array of the
// class of `source`, of the given size, holding source's samples in order.
#include <cstring>

#include "mex.h"

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
    (void)nlhs;
    if (nrhs < 3 || !mxIsNumeric(prhs[0])) mexErrMsgTxt("usage: qorin_bench_memcpy(source, rows, columns[, planes[, frames]])");
    mwSize dims[4] = {1, 1, 1, 1};
    for (int k = 1; k < nrhs && k < 5; ++k) dims[k - 1] = static_cast<mwSize>(mxGetScalar(prhs[k]));
    const mwSize count = dims[0] * dims[1] * dims[2] * dims[3];
    if (count != mxGetNumberOfElements(prhs[0])) mexErrMsgTxt("qorin_bench_memcpy: size does not match the source");
    mxArray* array = mxCreateUninitNumericArray(static_cast<mwSize>(nrhs - 1), dims, mxGetClassID(prhs[0]), mxREAL);
    if (array == nullptr) mexErrMsgTxt("qorin_bench_memcpy: out of memory");
    std::memcpy(mxGetData(array), mxGetData(prhs[0]), count * mxGetElementSize(prhs[0]));
    plhs[0] = array;
}
