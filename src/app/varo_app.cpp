// The application object.
#include "app/varo_app.h"

#include "app/about_dlg.h"
#include "app/canny_param_dlg.h"
#include "app/line_report_dlg.h"
#include "app/one_touch_dlg.h"
#include "app/polyline_reduction_dlg.h"
#include "app/straight_option_dlg.h"
#include "app/vector_output_dlg.h"
#include "app/artwork.h"
#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/histogram_bar.h"
#include "app/main_frame.h"
#include "app/splash_wnd.h"
#include "app/varo_doc.h"
#include "app/varo_view.h"
#include "raster/scan_reader.h"

#include <algorithm>

#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QRegularExpression>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QUrl>

namespace orvane::app {
namespace {

constexpr int kRecentFiles = 4;
constexpr int kSplashTimeoutMs = 5000;
const QString kRecentGroup = QStringLiteral("Recent File List");

QString canonical(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

} // namespace

CVaroApp::CVaroApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Kestrum"));
    setApplicationName(QString::fromLatin1(kAppTitle));
    setApplicationVersion(QString::fromLatin1(kAppVersion));
    setWindowIcon(ProgramIcon());
    m_settings.m_szProgramDir = applicationDirPath().toStdString();
}

CVaroApp::~CVaroApp() { ExitInstance(); }

bool CVaroApp::InitInstance(const QStringList& files, bool showSplash, bool showMaximised)
{
    m_pMainWnd = new CMainFrame(*this);
    if (showMaximised) {
        // Also the size to come back to, and all a window manager that does
        // not maximise windows will give.
        if (QScreen* screen = primaryScreen())
            m_pMainWnd->setGeometry(screen->availableGeometry());
        m_pMainWnd->showMaximized();
    }
    else
        m_pMainWnd->show();
    if (showSplash)
        ShowSplash(kSplashTimeoutMs);
    for (const QString& file : files)
        OpenDocumentFile(file);
    return true;
}

void CVaroApp::ExitInstance()
{
    if (m_splash)
        delete m_splash.data();
    if (!m_pMainWnd)
        return;
    for (CChildFrame* frame : m_pMainWnd->childFrames()) {
        frame->view()->DetachFromDocument();
        delete frame;
    }
    for (CVaroDoc* doc : m_documents)
        delete doc;
    m_documents.clear();
    delete m_pMainWnd;
    m_pMainWnd = nullptr;
}

// --- Documents ------------------------------------------------------------------

CVaroDoc* CVaroApp::findDocument(const QString& path) const
{
    for (CVaroDoc* doc : m_documents)
        if (canonical(doc->GetPathName()) == path)
            return doc;
    return nullptr;
}

CVaroDoc* CVaroApp::OpenDocumentFile(const QString& path)
{
    if (!m_pMainWnd || path.isEmpty())
        return nullptr;
    const QString full = canonical(path);
    if (CVaroDoc* open = findDocument(full)) {
        if (!open->views().isEmpty())
            if (auto* frame = qobject_cast<CChildFrame*>(open->views().first()->parentWidget()))
                m_pMainWnd->mdiArea()->setActiveSubWindow(frame);
        return open;
    }
    auto* doc = new CVaroDoc(*this);
    if (doc->OnOpenDocument(full) == OpenResult::CannotOpen) {
        delete doc;
        return nullptr;
    }
    m_documents.append(doc);
    connect(doc, &CVaroDoc::histogramChanged, m_pMainWnd, [this] { m_pMainWnd->histogramBar()->update(); });
    CreateNewFrame(doc);
    AddToRecentFileList(full);
    return doc;
}

CChildFrame* CVaroApp::CreateNewFrame(CVaroDoc* doc)
{
    auto* view = new CVaroView(doc);
    auto* frame = new CChildFrame(view);
    m_pMainWnd->mdiArea()->addSubWindow(frame);
    frame->resize(m_pMainWnd->mdiArea()->size() * 3 / 4);
    frame->show();
    m_pMainWnd->mdiArea()->setActiveSubWindow(frame);
    view->OnInitialUpdate();
    for (CVaroView* other : doc->views())
        if (auto* otherFrame = qobject_cast<CChildFrame*>(other->parentWidget()))
            otherFrame->UpdateTitle();
    m_pMainWnd->UpdateMenus();
    return frame;
}

bool CVaroApp::SaveAllModified()
{
    for (CVaroDoc* doc : m_documents)
        if (doc->RefuseIfBusy())
            return false;
    for (CVaroDoc* doc : QList<CVaroDoc*>(m_documents))
        if (!doc->SaveModified())
            return false;
    return true;
}

void CVaroApp::OnDocumentClosed(CVaroDoc* doc)
{
    m_documents.removeAll(doc);
    doc->deleteLater();
    if (m_pMainWnd)
        m_pMainWnd->UpdateMenus();
}

// --- Commands -------------------------------------------------------------------------

bool CVaroApp::OnCmdMsg(int id, CmdUI* ui)
{
    auto run = [ui](auto&& command) {
        if (!ui)
            command();
        return true;
    };
    switch (id) {
    case ID_FILE_OPEN: return run([this] { OnFileOpen(); });
    case ID_REVERT:
        if (ui)
            ui->enabled = m_pMainWnd && m_pMainWnd->MDIGetActive();
        else
            OnRevert();
        return true;
    case ID_APP_ABOUT: return run([this] { OnAppAbout(); });
    case ID_FILE_PRINT_SETUP: return run([this] { OnFilePrintSetup(); });
    case ID_CANNY_PARAMETERS:
    case ID_ONE_TOUCH_OPTION:
    case ID_REDUCTION_OPTION:
    case ID_VECTOR_OUTPUT_OPTION:
    case ID_STRAIGHT_OPTION:
        // The settings are read while an operation runs: they change only
        // between operations.
        if (ui)
            ui->enabled = std::none_of(m_documents.begin(), m_documents.end(),
                                       [](const CVaroDoc* doc) { return doc->IsBusy(); });
        else
            OnOptionDialog(id);
        return true;
    case ID_HELP_INDEX: return run([this] { OnHelp(); });
    case ID_HELP_HOMEPAGE: return run([this] { OnHomepage(); });
    case ID_HELP_NEWSGROUP: return run([this] { OnNewsGroup(); });
    case ID_LINE_QUALITY_REPORT:
        // The report is read when the dialog opens: not while a trace runs
        // on the image it would show.
        if (ui)
            ui->enabled = !m_pMainWnd || !m_pMainWnd->GetActiveDocument() ||
                          !m_pMainWnd->GetActiveDocument()->IsBusy();
        else
            OnLineQualityReport();
        return true;
    case ID_DATA_WINDOW:
        if (ui)
            ui->enabled = m_pMainWnd && m_pMainWnd->GetActiveDocument();
        else
            OnDataWindow();
        return true;
    default: return false;
    }
}

void CVaroApp::OnFileOpen()
{
    // Every format the scan reader reads together first, then the usual
    // scan formats one by one (BMP first), then any file.
    QStringList filters, all;
    for (const raster::RasterFormat& format : raster::ReadableRasterFormats()) {
        QStringList patterns;
        for (const std::string& pattern : format.patterns)
            patterns << QString::fromStdString(pattern);
        all << patterns;
        if (format.name == "BMP")
            filters << QStringLiteral("BMP Files(*.BMP)");
        else if (format.name == "TIFF" || format.name == "PNG" || format.name == "JPEG")
            filters << QStringLiteral("%1 Files (%2)").arg(QString::fromStdString(format.name),
                                                           patterns.join(QLatin1Char(' ')));
    }
    all.removeDuplicates();
    filters.prepend(QStringLiteral("Scans (%1)").arg(all.join(QLatin1Char(' '))));
    filters << QStringLiteral("All Files (*)");
    FileDialogRequest request{false, QStringLiteral("Open Image"), filters, m_nOpenFilterIndex, QString(), QString(),
                              false};
    const QString path = GetFileName(request);
    if (path.isEmpty())
        return;
    m_nOpenFilterIndex = request.filterIndex;
    OpenDocumentFile(path);
}

void CVaroApp::OnRevert()
{
    CChildFrame* frame = m_pMainWnd ? m_pMainWnd->MDIGetActive() : nullptr;
    if (!frame || !frame->document())
        return;
    CVaroDoc* doc = frame->document();
    const QString path = doc->GetPathName();
    if (doc->RefuseIfBusy())
        return;
    if (!QFileInfo(path).isReadable()) {
        // Closing first would lose the only copy.
        MessageBox(QStringLiteral("%1 cannot be reopened: the file is no longer there, or cannot be read.")
                       .arg(path),
                   MessageButtons::Ok);
        return;
    }
    if (!doc->SaveModified())
        return;
    // Every window of the document goes, so that the file is read afresh
    // rather than the open document activated again.
    for (CVaroView* view : QList<CVaroView*>(doc->views()))
        if (auto* viewFrame = qobject_cast<CChildFrame*>(view->parentWidget()))
            viewFrame->CloseWithoutAsking();
    OpenDocumentFile(path);
}

void CVaroApp::OnAppAbout()
{
    CAboutDlg about(m_pMainWnd);
    about.exec();
}

void CVaroApp::OnFilePrintSetup()
{
    QPageSetupDialog setup(&printer(), m_pMainWnd);
    setup.exec();
}

QString CVaroApp::HelpFolder() const
{
    return QDir(QString::fromStdString(m_settings.m_szProgramDir)).filePath(QStringLiteral("help/html"));
}

namespace {

/// Opens a page of the help, or says that the help is not where it belongs.
void openHelpPage(CVaroApp& app, const QString& page)
{
    const QString file = QDir(app.HelpFolder()).filePath(page);
    if (!QFileInfo::exists(file)) {
        app.MessageBox(QStringLiteral("The help page %1 is missing: the help belongs in the folder help/html "
                                      "beside the program.").arg(file),
                       MessageButtons::Ok);
        return;
    }
    app.OpenUrl(QUrl::fromLocalFile(file));
}

/// The line report beside an image: its path with the extension replaced
/// by .TXT, or by .txt, or by any other spelling of it that exists.
QString reportFor(const QString& imagePath)
{
    const QFileInfo image(imagePath);
    const QString name = image.fileName();
    const int dot = int(name.lastIndexOf(u'.'));
    const QString stem = dot < 0 ? name : name.left(dot);
    const QDir folder = image.dir();
    for (const QString& candidate : {stem + QStringLiteral(".TXT"), stem + QStringLiteral(".txt")})
        if (folder.exists(candidate))
            return folder.filePath(candidate);
    const QStringList others = folder.entryList({stem + QStringLiteral(".txt")}, QDir::Files);
    for (const QString& other : others)
        if (other.compare(stem + QStringLiteral(".txt"), Qt::CaseInsensitive) == 0)
            return folder.filePath(other);
    return folder.filePath(stem + QStringLiteral(".TXT"));
}

} // namespace

void CVaroApp::OnOptionDialog(int id)
{
    for (const CVaroDoc* doc : m_documents)
        if (doc->IsBusy())
            return;
    AppSettings& s = m_settings;
    switch (id) {
    case ID_CANNY_PARAMETERS: {
        CCannyParamDlg dialog(s.m_cannySigma, s.m_cannyHigh, s.m_cannyLow, m_pMainWnd);
        if (RunModal(dialog) != QDialog::Accepted)
            return;
        s.m_cannySigma = dialog.m_fSigma;
        s.m_cannyHigh = dialog.m_nHigh;
        s.m_cannyLow = dialog.m_nLow;
        return;
    }
    case ID_ONE_TOUCH_OPTION: {
        COneTouchDlg dialog(s, m_pMainWnd);
        if (RunModal(dialog) == QDialog::Accepted)
            dialog.Apply(s);
        return;
    }
    case ID_REDUCTION_OPTION: {
        const CVaroDoc* doc = m_pMainWnd ? m_pMainWnd->GetActiveDocument() : nullptr;
        CPolylineReductionDlg dialog(s, doc ? doc->core().m_lines.m_nTotalLines : 0,
                                     doc ? doc->core().m_lines.m_nLinesSaved : 0, m_pMainWnd);
        if (RunModal(dialog) == QDialog::Accepted)
            dialog.Apply(s);
        return;
    }
    case ID_VECTOR_OUTPUT_OPTION: {
        CVectorOutputDlg dialog(s, m_pMainWnd);
        if (RunModal(dialog) == QDialog::Accepted)
            dialog.Apply(s);
        return;
    }
    case ID_STRAIGHT_OPTION: {
        CStraightOptionDlg dialog(s.m_nStraightMode, s.m_fStraightTolerance, m_pMainWnd);
        if (RunModal(dialog) != QDialog::Accepted)
            return;
        s.m_nStraightMode = dialog.m_nStraightMode;
        s.m_fStraightTolerance = dialog.m_fStraightTolerance;
        return;
    }
    default: return;
    }
}

void CVaroApp::OnHelp() { openHelpPage(*this, QStringLiteral("intro.htm")); }

void CVaroApp::OnHomepage() { openHelpPage(*this, QStringLiteral("intro.htm")); }

void CVaroApp::OnNewsGroup() { openHelpPage(*this, QStringLiteral("support.htm")); }

void CVaroApp::OnDataWindow()
{
    CVaroDoc* doc = m_pMainWnd ? m_pMainWnd->GetActiveDocument() : nullptr;
    if (!doc)
        return;
    const QString report = reportFor(doc->GetPathName());
    if (!QFileInfo::exists(report)) {
        MessageBox(QStringLiteral("There is no line report %1 yet.\nSave the vector lines with Save Vector As, "
                                  "as a .txt file of the image's name beside it, first.")
                       .arg(report),
                   MessageButtons::Ok);
        return;
    }
    OpenUrl(QUrl::fromLocalFile(report));
}

void CVaroApp::OnLineQualityReport()
{
    CVaroDoc* doc = m_pMainWnd ? m_pMainWnd->GetActiveDocument() : nullptr;
    if (doc && doc->RefuseIfBusy())
        return;
    CLineReportDlg dialog(doc ? doc->traceReport() : nullptr, doc ? doc->GetPathName() : QString(),
                          doc && doc->LinesChangedSinceTrace(), m_pMainWnd);
    RunModal(dialog);
}

// --- Recent files -----------------------------------------------------------------------

QStringList CVaroApp::recentFiles() const
{
    QSettings settings;
    settings.beginGroup(kRecentGroup);
    QStringList files;
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty())
            files.append(file);
    }
    return files;
}

