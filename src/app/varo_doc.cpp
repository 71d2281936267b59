// The desktop document.
#include "app/varo_doc.h"

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/desktop_port.h"
#include "app/main_frame.h"
#include "app/varo_app.h"
#include "app/wait_cursor.h"
#include "app/varo_view.h"

#include "formats/export_driver.h"
#include "raster/gis_export.h"
#include "raster/placement.h"
#include "raster/scan_reader.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>

namespace orvane::app {
namespace {

const QStringList kImageFilters{QStringLiteral("BMP Files(*.BMP)"), QStringLiteral("All Files (*)")};
const QStringList kVectorFilters{
    QStringLiteral("AutoCAD DXF (*.dxf)"),      QStringLiteral("MapInfo Interchange (*.mif)"),
    QStringLiteral("Orvane Data (*.txt)"),      QStringLiteral("R2U ARC File (*.arc)"),
    QStringLiteral("Genamap Type 19-Input File (*.DI)"), QStringLiteral("ASCII X,Y,Z Format (*.asc)"),
    QStringLiteral("Scalable Vector Graphics (*.svg)"), QStringLiteral("GeoPackage (*.gpkg)"),
    QStringLiteral("Shapefile (*.shp)"),          QStringLiteral("GeoJSON (*.geojson)"),
    QStringLiteral("FlatGeobuf (*.fgb)")};

/// Writes through GDAL for the GIS formats and through the core otherwise.
int exportAnyFormat(const CLineStore& store, int width, int height, const std::filesystem::path& path, Port& port,
                    const ExportOptions& options, std::string* why)
{
    if (raster::IsGisExtension(path.extension().string()))
        return raster::ExportGisFile(store, options.frame, path, port, why);
    return ExportVectorFile(store, width, height, path, port, options, why);
}

bool isBmpPath(const QString& path) { return QFileInfo(path).suffix().compare(QStringLiteral("bmp"), Qt::CaseInsensitive) == 0; }

std::filesystem::path toPath(const QString& path) { return std::filesystem::path(path.toStdString()); }

/// A 64-bit FNV-1a hash of every line's id and vertices, in store order:
/// equal stores give equal fingerprints, and any edit almost surely another.
std::uint64_t fingerprint(const CLineStore& store)
{
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i)
            hash = (hash ^ bytes[i]) * 1099511628211ull;
    };
    for (const auto& line : store.lines()) {
        const std::int32_t head[2] = {line->m_nId, std::int32_t(line->m_nodes.size())};
        mix(head, sizeof head);
        for (const VectorNode& node : line->m_nodes) {
            mix(&node.m_dX, sizeof node.m_dX);
            mix(&node.m_dY, sizeof node.m_dY);
        }
    }
    return hash;
}

} // namespace

CVaroDoc::CVaroDoc(CVaroApp& app) : QObject(&app), m_app(app) {}

CVaroDoc::~CVaroDoc() = default;

QString CVaroDoc::GetPathName() const { return QString::fromStdString(m_doc.GetPathName().string()); }

QString CVaroDoc::GetTitle() const
{
    const QString name = QString::fromStdString(m_doc.GetFileName());
    return name.isEmpty() ? QString::fromLatin1(kAppTitle) : name;
}

void CVaroDoc::SetModifiedFlag(bool modified)
{
    m_doc.SetModifiedFlag(modified);
    refreshTitles();
}

OpenResult CVaroDoc::OnOpenDocument(const QString& path)
{
    DesktopPort port(m_app);
    WaitCursor wait;
    const OpenResult result = m_doc.OnOpenDocument(
        toPath(path), port, [](const std::filesystem::path& file, CBitmapImage& image, ScanInfo& info, std::string& why) {
            return raster::ReadScan(file, image, info, why);
        });
    m_raster.Invalidate();
    UpdateAllViews();
    refreshTitles();
    return result;
}

