// Reading scans of any raster format: BMP here, the rest through the GDAL
// module.
#include "raster/scan_reader.h"

#include "image/bitmap_image.h"
#include "image/bmp_file.h"
#include "image/scan_info.h"
#include "raster/crs.h"
#include "raster/gdal_module.h"
#include "raster/world_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace orvane::raster {
namespace {

namespace fs = std::filesystem;

std::string lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool isBmp(const fs::path& path) { return lower(path.extension().string()) == ".bmp"; }

/// A .prj file beside the scan, read as a coordinate system.
CrsTexts prjBeside(const fs::path& path)
{
    for (const char* extension : {".prj", ".PRJ"}) {
        fs::path prj = path;
        prj.replace_extension(extension);
        std::error_code ec;
        if (!fs::is_regular_file(prj, ec))
            continue;
        std::ifstream in(prj);
        std::stringstream text;
        text << in.rdbuf();
        return DescribeCrs(text.str());
    }
    return {};
}

bool sameTransform(const std::array<double, 6>& a, const std::array<double, 6>& b)
{
    for (std::size_t i = 0; i < 6; ++i)
        if (std::fabs(a[i] - b[i]) > 1e-9 * std::max(1.0, std::fabs(b[i])))
            return false;
    return true;
}

/// Georeferencing: the file's own, else a world file beside it. A world
/// file that is there but wrong is an error, whichever wins.
bool readPlacement(const fs::path& path, const OwnPlacement& own, ScanInfo& info, std::string& why)
{
    std::array<double, 6> world{};
    const fs::path worldFile = FindWorldFile(path);
    const bool hasWorld = !worldFile.empty();
    if (hasWorld && !ReadWorldFile(worldFile, world, why))
        return false;
    // GDAL reads some world files itself; then its transform is the world file's.
    if (own.hasTransform && !(hasWorld && sameTransform(world, own.transform))) {
        info.georeferenced = true;
        info.geoTransform = own.transform;
        info.georefSource = lower(path.extension().string()).rfind(".tif", 0) == 0 ? "GeoTIFF tags"
                                                                                  : "the file's georeferencing";
        const CrsTexts texts = DescribeCrs(own.crsWkt);
        info.crsWkt = texts.wkt;
        info.mifCoordSys = texts.mifCoordSys;
        return true;
    }
    if (hasWorld) {
        info.georeferenced = true;
        info.geoTransform = world;
        info.georefSource = "world file " + worldFile.filename().string();
        CrsTexts texts = prjBeside(path);
        if (texts.wkt.empty())
            texts = DescribeCrs(own.crsWkt);
        info.crsWkt = texts.wkt;
        info.mifCoordSys = texts.mifCoordSys;
    }
    return true;
}

/// Reads a scan of any other format through GDAL into the image.
bool readThroughGdal(const fs::path& path, CBitmapImage& image, ScanInfo& info, OwnPlacement& own, std::string& why)
{
    const GdalModule* gdal = LoadGdalModule(why);
    if (!gdal)
        return false;
    RasterSink sink;
    sink.create = [&image](int width, int height, int bits, const std::vector<RGBQUAD>& table, std::string& reason) {
        if (width > kMaxImageSide || height > kMaxImageSide ||
            RowStride(width, bits) * std::uint64_t(height) > std::uint64_t(UINT32_MAX)) {
            reason = std::to_string(width) + " x " + std::to_string(height) +
                     " pixels is larger than this program can hold (4 GB of pixels at most)";
            return false;
        }
        if (!image.Create(width, height, bits, table)) {
            reason = "not enough memory for " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
            return false;
        }
        return true;
    };
    sink.row = [&image](int y, const std::uint8_t* pixels) {
        if (image.GetBitCount() == 1)
            image.SetRowIndices(y, pixels);
        else
            std::memcpy(image.GetRow(y), pixels, std::size_t(image.GetWidth()) * (image.GetBitCount() == 24 ? 3 : 1));
    };
    if (!gdal->readRaster(path.string(), sink, info, own, why))
        return false;
    if (info.dpiX > 0)
        image.SetPixelsPerMetre(std::int32_t(std::lround(info.dpiX / 0.0254)), std::int32_t(std::lround(info.dpiY / 0.0254)));
    return true;
}

} // namespace

bool ReadScan(const fs::path& path, CBitmapImage& image, ScanInfo& info, std::string& why, bool useGeoreferencing,
              bool inkOnly)
{
    image = CBitmapImage();
    info = ScanInfo();
    if (isBmp(path)) {
        if (!(inkOnly ? ReadBmpFileAsInk(image, path) : ReadBmpFile(image, path))) {
            why = "Error Loading Bitmap File: it might be corrupted or not Windows BMP RGB-subtype file "
                  "(uncompressed, 1, 4, 8, 24 or 32 bits per pixel).";
            return false;
        }
        const BitmapInfoHeader header = image.GetInfoHeader();
        if (header.biXPelsPerMeter > 0 && header.biYPelsPerMeter > 0) {
            info.dpiX = header.biXPelsPerMeter * 0.0254;
            info.dpiY = header.biYPelsPerMeter * 0.0254;
        }
        if (useGeoreferencing && !readPlacement(path, OwnPlacement(), info, why)) {
            image = CBitmapImage();
            return false;
        }
        return true;
    }

    OwnPlacement own;
    if (!readThroughGdal(path, image, info, own, why) || (useGeoreferencing && !readPlacement(path, own, info, why))) {
        image = CBitmapImage();
        return false;
    }
    return true;
}

std::vector<RasterFormat> ReadableRasterFormats()
{
    std::vector<RasterFormat> formats = {{"BMP", {"*.bmp"}},
                                         {"TIFF", {"*.tif", "*.tiff"}},
                                         {"PNG", {"*.png"}},
                                         {"JPEG", {"*.jpg", "*.jpeg"}}};
    std::string why;
    if (const GdalModule* gdal = LoadGdalModule(why))
        gdal->rasterFormats(formats);
    return formats;
}

bool ReadScanSize(const fs::path& path, int& width, int& height, int& bitsPerPixel)
{
    if (isBmp(path))
        return ReadBmpSize(path, width, height, bitsPerPixel);
    std::string why;
    const GdalModule* gdal = LoadGdalModule(why);
    return gdal && gdal->rasterSize(path.string(), width, height, bitsPerPixel);
}

} // namespace orvane::raster