void CVaroApp::AddToRecentFileList(const QString& path)
{
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    QSettings settings;
    settings.beginGroup(kRecentGroup);
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= files.size())
            settings.setValue(key, files[i - 1]);
        else
            settings.remove(key);
    }
    settings.endGroup();
    settings.sync();
    if (m_pMainWnd)
        m_pMainWnd->UpdateRecentFiles();
}

// --- Services ---------------------------------------------------------------------------

MessageAnswer CVaroApp::MessageBox(const QString& text, MessageButtons buttons)
{
    if (m_messageHook)
        return m_messageHook(text, buttons);
    QMessageBox box(m_pMainWnd);
    box.setWindowTitle(QString::fromLatin1(kAppTitle));
    box.setText(text);
    switch (buttons) {
    case MessageButtons::Ok:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::YesNo:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::YesNoCancel:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
}

QString CVaroApp::GetFileName(FileDialogRequest& request)
{
    if (m_fileDialogHook)
        return m_fileDialogHook(request);
    QFileDialog dialog(m_pMainWnd, request.title);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 0 && request.filterIndex < request.filters.size())
        dialog.selectNameFilter(request.filters[request.filterIndex]);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // A name typed without an extension takes that of the format chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &request](const QString& filter) {
        static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
        const QRegularExpressionMatch match = pattern.match(filter);
        dialog.setDefaultSuffix(match.hasMatch() ? match.captured(1).toLower() : request.defaultSuffix);
    });
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.initialPath.isEmpty()) {
        const QFileInfo start(request.initialPath);
        if (start.isDir())
            dialog.setDirectory(start.absoluteFilePath());
        else
            dialog.selectFile(start.absoluteFilePath());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    request.filterIndex = int(request.filters.indexOf(dialog.selectedNameFilter()));
    return dialog.selectedFiles().first();
}