bool CVaroDoc::OnCmdMsg(int id, CmdUI* ui)
{
    switch (id) {
    case ID_EDIT_UNDO:
    case ID_EDIT_REDO: {
        const bool undo = id == ID_EDIT_UNDO;
        if (ui) {
            const QString name = QString::fromStdString(undo ? m_history.UndoName() : m_history.RedoName());
            ui->enabled = !IsBusy() && !name.isEmpty();
            const QString verb = undo ? QStringLiteral("&Undo") : QStringLiteral("&Redo");
            const QString key = undo ? QStringLiteral("\tCtrl-Z") : QStringLiteral("\tCtrl-Y");
            ui->text = (name.isEmpty() ? verb : verb + u' ' + name) + key;
        } else if (undo) {
            OnEditUndo();
        } else {
            OnEditRedo();
        }
        return true;
    }
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
    case ID_SAVE_VECTOR_AS:
    case ID_OPEN_VECTOR:
    case ID_FILE_CLOSE: break;
    default: return false;
    }
    if (ui) {
        ui->enabled = !IsBusy();
        return true;
    }
    switch (id) {
    case ID_FILE_SAVE: OnFileSave(); break;
    case ID_FILE_SAVE_AS: OnFileSaveAs(); break;
    case ID_SAVE_VECTOR_AS: OnSaveVectorAs(); break;
    case ID_OPEN_VECTOR: OnOpenVector(); break;
    case ID_FILE_CLOSE:
        if (RefuseIfBusy() || !SaveModified())
            break;
        for (CVaroView* view : QList<CVaroView*>(m_views))
            if (auto* frame = qobject_cast<CChildFrame*>(view->parentWidget()))
                frame->CloseWithoutAsking();
        break;
    }
    return true;
}

bool CVaroDoc::OnFileSave()
{
    // Only BMP is written: a scan opened from another format is saved
    // under a new name rather than written over with another format.
    if (m_doc.GetPathName().empty() || !isBmpPath(GetPathName()))
        return OnFileSaveAs();
    if (RefuseIfBusy())
        return false;
    DesktopPort port(m_app);
    WaitCursor wait;
    const bool saved = m_doc.OnSaveDocument(m_doc.GetPathName(), port) == 1;
    if (saved)
        m_history.MarkSaved(true, false);
    refreshTitles();
    return saved;
}

bool CVaroDoc::OnFileSaveAs()
{
    if (RefuseIfBusy())
        return false;
    DesktopPort port(m_app);
    if (m_doc.m_image.IsEmpty()) {
        // Nothing to write: say so before the user picks a name.
        return m_doc.OnSaveDocument({}, port) == 1;
    }
    QString start = GetPathName();
    if (!start.isEmpty() && !isBmpPath(start))
        start = QFileInfo(start).path() + QLatin1Char('/') + QFileInfo(start).completeBaseName() +
                QStringLiteral(".bmp");
    FileDialogRequest request{true, QStringLiteral("Save Image As"), kImageFilters, 0, QStringLiteral("bmp"), start,
                              true};
    const QString path = m_app.GetFileName(request);
    if (path.isEmpty())
        return false;
    WaitCursor wait;
    if (m_doc.OnSaveDocument(toPath(path), port) != 1)
        return false;
    m_history.MarkSaved(true, false);
    m_app.AddToRecentFileList(path);
    refreshTitles();
    return true;
}

bool CVaroDoc::OnSaveVectorAs()
{
    if (RefuseIfBusy())
        return false;
    DesktopPort port(m_app);
    if (!m_doc.CanSaveVectors(port))
        return false;
    QString start = QFileInfo(GetPathName()).absolutePath();
    FileDialogRequest request{true, QStringLiteral("Save Vector As"), kVectorFilters, 0, QStringLiteral("dxf"),
                              start, true};
    const QString path = m_app.GetFileName(request);
    if (path.isEmpty())
        return false;
    // Where the lines land: the choices of Vector Output Option, applied to
    // what the scan said of itself.
    const AppSettings& settings = m_app.m_settings;
    ExportOptions options;
    options.dxf = DxfProfile(std::clamp(settings.m_nDxfProfile, 0, 2));
    const OutputUnit units[] = {OutputUnit::Pixel, OutputUnit::Millimetre, OutputUnit::Inch};
    raster::PlacementChoice choice{settings.m_bUseGeoreferencing != 0,
                                   units[std::clamp(settings.m_nOutputUnits, 0, 2)], settings.m_dOutputDpi};
    std::vector<std::string> notes;
    std::string why;
    if (!raster::ChooseOutputFrame(m_doc.m_scan, choice, options.frame, why, notes)) {
        ShowMessageBox(port, MessageButtons::Ok, "Error Saving Vector File\n%s: set the resolution in Vector Output Option.",
                       why.c_str());
        return false;
    }
    if (const std::string loss = raster::CrsLoss(toPath(path), options.frame); !loss.empty() &&
        ShowMessageBox(port, MessageButtons::YesNo, "%s.\nWrite the file without it?", loss.c_str()) !=
            MessageAnswer::Yes)
        return false;
    Document::BusyGuard busy(m_doc);
    WaitCursor wait;
    if (m_doc.SaveVectorFile(toPath(path), port, options, exportAnyFormat) != 1)
        return false;
    m_history.MarkSaved(false, true);
    return true;
}

