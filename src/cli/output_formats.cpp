// The vector outputs of the command line.
#include "cli/output_formats.h"

#include "formats/vector_writer.h"
#include "raster/gis_export.h"

#include <cctype>

namespace orvane::cli {
namespace {

constexpr const char* kGisExtensions[] = {".gpkg", ".shp", ".geojson", ".fgb"};

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

bool IsVectorOutputExtension(std::string_view extension)
{
    return FindVectorWriter(extension) != nullptr || raster::IsGisExtension(extension);
}

std::vector<std::string> AllVectorOutputExtensions()
{
    std::vector<std::string> all;
    for (const VectorWriter* writer : VectorWriters())
        all.push_back(lower(writer->extension));
    for (const char* extension : kGisExtensions)
        all.emplace_back(extension);
    return all;
}

std::string FormatNames()
{
    std::string names;
    const std::vector<std::string> all = AllVectorOutputExtensions();
    for (std::size_t i = 0; i < all.size(); ++i)
        names += (i == 0 ? "" : ", ") + all[i].substr(1);
    return names;
}

std::string ExtensionList()
{
    std::string list;
    const std::vector<std::string> all = AllVectorOutputExtensions();
    for (std::size_t i = 0; i < all.size(); ++i)
        list += (i == 0 ? "" : i + 1 == all.size() ? " or " : ", ") + all[i];
    return list;
}

} // namespace orvane::cli
