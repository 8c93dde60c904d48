/* mex.h - the mex API of the native test host: errors raise a recorded C++ exception. */
#ifndef QORIN_HOST_DOUBLE_MEX_H
#define QORIN_HOST_DOUBLE_MEX_H

#include "matrix.h"

#ifdef __cplusplus
extern "C" {
#endif

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]);

/* Both throw hostdouble::RaisedError carrying the formatted text exactly as given.  Declared as
 * MATLAB declares them, without a no-return promise, so code after them must stay sound. */
HOSTDOUBLE_API void mexErrMsgTxt(const char* message);
HOSTDOUBLE_API void mexErrMsgIdAndTxt(const char* identifier, const char* format, ...);
HOSTDOUBLE_API void mexWarnMsgTxt(const char* message);
HOSTDOUBLE_API int mexPrintf(const char* format, ...);
HOSTDOUBLE_API int mexAtExit(void (*hook)(void));
/* Keeps an mxMalloc'd block beyond the end of the call (in MATLAB mode the host frees the others). */
HOSTDOUBLE_API void mexMakeMemoryPersistent(void* pointer);
/* MATLAB's "char" and "ismissing" of one string array; any other call aborts the test. */
HOSTDOUBLE_API int mexCallMATLAB(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[], const char* functionName);

#ifdef __cplusplus
}
#endif

#endif /* QORIN_HOST_DOUBLE_MEX_H */
