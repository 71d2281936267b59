// The application object: settings, documents, start-up, the commands that
// need no document, and the services every window uses (message boxes,
// file dialogs, the status bar, the printer).
#pragma once

#include "app/cmd_ui.h"
#include "port/port.h"
#include "settings/app_settings.h"

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QColor;
class QDialog;
class QPrinter;
class QUrl;

namespace orvane::app {

class CChildFrame;
class CMainFrame;
class CProgressDlg;
class CSplashWnd;
class CVaroDoc;

/// What a file dialog is asked for; the answer is a path, or empty when the
/// user cancelled.
struct FileDialogRequest {
    bool save = false;
    QString title;
    QStringList filters;     ///< Qt filter entries, "Name (*.ext)"
    int filterIndex = 0;     ///< in: the entry to start with; out: the entry chosen
    QString defaultSuffix;   ///< appended to a typed name without one
    QString initialPath;     ///< folder or file to start in (empty: the dialog's own choice)
    bool confirmOverwrite = true;
};

class CVaroApp : public QApplication, public CommandTarget {
    Q_OBJECT
public:
    CVaroApp(int& argc, char** argv);
    ~CVaroApp() override;

    static CVaroApp* instance() { return static_cast<CVaroApp*>(QCoreApplication::instance()); }

    /// Creates the main window, shows the splash picture (when asked), opens
    /// the files given and shows the window maximised. A file that cannot be
    /// opened is reported and skipped. Returns false when the main window
    /// cannot be made.
    bool InitInstance(const QStringList& files, bool showSplash = true, bool showMaximised = true);
    /// Closes every document without a question and destroys the main
    /// window: the end of a run (or of a test).
    void ExitInstance();

    CMainFrame* mainFrame() const { return m_pMainWnd; }

    // --- Documents ------------------------------------------------------

    /// Opens an image as a new document in a new window, or activates the
    /// window of the document that has it open already. A file the program
    /// cannot read as a BMP still gives an (empty) document; a file that
    /// cannot be opened at all gives none (null).
    CVaroDoc* OpenDocumentFile(const QString& path);
    const QList<CVaroDoc*>& documents() const { return m_documents; }
    /// A new window on a document.
    CChildFrame* CreateNewFrame(CVaroDoc* doc);
    /// Asks every document whether it may close (saving on request). False
    /// when the user cancelled or an operation is running.
    bool SaveAllModified();
    /// Called by a document when its last window has gone.
    void OnDocumentClosed(CVaroDoc* doc);

    // --- Commands ---------------------------------------------------------

    bool OnCmdMsg(int id, CmdUI* ui) override;
    void OnFileOpen();
    void OnRevert();
    void OnAppAbout();
    void OnFilePrintSetup();
    /// The option dialogs of Canny, One-Touch, polyline reduction and
    /// straight lines: each changes the settings for the rest of the run.
    void OnOptionDialog(int id);
    /// Help: the user guide, help/html/intro.htm in the program's folder.
    void OnHelp();
    /// The two web commands: the project's pages (shipped with the help).
    void OnHomepage();
    void OnNewsGroup();
    /// Data Window: the active image's line report in the user's editor.
    void OnDataWindow();
    /// Line Quality Report: the report of the active image's last trace,
    /// and any report saved earlier.
    void OnLineQualityReport();
    /// The folder of the help pages.
    QString HelpFolder() const;

    // --- Recent files -----------------------------------------------------

    /// The recent-file list, newest first, at most four entries.
    QStringList recentFiles() const;
    void AddToRecentFileList(const QString& path);

    // --- Services for every window -----------------------------------------

    /// A modal message box titled with the program's name.
    MessageAnswer MessageBox(const QString& text, MessageButtons buttons);
    /// A file dialog; returns the chosen path or an empty string.
    QString GetFileName(FileDialogRequest& request);
    /// Runs a dialog modally; returns its result (QDialog::Accepted or not).
    int RunModal(QDialog& dialog);
    /// The colour dialog, starting at `initial`; nothing when cancelled.
    std::optional<QColor> GetColor(const QColor& initial);
    /// Opens a local file or a web address with the user's own program for
    /// it (browser, text editor), without waiting.
    void OpenUrl(const QUrl& url);
    /// Writes a status pane of the main window, at once.
    void SetStatusText(int pane, const QString& text);
    /// The printer every print command shares (made when first needed).
    QPrinter& printer();
    /// The splash window while it shows, else null.
    CSplashWnd* splash() const;
    /// Shows the splash window for `timeoutMs`; false when the main window
    /// is minimised or absent.
    bool ShowSplash(int timeoutMs);

    /// The application's settings, shared by every document.
    AppSettings m_settings;
    /// The filter last chosen in Open Image, for its next use in this run.
    int m_nOpenFilterIndex = 0;

    // Test hooks: when set, they answer instead of the real dialogs. The
    // check hook runs at every cancel check of a long operation.
    std::function<MessageAnswer(const QString&, MessageButtons)> m_messageHook;
    std::function<QString(FileDialogRequest&)> m_fileDialogHook;
    std::function<void(CProgressDlg*)> m_checkHook;
    std::function<int(QDialog&)> m_dialogHook;
    std::function<std::optional<QColor>(const QColor&)> m_colorHook;
    std::function<void(const QUrl&)> m_urlHook;
    std::function<void(int, const QString&)> m_statusHook; ///< sees every status text too

private:
    CVaroDoc* findDocument(const QString& path) const;

    CMainFrame* m_pMainWnd = nullptr;
    QPointer<QWidget> m_splash;
    QList<CVaroDoc*> m_documents;
    std::unique_ptr<QPrinter> m_printer;
};

/// The name the program's windows and message boxes carry.
inline constexpr const char* kAppTitle = "Varo";
/// The program's version, shown in the About box.
inline constexpr const char* kAppVersion = "1.0";

} // namespace orvane::app
