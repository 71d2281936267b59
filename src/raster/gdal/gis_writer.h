// Writing GIS files through GDAL, inside the GDAL module.
#pragma once

#include "raster/gdal_module.h"

#include <string>

namespace orvane::raster {

bool WriteGisLines(const GisWrite& request, std::string& why);

} // namespace orvane::raster
