// The GDAL module's table of entry points, its one exported symbol.
#include "raster/gdal/gdal_raster.h"
#include "raster/gdal/gdal_support.h"
#include "raster/gdal/gis_writer.h"

extern "C" __attribute__((visibility("default"))) const orvane::raster::GdalModule* orvane_gdal_module()
{
    using namespace orvane::raster;
    static const GdalModule module{kGdalModuleVersion, ReadGdalRaster, GdalRasterSize, GdalRasterFormats,
                                   GdalDescribeCrs,    GdalCrsName,    WriteGisLines};
    return &module;
}
