// The splash window, the progress dialog and what an operation in progress
// protects.
#include "app/splash_wnd.h"

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/desktop_port.h"
#include "app/progress_dlg.h"
#include "app/varo_doc.h"
#include "app/varo_view.h"
#include "app_test_support.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace orvane::app::test {

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void splashGoesAtAKeyAClickOrItsTime()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(50, 50)));
        QVERIFY(run.app().ShowSplash(5000));
        QVERIFY(run.app().splash()->isVisible());
        QCOMPARE(run.app().splash()->m_nTimeout, 5000);
        QTest::keyClick(doc->views().first(), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!run.app().splash());
        QCOMPARE(doc->views().first()->state().m_fZoom, 1.0f); // the key went to the splash only

        run.app().ShowSplash(5000);
        QTest::mouseClick(run.frame(), Qt::RightButton);
        QVERIFY(!run.app().splash());

        run.app().ShowSplash(50);
        QTRY_VERIFY_WITH_TIMEOUT(!run.app().splash(), 2000);
    }

    void progressDialogShowsTheOperationAndCancelOnlyAsks()
    {
        AppHarness run;
        DesktopPort port(run.app());
        port.progressOpen("Save Vector...");
        CProgressDlg* dialog = port.progressDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Save Vector..."));
        QCOMPARE(dialog->statusLabel()->text(), QStringLiteral("status..."));
        port.progressStatus("Working...");
        port.progressRange(8);
        port.progressPos(3);
        QCOMPARE(dialog->statusLabel()->text(), QStringLiteral("Working..."));
        QCOMPARE(dialog->progressBar()->maximum(), 8);
        QCOMPARE(dialog->progressBar()->value(), 3);
        QVERIFY(!port.CheckCancel());

        QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QVERIFY(port.CheckCancel());
        dialog->close();
        QVERIFY(dialog->isVisible());
        port.progressClose();
        QVERIFY(!port.progressDialog());

        port.progressOpen("Vectorisation");
        QVERIFY(port.CheckCancel()); // a cancel lasts for the rest of its command
        port.progressClose();

        DesktopPort next(run.app()); // the next command starts uncancelled
        next.progressOpen("Grey Scale");
        QVERIFY(!next.CheckCancel());
        QTest::keyClick(next.progressDialog(), Qt::Key_Escape);
        QVERIFY(next.CheckCancel());
        QVERIFY(next.progressDialog()->isVisible());
    }

    void anOperationCannotBeInterruptedByClosingItsWindowOrQuitting()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(50, 50)));
        for (int i = 0; i < 3000; ++i) {
            PointList p;
            p.append(i % 50, 0);
            p.append(49 - i % 50, 49);
            doc->core().m_lines.AddLine(p);
        }
        doc->core().SetVectorsChanged();
        CChildFrame* frame = run.frame()->MDIGetActive();
        int checks = 0;
        bool frameClosed = false, appClosed = false;
        run.app().m_checkHook = [&](CProgressDlg*) {
            if (checks++ != 1)
                return;
            frameClosed = frame->close();
            appClosed = run.frame()->close();
            run.frame()->OnCommand(ID_SAVE_VECTOR_AS); // a second operation on the same document
            run.frame()->OnCommand(ID_FILE_CLOSE);
            run.frame()->OnCommand(ID_REVERT);
        };
        run.files << run.path("lines.dxf");
        run.frame()->OnCommand(ID_SAVE_VECTOR_AS);
        QVERIFY(checks > 2);
        QVERIFY(!frameClosed);
        QVERIFY(!appClosed);
        QCOMPARE(run.requests.size(), 1);
        QVERIFY(run.messages.isEmpty());
        QCOMPARE(run.frame()->childFrames().size(), 1);
        QCOMPARE(run.app().documents().first(), doc);
        QCOMPARE(run.frame()->statusText(0), QStringLiteral("Ready"));
        QVERIFY(QFile(run.path("lines.dxf")).size() > 100000);
        QVERIFY(!doc->IsBusy());
        QVERIFY(frame->close()); // once it has ended, the window closes
    }
};

ORVANE_APP_TEST(ShellTest);

} // namespace orvane::app::test

#include "shell_test.moc"
