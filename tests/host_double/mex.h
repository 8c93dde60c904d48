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
void mexErrMsgTxt(const char* message);
void mexErrMsgIdAndTxt(const char* identifier, const char* format, ...);
void mexWarnMsgTxt(const char* message);
int mexPrintf(const char* format, ...);
int mexAtExit(void (*hook)(void));

#ifdef __cplusplus
}
#endif

#endif /* QORIN_HOST_DOUBLE_MEX_H */
