// BMP files on disk: reading, and writing that never leaves a partial file.
#pragma once

#include <filesystem>
#include <string>

namespace orvane {

class CBitmapImage;

/// Reads a BMP file into `image`. Returns 1, or 0 with the image empty when
/// the file cannot be opened or is not a BMP this program reads.
int ReadBmpFile(CBitmapImage& image, const std::filesystem::path& path);

/// As ReadBmpFile, for an image that is only to be thinned: see
/// CBitmapImage::ReadInk.
int ReadBmpFileAsInk(CBitmapImage& image, const std::filesystem::path& path);

/// The width, height and depth a BMP file's headers declare, read without
/// the pixels; false when the file cannot be read or is not a BMP.
bool ReadBmpSize(const std::filesystem::path& path, int& width, int& height, int& bitsPerPixel);

/// Writes `image` to a BMP file through a temporary file in the same folder,
/// renamed over `path` only when complete. Returns 1, or 0 with the old file
/// (if any) untouched; `error` (when given) then says why.
int WriteBmpFile(const CBitmapImage& image, const std::filesystem::path& path, std::string* error = nullptr);

} // namespace orvane
