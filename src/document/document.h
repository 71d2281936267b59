// The document: one open image with its vector lines, histograms and file
// state. The desktop program keeps one per window group and the command
// line one per input; neither needs a window to use it.
#pragma once

#include "document/document_snapshot.h"
#include "formats/output_frame.h"
#include "image/bitmap_image.h"
#include "image/scan_info.h"
#include "vector/line_store.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace orvane {

class Port;
struct AppSettings;
struct CommandOutcome;

/// How opening an image file went.
enum class OpenResult {
    Read,       ///< the image was read
    Rejected,   ///< the file is not a BMP this program reads: the document stays open, empty
    CannotOpen, ///< the file could not be opened at all: there is no document
};

/// Reads a scan of any format into an image, with what the file says of its
/// place and resolution; false with the reason. The programs that read more
/// than BMP pass one to Document::OnOpenDocument.
using ScanReader = std::function<bool(const std::filesystem::path& path, CBitmapImage& image, ScanInfo& info,
                                      std::string& why)>;

/// Writes lines to a vector file, as ExportVectorFile does; the programs
/// that write more formats pass one to Document::SaveVectorFile.
using VectorExporter = std::function<int(const CLineStore& store, int imageWidth, int imageHeight,
                                         const std::filesystem::path& path, Port& port, const ExportOptions& options,
                                         std::string* why)>;

/// How the user answered the questions asked before a document closes.
enum class CloseAnswer { Close, Cancel };

/// What closing asks the caller to do when the user wants to save: show a
/// dialog if needed and save, returning true once the data is safe.
struct SaveActions {
    std::function<bool()> saveImage;
    std::function<bool()> saveVectors;
};

class Document {
public:
    Document() = default;
    using Histogram = DocumentSnapshot::Histogram;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // --- File state -----------------------------------------------------

    const std::filesystem::path& GetPathName() const { return m_path; }
    void SetPathName(std::filesystem::path path) { m_path = std::move(path); }
    /// The file name without its folders ("Untitled" style names are the
    /// caller's business when there is no path).
    std::string GetFileName() const { return m_path.filename().string(); }

    /// The image differs from its file.
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    /// The lines changed since they were last saved or read.
    bool VectorsChanged() const { return m_bVectorsChanged; }
    void SetVectorsChanged(bool changed = true) { m_bVectorsChanged = changed; }

    /// An operation is running on the document: nothing may close it,
    /// change it or start a second operation on it until it ends.
    bool IsBusy() const { return m_nBusy > 0; }

    /// Marks the document busy for the lifetime of the guard.
    class BusyGuard {
    public:
        explicit BusyGuard(Document& doc) : m_doc(doc) { ++m_doc.m_nBusy; }
        ~BusyGuard() { --m_doc.m_nBusy; }
        BusyGuard(const BusyGuard&) = delete;
        BusyGuard& operator=(const BusyGuard&) = delete;

    private:
        Document& m_doc;
    };

    // --- Image files ----------------------------------------------------

    /// Reads a BMP file (or, through `reader`, a scan of any format) into
    /// the image: "Working..." then "Ready"; what the reader wants the user
    /// to know is shown in one box. A rejected file leaves the image empty
    /// (the document stays open with nothing to show), shows the loading
    /// error (with the reader's reason for other formats) and leaves "Error
    /// Loading Bitmap File". Either way the path is the one asked for and
    /// nothing is modified. A file that cannot be opened at all (missing, a
    /// folder, no permission) is reported with the system's reason and
    /// gives CannotOpen.
    OpenResult OnOpenDocument(const std::filesystem::path& path, Port& port, const ScanReader& reader = {});
    /// Writes the image as a BMP file, atomically: "Saving..." then "Ready",
    /// taking the path and clearing the modified flag. A document without an
    /// image, or a file that cannot be written, gives "Error Saving Bitmap
    /// File" (the system's reason follows on a second line) and changes
    /// nothing. Returns 1 when saved.
    int OnSaveDocument(const std::filesystem::path& path, Port& port);

    // --- Vector files ---------------------------------------------------

    /// The first step of Save Vector As: 1 when there are lines to save,
    /// else 0 after "No vector data found.".
    int CanSaveVectors(Port& port) const;
    /// Writes the lines to a vector file chosen by extension: "Saving..."
    /// then "Ready"; on failure "Error Saving Vector File" in a box and the
    /// status. A saved file clears the vectors-changed flag. Returns 1 when
    /// written. `options` place the lines and choose the DXF; `exporter`
    /// (when given) writes instead of ExportVectorFile.
    int SaveVectorFile(const std::filesystem::path& path, Port& port, const ExportOptions& options = {},
                       const VectorExporter& exporter = {});
    /// The first step of Open Vector: when there are lines, asks "Erase
    /// existing vector data?" and erases them on Yes.
    void AskToEraseVectors(Port& port);
    /// Reads an ARC file's lines after those in the store: "Opening..."
    /// then "Ready", or "Error Opening Vector File". Returns 1 when read.
    int OpenVectorFile(const std::filesystem::path& path, Port& port);

    // --- Histograms -----------------------------------------------------

    /// Recounts the three channel histograms of the image and raises the
    /// maxima where the new counts exceed them (they never go down).
    void UpdateHistogram();

    // --- Commands and undo ------------------------------------------------

    /// Records what a processing command did: an image it changed marks the
    /// document modified when the command says so, lines it replaced mark
    /// the vectors changed.
    void ApplyOutcome(const CommandOutcome& outcome);

    /// A copy of the parts of the document a change is about to touch
    /// (kSnapshotImage, kSnapshotLines or both), with both flags and the
    /// histograms. `complete` is false when memory ran out.
    DocumentSnapshot TakeSnapshot(unsigned parts = kSnapshotImage | kSnapshotLines) const;
    /// A copy of the bytes that hold pixel (x, y) (1-based), with the flags
    /// and histograms: all the pen changes.
    DocumentSnapshot TakePixelSnapshot(int x, int y) const;
    /// Exchanges the parts the snapshot holds, the flags and the histograms
    /// with the document's own: afterwards the document is as the snapshot
    /// was and the snapshot holds what the document was. Undo and redo are
    /// both this one step.
    void SwapSnapshot(DocumentSnapshot& snapshot);

    // --- Closing --------------------------------------------------------

    /// Asks before the document closes: about the image when it is modified
    /// (saving it through `actions.saveImage` on Yes), then about the lines
    /// when they changed since last saved or read. Cancel, or a save that
    /// did not happen, keeps the document open. `title` names the document
    /// in the questions.
    CloseAnswer SaveModified(Port& port, const std::string& title, const SaveActions& actions) const;

    CBitmapImage m_image;
    CLineStore m_lines;
    /// The open scan's place on a map and resolution, as its file said.
    ScanInfo m_scan;
    Histogram m_histRed{};
    Histogram m_histGreen{};
    Histogram m_histBlue{};
    std::int32_t m_nMaxRed = -1;
    std::int32_t m_nMaxGreen = -1;
    std::int32_t m_nMaxBlue = -1;
    std::int32_t m_nMaxCount = -1;

private:
    std::filesystem::path m_path;
    bool m_bModified = false;
    bool m_bVectorsChanged = false;
    int m_nBusy = 0;
};

/// The long loading message, line breaks included.
inline constexpr const char* kLoadBitmapError =
    "Error Loading Bitmap File\nIt might be corrupted or\nnot Windows BMP RGB-subtype file.";

} // namespace orvane
