// The table of vector formats.
#include "formats/vector_writer.h"

#include <array>
#include <cctype>

namespace orvane {

std::span<const VectorWriter* const> VectorWriters()
{
    static const std::array<const VectorWriter*, 7> writers = {
        &kLineReportWriter, &kArcWriter, &kDxfWriter, &kMifWriter, &kDiWriter, &kAscWriter, &kSvgWriter};
    return writers;
}

const VectorWriter* FindVectorWriter(std::string_view extension, DxfProfile dxf)
{
    std::string upper(extension);
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    for (const VectorWriter* writer : VectorWriters()) {
        if (writer->extension != upper)
            continue;
        if (writer != &kDxfWriter)
            return writer;
        switch (dxf) {
        case DxfProfile::Classic:
            return &kDxfWriter;
        case DxfProfile::R12:
            return &kDxfR12Writer;
        case DxfProfile::R2000:
            return &kDxfR2000Writer;
        }
        return &kDxfWriter;
    }
    return nullptr;
}

std::string SupportedVectorExtensions()
{
    std::string list;
    auto writers = VectorWriters();
    for (std::size_t i = 0; i < writers.size(); ++i) {
        if (i > 0)
            list += i + 1 == writers.size() ? " or " : ", ";
        for (char c : writers[i]->extension)
            list += char(std::tolower(static_cast<unsigned char>(c)));
    }
    return list;
}

} // namespace orvane
