// The application object.
#include "app/varo_app.h"

#include "app/about_dlg.h"
#include "app/artwork.h"
#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/main_frame.h"
#include "app/splash_wnd.h"
#include "app/varo_doc.h"
#include "app/varo_view.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QSettings>

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
    default: return false;
    }
}

void CVaroApp::OnFileOpen()
{
    FileDialogRequest request{false, QStringLiteral("Open Image"),
                              {QStringLiteral("BMP Files(*.BMP)"), QStringLiteral("All Files (*)")},
                              m_nOpenFilterIndex, QString(), QString(), false};
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
    if (doc->RefuseIfBusy() || !doc->SaveModified())
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

void CVaroApp::SetStatusText(int pane, const QString& text)
{
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
