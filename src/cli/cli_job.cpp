// One input of an orvane-cli run.
#include "cli/cli_job.h"

#include "cli/cli_port.h"
#include "commands/processing_commands.h"
#include "document/document.h"
#include "formats/arc_reader.h"
#include "formats/export_driver.h"
#include "formats/vector_writer.h"
#include "image/bitmap_image.h"
#include "image/bmp_file.h"
#include "settings/app_settings.h"
#include "vector/line_store.h"

#include <chrono>
#include <cstdio>
#include <system_error>

namespace orvane::cli {
namespace fs = std::filesystem;
namespace {

bool isFolderOutput(const Options& options)
{
    std::error_code ec;
    return options.inputs.size() > 1 || !options.formats.empty() || options.output.ends_with('/') ||
           fs::is_directory(options.output, ec);
}

AppSettings settingsFor(const Options& options)
{
    AppSettings settings;
    if (options.method >= 0)
        settings.m_nOneTouchMethod = std::int16_t(options.method);
    // Saving the processed image means keeping it rather than the original.
    settings.m_bRetainOriginal = options.saveImage.empty() ? 1 : 0;
    settings.m_cannySigma = options.sigma;
    settings.m_cannyHigh = options.high;
    settings.m_cannyLow = options.low;
    settings.m_bSmoothWhileVectorising = options.smooth ? 1 : 0;
    settings.m_bReduceWhileVectorising = options.reduce ? 1 : 0;
    settings.m_dReduceTolerance = options.tolerance;
    return settings;
}

/// Reads a BMP input, telling the user exactly why it cannot be used.
bool readImage(const std::string& input, CBitmapImage& image, CliPort& port)
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
    if (ReadBmpFile(image, input))
        return true;
    port.error("Error Loading Bitmap File: it might be corrupted or not Windows BMP RGB-subtype file "
               "(uncompressed, 1, 4, 8 or 24 bits per pixel).");
    return false;
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

std::vector<fs::path> OutputPaths(const Options& options, const std::string& input, std::string& error)
{
    if (!isFolderOutput(options)) {
        if (!options.producesVectors() && !(FileExtension(options.output) == ".bmp" || FileExtension(options.output) == ".BMP")) {
            error = "the output of an image command is a BMP file: " + options.output;
            return {};
        }
        return {fs::path(options.output)};
    }
    std::vector<std::string> formats = options.formats;
    if (!options.producesVectors())
        formats = {".bmp"};
    if (formats.empty()) {
        error = "with an output folder, say which formats to write with --format (dxf,mif,txt,arc,di,asc or all)";
        return {};
    }
    std::vector<fs::path> out;
    for (const std::string& ext : formats)
        out.push_back(fs::path(options.output) / (fs::path(input).stem().string() + ext));
    return out;
}

bool RunInput(const Options& options, const std::string& input, Terminal& terminal)
{
    CliPort port(terminal, fs::path(input).filename().string());
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    const std::vector<fs::path> outputs = OutputPaths(options, input, error);
    if (outputs.empty()) {
        port.error(error);
        return false;
    }
    if (options.producesVectors())
        for (const fs::path& out : outputs)
            if (!FindVectorWriter(FileExtension(out))) {
                port.error(FileExtension(out).empty()
                               ? "File extension not sepecified! (" + out.string() + ")"
                               : "unknown vector file extension \"" + FileExtension(out) +
                                     "\": use " + SupportedVectorExtensions());
                return false;
            }
    if (isFolderOutput(options)) {
        std::error_code ec;
        fs::create_directories(options.output, ec);
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
    } else {
        if (!readImage(input, image, port))
            return false;
        CommandOutcome outcome;
        if (options.command == Command::OneTouch)
            outcome = OneTouchCommand(image, store, port, settings);
        else if (options.command == Command::Vectorise)
            outcome = VectoriseCommand(image, store, port, settings);
        else
            outcome = runImageCommand(options, image, port);
        doc.ApplyOutcome(outcome);
        if (!outcome.succeeded) {
            port.error(std::string("failed: ") + (options.producesVectors() ? "Error: Vectorisation failed." : commandName(options.command)));
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
        const int width = options.command == Command::Convert ? options.width : image.GetWidth();
        const int height = options.command == Command::Convert ? options.height : image.GetHeight();
        if (store.GetLineCount() == 0) {
            port.error("No vector data found.");
            return false;
        }
        for (const fs::path& out : outputs)
            if (!ExportVectorFile(store, width, height, out, port)) {
                port.error("Error Saving Vector File: " + out.string());
                ok = false;
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
