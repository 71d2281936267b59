// Test support and the test program's main.
#include "app_test_support.h"

#include "app/varo_doc.h"
#include "image/bmp_file.h"

#include <QApplication>
#include <QDialog>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <map>
#include <memory>
#include <string>

namespace orvane::app::test {
namespace {

std::map<std::string, TestFactory>& registry()
{
    static std::map<std::string, TestFactory> tests;
    return tests;
}

} // namespace

void RegisterTest(const char* name, TestFactory factory) { registry()[name] = std::move(factory); }

AppHarness::AppHarness(const QStringList& startFiles)
{
    app().m_messageHook = [this](const QString& text, MessageButtons buttons) {
        messages.append(text);
        if (!answers.isEmpty())
            return answers.takeFirst();
        return firstButtonAnswer(buttons);
    };
    app().m_fileDialogHook = [this](FileDialogRequest& request) {
        requests.append(request);
        return files.isEmpty() ? QString() : files.takeFirst();
    };
    app().m_statusHook = [this](int pane, const QString& text) {
        if (pane == 0)
            statuses.append(text);
    };
    app().m_dialogHook = [this](QDialog& dialog) {
        if (dialogs.isEmpty())
            return int(QDialog::Rejected);
        dialogs.takeFirst()(dialog);
        return dialog.result();
    };
    app().m_urlHook = [this](const QUrl& url) { opened.append(url); };
    const std::string programDir = app().m_settings.m_szProgramDir;
    app().m_settings = AppSettings{};
    app().m_settings.m_szProgramDir = programDir;
    app().m_nOpenFilterIndex = 0;
    app().InitInstance(startFiles, false, false);
}

AppHarness::~AppHarness()
{
    app().ExitInstance();
    app().m_messageHook = nullptr;
    app().m_fileDialogHook = nullptr;
    app().m_checkHook = nullptr;
    app().m_statusHook = nullptr;
    app().m_dialogHook = nullptr;
    app().m_urlHook = nullptr;
    app().m_colorHook = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString AppHarness::writeBmp(const QString& name, const CBitmapImage& image) const
{
    const QString file = path(name);
    WriteBmpFile(image, file.toStdString());
    return file;
}

CBitmapImage AppHarness::whiteImage(int width, int height, const std::vector<std::pair<int, int>>& ink)
{
    CBitmapImage image;
    image.Create(width, height, 24);
    std::fill_n(image.GetBits(), image.GetBitsSize(), std::uint8_t(255));
    for (auto [x, y] : ink)
        image.SetPixelColor(x + 1, y + 1, 0, 0, 0);
    return image;
}

CVaroDoc* AppHarness::open(const QString& file) { return app().OpenDocumentFile(file); }

void CloseModalDialogsSoon()
{
    auto* timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, tries] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->reject();
            timer->deleteLater();
        } else if (++*tries > 100) {
            timer->deleteLater();
        }
    });
    timer->start(20);
}

} // namespace orvane::app::test

int main(int argc, char** argv)
{
    // Settings (the recent-file list) go to a folder of this run only.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    orvane::app::CVaroApp app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    app.m_settings.m_szProgramDir = ORVANE_PROGRAM_DIR; // where the help pages are

    QStringList args = app.arguments();
    QString only;
    if (args.size() > 1 && !args[1].startsWith(u'-'))
        only = args.takeAt(1);
    int failed = 0;
    for (const auto& [name, factory] : orvane::app::test::registry()) {
        if (!only.isEmpty() && only != QString::fromStdString(name))
            continue;
        std::unique_ptr<QObject> test(factory());
        failed += QTest::qExec(test.get(), args);
    }
    return failed == 0 ? 0 : 1;
}
