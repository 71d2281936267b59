// The vector file formats: one writer per format, one table of them.
//
// A writer only lays out text. The export driver (export_driver.h) opens the
// files, runs the progress display, decides which lines are written and
// writes each piece a writer assembles.
#pragma once

#include "formats/output_frame.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvane {

class CVectorLine;

/// What a writer knows of the export besides the line at hand.
struct ExportContext {
    double width = 0;              ///< image width in pixels
    double height = 0;             ///< image height in pixels
    std::int64_t nextPoint = 1;    ///< running vertex number (ASCII X,Y,Z)
    std::int64_t lineCount = 0;    ///< lines in the store, written or not
    std::int64_t linesWritten = 0; ///< lines written before the one at hand
    ExportOptions options;         ///< where points land, which DXF
};

/// One output format. Every function appends to `out`; null means the format
/// has no such part. Lines reach `line` only when they have vertices.
struct VectorWriter {
    std::string_view extension;   ///< upper case, with the dot: ".DXF"
    std::string_view description; ///< for file dialogs and help texts
    void (*header)(std::string& out, const ExportContext& context);
    void (*line)(std::string& out, const CVectorLine& line, ExportContext& context);
    void (*trailer)(std::string& out, const ExportContext& context);
    /// A companion file written beside the main one (upper-case extension),
    /// with one piece per written line; empty when there is none.
    std::string_view companionExtension;
    void (*companionLine)(std::string& out, const CVectorLine& line);
};

// The writers, each in its own file.
extern const VectorWriter kLineReportWriter; // .TXT
extern const VectorWriter kArcWriter;        // .ARC
extern const VectorWriter kDxfWriter;        // .DXF, DxfProfile::Classic
extern const VectorWriter kDxfR12Writer;     // .DXF, DxfProfile::R12
extern const VectorWriter kDxfR2000Writer;   // .DXF, DxfProfile::R2000
extern const VectorWriter kMifWriter;        // .MIF (+ .MID)
extern const VectorWriter kDiWriter;         // .DI
extern const VectorWriter kAscWriter;        // .ASC
extern const VectorWriter kSvgWriter;        // .SVG

/// Every format, in the order extensions are matched; .DXF appears once, as
/// its classic writer.
std::span<const VectorWriter* const> VectorWriters();

/// The writer of an extension such as ".dxf" (any case), or null. A .dxf
/// extension gives the writer of `dxf`.
const VectorWriter* FindVectorWriter(std::string_view extension, DxfProfile dxf = DxfProfile::Classic);

/// ".txt, .arc, .dxf, .mif, .di, .asc or .svg": the supported extensions,
/// for messages.
std::string SupportedVectorExtensions();

} // namespace orvane
