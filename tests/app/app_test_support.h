// What every desktop test needs: a fresh main window with scripted answers
// for message boxes and file dialogs, and BMP files to open.
#pragma once

#include "app/main_frame.h"
#include "app/varo_app.h"
#include "image/bitmap_image.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

class QDialog;

#include <functional>
#include <vector>

namespace orvane::app::test {

/// The test classes, registered by name so that one ctest entry runs one.
using TestFactory = std::function<QObject*()>;
void RegisterTest(const char* name, TestFactory factory);

template <typename T>
struct TestRegistration {
    explicit TestRegistration(const char* name)
    {
        RegisterTest(name, [] { return new T; });
    }
};
#define ORVANE_APP_TEST(Class) static ::orvane::app::test::TestRegistration<Class> registration##Class(#Class)

/// One run of the program: the main window (not maximised, no splash) with
/// every message box and file dialog answered from a script.
class AppHarness {
public:
    explicit AppHarness(const QStringList& files = {});
    ~AppHarness();
    AppHarness(const AppHarness&) = delete;
    AppHarness& operator=(const AppHarness&) = delete;

    CVaroApp& app() const { return *CVaroApp::instance(); }
    CMainFrame* frame() const { return app().mainFrame(); }

    /// Message boxes shown so far, in order.
    QStringList messages;
    /// Answers for the next questions, in order; then the first button.
    QList<MessageAnswer> answers;
    /// Paths the next file dialogs return, in order; then "" (cancel).
    QStringList files;
    /// The requests the file dialogs received.
    QList<FileDialogRequest> requests;
    /// Status texts of the message pane, in order.
    QStringList statuses;
    /// What the next modal dialogs do before they end (then: Cancel).
    QList<std::function<void(QDialog&)>> dialogs;
    /// Addresses handed to the browser or editor.
    QList<QUrl> opened;

    /// A path in this run's own folder.
    QString path(const QString& name) const { return m_dir.filePath(name); }
    /// Writes an image as a BMP file in this run's folder.
    QString writeBmp(const QString& name, const CBitmapImage& image) const;
    /// A white 24-bit image with black pixels where `ink` says.
    static CBitmapImage whiteImage(int width, int height, const std::vector<std::pair<int, int>>& ink = {});
    /// Opens a file as the program's Open Image would.
    CVaroDoc* open(const QString& file);

private:
    QTemporaryDir m_dir;
};

/// Rejects whatever modal dialog opens in the next moments (print dialogs,
/// the About box) so that a command that shows one returns.
void CloseModalDialogsSoon();

} // namespace orvane::app::test
