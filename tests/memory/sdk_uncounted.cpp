// sdk_uncounted.cpp - the simulated SDK's conversions run in an UncountedScope: its call log's frame copies are not the module's.
//
// Linked with -Wl,--wrap for each of these functions, so that the module's calls reach the
// wrappers and the wrappers reach the simulator.
#include "host_accounting.h"
#include "sdk/qorinapi.h"

#define QORIN_UNCOUNTED_CONVERSION(function)                                                                      \
    int32_t __real_##function(QorinHandle, void*, const void*, uint32_t, uint32_t, uint32_t, ConversionParams*); \
    int32_t __wrap_##function(QorinHandle camera, void* destination, const void* source, uint32_t columns,      \
                              uint32_t rows, uint32_t pixelFormat, ConversionParams* params) {                   \
        hostdouble::UncountedScope scope;                                                                         \
        return __real_##function(camera, destination, source, columns, rows, pixelFormat, params);               \
    }

extern "C" {
QORIN_UNCOUNTED_CONVERSION(QorinConvertFrameToRgb24)
QORIN_UNCOUNTED_CONVERSION(QorinConvertFrameToRgb48)
QORIN_UNCOUNTED_CONVERSION(QorinConvertFrameToGreyscale8)
QORIN_UNCOUNTED_CONVERSION(QorinConvertFrameToGreyscale16)
}
