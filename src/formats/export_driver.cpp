// The export driver shared by every vector format.
#include "formats/export_driver.h"

#include "formats/vector_writer.h"
#include "port/atomic_file.h"
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

/// A file written under a temporary name beside its target; removed again
/// unless it was moved into place.
class PendingFile {
public:
    explicit PendingFile(std::filesystem::path target)
        : m_target(std::move(target)), m_temp(TemporaryPathBeside(m_target))
    {
        m_out.open(m_temp, std::ios::binary | std::ios::trunc);
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile()
    {
        if (m_out.is_open())
            m_out.close();
        std::error_code ec;
        std::filesystem::remove(m_temp, ec); // gone already when it was moved into place
    }

    bool isOpen() const { return m_out.is_open(); }
    void write(const std::string& text) { m_out.write(text.data(), std::streamsize(text.size())); }
    /// Flushes and closes; true when every byte reached the file.
    bool finish()
    {
        m_out.flush();
        const bool ok = m_out.good();
        m_out.close();
        return ok && !m_out.fail();
    }
    /// The rename that puts this file in place.
    std::pair<std::filesystem::path, std::filesystem::path> placement() const { return {m_temp, m_target}; }

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    std::ofstream m_out;
};

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
                     Port& port)
{
    if (path.empty() || store.GetLineCount() == 0)
        return 0;
    const std::string extension = FileExtension(path);
    if (extension.empty()) {
        ShowMessageBox(port, MessageButtons::Ok, "File extension not sepecified!");
        return 0;
    }
    const VectorWriter* writer = FindVectorWriter(extension);
    if (!writer) {
        ShowMessageBox(port, MessageButtons::Ok, "Unknown vector file extension \"%s\": use %s.", extension.c_str(),
                       SupportedVectorExtensions().c_str());
        return 0;
    }

    PendingFile file(path);
    std::unique_ptr<PendingFile> companion;
    if (writer->companionLine) {
        std::filesystem::path companionPath = path;
        companionPath.replace_extension(companionExtension(extension, writer->companionExtension));
        companion = std::make_unique<PendingFile>(companionPath);
    }
    if (!file.isOpen() || (companion && !companion->isOpen())) {
        ShowMessageBox(port, MessageButtons::Ok, "Unable to open file for saving!");
        return 0;
    }

    ProgressSession progress(port, "Save Vector...");
    progress.setRange(100);
    const int count = store.GetLineCount();
    const int step = count / 100 > 0 ? count / 100 : 1;
    ExportContext context{double(imageWidth), double(imageHeight), 1};
    bool cancelled = false;
    std::string piece;
    std::string companionPiece;

    if (writer->header) {
        writer->header(piece, context);
        file.write(piece);
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
        file.write(piece);
        if (companion) {
            companionPiece.clear();
            writer->companionLine(companionPiece, line);
            companion->write(companionPiece);
        }
    }
    if (writer->trailer) {
        piece.clear();
        writer->trailer(piece, context);
        file.write(piece);
    }
    const bool written = file.finish() && (!companion || companion->finish());
    if (progress.CheckCancel())
        cancelled = true;
    if (cancelled || !written)
        return 0;
    // The companion goes first, and both go in as one step: a failure puts
    // back what the folder held before.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> renames;
    if (companion)
        renames.push_back(companion->placement());
    renames.push_back(file.placement());
    return ReplaceFiles(renames) ? 1 : 0;
}

} // namespace orvane