void CVaroDoc::OnOpenVector()
{
    if (RefuseIfBusy())
        return;
    DesktopPort port(m_app);
    DocumentSnapshot before = m_doc.TakeSnapshot(kSnapshotLines);
    const int linesBefore = m_doc.m_lines.GetLineCount();
    m_doc.AskToEraseVectors(port);
    const bool erased = m_doc.m_lines.GetLineCount() != linesBefore;
    FileDialogRequest request{false, QStringLiteral("Open Vector"), {QStringLiteral("R2U ARC File (*.arc)")}, 0,
                              QStringLiteral("arc"), QFileInfo(GetPathName()).absolutePath(), false};
    QString path = m_app.GetFileName(request);
    if (!path.isEmpty() && QFileInfo(path).suffix().compare(QStringLiteral("arc"), Qt::CaseInsensitive) != 0) {
        m_app.MessageBox(QStringLiteral("Nothing was read from %1: only ARC files (.arc) hold lines that can be read "
                                        "back.").arg(QFileInfo(path).fileName()),
                         MessageButtons::Ok);
        path.clear();
    }
    WaitCursor wait;
    const bool read = !path.isEmpty() && m_doc.OpenVectorFile(toPath(path), port);
    if (!erased && !read)
        return;
    // Erasing is part of the change, even when no file was read after it.
    RecordChange(QStringLiteral("Open Vector"), std::move(before));
    if (read && !m_doc.VectorsChanged())
        m_history.MarkSaved(false, true);
    if (erased)
        ClearSelections();
    OnLinesChanged();
}

void CVaroDoc::RecordChange(const QString& name, DocumentSnapshot before)
{
    m_history.Push(name.toStdString(), std::move(before));
}

void CVaroDoc::OnEditUndo()
{
    if (!RefuseIfBusy())
        afterUndoOrRedo(m_history.Undo(m_doc));
}

void CVaroDoc::OnEditRedo()
{
    if (!RefuseIfBusy())
        afterUndoOrRedo(m_history.Redo(m_doc));
}

void CVaroDoc::ClearSelections()
{
    for (CVaroView* view : m_views)
        view->state().m_selection.clear();
}

void CVaroDoc::afterUndoOrRedo(const UndoHistory::Touched& touched)
{
    if (!touched.done)
        return;
    if (touched.lines)
        ClearSelections();
    if (touched.image) {
        OnDocumentChanged();
        return;
    }
    // Only the lines: the screen pixels of the image stay valid.
    UpdateAllViews();
    refreshTitles();
}

void CVaroDoc::SetTraceReport(std::vector<LineQuality> rows, const QString& command, std::int16_t topology)
{
    m_report = TraceReport{std::move(rows), command, topology, fingerprint(m_doc.m_lines)};
}

bool CVaroDoc::LinesChangedSinceTrace() const { return m_report && m_report->lines != fingerprint(m_doc.m_lines); }

void CVaroDoc::OnDocumentChanged()
{
    OnImageChanged();
    emit histogramChanged();
}

void CVaroDoc::UpdateHistogram()
{
    m_doc.UpdateHistogram();
    emit histogramChanged();
}

bool CVaroDoc::SaveModified()
{
    DesktopPort port(m_app);
    const SaveActions actions{[this] { return OnFileSave(); }, [this] { return OnSaveVectorAs(); }};
    return m_doc.SaveModified(port, GetTitle().toStdString(), actions) == CloseAnswer::Close;
}

bool CVaroDoc::CanCloseFrame(CChildFrame*)
{
    if (RefuseIfBusy())
        return false;
    return m_views.size() > 1 || SaveModified();
}

bool CVaroDoc::RefuseIfBusy()
{
    if (!IsBusy())
        return false;
    m_app.SetStatusText(0, QStringLiteral("Please wait: an operation is still running on %1.").arg(GetTitle()));
    QApplication::beep();
    return true;
}

void CVaroDoc::AddView(CVaroView* view)
{
    m_views.append(view);
    refreshTitles();
}

void CVaroDoc::RemoveView(CVaroView* view)
{
    m_views.removeAll(view);
    if (m_views.isEmpty())
        m_app.OnDocumentClosed(this);
    else
        refreshTitles();
}

void CVaroDoc::UpdateAllViews(CVaroView* sender)
{
    for (CVaroView* view : m_views)
        if (view != sender)
            view->viewport()->update();
}

void CVaroDoc::OnImageChanged()
{
    m_raster.Invalidate();
    for (CVaroView* view : m_views)
        view->OnInitialUpdate();
    refreshTitles();
}

void CVaroDoc::OnLinesChanged() { UpdateAllViews(); }

void CVaroDoc::refreshTitles()
{
    for (CVaroView* view : m_views)
        if (auto* frame = qobject_cast<CChildFrame*>(view->parentWidget()))
            frame->UpdateTitle();
    emit titleChanged();
}

} // namespace orvane::app
