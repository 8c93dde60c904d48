// property_range.h - a live property's range as MATLAB sees it, shared by the property and snapshot commands.
#pragma once

#include <cstdint>

#include "camera/camera_table.h"
#include "gateway/args.h"
#include "gateway/results.h"

namespace qorin {

// Minimum and maximum of a camera property as a 2-by-1 double column, widened from float;
// raises `failMessage` when the SDK cannot tell.
ArrayPtr propertyRange(const CameraRecord& camera, std::uint32_t property, const char* failMessage);

// The range command of the property called `name` (such as "gain") on the camera of parameter
// 1; the named range commands word their messages alike around the name.
ArrayPtr namedPropertyRange(const Args& args, std::uint32_t property, const char* name);

}  // namespace qorin
