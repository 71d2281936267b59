// GIS formats through GDAL's vector drivers.
#include "raster/gis_export.h"

#include "files/atomic_file.h"
#include "formats/output_frame.h"
#include "port/port.h"
#include "raster/gdal_support.h"
#include "vector/line_store.h"

#include <gdal_priv.h>
#include <ogr_feature.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <array>
#include <cctype>
#include <cmath>
#include <fstream>
#include <memory>
#include <vector>

namespace orvane::raster {
namespace {

namespace fs = std::filesystem;

struct GisFormat {
    const char* extension; ///< lower case, with the dot
    const char* driver;
    std::vector<const char*> companions; ///< files written beside the main one
};

const std::array<GisFormat, 4> kFormats = {{
    {".gpkg", "GPKG", {}},
    {".shp", "ESRI Shapefile", {".shx", ".dbf", ".prj", ".cpg"}},
    {".geojson", "GeoJSON", {}},
    {".fgb", "FlatGeobuf", {}},
}};

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

const GisFormat* findFormat(std::string_view extension)
{
    const std::string wanted = lower(extension);
    for (const GisFormat& format : kFormats)
        if (wanted == format.extension)
            return &format;
    return nullptr;
}

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(GDALDataset::ToHandle(dataset)); }
};

/// A folder beside the target for GDAL to write into, removed with what is
/// left in it.
class ScratchFolder {
public:
    explicit ScratchFolder(const fs::path& target) : m_path(TemporaryPathBeside(target))
    {
        std::error_code ec;
        m_made = fs::create_directory(m_path, ec);
        m_error = ec.message();
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        if (m_made)
            fs::remove_all(m_path, ec);
    }
    bool Made() const { return m_made; }
    const fs::path& Path() const { return m_path; }
    const std::string& Error() const { return m_error; }

private:
    fs::path m_path;
    bool m_made = false;
    std::string m_error;
};

/// Copies a finished file into an atomic file for its target.
bool copyInto(const fs::path& from, AtomicFile& to)
{
    std::ifstream in(from, std::ios::binary);
    if (!in || !to.IsOpen())
        return false;
    to.Stream() << in.rdbuf();
    to.NoteFailure();
    return to.Finish();
}

} // namespace

bool IsGisExtension(std::string_view extension) { return findFormat(extension) != nullptr; }

std::string GisExtensions() { return ".gpkg, .shp, .geojson or .fgb"; }

bool GisFormatHoldsCrs(std::string_view extension) { return IsGisExtension(extension); }

int ExportGisFile(const CLineStore& store, const OutputFrame& frame, const fs::path& path, Port& port,
                  std::string* why)
{
    auto failed = [why](std::string reason) {
        if (why)
            *why = std::move(reason);
        return 0;
    };
    const GisFormat* format = findFormat(path.extension().string());
    if (!format)
        return failed("unknown extension " + path.extension().string());
    if (store.GetLineCount() == 0)
        return failed("there are no lines");
    EnsureGdal();
    QuietGdal quiet;
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(format->driver);
    if (!driver)
        return failed(std::string("GDAL has no ") + format->driver + " driver");

    ScratchFolder scratch(path);
    if (!scratch.Made())
        return failed(scratch.Error());
    const fs::path written = scratch.Path() / path.filename();
    std::unique_ptr<GDALDataset, DatasetCloser> dataset(
        driver->Create(written.string().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset)
        return failed(LastGdalError("the file cannot be made"));

    OGRSpatialReference srs;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const bool hasCrs = !frame.crsWkt.empty() && srs.SetFromUserInput(frame.crsWkt.c_str()) == OGRERR_NONE;
    OGRLayer* layer = dataset->CreateLayer(path.stem().string().c_str(), hasCrs ? &srs : nullptr, wkbLineString, nullptr);
    if (!layer)
        return failed(LastGdalError("the layer cannot be made"));
    OGRFieldDefn id("id", OFTInteger), length("length", OFTReal), vertices("vertices", OFTInteger);
    if (layer->CreateField(&id) != OGRERR_NONE || layer->CreateField(&length) != OGRERR_NONE ||
        layer->CreateField(&vertices) != OGRERR_NONE)
        return failed(LastGdalError("the attributes cannot be made"));
    if (layer->StartTransaction() != OGRERR_NONE)
        CPLErrorReset(); // formats without transactions write as they go

    ProgressSession progress(port, "Save Vector...");
    progress.setRange(100);
    const int count = store.GetLineCount();
    const int step = count / 100 > 0 ? count / 100 : 1;
    for (int i = 0; i < count; ++i) {
        if (i % 100 == 0 && progress.CheckCancel())
            return failed("cancelled");
        if (i % step == 0)
            progress.setPos(i / step);
        const CVectorLine& line = store.line(i);
        if (line.m_nodes.empty())
            continue;
        OGRLineString geometry;
        double total = 0, lastX = 0, lastY = 0;
        for (std::size_t k = 0; k < line.m_nodes.size(); ++k) {
            const VectorNode& node = line.m_nodes[k];
            const std::array<double, 2> at =
                frame.placed ? frame.Place(node.m_dX, node.m_dY) : std::array<double, 2>{node.m_dX, -node.m_dY};
            geometry.addPoint(at[0], at[1]);
            if (k > 0)
                total += std::hypot(at[0] - lastX, at[1] - lastY);
            lastX = at[0];
            lastY = at[1];
        }
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetField("id", line.m_nId);
        feature.SetField("length", total);
        feature.SetField("vertices", int(line.m_nodes.size()));
        feature.SetGeometry(&geometry);
        if (layer->CreateFeature(&feature) != OGRERR_NONE)
            return failed(LastGdalError("a line cannot be written"));
    }
    if (layer->CommitTransaction() != OGRERR_NONE)
        CPLErrorReset();
    if (progress.CheckCancel())
        return failed("cancelled");
    CPLErrorReset();
    dataset.reset(); // closes, writing what is left
    if (CPLGetLastErrorType() >= CE_Failure)
        return failed(LastGdalError("the file cannot be finished"));

    // Into place, the companions first, in one step.
    std::vector<std::unique_ptr<AtomicFile>> files;
    std::vector<fs::path> sources;
    for (const char* companion : format->companions) {
        fs::path source = written, target = path;
        source.replace_extension(companion);
        target.replace_extension(companion);
        std::error_code ec;
        if (fs::exists(source, ec)) {
            sources.push_back(source);
            files.push_back(std::make_unique<AtomicFile>(target));
        }
    }
    sources.push_back(written);
    files.push_back(std::make_unique<AtomicFile>(path));
    std::vector<AtomicFile*> order;
    for (std::size_t k = 0; k < files.size(); ++k) {
        if (!copyInto(sources[k], *files[k]))
            return failed(files[k]->Error().empty() ? "the file cannot be written" : files[k]->Error());
        order.push_back(files[k].get());
    }
    std::string reason;
    if (!CommitFiles(order, &reason))
        return failed(reason);
    return 1;
}

} // namespace orvane::raster
