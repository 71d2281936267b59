// Reading scans of any raster format.
#include "raster/scan_reader.h"

#include "image/bitmap_image.h"
#include "image/bmp_file.h"
#include "image/scan_info.h"
#include "raster/gdal_support.h"
#include "raster/world_file.h"

#include <cpl_string.h>
#include <gdal_priv.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace orvane::raster {
namespace {

namespace fs = std::filesystem;

/// How the pixels of a dataset become an image.
enum class Layout { OneBit, Grey, Palette, Colour };

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(GDALDataset::ToHandle(dataset)); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

std::string lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool isBmp(const fs::path& path) { return lower(path.extension().string()) == ".bmp"; }

/// A metadata item of a dataset or band, or "".
std::string item(GDALMajorObject& object, const char* name, const char* domain = nullptr)
{
    const char* value = object.GetMetadataItem(name, domain);
    return value ? value : "";
}

/// The resolution the file states, in pixels per inch (0 when it does not).
void readResolution(GDALDataset& dataset, ScanInfo& info)
{
    const std::string x = item(dataset, "TIFFTAG_XRESOLUTION"), y = item(dataset, "TIFFTAG_YRESOLUTION");
    const std::string unit = item(dataset, "TIFFTAG_RESOLUTIONUNIT");
    if (x.empty() || unit.empty())
        return;
    // 1: no unit (an aspect ratio only), 2: inch, 3: centimetre.
    const double perInch = unit.rfind("2", 0) == 0 ? 1.0 : unit.rfind("3", 0) == 0 ? 2.54 : 0.0;
    info.dpiX = std::atof(x.c_str()) * perInch;
    info.dpiY = (y.empty() ? info.dpiX / std::max(perInch, 1e-9) : std::atof(y.c_str())) * perInch;
    if (!(info.dpiX > 0) || !(info.dpiY > 0))
        info.dpiX = info.dpiY = 0;
}

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

bool sameTransform(const std::array<double, 6>& a, const double* b)
{
    for (int i = 0; i < 6; ++i)
        if (std::fabs(a[std::size_t(i)] - b[i]) > 1e-9 * std::max(1.0, std::fabs(b[i])))
            return false;
    return true;
}

/// Georeferencing: the file's own, else a world file beside it. A world
/// file that is there but wrong is an error, whichever wins.
bool readPlacement(const fs::path& path, GDALDataset* dataset, ScanInfo& info, std::string& why)
{
    std::array<double, 6> world{};
    const fs::path worldFile = FindWorldFile(path);
    const bool hasWorld = !worldFile.empty();
    if (hasWorld && !ReadWorldFile(worldFile, world, why))
        return false;
    double own[6] = {0, 1, 0, 0, 0, 1};
    const bool hasOwn = dataset && dataset->GetGeoTransform(own) == CE_None &&
                        !(own[0] == 0 && own[1] == 1 && own[2] == 0 && own[3] == 0 && own[4] == 0 && own[5] == 1);
    // GDAL reads some world files itself; then its transform is the world file's.
    if (hasOwn && !(hasWorld && sameTransform(world, own))) {
        info.georeferenced = true;
        std::copy(own, own + 6, info.geoTransform.begin());
        info.georefSource = lower(path.extension().string()).rfind(".tif", 0) == 0 ? "GeoTIFF tags"
                                                                                  : "the file's georeferencing";
        if (const OGRSpatialReference* srs = dataset->GetSpatialRef()) {
            char* wkt = nullptr;
            if (srs->exportToWkt(&wkt) == OGRERR_NONE && wkt) {
                const CrsTexts texts = DescribeCrs(wkt);
                info.crsWkt = texts.wkt;
                info.mifCoordSys = texts.mifCoordSys;
            }
            CPLFree(wkt);
        }
        return true;
    }
    if (hasWorld) {
        info.georeferenced = true;
        info.geoTransform = world;
        info.georefSource = "world file " + worldFile.filename().string();
        CrsTexts texts = prjBeside(path);
        if (texts.wkt.empty() && dataset)
            if (const OGRSpatialReference* srs = dataset->GetSpatialRef()) {
                char* wkt = nullptr;
                if (srs->exportToWkt(&wkt) == OGRERR_NONE && wkt)
                    texts = DescribeCrs(wkt);
                CPLFree(wkt);
            }
        info.crsWkt = texts.wkt;
        info.mifCoordSys = texts.mifCoordSys;
    }
    return true;
}

/// How the dataset's pixels are laid out in our image, or false with why.
bool chooseLayout(GDALDataset& dataset, Layout& layout, ScanInfo& info, std::string& why)
{
    const int bands = dataset.GetRasterCount();
    GDALRasterBand* first = dataset.GetRasterBand(1);
    const GDALDataType type = first->GetRasterDataType();
    if (item(dataset, "SOURCE_COLOR_SPACE", "IMAGE_STRUCTURE") == "CMYK" ||
        first->GetColorInterpretation() == GCI_CyanBand) {
        why = "CMYK colour cannot be read; save the scan in RGB or grey";
        return false;
    }
    if (type != GDT_Byte && type != GDT_UInt16) {
        why = std::string("pixels of type ") + GDALGetDataTypeName(type) + " cannot be read; save the scan with 8-bit "
                     "or 16-bit pixels";
        return false;
    }
    if (type == GDT_UInt16 && std::string(dataset.GetDriver()->GetDescription()) == "JPEG") {
        why = "12-bit JPEG cannot be read; save the scan with 8-bit pixels";
        return false;
    }
    if (bands >= 3 && first->GetColorInterpretation() != GCI_PaletteIndex) {
        layout = Layout::Colour;
        const bool alphaOnly = bands == 4 && dataset.GetRasterBand(4)->GetColorInterpretation() == GCI_AlphaBand;
        if (bands > 3 && !alphaOnly)
            info.notes.push_back("its first three of " + std::to_string(bands) + " bands read as red, green and blue");
        return true;
    }
    if (bands == 2)
        info.notes.push_back("its first band read; the second is not used");
    if (first->GetColorInterpretation() == GCI_PaletteIndex && first->GetColorTable() && type == GDT_Byte) {
        layout = item(*first, "NBITS", "IMAGE_STRUCTURE") == "1" && first->GetColorTable()->GetColorEntryCount() <= 2
                     ? Layout::OneBit
                     : Layout::Palette;
        return true;
    }
    layout = type == GDT_Byte && item(*first, "NBITS", "IMAGE_STRUCTURE") == "1" ? Layout::OneBit : Layout::Grey;
    return true;
}

/// The colour table of the image for a layout.
std::vector<RGBQUAD> colourTable(GDALRasterBand& band, Layout layout)
{
    std::vector<RGBQUAD> table;
    if (const GDALColorTable* palette = band.GetColorTable(); palette && layout != Layout::Grey) {
        const int count = std::min(palette->GetColorEntryCount(), layout == Layout::OneBit ? 2 : 256);
        for (int i = 0; i < count; ++i) {
            GDALColorEntry rgb{};
            palette->GetColorEntryAsRGB(i, &rgb);
            table.push_back({std::uint8_t(rgb.c3), std::uint8_t(rgb.c2), std::uint8_t(rgb.c1), 0});
        }
        return table;
    }
    if (layout == Layout::OneBit)
        return {{0, 0, 0, 0}, {255, 255, 255, 0}}; // grey values 0 and 1
    for (int i = 0; i < 256; ++i)
        table.push_back({std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
    return table;
}

/// Reads the pixels, a band of rows at a time, into the bottom-up image.
bool readPixels(GDALDataset& dataset, Layout layout, CBitmapImage& image, std::string& why)
{
    const int width = image.GetWidth(), height = image.GetHeight();
    GDALRasterBand* first = dataset.GetRasterBand(1);
    const bool wide = first->GetRasterDataType() == GDT_UInt16;
    // 16-bit grey is scaled from its own depth (12 bits and the like say so).
    int sourceBits = 16;
    if (const std::string nbits = item(*first, "NBITS", "IMAGE_STRUCTURE"); wide && !nbits.empty())
        sourceBits = std::clamp(std::atoi(nbits.c_str()), 9, 16);
    const double scale = 255.0 / double((1u << sourceBits) - 1);
    const int chunk = std::max(1, std::min(height, int(8 * 1024 * 1024 / std::max(width, 1) / (wide ? 6 : 3))));
    const int channels = layout == Layout::Colour ? 3 : 1;
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint16_t> words;
    try {
        if (wide)
            words.resize(std::size_t(width) * std::size_t(chunk) * std::size_t(channels));
        else
            bytes.resize(std::size_t(width) * std::size_t(chunk) * std::size_t(channels));
    } catch (const std::bad_alloc&) {
        why = "not enough memory to read it";
        return false;
    }
    int bandMap[3] = {1, 2, 3};
    for (int top = 0; top < height; top += chunk) {
        const int rows = std::min(chunk, height - top);
        // Pixel-interleaved: R, G, B (or the one value) of each pixel together.
        const CPLErr read =
            wide ? dataset.RasterIO(GF_Read, 0, top, width, rows, words.data(), width, rows, GDT_UInt16, channels, bandMap,
                                    2 * channels, GSpacing(2) * channels * width, 2, nullptr)
                 : dataset.RasterIO(GF_Read, 0, top, width, rows, bytes.data(), width, rows, GDT_Byte, channels, bandMap,
                                    channels, GSpacing(channels) * width, 1, nullptr);
        if (read != CE_None) {
            why = LastGdalError("its pixels cannot be read");
            return false;
        }
        if (wide) {
            bytes.resize(words.size());
            for (std::size_t i = 0; i < words.size(); ++i)
                bytes[i] = std::uint8_t(std::lround(std::min<double>(words[i], (1u << sourceBits) - 1) * scale));
        }
        for (int r = 0; r < rows; ++r) {
            const int y = top + r + 1; // our rows count from 1 at the top
            const std::uint8_t* source = bytes.data() + std::size_t(r) * std::size_t(width) * std::size_t(channels);
            std::uint8_t* row = image.GetRow(y);
            switch (layout) {
            case Layout::Colour:
                for (int x = 0; x < width; ++x) {
                    row[3 * x] = source[3 * x + 2];
                    row[3 * x + 1] = source[3 * x + 1];
                    row[3 * x + 2] = source[3 * x];
                }
                break;
            case Layout::OneBit: {
                std::vector<std::uint8_t> indices(source, source + width);
                for (std::uint8_t& index : indices)
                    index = index ? 1 : 0;
                image.SetRowIndices(y, indices.data());
                break;
            }
            default:
                std::memcpy(row, source, std::size_t(width));
            }
        }
    }
    return true;
}

} // namespace

bool ReadScan(const fs::path& path, CBitmapImage& image, ScanInfo& info, std::string& why, bool useGeoreferencing)
{
    image = CBitmapImage();
    info = ScanInfo();
    if (isBmp(path)) {
        if (!ReadBmpFile(image, path)) {
            why = "Error Loading Bitmap File: it might be corrupted or not Windows BMP RGB-subtype file "
                  "(uncompressed, 1, 4, 8, 24 or 32 bits per pixel).";
            return false;
        }
        const BitmapInfoHeader header = image.GetInfoHeader();
        if (header.biXPelsPerMeter > 0 && header.biYPelsPerMeter > 0) {
            info.dpiX = header.biXPelsPerMeter * 0.0254;
            info.dpiY = header.biYPelsPerMeter * 0.0254;
        }
        if (useGeoreferencing && !readPlacement(path, nullptr, info, why)) {
            image = CBitmapImage();
            return false;
        }
        return true;
    }

    EnsureGdal();
    QuietGdal quiet;
    const std::string file = path.string();
    Dataset dataset(GDALDataset::FromHandle(
        GDALOpenEx(file.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    if (!dataset) {
        why = LastGdalError("not a raster GDAL can read");
        return false;
    }
    if (dataset->GetRasterCount() < 1) {
        why = "it holds no raster bands";
        return false;
    }
    const int width = dataset->GetRasterXSize(), height = dataset->GetRasterYSize();
    Layout layout = Layout::Grey;
    if (!chooseLayout(*dataset, layout, info, why))
        return false;
    const int bits = layout == Layout::Colour ? 24 : layout == Layout::OneBit ? 1 : 8;
    if (width > kMaxImageSide || height > kMaxImageSide ||
        RowStride(width, bits) * std::uint64_t(height) > std::uint64_t(UINT32_MAX)) {
        why = std::to_string(width) + " x " + std::to_string(height) +
              " pixels is larger than this program can hold (4 GB of pixels at most)";
        return false;
    }
    const std::vector<RGBQUAD> table = colourTable(*dataset->GetRasterBand(1), layout);
    if (!image.Create(width, height, bits, table)) {
        why = "not enough memory for " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
        return false;
    }
    if (!readPixels(*dataset, layout, image, why)) {
        image = CBitmapImage();
        return false;
    }
    if (char** pages = dataset->GetMetadata("SUBDATASETS"); CSLCount(pages) > 2)
        info.notes.push_back("page 1 of " + std::to_string(CSLCount(pages) / 2) + " read");
    readResolution(*dataset, info);
    if (info.dpiX > 0)
        image.SetPixelsPerMetre(std::int32_t(std::lround(info.dpiX / 0.0254)), std::int32_t(std::lround(info.dpiY / 0.0254)));
    if (useGeoreferencing && !readPlacement(path, dataset.get(), info, why)) {
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
    EnsureGdal();
    GDALDriverManager* drivers = GetGDALDriverManager();
    for (int i = 0; i < drivers->GetDriverCount(); ++i) {
        GDALDriver* driver = drivers->GetDriver(i);
        if (!driver->GetMetadataItem(GDAL_DCAP_RASTER) || !driver->GetMetadataItem(GDAL_DMD_EXTENSIONS))
            continue;
        const std::string shortName = driver->GetDescription();
        if (shortName == "BMP" || shortName == "GTiff" || shortName == "PNG" || shortName == "JPEG")
            continue;
        RasterFormat format{driver->GetMetadataItem(GDAL_DMD_LONGNAME) ? driver->GetMetadataItem(GDAL_DMD_LONGNAME)
                                                                        : shortName,
                            {}};
        std::istringstream extensions(driver->GetMetadataItem(GDAL_DMD_EXTENSIONS));
        std::string extension;
        while (extensions >> extension)
            format.patterns.push_back("*." + extension);
        if (!format.patterns.empty())
            formats.push_back(std::move(format));
    }
    return formats;
}

bool ReadScanSize(const fs::path& path, int& width, int& height, int& bitsPerPixel)
{
    if (isBmp(path))
        return ReadBmpSize(path, width, height, bitsPerPixel);
    EnsureGdal();
    QuietGdal quiet;
    const std::string file = path.string();
    Dataset dataset(GDALDataset::FromHandle(
        GDALOpenEx(file.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    if (!dataset || dataset->GetRasterCount() < 1)
        return false;
    width = dataset->GetRasterXSize();
    height = dataset->GetRasterYSize();
    GDALRasterBand* first = dataset->GetRasterBand(1);
    const bool oneBit = item(*first, "NBITS", "IMAGE_STRUCTURE") == "1";
    bitsPerPixel = dataset->GetRasterCount() >= 3 && first->GetColorInterpretation() != GCI_PaletteIndex ? 24
                   : oneBit                                                                            ? 1
                                                                                                       : 8;
    return width > 0 && height > 0;
}

} // namespace orvane::raster
