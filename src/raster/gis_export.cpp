// GIS formats, written by GDAL's vector drivers in the GDAL module into a
// scratch folder and moved into place from there.
#include "raster/gis_export.h"

#include "files/atomic_file.h"
#include "formats/output_frame.h"
#include "port/port.h"
#include "raster/gdal_module.h"
#include "vector/line_store.h"

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
    std::string reason;
    const GdalModule* gdal = LoadGdalModule(reason);
    if (!gdal)
        return failed(reason);

    ScratchFolder scratch(path);
    if (!scratch.Made())
        return failed(scratch.Error());
    const fs::path written = scratch.Path() / path.filename();

    ProgressSession progress(port, "Save Vector...");
    progress.setRange(100);
    const int count = store.GetLineCount();
    const int step = count / 100 > 0 ? count / 100 : 1;
    GisWrite request;
    request.driver = format->driver;
    request.path = written.string();
    request.layer = path.stem().string();
    request.crsWkt = frame.crsWkt;
    request.lineCount = count;
    request.line = [&store, &frame](int i, GisLine& out) {
        const CVectorLine& line = store.line(i);
        out.id = line.m_nId;
        out.points.reserve(line.m_nodes.size());
        for (const VectorNode& node : line.m_nodes)
            out.points.push_back(frame.placed ? frame.Place(node.m_dX, node.m_dY)
                                              : std::array<double, 2>{node.m_dX, -node.m_dY});
        return true;
    };
    request.progress = [&progress, step, count](int done) {
        if (done == count || done % 100 == 0)
            if (progress.CheckCancel())
                return false;
        if (done < count && done % step == 0)
            progress.setPos(done / step);
        return true;
    };
    if (!gdal->writeLines(request, reason))
        return failed(reason);

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
    if (!CommitFiles(order, &reason))
        return failed(reason);
    return 1;
}

} // namespace orvane::raster
