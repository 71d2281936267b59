// The export driver shared by every vector format.
#include "formats/export_driver.h"

#include "formats/vector_writer.h"
#include "files/atomic_file.h"
#include "port/port.h"
#include "vector/line_store.h"

#include <cctype>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace orvane {
namespace {

/// The companion's extension in the letter case of the main extension:
/// ".mif" gives ".mid", ".MIF" gives ".MID".
std::string companionExtension(const std::string& extension, std::string_view companion)
{
    std::string out(companion);
    for (std::size_t i = 0; i < out.size() && i < extension.size(); ++i)
        if (std::islower(static_cast<unsigned char>(extension[i])))
            out[i] = char(std::tolower(static_cast<unsigned char>(out[i])));
    return out;
}

} // namespace

std::string FileExtension(const std::filesystem::path& path)
{
    const std::string name = path.filename().string();
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

int ExportVectorFile(const CLineStore& store, int imageWidth, int imageHeight, const std::filesystem::path& path,
                     Port& port, std::string* why)
{
    return ExportVectorFile(store, imageWidth, imageHeight, path, port, ExportOptions{}, why);
}

int ExportVectorFile(const CLineStore& store, int imageWidth, int imageHeight, const std::filesystem::path& path,
                     Port& port, const ExportOptions& options, std::string* why)
{
    auto failed = [why](std::string reason) {
        if (why)
            *why = std::move(reason);
        return 0;
    };
    if (path.empty())
        return failed("no file name");
    if (store.GetLineCount() == 0)
        return failed("there are no lines");
    const std::string extension = FileExtension(path);
    if (extension.empty()) {
        ShowMessageBox(port, MessageButtons::Ok, "File extension not sepecified!");
        return failed("the file name has no extension");
    }
    const VectorWriter* writer = FindVectorWriter(extension, options.dxf);
    if (!writer) {
        ShowMessageBox(port, MessageButtons::Ok, "Unknown vector file extension \"%s\": use %s.", extension.c_str(),
                       SupportedVectorExtensions().c_str());
        return failed("unknown extension " + extension);
    }

    AtomicFile file(path);
    std::unique_ptr<AtomicFile> companion;
    if (writer->companionLine) {
        std::filesystem::path companionPath = path;
        companionPath.replace_extension(companionExtension(extension, writer->companionExtension));
        companion = std::make_unique<AtomicFile>(companionPath);
    }
    if (!file.IsOpen() || (companion && !companion->IsOpen())) {
        ShowMessageBox(port, MessageButtons::Ok, "Unable to open file for saving!");
        return failed(!file.IsOpen() ? file.Error() : companion->Error());
    }

    ProgressSession progress(port, "Save Vector...");
    progress.setRange(100);
    const int count = store.GetLineCount();
    const int step = count / 100 > 0 ? count / 100 : 1;
    ExportContext context;
    context.width = double(imageWidth);
    context.height = double(imageHeight);
    context.lineCount = count;
    context.options = options;
    bool cancelled = false;
    std::string piece;
    std::string companionPiece;

    if (writer->header) {
        writer->header(piece, context);
        file.Write(piece);
    }
    for (int i = 0; i < count; ++i) {
        if (i % 100 == 0 && progress.CheckCancel()) {
            cancelled = true;
            break;
        }
        if (i % step == 0)
            progress.setPos(i / step);
        const CVectorLine& line = store.line(i);
        if (line.m_nodes.empty())
            continue;
        piece.clear();
        writer->line(piece, line, context);
        ++context.linesWritten;
        file.Write(piece);
        if (companion) {
            companionPiece.clear();
            writer->companionLine(companionPiece, line);
            companion->Write(companionPiece);
        }
    }
    if (writer->trailer) {
        piece.clear();
        writer->trailer(piece, context);
        file.Write(piece);
    }
    const bool written = file.Finish() && (!companion || companion->Finish());
    if (progress.CheckCancel())
        cancelled = true;
    if (cancelled)
        return failed("cancelled");
    if (!written)
        return failed(!file.Error().empty() ? file.Error() : companion->Error());
    // The companion goes first, and both go in as one step: a failure puts
    // back what the folder held before.
    std::vector<AtomicFile*> files;
    if (companion)
        files.push_back(companion.get());
    files.push_back(&file);
    std::string reason;
    if (!CommitFiles(files, &reason))
        return failed(reason);
    return 1;
}

} // namespace orvane
