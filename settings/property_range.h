// property_range.h - a live property's range as MATLAB sees it, shared by the property and snapshot commands.
#pragma once

#include <cstdint>

#include "camera/camera_table.h"
#include "gateway/results.h"

namespace qorin {

// Minimum and maximum of a camera property as a 2-by-1 double column, widened from float;
// raises `failMessage` when the SDK cannot tell.
ArrayPtr propertyRange(const CameraRecord& camera, std::uint32_t property, const char* failMessage);

}  // namespace qorin
