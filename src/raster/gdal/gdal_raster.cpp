// Rasters of any format GDAL reads, handed over a row at a time.
#include "raster/gdal/gdal_raster.h"

#include "raster/gdal/gdal_support.h"

#include <cpl_string.h>
#include <gdal_priv.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

namespace orvane::raster {
namespace {

/// How the pixels of a dataset become an image.
enum class Layout { OneBit, Grey, Palette, Colour };

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(GDALDataset::ToHandle(dataset)); }
};

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

/// Reads the pixels, a band of rows at a time, into the sink.
bool readPixels(GDALDataset& dataset, Layout layout, const RasterSink& sink, std::string& why)
{
    const int width = dataset.GetRasterXSize(), height = dataset.GetRasterYSize();
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
            std::uint8_t* source = bytes.data() + std::size_t(r) * std::size_t(width) * std::size_t(channels);
            switch (layout) {
            case Layout::Colour:
                for (int x = 0; x < width; ++x)
                    std::swap(source[3 * x], source[3 * x + 2]); // red, green, blue to blue, green, red
                break;
            case Layout::OneBit:
                for (int x = 0; x < width; ++x)
                    source[x] = source[x] ? 1 : 0;
                break;
            default:
                break;
            }
            sink.row(top + r + 1, source); // our rows count from 1 at the top
        }
    }
    return true;
}

using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

Dataset open(const std::string& path)
{
    return Dataset(GDALDataset::FromHandle(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
}

/// The raster's own georeferencing and coordinate system.
void readOwnPlacement(GDALDataset& dataset, OwnPlacement& own)
{
    double transform[6] = {0, 1, 0, 0, 0, 1};
    own.hasTransform = dataset.GetGeoTransform(transform) == CE_None &&
                       !(transform[0] == 0 && transform[1] == 1 && transform[2] == 0 && transform[3] == 0 &&
                         transform[4] == 0 && transform[5] == 1);
    if (own.hasTransform)
        std::copy(transform, transform + 6, own.transform.begin());
    if (const OGRSpatialReference* srs = dataset.GetSpatialRef()) {
        char* wkt = nullptr;
        if (srs->exportToWkt(&wkt) == OGRERR_NONE && wkt)
            own.crsWkt = wkt;
        CPLFree(wkt);
    }
}

} // namespace

bool ReadGdalRaster(const std::string& path, const RasterSink& sink, ScanInfo& info, OwnPlacement& own,
                    std::string& why)
{
    EnsureGdal();
    QuietGdal quiet;
    Dataset dataset = open(path);
    if (!dataset) {
        why = LastGdalError("not a raster GDAL can read");
        return false;
    }
    if (dataset->GetRasterCount() < 1) {
        why = "it holds no raster bands";
        return false;
    }
    Layout layout = Layout::Grey;
    if (!chooseLayout(*dataset, layout, info, why))
        return false;
    const int bits = layout == Layout::Colour ? 24 : layout == Layout::OneBit ? 1 : 8;
    if (!sink.create(dataset->GetRasterXSize(), dataset->GetRasterYSize(), bits,
                     colourTable(*dataset->GetRasterBand(1), layout), why))
        return false;
    if (!readPixels(*dataset, layout, sink, why))
        return false;
    if (char** pages = dataset->GetMetadata("SUBDATASETS"); CSLCount(pages) > 2)
        info.notes.push_back("page 1 of " + std::to_string(CSLCount(pages) / 2) + " read");
    readResolution(*dataset, info);
    readOwnPlacement(*dataset, own);
    return true;
}

void GdalRasterFormats(std::vector<RasterFormat>& formats)
{
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
}

bool GdalRasterSize(const std::string& path, int& width, int& height, int& bitsPerPixel)
{
    EnsureGdal();
    QuietGdal quiet;
    Dataset dataset = open(path);
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
