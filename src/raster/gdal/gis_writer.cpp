// GIS files through GDAL's vector drivers, inside the GDAL module: one
// LineString per line with its id, length and vertex count.
#include "raster/gdal/gis_writer.h"

#include "raster/gdal/gdal_support.h"

#include <gdal_priv.h>
#include <ogr_feature.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <memory>

namespace orvane::raster {
namespace {

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(GDALDataset::ToHandle(dataset)); }
};

} // namespace

bool WriteGisLines(const GisWrite& request, std::string& why)
{
    auto failed = [&why](std::string reason) {
        why = std::move(reason);
        return false;
    };
    EnsureGdal();
    QuietGdal quiet;
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(request.driver.c_str());
    if (!driver)
        return failed("GDAL has no " + request.driver + " driver");
    std::unique_ptr<GDALDataset, DatasetCloser> dataset(
        driver->Create(request.path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset)
        return failed(LastGdalError("the file cannot be made"));

    OGRSpatialReference srs;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const bool hasCrs = !request.crsWkt.empty() && srs.SetFromUserInput(request.crsWkt.c_str()) == OGRERR_NONE;
    OGRLayer* layer = dataset->CreateLayer(request.layer.c_str(), hasCrs ? &srs : nullptr, wkbLineString, nullptr);
    if (!layer)
        return failed(LastGdalError("the layer cannot be made"));
    OGRFieldDefn id("id", OFTInteger), length("length", OFTReal), vertices("vertices", OFTInteger);
    if (layer->CreateField(&id) != OGRERR_NONE || layer->CreateField(&length) != OGRERR_NONE ||
        layer->CreateField(&vertices) != OGRERR_NONE)
        return failed(LastGdalError("the attributes cannot be made"));
    if (layer->StartTransaction() != OGRERR_NONE)
        CPLErrorReset(); // formats without transactions write as they go

    GisLine line;
    for (int i = 0; i < request.lineCount; ++i) {
        if (!request.progress(i))
            return failed("cancelled");
        line.points.clear();
        if (!request.line(i, line) || line.points.empty())
            continue;
        OGRLineString geometry;
        double total = 0;
        for (std::size_t k = 0; k < line.points.size(); ++k) {
            geometry.addPoint(line.points[k][0], line.points[k][1]);
            if (k > 0)
                total += std::hypot(line.points[k][0] - line.points[k - 1][0], line.points[k][1] - line.points[k - 1][1]);
        }
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetField("id", line.id);
        feature.SetField("length", total);
        feature.SetField("vertices", int(line.points.size()));
        feature.SetGeometry(&geometry);
        if (layer->CreateFeature(&feature) != OGRERR_NONE)
            return failed(LastGdalError("a line cannot be written"));
    }
    if (layer->CommitTransaction() != OGRERR_NONE)
        CPLErrorReset();
    if (!request.progress(request.lineCount))
        return failed("cancelled");
    CPLErrorReset();
    dataset.reset(); // closes, writing what is left
    if (CPLGetLastErrorType() >= CE_Failure)
        return failed(LastGdalError("the file cannot be finished"));
    return true;
}

} // namespace orvane::raster
