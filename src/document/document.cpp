// The document's file handling, histograms, snapshots and close questions.
#include "document/document.h"

#include "commands/processing_commands.h"
#include "formats/arc_reader.h"
#include "formats/export_driver.h"
#include "image/bmp_file.h"
#include "port/port.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace orvane {
namespace {

/// Why a file cannot be opened for reading, or "" when it can.
std::string whyUnreadable(const std::filesystem::path& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return ec ? ec.message() : "No such file.";
    if (std::filesystem::is_directory(path, ec))
        return "It is a folder, not a file.";
    errno = 0;
    std::ifstream probe(path, std::ios::binary);
    if (!probe)
        return errno ? std::strerror(errno) : "It cannot be read.";
    return {};
}

bool isBmpName(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".bmp";
}

/// Shows `text`, with `why` on a line of its own after it when there is one.
void showFailure(Port& port, const char* text, const std::string& why)
{
    if (why.empty())
        ShowMessageBox(port, MessageButtons::Ok, "%s", text);
    else
        ShowMessageBox(port, MessageButtons::Ok, "%s\n%s", text, why.c_str());
}

} // namespace

OpenResult Document::OnOpenDocument(const std::filesystem::path& path, Port& port, const ScanReader& reader)
{
    m_scan = ScanInfo();
    m_path = path;
    m_bModified = false;
    m_bVectorsChanged = false;
    SetStatusText(&port, 0, "Working...");
    if (const std::string why = whyUnreadable(path); !why.empty()) {
        m_image = CBitmapImage();
        ShowMessageBox(port, MessageButtons::Ok, "Failed to open document.\n%s\n%s", path.string().c_str(),
                       why.c_str());
        SetStatusText(&port, 0, "Ready");
        return OpenResult::CannotOpen;
    }
    std::string why;
    const bool bmp = !reader || isBmpName(path);
    const bool read = reader ? reader(path, m_image, m_scan, why) : ReadBmpFile(m_image, path) == 1;
    if (!read) {
        m_image = CBitmapImage();
        m_scan = ScanInfo();
        if (bmp)
            ShowMessageBox(port, MessageButtons::Ok, "%s", kLoadBitmapError);
        else
            ShowMessageBox(port, MessageButtons::Ok, "Error Loading Bitmap File\n%s: %s", path.filename().string().c_str(),
                           why.c_str());
        SetStatusText(&port, 0, "Error Loading Bitmap File");
        return OpenResult::Rejected;
    }
    if (!m_scan.notes.empty()) {
        std::string notes;
        for (const std::string& note : m_scan.notes)
            notes += (notes.empty() ? "" : "\n") + note;
        ShowMessageBox(port, MessageButtons::Ok, "%s: %s", path.filename().string().c_str(), notes.c_str());
    }
    SetStatusText(&port, 0, "Ready");
    return OpenResult::Read;
}

int Document::OnSaveDocument(const std::filesystem::path& path, Port& port)
{
    SetStatusText(&port, 0, "Saving...");
    std::string why;
    if (!WriteBmpFile(m_image, path, &why)) {
        showFailure(port, "Error Saving Bitmap File", why);
        SetStatusText(&port, 0, "Error Saving Bitmap File");
        return 0;
    }
    m_path = path;
    m_bModified = false;
    SetStatusText(&port, 0, "Ready");
    return 1;
}

int Document::CanSaveVectors(Port& port) const
{
    if (m_lines.GetLineCount() > 0)
        return 1;
    ShowMessageBox(port, MessageButtons::Ok, "No vector data found.");
    return 0;
}

int Document::SaveVectorFile(const std::filesystem::path& path, Port& port, const ExportOptions& options,
                             const VectorExporter& exporter)
{
    SetStatusText(&port, 0, "Saving...");
    std::string why;
    const int written = exporter ? exporter(m_lines, m_image.GetWidth(), m_image.GetHeight(), path, port, options, &why)
                                 : ExportVectorFile(m_lines, m_image.GetWidth(), m_image.GetHeight(), path, port,
                                                    options, &why);
    if (!written) {
        showFailure(port, "Error Saving Vector File", why == "cancelled" ? std::string() : why);
        SetStatusText(&port, 0, "Error Saving Vector File");
        return 0;
    }
    m_bVectorsChanged = false;
    SetStatusText(&port, 0, "Ready");
    return 1;
}

void Document::AskToEraseVectors(Port& port)
{
    if (m_lines.GetLineCount() == 0)
        return;
    if (ShowMessageBox(port, MessageButtons::YesNo, "Erase existing vector data?") != MessageAnswer::Yes)
        return;
    m_lines.DeleteAllLines();
    m_bVectorsChanged = true;
}

int Document::OpenVectorFile(const std::filesystem::path& path, Port& port)
{
    const int linesBefore = m_lines.GetLineCount();
    SetStatusText(&port, 0, "Opening...");
    std::string why;
    if (!ReadVectorFile(m_lines, path, port, &why)) {
        showFailure(port, "Error Opening Vector File", why);
        SetStatusText(&port, 0, "Error Opening Vector File");
        return 0;
    }
    // Lines kept from before now sit beside the file's: no file holds both.
    m_bVectorsChanged = linesBefore > 0;
    SetStatusText(&port, 0, "Ready");
    return 1;
}

