// Shared GDAL set-up.
#include "raster/gdal/gdal_support.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_spatialref.h>

#include <mutex>

namespace orvane::raster {

void EnsureGdal()
{
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

QuietGdal::QuietGdal()
{
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
}

QuietGdal::~QuietGdal() { CPLPopErrorHandler(); }

std::string LastGdalError(const std::string& fallback)
{
    const char* message = CPLGetLastErrorMsg();
    return message && *message ? std::string(message) : fallback;
}

void GdalDescribeCrs(const std::string& definition, std::string& wkt, std::string& mifCoordSys)
{
    wkt.clear();
    mifCoordSys.clear();
    if (definition.empty())
        return;
    QuietGdal quiet;
    OGRSpatialReference srs;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (srs.SetFromUserInput(definition.c_str()) != OGRERR_NONE)
        return;
    char* text = nullptr;
    const char* options[] = {"FORMAT=WKT2_2018", nullptr};
    if (srs.exportToWkt(&text, options) == OGRERR_NONE && text)
        wkt = text;
    CPLFree(text);
    char* mif = nullptr;
    if (srs.exportToMICoordSys(&mif) == OGRERR_NONE && mif)
        mifCoordSys = mif;
    CPLFree(mif);
}

std::string GdalCrsName(const std::string& wkt)
{
    QuietGdal quiet;
    OGRSpatialReference srs;
    if (wkt.empty() || srs.SetFromUserInput(wkt.c_str()) != OGRERR_NONE)
        return "";
    const char* name = srs.GetName();
    return name ? name : "";
}

} // namespace orvane::raster
