// Reading rasters through GDAL, inside the GDAL module.
#pragma once

#include "raster/gdal_module.h"

#include <string>
#include <vector>

namespace orvane::raster {

bool ReadGdalRaster(const std::string& path, const RasterSink& sink, ScanInfo& info, OwnPlacement& own,
                    std::string& why);
bool GdalRasterSize(const std::string& path, int& width, int& height, int& bitsPerPixel);
void GdalRasterFormats(std::vector<RasterFormat>& formats);

} // namespace orvane::raster