int CVaroApp::RunModal(QDialog& dialog)
{
    if (m_dialogHook)
        return m_dialogHook(dialog);
    return dialog.exec();
}

std::optional<QColor> CVaroApp::GetColor(const QColor& initial)
{
    if (m_colorHook)
        return m_colorHook(initial);
    const QColor colour = QColorDialog::getColor(initial, m_pMainWnd);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

void CVaroApp::OpenUrl(const QUrl& url)
{
    if (m_urlHook) {
        m_urlHook(url);
        return;
    }
    if (!QDesktopServices::openUrl(url))
        MessageBox(QStringLiteral("No program on this system opens %1.").arg(url.toDisplayString()),
                   MessageButtons::Ok);
}

void CVaroApp::SetStatusText(int pane, const QString& text)
{
    if (m_statusHook)
        m_statusHook(pane, text);
    if (m_pMainWnd)
        m_pMainWnd->SetStatusText(pane, text);
}

QPrinter& CVaroApp::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

CSplashWnd* CVaroApp::splash() const
{
    // A dismissed splash is gone for the user at once, before Qt deletes it.
    return m_splash && m_splash->isVisible() ? static_cast<CSplashWnd*>(m_splash.data()) : nullptr;
}

bool CVaroApp::ShowSplash(int timeoutMs)
{
    if (!m_pMainWnd || m_pMainWnd->isMinimized())
        return false;
    if (m_splash)
        delete m_splash.data();
    m_splash = new CSplashWnd(m_pMainWnd, timeoutMs);
    m_splash->show();
    m_splash->repaint();
    return true;
}

} // namespace orvane::app
