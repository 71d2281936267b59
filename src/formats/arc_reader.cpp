// The ARC reader.
//
// Each text line of the file is one of: "END" (exactly), closing the
// current polyline; a vertex "x,y" (a comma with something before it); or
// anything else, an id line. Numbers are read leniently, as the C library's
// atoi and atof would read them (leading blanks, the longest leading number,
// 0 when there is none), but always with "." as the decimal point,
// whatever the user's locale.
#include "formats/arc_reader.h"

#include "formats/export_driver.h"
#include "port/port.h"
#include "vector/line_store.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <string_view>

namespace orvane {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view skipBlanks(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return s.substr(i);
}

/// The leading integer of a text, 0 when there is none; clamped to 32 bits.
std::int32_t leadingInt(std::string_view s)
{
    s = skipBlanks(s);
    if (s.size() >= 2 && s[0] == '+' && s[1] >= '0' && s[1] <= '9')
        s.remove_prefix(1);
    long long value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) {
        const bool negative = !s.empty() && s[0] == '-';
        return negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    }
    if (ec != std::errc())
        return 0;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return std::int32_t(value);
}

/// Whether a decimal number that does not fit a double is too small (it
/// rounds to zero) rather than too large: the power of ten of its first
/// significant digit, mantissa and exponent together, is negative.
bool underflows(std::string_view number)
{
    std::size_t i = 0;
    if (i < number.size() && (number[i] == '-' || number[i] == '+'))
        ++i;
    long long power = -1; // of the first significant digit
    bool significant = false, point = false;
    long long zerosAfterPoint = 0;
    for (; i < number.size(); ++i) {
        const char c = number[i];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            if (c != '0')
                significant = true;
            if (!point && significant)
                ++power;
            else if (point && !significant)
                ++zerosAfterPoint;
        } else {
            break;
        }
    }
    if (!significant)
        return true;
    if (power < 0)
        power = -(zerosAfterPoint + 1);
    long long exponent = 0;
    if (i + 1 < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        std::string_view digits = number.substr(i + 1);
        if (!digits.empty() && digits[0] == '+')
            digits.remove_prefix(1);
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
        if (ec == std::errc::result_out_of_range)
            return digits[0] == '-';
    }
    // An exponent this far out decides alone (and the sum cannot overflow).
    constexpr long long kFar = 1'000'000'000;
    if (exponent > kFar || exponent < -kFar)
        return exponent < 0;
    return power + exponent < 0;
}

/// The leading decimal number of a text, 0.0 when there is none (or when it
/// is too small for a double); NaN when it is not finite: inf, nan, or too
/// large for a double.
double leadingDouble(std::string_view s)
{
    s = skipBlanks(s);
    if (!s.empty() && s[0] == '+' && (s.size() < 2 || s[1] != '-'))
        s.remove_prefix(1);
    double value = 0.0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range)
        return underflows(s) ? 0.0 : std::numeric_limits<double>::quiet_NaN();
    if (ec != std::errc())
        return 0.0;
    return std::isfinite(value) ? value : std::numeric_limits<double>::quiet_NaN();
}

/// Whether a text is one number and nothing else, blanks around it allowed:
/// what a clean id or coordinate looks like.
bool isWholeNumber(std::string_view s, bool integer)
{
    s = skipBlanks(s);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    if (!s.empty() && (s[0] == '+' || s[0] == '-'))
        s.remove_prefix(1);
    if (s.empty())
        return false;
    if (integer) {
        long long value = 0;
        auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
        return end == s.data() + s.size();
    }
    double value = 0.0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return end == s.data() + s.size() && ec != std::errc::invalid_argument;
}

bool isArc(const std::string& extension)
{
    return extension.size() == 4 && (extension[1] == 'A' || extension[1] == 'a') &&
           (extension[2] == 'R' || extension[2] == 'r') && (extension[3] == 'C' || extension[3] == 'c');
}

} // namespace

int ReadVectorFile(CLineStore& store, const std::filesystem::path& path, Port& port, std::string* why)
{
    if (path.empty())
        return 0;
    const std::string extension = FileExtension(path);
    if (extension.empty()) {
        ShowMessageBox(port, MessageButtons::Ok, "File extension not sepecified!");
        return 0;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ShowMessageBox(port, MessageButtons::Ok, "Unable to open file!");
        return 0;
    }
    if (!isArc(extension))
        return 1;
    return ReadArcStream(store, in, path.filename().string(), port, why);
}

int ReadArcStream(CLineStore& store, std::istream& in, const std::string& name, Port& port, std::string* why)
{
    // Lines read from this file are appended after these; a failure removes
    // exactly them again.
    const int before = store.GetLineCount();
    auto fail = [&](long lineNumber, const char* problem) {
        while (store.GetLineCount() > before)
            store.RemoveLineAt(store.GetLineCount() - 1);
        if (why)
            *why = "line " + std::to_string(lineNumber) + ": " + problem;
        return 0;
    };

    PointList points;
    std::int32_t id = 0; // vertices before any id line belong to id 0
    std::string text;
    long lineNumber = 0;
    long partlyRead = 0, firstPartlyRead = 0; // lines read only as far as they made sense
    auto readInPart = [&] {
        if (partlyRead++ == 0)
            firstPartlyRead = lineNumber;
    };
    while (std::getline(in, text)) {
        ++lineNumber;
        std::string_view line(text);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line == "END") {
            auto stored = std::make_unique<CVectorLine>(id, points);
            if (!std::isfinite(stored->m_dLength))
                return fail(lineNumber, "coordinates so large that the line's length cannot be measured");
            store.AppendLine(std::move(stored));
            points = PointList();
            continue;
        }
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos || comma == 0) {
            id = line.empty() ? 0 : leadingInt(line);
            if (!line.empty() && !isWholeNumber(line, true))
                readInPart();
            continue;
        }
        const std::string_view yPart = line.substr(comma + 1);
        if (yPart.empty())
            return fail(lineNumber, "a vertex without its y coordinate");
        const double x = leadingDouble(line.substr(0, comma));
        const double y = leadingDouble(yPart);
        if (std::isnan(x) || std::isnan(y))
            return fail(lineNumber, "a coordinate that is not a finite number");
        if (!isWholeNumber(line.substr(0, comma), false) || !isWholeNumber(yPart, false))
            readInPart();
        points.append(x, y);
    }
    if (in.bad())
        return fail(lineNumber, "the file could not be read to its end");
    if (partlyRead > 0)
        ShowMessageBox(port, MessageButtons::Ok,
                       "%s: %ld line%s could not be read as an id or as a vertex \"x,y\" and %s read only as far "
                       "as %s made sense; the first is line %ld.",
                       name.c_str(), partlyRead, partlyRead == 1 ? "" : "s", partlyRead == 1 ? "was" : "were",
                       partlyRead == 1 ? "it" : "they", firstPartlyRead);
    return 1;
}

} // namespace orvane
