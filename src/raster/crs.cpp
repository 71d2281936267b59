// Coordinate systems through the GDAL module.
#include "raster/crs.h"

#include "raster/gdal_module.h"

namespace orvane::raster {

CrsTexts DescribeCrs(const std::string& definition)
{
    CrsTexts texts;
    std::string why;
    if (definition.empty())
        return texts;
    if (const GdalModule* gdal = LoadGdalModule(why))
        gdal->describeCrs(definition, texts.wkt, texts.mifCoordSys);
    return texts;
}

std::string CrsName(const std::string& wkt)
{
    std::string why;
    const GdalModule* gdal = wkt.empty() ? nullptr : LoadGdalModule(why);
    return gdal ? gdal->crsName(wkt) : "";
}

} // namespace orvane::raster
