// The line quality report.
#include "formats/line_quality_report.h"

#include "files/atomic_file.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace orvane {
namespace {

template <typename T>
bool parse(const std::string& text, T& value)
{
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

std::string LineQualityCsv(const std::vector<LineQuality>& rows)
{
    std::string out = std::string(kLineQualityHeader) + "\n";
    char row[160];
    for (const LineQuality& q : rows) {
        std::snprintf(row, sizeof row, "%d,%d,%.2f,%s,%d,%.2f,%.2f\n", int(q.id), int(q.vertices), q.length,
                      q.closed ? "closed" : "open", q.freeEnds, q.maxDistance, q.meanDistance);
        out += row;
    }
    return out;
}

bool WriteLineQualityReport(const std::string& path, const std::vector<LineQuality>& rows, std::string& error)
{
    const std::string text = LineQualityCsv(rows);
    return WriteFileAtomically(
        path,
        [&](std::ostream& out) {
            out.write(text.data(), std::streamsize(text.size()));
            return bool(out);
        },
        &error);
}

bool ReadLineQualityReport(const std::string& path, std::vector<LineQuality>& rows, std::string& error)
{
    rows.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    std::string line;
    if (!std::getline(in, line) || (line != kLineQualityHeader && line != std::string(kLineQualityHeader) + "\r")) {
        error = "it is not a line quality report (its first line is not \"" + std::string(kLineQualityHeader) + "\")";
        return false;
    }
    for (int number = 2; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::vector<std::string> cells;
        std::stringstream split(line);
        for (std::string cell; std::getline(split, cell, ',');)
            cells.push_back(cell);
        LineQuality q;
        const bool good = cells.size() == 7 && parse(cells[0], q.id) && parse(cells[1], q.vertices) &&
                          parse(cells[2], q.length) && (cells[3] == "open" || cells[3] == "closed") &&
                          parse(cells[4], q.freeEnds) && parse(cells[5], q.maxDistance) &&
                          parse(cells[6], q.meanDistance);
        if (!good) {
            error = "line " + std::to_string(number) + " is not a report row";
            return false;
        }
        q.closed = cells[3] == "closed";
        rows.push_back(q);
    }
    return true;
}

} // namespace orvane
