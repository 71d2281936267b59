// CVaroDoc: the desktop side of a document. It holds the core document
// (image, lines, histograms, file state), knows its windows, and carries
// the file commands that belong to a document.
#pragma once

#include "app/cmd_ui.h"
#include "document/document.h"
#include "document/undo_history.h"
#include "vector/line_quality.h"
#include "view/image_raster.h"

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvane::app {

class CChildFrame;
class CVaroApp;
class CVaroView;

/// The line quality report of a trace, with what made it.
struct TraceReport {
    std::vector<LineQuality> rows;
    QString command;           ///< the command that traced, as its undo step is named
    std::int16_t topology = 0; ///< kTopologySplit or kTopologyClean
    std::uint64_t lines = 0;   ///< fingerprint of the lines the trace left
};

class CVaroDoc : public QObject, public CommandTarget {
    Q_OBJECT
public:
    explicit CVaroDoc(CVaroApp& app);
    ~CVaroDoc() override;

    Document& core() { return m_doc; }
    const Document& core() const { return m_doc; }

    /// The full path of the image file.
    QString GetPathName() const;
    /// The file name the windows and questions show.
    QString GetTitle() const;
    bool IsModified() const { return m_doc.IsModified(); }
    void SetModifiedFlag(bool modified = true);

    /// Reads the image file (see Document::OnOpenDocument).
    OpenResult OnOpenDocument(const QString& path);

    // --- Commands -----------------------------------------------------------

    bool OnCmdMsg(int id, CmdUI* ui) override;
    /// Save Image: to the image's own file; true when saved.
    bool OnFileSave();
    /// Save Image As: asks for a name; true when saved.
    bool OnFileSaveAs();
    /// Save Vector As: asks for a name and writes the lines; true when saved.
    bool OnSaveVectorAs();
    /// Open Vector: reads an ARC file's lines into the store.
    void OnOpenVector();
    /// Recounts the histograms and repaints the histogram window.
    void UpdateHistogram();

    // --- Undo -------------------------------------------------------------------

    /// The changes made to this document, for Undo and Redo.
    UndoHistory& history() { return m_history; }
    /// Records a change just made: `before` holds what it replaced.
    void RecordChange(const QString& name, DocumentSnapshot before);
    /// Undo (Redo): the document goes back to the state before (after) the
    /// newest (newest undone) change; every window repaints.
    void OnEditUndo();
    void OnEditRedo();
    /// Everything about the document may have changed: screen pixels,
    /// windows, titles and the histogram window follow.
    void OnDocumentChanged();
    /// Empties the selection of every window: the lines were replaced, and
    /// the selected ids would name other lines.
    void ClearSelections();

    // --- Line quality ---------------------------------------------------------

    /// Keeps the report of a trace that has just replaced the lines,
    /// instead of any earlier one.
    void SetTraceReport(std::vector<LineQuality> rows, const QString& command, std::int16_t topology);
    /// The report of the last trace in this document; null before any.
    const TraceReport* traceReport() const { return m_report ? &*m_report : nullptr; }
    /// True when the lines differ from those the last trace left: edited,
    /// undone, or read from a file since. Undoing the edits (or redoing the
    /// trace) makes the report current again.
    bool LinesChangedSinceTrace() const;

    // --- Closing ------------------------------------------------------------

    /// Asks about unsaved image changes and lines; false when the user
    /// cancelled or a save did not happen.
    bool SaveModified();
    /// Whether the window may close: refused while an operation runs, and
    /// for the document's last window only after SaveModified.
    bool CanCloseFrame(CChildFrame* frame);
    /// True (after saying so in the status bar) while an operation runs on
    /// the document: the caller must not start, close or change anything.
    bool RefuseIfBusy();
    bool IsBusy() const { return m_doc.IsBusy(); }

    // --- Windows ------------------------------------------------------------

    void AddView(CVaroView* view);
    /// Forgets a view; the document closes with its last view.
    void RemoveView(CVaroView* view);
    const QList<CVaroView*>& views() const { return m_views; }
    /// Repaints every view (all of them but `sender` when given).
    void UpdateAllViews(CVaroView* sender = nullptr);
    /// The image's pixels changed: screen caches go and every view repaints.
    void OnImageChanged();
    /// The lines changed: every view repaints.
    void OnLinesChanged();
    /// Screen pixels of the image, shared by the document's views.
    ImageRaster& raster() { return m_raster; }

signals:
    void titleChanged();
    void histogramChanged();

private:
    void refreshTitles();
    void afterUndoOrRedo(const UndoHistory::Touched& touched);

    CVaroApp& m_app;
    Document m_doc;
    ImageRaster m_raster;
    UndoHistory m_history;
    QList<CVaroView*> m_views;
    std::optional<TraceReport> m_report;
};

} // namespace orvane::app