void Document::UpdateHistogram()
{
    std::array<std::uint32_t, 256> red{}, green{}, blue{};
    m_image.ComputeHistogram(red, green, blue);
    auto store = [](Histogram& to, const std::array<std::uint32_t, 256>& from, std::int32_t& max) {
        for (std::size_t i = 0; i < to.size(); ++i) {
            to[i] = from[i] > std::uint32_t(INT32_MAX) ? INT32_MAX : std::int32_t(from[i]);
            if (to[i] > max)
                max = to[i];
        }
    };
    store(m_histRed, red, m_nMaxRed);
    store(m_histGreen, green, m_nMaxGreen);
    store(m_histBlue, blue, m_nMaxBlue);
    for (std::int32_t channelMax : {m_nMaxRed, m_nMaxGreen, m_nMaxBlue})
        if (channelMax > m_nMaxCount)
            m_nMaxCount = channelMax;
}

void Document::ApplyOutcome(const CommandOutcome& outcome)
{
    if (outcome.markModified)
        m_bModified = true;
    if (outcome.linesReplaced)
        m_bVectorsChanged = true;
}

DocumentSnapshot Document::TakeSnapshot(unsigned parts) const
{
    DocumentSnapshot snapshot;
    snapshot.imageModified = m_bModified;
    snapshot.vectorsChanged = m_bVectorsChanged;
    snapshot.histRed = m_histRed;
    snapshot.histGreen = m_histGreen;
    snapshot.histBlue = m_histBlue;
    snapshot.maxRed = m_nMaxRed;
    snapshot.maxGreen = m_nMaxGreen;
    snapshot.maxBlue = m_nMaxBlue;
    snapshot.maxCount = m_nMaxCount;
    if (parts & kSnapshotImage) {
        snapshot.image = m_image.Clone();
        snapshot.complete = snapshot.image->IsEmpty() == m_image.IsEmpty();
    }
    if (parts & kSnapshotLines)
        snapshot.lines = m_lines;
    return snapshot;
}

DocumentSnapshot Document::TakePixelSnapshot(int x, int y) const
{
    DocumentSnapshot snapshot = TakeSnapshot(0);
    if (x < 1 || y < 1 || x > m_image.GetWidth() || y > m_image.GetHeight())
        return snapshot;
    const int bits = m_image.GetBitCount();
    const std::size_t column = std::size_t(x - 1);
    const std::size_t first = bits > 8 ? 3 * column : column * std::size_t(bits) / 8;
    const std::size_t count = bits > 8 ? 3 : 1;
    const std::uint8_t* row = m_image.GetRow(y);
    const std::size_t offset = std::size_t(row - m_image.GetBits()) + first;
    snapshot.pixels.push_back({offset, std::vector<std::uint8_t>(row + first, row + first + count)});
    return snapshot;
}

void Document::SwapSnapshot(DocumentSnapshot& snapshot)
{
    if (snapshot.image)
        std::swap(m_image, *snapshot.image);
    for (PixelPatch& patch : snapshot.pixels)
        if (patch.offset + patch.bytes.size() <= m_image.GetBitsSize())
            std::swap_ranges(patch.bytes.begin(), patch.bytes.end(), m_image.GetBits() + patch.offset);
    if (snapshot.lines)
        std::swap(m_lines, *snapshot.lines);
    std::swap(m_bModified, snapshot.imageModified);
    std::swap(m_bVectorsChanged, snapshot.vectorsChanged);
    std::swap(m_histRed, snapshot.histRed);
    std::swap(m_histGreen, snapshot.histGreen);
    std::swap(m_histBlue, snapshot.histBlue);
    std::swap(m_nMaxRed, snapshot.maxRed);
    std::swap(m_nMaxGreen, snapshot.maxGreen);
    std::swap(m_nMaxBlue, snapshot.maxBlue);
    std::swap(m_nMaxCount, snapshot.maxCount);
}

CloseAnswer Document::SaveModified(Port& port, const std::string& title, const SaveActions& actions) const
{
    if (m_bModified) {
        const MessageAnswer answer =
            ShowMessageBox(port, MessageButtons::YesNoCancel, "Save changes to %s?", title.c_str());
        if (answer == MessageAnswer::Cancel)
            return CloseAnswer::Cancel;
        if (answer == MessageAnswer::Yes && !(actions.saveImage && actions.saveImage()))
            return CloseAnswer::Cancel;
    }
    if (m_bVectorsChanged && m_lines.GetLineCount() > 0) {
        const MessageAnswer answer = ShowMessageBox(port, MessageButtons::YesNoCancel,
                                                    "Save changes to the vector lines of %s?", title.c_str());
        if (answer == MessageAnswer::Cancel)
            return CloseAnswer::Cancel;
        if (answer == MessageAnswer::Yes && !(actions.saveVectors && actions.saveVectors()))
            return CloseAnswer::Cancel;
    }
    return CloseAnswer::Close;
}

} // namespace orvane
