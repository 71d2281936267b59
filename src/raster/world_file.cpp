// World files.
#include "raster/world_file.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

namespace orvane::raster {
namespace {

std::string lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string upper(std::string text)
{
    for (char& c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::filesystem::path FindWorldFile(const std::filesystem::path& image)
{
    const std::string extension = lower(image.extension().string());
    std::vector<std::string> candidates;
    if (extension.size() >= 3) {
        const std::string short3 = std::string(".") + extension[1] + extension.back() + "w";
        candidates.push_back(short3);
        candidates.push_back(extension + "w");
    }
    candidates.push_back(".wld");
    for (const std::string& candidate : candidates)
        for (const std::string& spelled : {candidate, upper(candidate)}) {
            std::filesystem::path path = image;
            path.replace_extension(spelled);
            std::error_code ec;
            if (std::filesystem::is_regular_file(path, ec))
                return path;
        }
    return {};
}

bool ReadWorldFile(const std::filesystem::path& path, std::array<double, 6>& geoTransform, std::string& why)
{
    std::ifstream in(path);
    if (!in) {
        why = path.filename().string() + ": the world file cannot be read";
        return false;
    }
    std::vector<double> numbers;
    std::string word;
    while (in >> word) {
        std::istringstream number(word);
        number.imbue(std::locale::classic());
        double value = 0;
        if (!(number >> value) || !number.eof() || !std::isfinite(value)) {
            why = path.filename().string() + ": \"" + word + "\" in the world file is not a number";
            return false;
        }
        numbers.push_back(value);
    }
    if (numbers.size() != 6) {
        why = path.filename().string() + ": a world file holds six numbers, this one " +
              std::to_string(numbers.size());
        return false;
    }
    const double a = numbers[0], d = numbers[1], b = numbers[2], e = numbers[3], c = numbers[4], f = numbers[5];
    if (a * e - b * d == 0) {
        why = path.filename().string() + ": the world file gives pixels of no size";
        return false;
    }
    // The world file places the centre of the top-left pixel; the
    // geotransform places its top-left corner, half a pixel before.
    geoTransform = {c - 0.5 * a - 0.5 * b, a, b, f - 0.5 * d - 0.5 * e, d, e};
    return true;
}

} // namespace orvane::raster
