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

/* Built as hostdouble.dll, standing where MATLAB's libmx/libmex are, the double says what it
 * exports: exactly the functions declared with HOSTDOUBLE_API, whatever the linker and the
 * build generator would export on their own.  Everywhere else the mark is empty. */
#if defined(_WIN32) && defined(QORIN_HOST_DOUBLE_DLL)
#  define HOSTDOUBLE_API __declspec(dllexport)
#else
#  define HOSTDOUBLE_API
#endif

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
    mxFUNCTION_CLASS,
    mxOPAQUE_CLASS,
    mxOBJECT_CLASS  /* what MATLAB reports for objects: the double's string arrays */
} mxClassID;

typedef enum { mxREAL = 0, mxCOMPLEX = 1 } mxComplexity;

#ifdef __cplusplus
extern "C" {
#endif

/* Creation: every call can be made to fail (null) by the test host. */
HOSTDOUBLE_API mxArray* mxCreateDoubleScalar(double value);
HOSTDOUBLE_API mxArray* mxCreateLogicalScalar(mxLogical value);
HOSTDOUBLE_API mxArray* mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity complexity);
HOSTDOUBLE_API mxArray* mxCreateNumericMatrix(mwSize m, mwSize n, mxClassID classId, mxComplexity complexity);
HOSTDOUBLE_API mxArray* mxCreateNumericArray(mwSize ndim, const mwSize* dims, mxClassID classId, mxComplexity complexity);
/* MATLAB takes size_t and a non-const dims here, unlike mxCreateNumericArray. */
HOSTDOUBLE_API mxArray* mxCreateUninitNumericArray(size_t ndim, size_t* dims, mxClassID classId, mxComplexity complexity);
HOSTDOUBLE_API mxArray* mxCreateLogicalMatrix(mwSize m, mwSize n);
HOSTDOUBLE_API mxArray* mxCreateString(const char* text);
HOSTDOUBLE_API mxArray* mxCreateCharArray(mwSize ndim, const mwSize* dims);
HOSTDOUBLE_API mxArray* mxCreateCharMatrixFromStrings(mwSize m, const char** strings);
HOSTDOUBLE_API mxArray* mxCreateStructMatrix(mwSize m, mwSize n, int fieldCount, const char** fieldNames);
HOSTDOUBLE_API mxArray* mxCreateStructArray(mwSize ndim, const mwSize* dims, int fieldCount, const char** fieldNames);
HOSTDOUBLE_API mxArray* mxCreateCellMatrix(mwSize m, mwSize n);
HOSTDOUBLE_API mxArray* mxCreateSparse(mwSize m, mwSize n, mwSize nzmax, mxComplexity complexity);
HOSTDOUBLE_API mxArray* mxCreateSparseLogicalMatrix(mwSize m, mwSize n, mwSize nzmax);
HOSTDOUBLE_API void mxDestroyArray(mxArray* array);

/* Inquiry */
HOSTDOUBLE_API mxClassID mxGetClassID(const mxArray* array);
HOSTDOUBLE_API mwSize mxGetM(const mxArray* array);
HOSTDOUBLE_API mwSize mxGetN(const mxArray* array);
HOSTDOUBLE_API mwSize mxGetNumberOfDimensions(const mxArray* array);
HOSTDOUBLE_API const mwSize* mxGetDimensions(const mxArray* array);
HOSTDOUBLE_API size_t mxGetNumberOfElements(const mxArray* array);
HOSTDOUBLE_API size_t mxGetElementSize(const mxArray* array);
HOSTDOUBLE_API bool mxIsNumeric(const mxArray* array);
HOSTDOUBLE_API bool mxIsComplex(const mxArray* array);
HOSTDOUBLE_API bool mxIsEmpty(const mxArray* array);
HOSTDOUBLE_API bool mxIsDouble(const mxArray* array);
HOSTDOUBLE_API bool mxIsSingle(const mxArray* array);
HOSTDOUBLE_API bool mxIsLogical(const mxArray* array);
HOSTDOUBLE_API bool mxIsChar(const mxArray* array);
HOSTDOUBLE_API bool mxIsStruct(const mxArray* array);
HOSTDOUBLE_API bool mxIsCell(const mxArray* array);
HOSTDOUBLE_API bool mxIsSparse(const mxArray* array);
HOSTDOUBLE_API bool mxIsUint8(const mxArray* array);
HOSTDOUBLE_API bool mxIsUint16(const mxArray* array);
/* True for the name of the array's class: "double", "char", ..., "string" for a string array. */
HOSTDOUBLE_API bool mxIsClass(const mxArray* array, const char* className);

/* Data.  Accessors used on an array of the wrong class abort the test: the real hosts raise
 * or hand back memory of another layout there. */
HOSTDOUBLE_API double mxGetScalar(const mxArray* array);
HOSTDOUBLE_API double* mxGetPr(const mxArray* array);
HOSTDOUBLE_API double* mxGetPi(const mxArray* array);
HOSTDOUBLE_API void* mxGetData(const mxArray* array);
HOSTDOUBLE_API void* mxGetImagData(const mxArray* array);
HOSTDOUBLE_API mxLogical* mxGetLogicals(const mxArray* array);
HOSTDOUBLE_API mxChar* mxGetChars(const mxArray* array);
HOSTDOUBLE_API mwIndex* mxGetIr(const mxArray* array);
HOSTDOUBLE_API mwIndex* mxGetJc(const mxArray* array);
HOSTDOUBLE_API mwSize mxGetNzmax(const mxArray* array);
/* Both convert to the host's C text, the user's default encoding (hostdouble::setUserEncoding)
 * or UTF-8 (hostdouble::setTextModel), putting '?' for a character it lacks, as mxCreateString
 * and mxCreateCharMatrixFromStrings convert from it. */
HOSTDOUBLE_API int mxGetString(const mxArray* array, char* buffer, mwSize length);
HOSTDOUBLE_API char* mxArrayToString(const mxArray* array);

/* Structures and cells */
HOSTDOUBLE_API int mxGetNumberOfFields(const mxArray* array);
HOSTDOUBLE_API const char* mxGetFieldNameByNumber(const mxArray* array, int field);
HOSTDOUBLE_API int mxGetFieldNumber(const mxArray* array, const char* name);
HOSTDOUBLE_API mxArray* mxGetField(const mxArray* array, mwIndex index, const char* name);
HOSTDOUBLE_API mxArray* mxGetFieldByNumber(const mxArray* array, mwIndex index, int field);
HOSTDOUBLE_API void mxSetField(mxArray* array, mwIndex index, const char* name, mxArray* value);
HOSTDOUBLE_API void mxSetFieldByNumber(mxArray* array, mwIndex index, int field, mxArray* value);
HOSTDOUBLE_API mxArray* mxGetCell(const mxArray* array, mwIndex index);
HOSTDOUBLE_API void mxSetCell(mxArray* array, mwIndex index, mxArray* value);

HOSTDOUBLE_API void* mxMalloc(size_t size);
HOSTDOUBLE_API void* mxCalloc(size_t count, size_t size);
HOSTDOUBLE_API void mxFree(void* pointer);

#ifdef __cplusplus
}
#endif

#endif /* QORIN_HOST_DOUBLE_MATRIX_H */
