// One input of an orvane-cli run.
#include "cli/cli_job.h"

#include "cli/cli_port.h"
#include "cli/memory_budget.h"
#include "commands/processing_commands.h"
#include "document/document.h"
#include "formats/arc_reader.h"
#include "formats/export_driver.h"
#include "formats/line_quality_report.h"
#include "formats/vector_writer.h"
#include "image/bitmap_image.h"
#include "image/bmp_file.h"
#include "image/scan_info.h"
#include "raster/gis_export.h"
#include "raster/placement.h"
#include "raster/scan_reader.h"
#include "settings/app_settings.h"
#include "vector/line_quality.h"
#include "vector/line_store.h"

#include <chrono>
#include <cstdio>
#include <system_error>

namespace orvane::cli {
namespace fs = std::filesystem;
namespace {

AppSettings settingsFor(const Options& options)
{
    AppSettings settings;
    if (options.method >= 0)
        settings.m_nOneTouchMethod = std::int16_t(options.method);
    // The run keeps no image but the processed one it may save, so One-Touch
    // need not hold the original for putting back under the lines.
    settings.m_bRetainOriginal = 0;
    settings.m_cannySigma = options.sigma;
    settings.m_cannyHigh = options.high;
    settings.m_cannyLow = options.low;
    settings.m_bSmoothWhileVectorising = options.smooth ? 1 : 0;
    settings.m_bReduceWhileVectorising = options.reduce ? 1 : 0;
    settings.m_dReduceTolerance = options.tolerance;
    settings.m_nTopology = options.cleanTopology ? kTopologyClean : kTopologySplit;
    settings.m_nDespeckleSize = options.despeckle;
    if (options.toleranceGiven)
        settings.m_dCleanTolerance = options.tolerance;
    return settings;
}

/// Whether the scan is only thinned and traced, and never seen or saved:
/// then its ink is all that needs reading.
bool inkOnly(const Options& options)
{
    return options.command == Command::OneTouch && options.saveImage.empty() &&
           settingsFor(options).m_nOneTouchMethod != kOneTouchCanny;
}

/// Reads a scan, telling the user exactly why it cannot be used and what
/// they should know about how it was read.
bool readImage(const std::string& input, const Options& options, CBitmapImage& image, ScanInfo& info, CliPort& port)
{
    std::error_code ec;
    if (!fs::exists(input, ec)) {
        port.error("cannot open: no such file");
        return false;
    }
    if (fs::is_directory(input, ec)) {
        port.error("cannot open: it is a folder");
        return false;
    }
    std::string why;
    if (!raster::ReadScan(input, image, info, why, options.georef && options.producesVectors(), inkOnly(options))) {
        port.error(why);
        return false;
    }
    for (const std::string& note : info.notes)
        port.note(note);
    return true;
}

std::size_t vertexCount(const CLineStore& store)
{
    std::size_t n = 0;
    for (const auto& line : store.lines())
        n += line->m_nodes.size();
    return n;
}

int exportedLineCount(const CLineStore& store)
{
    int n = 0;
    for (const auto& line : store.lines())
        n += line->m_nodes.empty() ? 0 : 1;
    return n;
}

CommandOutcome runImageCommand(const Options& options, CBitmapImage& image, CliPort& port)
{
    const AppSettings settings = settingsFor(options);
    switch (options.command) {
    case Command::Grey: return GreyScaleCommand(image, port);
    case Command::Threshold: return ThresholdCommand(image, port, options.lower, options.upper);
    case Command::Thin: return ThinCommand(image, port, std::uint16_t(options.method < 0 ? 1 : options.method));
    case Command::Canny: return EdgeDetectCommand(image, port, settings);
    default: return {};
    }
}

const char* commandName(Command command)
{
    switch (command) {
    case Command::OneTouch: return "One-Touch";
    case Command::Vectorise: return "vectorising";
    case Command::Grey: return "grey scale";
    case Command::Threshold: return "threshold";
    case Command::Thin: return "thinning";
    case Command::Canny: return "edge detection";
    default: return "";
    }
}

std::string joined(const std::vector<fs::path>& paths)
{
    std::string out;
    for (const fs::path& p : paths)
        out += (out.empty() ? "" : ", ") + p.string();
    return out;
}

} // namespace

bool RunInput(const Options& options, const Job& job, Terminal& terminal, MemoryBudget& budget)
{
    const std::string& input = job.input;
    const std::vector<fs::path>& outputs = job.outputs;
    CliPort port(terminal, fs::path(input).filename().string());
    if (terminal.interrupted) {
        port.error("interrupted; not started");
        return false;
    }
    const auto start = std::chrono::steady_clock::now();

    // The whole job's memory, before anything is allocated.
    int width = 0, height = 0, bits = 0;
    std::uint64_t need = 0;
    if (options.command != Command::Convert && raster::ReadScanSize(input, width, height, bits))
        need = EstimateJobBytes(width, height, bits, options.command, options.cleanTopology);
    const Reservation memory(budget, need);
    if (!memory.Granted()) {
        port.error("not enough memory: this " + std::to_string(width) + " x " + std::to_string(height) +
                   " image needs about " + ReadableBytes(need) + " for " + commandName(options.command) +
                   ", and the machine has " + ReadableBytes(budget.Total()) + " free");
        return false;
    }
    if (!job.folder.empty()) {
        std::error_code ec;
        fs::create_directories(job.folder, ec);
    }

    Document doc;
    CBitmapImage& image = doc.m_image;
    CLineStore& store = doc.m_lines;
    const AppSettings settings = settingsFor(options);
    if (options.command == Command::Convert) {
        std::string why;
        if (!ReadVectorFile(store, input, port, &why)) {
            port.error("Error Opening Vector File" + (why.empty() ? std::string() : ": " + why));
            return false;
        }
    }
    std::vector<LineQuality> quality;
    ScanInfo scan;
    if (options.command != Command::Convert && !readImage(input, options, image, scan, port))
        return false;
    // Where the lines land, known before any work so that a file that
    // cannot hold the map's coordinate system stops the job at once.
    ExportOptions exportOptions;
    exportOptions.dxf = options.dxf;
    if (options.producesVectors()) {
        raster::PlacementChoice choice{options.georef, options.unit, options.dpi};
        std::vector<std::string> notes;
        std::string why;
        if (!raster::ChooseOutputFrame(scan, choice, exportOptions.frame, why, notes)) {
            port.error(why);
            return false;
        }
        for (const std::string& note : notes)
            port.note(note);
        for (const fs::path& out : outputs)
            if (const std::string loss = raster::CrsLoss(out, exportOptions.frame); !loss.empty() && !options.withoutCrs) {
                port.error(loss + ": write .gpkg, .shp, .geojson or .fgb, or add --without-crs to write " +
                           out.filename().string() + " without it");
                return false;
            }
    }
    if (options.command != Command::Convert) {
        CommandOutcome outcome;
        std::vector<LineQuality>* wanted = options.report.empty() ? nullptr : &quality;
        if (options.command == Command::OneTouch)
            outcome = OneTouchCommand(image, store, port, settings, wanted);
        else if (options.command == Command::Vectorise)
            outcome = VectoriseCommand(image, store, port, settings, wanted);
        else
            outcome = runImageCommand(options, image, port);
        doc.ApplyOutcome(outcome);
        if (!outcome.succeeded) {
            if (terminal.interrupted) {
                port.error("interrupted; nothing written");
                return false;
            }
            // The core's failure text names the step: thinning, edges or tracing.
            std::string why = port.lastStatus();
            while (!why.empty() && why.back() == ' ')
                why.pop_back();
            port.error("failed: " + (why.empty() ? std::string(commandName(options.command)) : why));
            return false;
        }
    }

    // A cancelled image step still counts as done; an interrupted run must
    // not write what it left half processed.
    if (terminal.interrupted) {
        port.error("interrupted; nothing written");
        return false;
    }
    bool ok = true;
    if (!options.producesVectors()) {
        std::string why;
        if (!WriteBmpFile(image, outputs[0], &why)) {
            port.error("Error Saving Bitmap File: " + why);
            return false;
        }
    } else {
        const int imageWidth = options.command == Command::Convert ? options.width : image.GetWidth();
        const int imageHeight = options.command == Command::Convert ? options.height : image.GetHeight();
        if (store.GetLineCount() == 0) {
            port.error("No vector data found.");
            return false;
        }
        for (const fs::path& out : outputs) {
            std::string why;
            const bool written = raster::IsGisExtension(FileExtension(out))
                                     ? raster::ExportGisFile(store, exportOptions.frame, out, port, &why)
                                     : ExportVectorFile(store, imageWidth, imageHeight, out, port, exportOptions, &why);
            if (!written) {
                port.error("Error Saving Vector File: " + out.string() + (why.empty() ? "" : ": " + why));
                ok = false;
            }
        }
        if (ok && !options.report.empty()) {
            std::string why;
            if (!WriteLineQualityReport(options.report, quality, why)) {
                port.error("Error Saving Line Report: " + options.report + ": " + why);
                ok = false;
            }
        }
        if (ok && !options.saveImage.empty()) {
            std::string why;
            if (!WriteBmpFile(image, options.saveImage, &why)) {
                port.error("Error Saving Bitmap File: " + why);
                ok = false;
            }
        }
    }
    if (!ok || terminal.quiet)
        return ok;

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::lock_guard guard(terminal.lock);
    if (options.producesVectors())
        std::printf("%s: %d lines, %zu vertices in %.2f s -> %s\n", input.c_str(), exportedLineCount(store),
                    vertexCount(store), seconds, joined(outputs).c_str());
    else
        std::printf("%s: %s done in %.2f s -> %s\n", input.c_str(), commandName(options.command), seconds,
                    outputs[0].string().c_str());
    std::fflush(stdout);
    return true;
}

} // namespace orvane::cli
