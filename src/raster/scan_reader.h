// Reading scans of any raster format: BMP through our own reader, the rest
// (TIFF, PNG, JPEG and whatever else GDAL reads) through GDAL, with where
// the scan lies on a map and how finely it was scanned.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvane {

class CBitmapImage;
struct ScanInfo;

namespace raster {

/// Reads the scan at `path` into `image`: 1-bit stays 1-bit, grey becomes
/// 8-bit grey, a palette an 8-bit palette, colour 24-bit, 16-bit grey is
/// scaled to 8 bits. Multi-page files give their first page and files of
/// more than three bands their first three, as `info.notes` say.
///
/// `info` receives the georeferencing (the file's own, else a world file
/// beside it; its coordinate system from the file or a .prj beside it) and
/// the resolution. With `useGeoreferencing` false neither is looked for.
///
/// Returns false with `why` saying what is wrong in the user's terms ("CMYK
/// colour cannot be read; save the scan in RGB or grey"; the caller names
/// the file), the image then empty.
///
/// With `inkOnly`, the image is only to be thinned and traced: a BMP is then
/// read as its ink alone where that gives the same lines (see
/// CBitmapImage::ReadInk), much faster and smaller for colour and grey.
bool ReadScan(const std::filesystem::path& path, CBitmapImage& image, ScanInfo& info, std::string& why,
              bool useGeoreferencing = true, bool inkOnly = false);

/// The raster formats ReadScan reads, for file dialogs: a name and its
/// file patterns ("TIFF", {"*.tif", "*.tiff"}), BMP first.
struct RasterFormat {
    std::string name;
    std::vector<std::string> patterns;
};
std::vector<RasterFormat> ReadableRasterFormats();

/// The width, height and depth of the image ReadScan would make, read
/// without the pixels (for estimating memory); false when the file cannot
/// be read.
bool ReadScanSize(const std::filesystem::path& path, int& width, int& height, int& bitsPerPixel);

} // namespace raster
} // namespace orvane
