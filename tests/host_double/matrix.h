/* matrix.h - the mx array API of the native test host: the subset the module uses, MATLAB's types and signatures. */
#ifndef QORIN_HOST_DOUBLE_MATRIX_H
#define QORIN_HOST_DOUBLE_MATRIX_H

#include <stddef.h>
#include <stdbool.h>

/* MATLAB's widths, not Octave's: size_t sizes and 16-bit characters, so that code relying on
 * Octave's 8-bit mxChar or signed mwSize shows up here. */
typedef size_t mwSize;
typedef size_t mwIndex;
typedef ptrdiff_t mwSignedIndex;
typedef char16_t mxChar;
typedef bool mxLogical;

typedef struct mxArray_tag mxArray;

typedef enum {
    mxUNKNOWN_CLASS = 0,
    mxCELL_CLASS,
    mxSTRUCT_CLASS,
    mxLOGICAL_CLASS,
    mxCHAR_CLASS,
    mxVOID_CLASS,
    mxDOUBLE_CLASS,
    mxSINGLE_CLASS,
    mxINT8_CLASS,
    mxUINT8_CLASS,
    mxINT16_CLASS,
    mxUINT16_CLASS,
    mxINT32_CLASS,
    mxUINT32_CLASS,
    mxINT64_CLASS,
    mxUINT64_CLASS,
    mxFUNCTION_CLASS
} mxClassID;

typedef enum { mxREAL = 0, mxCOMPLEX = 1 } mxComplexity;

#ifdef __cplusplus
extern "C" {
#endif

/* Creation: every call can be made to fail (null) by the test host. */
mxArray* mxCreateDoubleScalar(double value);
mxArray* mxCreateLogicalScalar(mxLogical value);
mxArray* mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity complexity);
mxArray* mxCreateNumericMatrix(mwSize m, mwSize n, mxClassID classId, mxComplexity complexity);
mxArray* mxCreateNumericArray(mwSize ndim, const mwSize* dims, mxClassID classId, mxComplexity complexity);
/* MATLAB takes size_t and a non-const dims here, unlike mxCreateNumericArray. */
mxArray* mxCreateUninitNumericArray(size_t ndim, size_t* dims, mxClassID classId, mxComplexity complexity);
mxArray* mxCreateLogicalMatrix(mwSize m, mwSize n);
mxArray* mxCreateString(const char* text);
mxArray* mxCreateCharMatrixFromStrings(mwSize m, const char** strings);
mxArray* mxCreateStructMatrix(mwSize m, mwSize n, int fieldCount, const char** fieldNames);
mxArray* mxCreateStructArray(mwSize ndim, const mwSize* dims, int fieldCount, const char** fieldNames);
mxArray* mxCreateCellMatrix(mwSize m, mwSize n);
mxArray* mxCreateSparse(mwSize m, mwSize n, mwSize nzmax, mxComplexity complexity);
mxArray* mxCreateSparseLogicalMatrix(mwSize m, mwSize n, mwSize nzmax);
void mxDestroyArray(mxArray* array);

/* Inquiry */
mxClassID mxGetClassID(const mxArray* array);
mwSize mxGetM(const mxArray* array);
mwSize mxGetN(const mxArray* array);
mwSize mxGetNumberOfDimensions(const mxArray* array);
const mwSize* mxGetDimensions(const mxArray* array);
size_t mxGetNumberOfElements(const mxArray* array);
size_t mxGetElementSize(const mxArray* array);
bool mxIsNumeric(const mxArray* array);
bool mxIsComplex(const mxArray* array);
bool mxIsEmpty(const mxArray* array);
bool mxIsDouble(const mxArray* array);
bool mxIsSingle(const mxArray* array);
bool mxIsLogical(const mxArray* array);
bool mxIsChar(const mxArray* array);
bool mxIsStruct(const mxArray* array);
bool mxIsCell(const mxArray* array);
bool mxIsSparse(const mxArray* array);
bool mxIsUint8(const mxArray* array);
bool mxIsUint16(const mxArray* array);

/* Data.  Accessors used on an array of the wrong class abort the test: the real hosts raise
 * or hand back memory of another layout there. */
double mxGetScalar(const mxArray* array);
double* mxGetPr(const mxArray* array);
double* mxGetPi(const mxArray* array);
void* mxGetData(const mxArray* array);
void* mxGetImagData(const mxArray* array);
mxLogical* mxGetLogicals(const mxArray* array);
mxChar* mxGetChars(const mxArray* array);
mwIndex* mxGetIr(const mxArray* array);
mwIndex* mxGetJc(const mxArray* array);
mwSize mxGetNzmax(const mxArray* array);
int mxGetString(const mxArray* array, char* buffer, mwSize length);
char* mxArrayToString(const mxArray* array);

/* Structures and cells */
int mxGetNumberOfFields(const mxArray* array);
const char* mxGetFieldNameByNumber(const mxArray* array, int field);
int mxGetFieldNumber(const mxArray* array, const char* name);
mxArray* mxGetField(const mxArray* array, mwIndex index, const char* name);
mxArray* mxGetFieldByNumber(const mxArray* array, mwIndex index, int field);
void mxSetField(mxArray* array, mwIndex index, const char* name, mxArray* value);
void mxSetFieldByNumber(mxArray* array, mwIndex index, int field, mxArray* value);
mxArray* mxGetCell(const mxArray* array, mwIndex index);
void mxSetCell(mxArray* array, mwIndex index, mxArray* value);

void* mxMalloc(size_t size);
void* mxCalloc(size_t count, size_t size);
void mxFree(void* pointer);

#ifdef __cplusplus
}
#endif

#endif /* QORIN_HOST_DOUBLE_MATRIX_H */
