// Documents in the desktop program: opening, rejecting, saving, reverting,
// the questions before closing, vector files, windows and the recent list.
#include "app/varo_doc.h"

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/varo_view.h"
#include "app_test_support.h"
#include "document/document.h"
#include "image/bmp_file.h"

#include <QFile>
#include <QMdiArea>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace orvane::app::test {
namespace {

using Answer = MessageAnswer;

QByteArray contents(const QString& file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

PointList twoPoints(double x0, double y0, double x1, double y1)
{
    PointList p;
    p.append(x0, y0);
    p.append(x1, y1);
    return p;
}

} // namespace

class DesktopDocumentTest : public QObject {
    Q_OBJECT
private slots:
    void openingABmpShowsItAndARejectedOneAnEmptyDocument()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("scan.bmp", AppHarness::whiteImage(40, 30)));
        QVERIFY(doc);
        QCOMPARE(run.frame()->childFrames().size(), 1);
        QCOMPARE(run.frame()->MDIGetActive()->windowTitle(), QStringLiteral("scan.bmp[*]"));
        QCOMPARE(doc->core().m_image.GetWidth(), 40);
        QCOMPARE(run.frame()->statusText(0), QStringLiteral("Ready"));
        QVERIFY(run.messages.isEmpty());
        QCOMPARE(run.frame()->GetActiveView()->scrollExtent(), QSize(40, 30));

        QFile junk(run.path("junk.bmp"));
        junk.open(QIODevice::WriteOnly);
        junk.write("BM but nothing else");
        junk.close();
        CVaroDoc* empty = run.open(run.path("junk.bmp"));
        QVERIFY(empty);
        QVERIFY(empty->core().m_image.IsEmpty());
        QCOMPARE(run.messages, QStringList{QString::fromLatin1(kLoadBitmapError)});
        QCOMPARE(run.frame()->statusText(0), QStringLiteral("Error Loading Bitmap File"));
        QCOMPARE(run.frame()->childFrames().size(), 2);
        QCOMPARE(run.frame()->GetActiveView()->scrollExtent(), QSize(0, 0));

        run.messages.clear();
        QVERIFY(!run.open(run.path("missing.bmp")));
        QCOMPARE(run.messages.size(), 1);
        QVERIFY(run.messages[0].contains(QStringLiteral("missing.bmp")));
        QCOMPARE(run.frame()->childFrames().size(), 2);

        QCOMPARE(run.open(run.path("scan.bmp")), doc);
        QCOMPARE(run.frame()->GetActiveDocument(), doc);
        QCOMPARE(run.frame()->childFrames().size(), 2);
    }

    void filesOnTheCommandLineOpenAndBadOnesAreReportedNotFatal()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath("good.bmp");
        WriteBmpFile(AppHarness::whiteImage(5, 5), good.toStdString());
        AppHarness run({dir.filePath("nowhere.bmp"), good});
        QVERIFY(run.frame()->isVisible());
        QCOMPARE(run.frame()->childFrames().size(), 1);
        QCOMPARE(run.frame()->GetActiveDocument()->GetTitle(), QStringLiteral("good.bmp"));
    }

    void openImageRemembersItsFilter()
    {
        AppHarness run;
        const QString file = run.writeBmp("a.bmp", AppHarness::whiteImage(4, 4));
        run.app().m_fileDialogHook = [&](FileDialogRequest& request) {
            run.requests.append(request);
            request.filterIndex = 1;
            return file;
        };
        run.frame()->OnCommand(ID_FILE_OPEN);
        const QStringList filters = run.requests[0].filters;
        QVERIFY(filters[0].startsWith("Scans (") && filters[0].contains("*.bmp") && filters[0].contains("*.tif"));
        QCOMPARE(filters.mid(1), (QStringList{"BMP Files(*.BMP)", "TIFF Files (*.tif *.tiff)", "PNG Files (*.png)",
                                              "JPEG Files (*.jpg *.jpeg)", "All Files (*)"}));
        QCOMPARE(run.requests[0].filterIndex, 0);
        run.frame()->OnCommand(ID_FILE_CLOSE);
        run.frame()->OnCommand(ID_FILE_OPEN);
        QCOMPARE(run.requests[1].filterIndex, 1);
    }

    void saveAsAndReopenGiveTheSameBytes()
    {
        AppHarness run;
        const QString original = run.writeBmp("a.bmp", AppHarness::whiteImage(7, 5, {{1, 1}, {6, 4}}));
        CVaroDoc* doc = run.open(original);
        doc->SetModifiedFlag();
        QCOMPARE(run.frame()->MDIGetActive()->isWindowModified(), true);
        run.files << run.path("copy.bmp");
        run.frame()->OnCommand(ID_FILE_SAVE_AS);
        QCOMPARE(run.requests.last().defaultSuffix, QStringLiteral("bmp"));
        QCOMPARE(contents(run.path("copy.bmp")), contents(original));
        QVERIFY(!doc->IsModified());
        QCOMPARE(doc->GetTitle(), QStringLiteral("copy.bmp"));
        QCOMPARE(run.app().recentFiles().first(), run.path("copy.bmp"));

        run.frame()->OnCommand(ID_FILE_CLOSE);
        CVaroDoc* again = run.open(run.path("copy.bmp"));
        std::uint8_t r = 0, g = 0, b = 0;
        again->core().m_image.GetPixelColor(7, 5, r, g, b);
        QCOMPARE(int(r), 0);
    }

    void savingADocumentWithoutAnImageIsRefused()
    {
        AppHarness run;
        QFile junk(run.path("junk.bmp"));
        junk.open(QIODevice::WriteOnly);
        junk.write("not a bitmap");
        junk.close();
        run.open(run.path("junk.bmp"));
        run.messages.clear();
        run.frame()->OnCommand(ID_FILE_SAVE);
        QCOMPARE(run.messages.size(), 1);
        QVERIFY(run.messages[0].startsWith(QStringLiteral("Error Saving Bitmap File")));
        QCOMPARE(run.frame()->statusText(0), QStringLiteral("Error Saving Bitmap File"));
        QCOMPARE(contents(run.path("junk.bmp")), QByteArray("not a bitmap"));
        run.frame()->OnCommand(ID_FILE_SAVE_AS);
        QVERIFY(run.requests.isEmpty());
    }

    void revertReopensTheFileAndAsksOnlyWhenModified()
    {
        AppHarness run;
        const QString file = run.writeBmp("a.bmp", AppHarness::whiteImage(6, 6));
        CVaroDoc* doc = run.open(file);
        run.frame()->OnCommand(ID_REVERT);
        QVERIFY(run.messages.isEmpty());
        QCOMPARE(run.app().documents().size(), 1);
        QVERIFY(run.app().documents().first() != doc);

        doc = run.app().documents().first();
        doc->core().m_image.SetPixelColor(1, 1, 0, 0, 0);
        doc->SetModifiedFlag();
        run.answers << Answer::Cancel;
        run.frame()->OnCommand(ID_REVERT);
        QCOMPARE(run.messages, QStringList{"Save changes to a.bmp?"});
        QCOMPARE(run.app().documents().first(), doc);
        QVERIFY(doc->IsModified());

        run.answers << Answer::No;
        run.frame()->OnCommand(ID_REVERT);
        CVaroDoc* reverted = run.app().documents().first();
        QVERIFY(reverted != doc);
        QVERIFY(!reverted->IsModified());
        std::uint8_t r = 0, g = 0, b = 0;
        reverted->core().m_image.GetPixelColor(1, 1, r, g, b);
        QCOMPARE(int(r), 255);
        QCOMPARE(contents(file), contents(run.writeBmp("check.bmp", AppHarness::whiteImage(6, 6))));
    }

    void closingAsksAboutTheImageAndAboutUnsavedLines()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(6, 6)));
        doc->core().m_lines.AddLine(twoPoints(0, 0, 5, 5));
        doc->core().SetVectorsChanged();
        run.answers << Answer::Cancel;
        run.frame()->MDIGetActive()->close();
        QCOMPARE(run.messages, QStringList{"Save changes to the vector lines of a.bmp?"});
        QCOMPARE(run.frame()->childFrames().size(), 1);

        // Yes: Save Vector As, which asks before replacing a file.
        run.answers << Answer::Yes;
        run.files << run.path("a.dxf");
        run.frame()->MDIGetActive()->close();
        QCOMPARE(run.requests.last().title, QStringLiteral("Save Vector As"));
        QVERIFY(run.requests.last().confirmOverwrite);
        QCOMPARE(run.requests.last().defaultSuffix, QStringLiteral("dxf"));
        QVERIFY(QFile::exists(run.path("a.dxf")));
        QVERIFY(run.frame()->childFrames().isEmpty());

        // Image and lines both changed; the window goes only when both are settled.
        doc = run.open(run.path("a.bmp"));
        doc->core().m_lines.AddLine(twoPoints(0, 0, 5, 5));
        doc->core().SetVectorsChanged();
        doc->SetModifiedFlag();
        run.messages.clear();
        run.answers << Answer::No << Answer::No;
        run.frame()->close();
        QCOMPARE(run.messages, (QStringList{"Save changes to a.bmp?", "Save changes to the vector lines of a.bmp?"}));
        QVERIFY(run.frame()->childFrames().isEmpty());
    }

    void saveVectorAsNeedsLinesAndOpenVectorAsksToErase()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(20, 20)));
        run.frame()->OnCommand(ID_SAVE_VECTOR_AS);
        QCOMPARE(run.messages, QStringList{"No vector data found."});
        QVERIFY(run.requests.isEmpty());

        doc->core().m_lines.AddLine(twoPoints(1, 1, 9, 9));
        run.files << run.path("lines.arc");
        run.frame()->OnCommand(ID_SAVE_VECTOR_AS);
        QCOMPARE(run.frame()->statusText(0), QStringLiteral("Ready"));
        QVERIFY(contents(run.path("lines.arc")).startsWith("1\r\n1.00,1.00\r\n"));

        run.messages.clear();
        run.answers << Answer::Yes;
        run.files << run.path("lines.arc");
        run.frame()->OnCommand(ID_OPEN_VECTOR);
        QCOMPARE(run.messages, QStringList{"Erase existing vector data?"});
        QCOMPARE(run.requests.last().filters, QStringList{"R2U ARC File (*.arc)"});
        QCOMPARE(doc->core().m_lines.GetLineCount(), 2);
        QCOMPARE(run.frame()->statusText(0), QStringLiteral("Ready"));

        run.messages.clear();
        run.answers << Answer::No;
        run.files << run.path("none.arc");
        run.frame()->OnCommand(ID_OPEN_VECTOR);
        QCOMPARE(run.messages, (QStringList{"Erase existing vector data?", "Unable to open file!",
                                            "Error Opening Vector File"}));
        QCOMPARE(doc->core().m_lines.GetLineCount(), 2);
        QCOMPARE(run.frame()->statusText(0), QStringLiteral("Error Opening Vector File"));
    }

    void newWindowCascadeTileAndDrop()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(20, 20)));
        run.frame()->OnCommand(ID_WINDOW_NEW);
        QCOMPARE(doc->views().size(), 2);
        QStringList titles;
        for (CChildFrame* frame : run.frame()->childFrames())
            titles << frame->windowTitle();
        titles.sort();
        QCOMPARE(titles, (QStringList{"a.bmp:1[*]", "a.bmp:2[*]"}));
        doc->views()[1]->state().m_fZoom = 4;
        QCOMPARE(doc->views()[0]->state().m_fZoom, 1.0f);

        run.frame()->OnCommand(ID_WINDOW_TILE_HORZ);
        const QList<CChildFrame*> frames = run.frame()->childFrames();
        QVERIFY(!frames[0]->geometry().intersects(frames[1]->geometry()));
        run.frame()->OnCommand(ID_WINDOW_CASCADE);
        QVERIFY(frames[0]->geometry().intersects(frames[1]->geometry()));

        // Closing one of two windows asks nothing, even when modified.
        doc->SetModifiedFlag();
        frames[0]->close();
        QVERIFY(run.messages.isEmpty());
        QCOMPARE(run.frame()->childFrames().size(), 1);
        QCOMPARE(run.frame()->childFrames()[0]->windowTitle(), QStringLiteral("a.bmp[*]"));
        doc->SetModifiedFlag(false);

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(run.writeBmp("dropped.bmp", AppHarness::whiteImage(3, 3)))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(run.frame(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(run.frame(), &drop);
        // Opened once the drop is over.
        QTRY_COMPARE(run.frame()->GetActiveDocument()->GetTitle(), QStringLiteral("dropped.bmp"));
    }

    void recentFilesKeepFourNewestFirst()
    {
        AppHarness run;
        for (int i = 1; i <= 5; ++i)
            run.open(run.writeBmp(QStringLiteral("r%1.bmp").arg(i), AppHarness::whiteImage(2, 2)));
        QCOMPARE(run.app().recentFiles(),
                 (QStringList{run.path("r5.bmp"), run.path("r4.bmp"), run.path("r3.bmp"), run.path("r2.bmp")}));
        QCOMPARE(run.frame()->recentFileActions().size(), 4);
        QCOMPARE(run.frame()->recentFileActions()[0]->text(), "&1 " + run.path("r5.bmp"));
        for (CChildFrame* frame : run.frame()->childFrames())
            frame->close();
        run.frame()->recentFileActions()[3]->trigger();
        QCOMPARE(run.frame()->GetActiveDocument()->GetTitle(), QStringLiteral("r2.bmp"));
        QCOMPARE(run.app().recentFiles().first(), run.path("r2.bmp"));
    }
};

ORVANE_APP_TEST(DesktopDocumentTest);

} // namespace orvane::app::test

#include "desktop_document_test.moc"
