// The processing and editing commands on a real document: texts, effects,
// One-Touch against the command line, cancel, and undo of every change.
#include "app/varo_view.h"

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/progress_dlg.h"
#include "app/varo_doc.h"
#include "app_test_support.h"
#include "document/document.h"
#include "formats/export_driver.h"
#include "port/port.h"

#include <cmath>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace orvane::app::test {
namespace {

using Answer = MessageAnswer;

std::vector<std::uint8_t> pixelsOf(const CBitmapImage& image)
{
    return {image.GetBits(), image.GetBits() + image.GetBitsSize()};
}

/// Every line as text: id and vertices.
QStringList linesOf(const CLineStore& store)
{
    QStringList lines;
    for (const auto& line : store.lines()) {
        QString text = QString::number(line->m_nId) + ':';
        for (const VectorNode& node : line->m_nodes)
            text += QStringLiteral(" %1,%2").arg(node.m_dX).arg(node.m_dY);
        lines << text;
    }
    return lines;
}

/// What the document holds, to compare states exactly.
struct State {
    std::vector<std::uint8_t> pixels;
    QStringList lines;
    bool modified, vectorsChanged;
    bool operator==(const State&) const = default;
};

State stateOf(const Document& doc)
{
    return {pixelsOf(doc.m_image), linesOf(doc.m_lines), doc.IsModified(), doc.VectorsChanged()};
}

QByteArray contents(const QString& file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

/// A 40 x 30 white image with a black L of strokes two pixels wide, and a
/// separate short bar: thins and traces into a few lines.
CBitmapImage drawingWithStrokes()
{
    std::vector<std::pair<int, int>> ink;
    for (int x = 5; x < 35; ++x)
        for (int y = 10; y < 12; ++y)
            ink.emplace_back(x, y);
    for (int y = 12; y < 26; ++y)
        for (int x = 5; x < 7; ++x)
            ink.emplace_back(x, y);
    for (int x = 20; x < 30; ++x)
        for (int y = 20; y < 22; ++y)
            ink.emplace_back(x, y);
    return AppHarness::whiteImage(40, 30, ink);
}

/// The strokes and a ring around (20, 15): the ring traces into a line of
/// many vertices that smoothing moves.
CBitmapImage drawingWithRing()
{
    CBitmapImage image = drawingWithStrokes();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const double d = std::hypot(x - 20.0, y - 15.0);
            if (d >= 7.0 && d <= 8.6)
                image.SetPixelColor(x + 1, y + 1, 0, 0, 0);
        }
    return image;
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void imageStepsReportAndMarkTheDocument_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<QString>("undo");
        QTest::newRow("grey") << int(ID_GREY_SCALE) << QStringList{"Processing ... ", "Grey Scale done. "}
                              << "&Undo Grey Scale\tCtrl-Z";
        QTest::newRow("zhang-suen") << int(ID_THINNING_ZHANG_SUEN)
                                    << QStringList{"Processing ... ", "Updating display...", "Thinning done. "}
                                    << "&Undo Thinning\tCtrl-Z";
        QTest::newRow("stentiford") << int(ID_THINNING_STENTIFORD)
                                    << QStringList{"Processing ... ", "Updating display...", "Thinning done. "}
                                    << "&Undo Thinning\tCtrl-Z";
        QTest::newRow("canny") << int(ID_EDGE_CANNY)
                               << QStringList{"Processing ... ", "Updating Display... ", "Edge Detection done. "}
                               << "&Undo Edge Detection\tCtrl-Z";
    }
    void imageStepsReportAndMarkTheDocument()
    {
        QFETCH(int, id);
        QFETCH(QStringList, statuses);
        QFETCH(QString, undo);
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", drawingWithStrokes()));
        const State before = stateOf(doc->core());
        run.statuses.clear();
        run.frame()->OnCommand(id);
        QCOMPARE(run.statuses, statuses);
        QVERIFY(doc->IsModified());
        QVERIFY(doc->core().m_nMaxCount > 0);
        QCOMPARE(run.frame()->action(ID_EDIT_UNDO)->text(), undo);
        QVERIFY(run.frame()->MDIGetActive()->isWindowModified());

        run.frame()->OnCommand(ID_EDIT_UNDO);
        QVERIFY(stateOf(doc->core()) == before);
        QCOMPARE(run.frame()->action(ID_EDIT_UNDO)->text(), QStringLiteral("&Undo\tCtrl-Z"));
        QVERIFY(!run.frame()->action(ID_EDIT_UNDO)->isEnabled());
        QCOMPARE(run.frame()->action(ID_EDIT_REDO)->text(), undo.replace("&Undo", "&Redo").replace("Ctrl-Z", "Ctrl-Y"));
    }

    void aStepOnADocumentWithoutAnImageFails()
    {
        AppHarness run;
        QFile junk(run.path("junk.bmp"));
        junk.open(QIODevice::WriteOnly);
        junk.write("junk");
        junk.close();
        CVaroDoc* doc = run.open(run.path("junk.bmp"));
        run.statuses.clear();
        run.frame()->OnCommand(ID_THINNING_STENTIFORD);
        QCOMPARE(run.statuses, (QStringList{"Processing ... ", "Error: Thinning failed. "}));
        run.frame()->OnCommand(ID_VECTORISE);
        QCOMPARE(run.statuses.last(), QStringLiteral("Error: Vectorisation failed. "));
        QVERIFY(!doc->IsModified());
        QVERIFY(!doc->history().CanUndo());
    }

    void oneTouchGivesTheCommandLinesLines_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("retain");
        QTest::newRow("zhang-suen, retain") << 0 << "zhang-suen" << 1;
        QTest::newRow("stentiford, processed") << 1 << "stentiford" << 0;
        QTest::newRow("canny, retain") << 2 << "canny" << 1;
        QTest::newRow("canny, processed") << 2 << "canny" << 0;
    }
    void oneTouchGivesTheCommandLinesLines()
    {
        QFETCH(int, method);
        QFETCH(QString, name);
        QFETCH(int, retain);
        AppHarness run;
        QVERIFY(QFile::copy(QStringLiteral(ORVANE_SAMPLE), run.path("plan.bmp")));
        CVaroDoc* doc = run.open(run.path("plan.bmp"));
        const std::vector<std::uint8_t> original = pixelsOf(doc->core().m_image);
        run.app().m_settings.m_nOneTouchMethod = std::int16_t(method);
        run.app().m_settings.m_bRetainOriginal = retain;
        run.statuses.clear();
        run.frame()->OnCommand(ID_ONE_TOUCH);
        QCOMPARE(run.statuses.last(), QStringLiteral("Vectorisation done. "));
        QVERIFY(doc->core().m_lines.GetLineCount() > 10);
        QCOMPARE(doc->IsModified(), retain == 0);
        QCOMPARE(pixelsOf(doc->core().m_image) == original, retain == 1);

        QProcess cli;
        cli.start(QStringLiteral(ORVANE_CLI), {"onetouch", run.path("plan.bmp"), "-o", run.path("cli.arc"),
                                               "--method", name, "-q"});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        SilentPort port;
        QVERIFY(ExportVectorFile(doc->core().m_lines, 1500, 1000, run.path("gui.arc").toStdString(), port));
        QCOMPARE(contents(run.path("gui.arc")), contents(run.path("cli.arc")));
    }

    void cancellingOneTouchOrVectorisingLeavesTheDocumentAsItWas()
    {
        AppHarness run;
        QVERIFY(QFile::copy(QStringLiteral(ORVANE_SAMPLE), run.path("plan.bmp")));
        CVaroDoc* doc = run.open(run.path("plan.bmp"));
        run.frame()->OnCommand(ID_ONE_TOUCH);
        doc->views().first()->state().m_selection = {3};
        const State before = stateOf(doc->core());
        QVERIFY(!before.lines.isEmpty());

        // Cancel half way through tracing, after the thinning has finished.
        int tracingChecks = 0;
        run.app().m_checkHook = [&](CProgressDlg* dialog) {
            if (dialog && dialog->windowTitle() == QStringLiteral("Vectorisation") && ++tracingChecks == 300)
                dialog->OnCancel();
        };
        for (int id : {ID_ONE_TOUCH, ID_VECTORISE}) {
            tracingChecks = 0;
            run.app().m_settings.m_bRetainOriginal = 0;
            run.frame()->OnCommand(id);
            QVERIFY(tracingChecks >= 300);
            QCOMPARE(run.statuses.last(), QStringLiteral("Error: Vectorisation failed. "));
            QVERIFY(stateOf(doc->core()) == before);
            QCOMPARE(doc->views().first()->state().m_selection, std::vector<std::uint32_t>{3});
            QCOMPARE(doc->history().UndoName(), std::string("One-Touch Vectorisation"));
        }

        // A cancel while thinning or finding edges ends the whole command:
        // nothing is traced from a half-prepared image.
        for (int method : {0, 1, 2}) {
            bool cancelled = false;
            run.app().m_checkHook = [&](CProgressDlg* dialog) {
                if (dialog && !cancelled && dialog->windowTitle() != QStringLiteral("Vectorisation")) {
                    dialog->OnCancel();
                    cancelled = true;
                }
            };
            run.app().m_settings.m_nOneTouchMethod = std::int16_t(method);
            run.frame()->OnCommand(ID_ONE_TOUCH);
            QVERIFY(cancelled);
            QVERIFY2(stateOf(doc->core()) == before, qPrintable(QStringLiteral("method %1").arg(method)));
            QCOMPARE(doc->history().UndoName(), std::string("One-Touch Vectorisation"));
        }
    }

    void undoAndRedoPutBackEveryKindOfChange()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", drawingWithRing()));
        CVaroView* view = doc->views().first();
        run.app().m_settings.m_bReduceWhileVectorising = 0; // lines of many vertices, for smoothing
        QList<State> states{stateOf(doc->core())};
        auto step = [&](auto&& change) {
            change();
            states.append(stateOf(doc->core()));
            QVERIFY2(states.last() != states[states.size() - 2],
                     qPrintable(QStringLiteral("step %1 changed nothing").arg(states.size() - 1)));
        };
        step([&] { run.frame()->OnCommand(ID_GREY_SCALE); });
        step([&] { run.frame()->OnCommand(ID_THINNING_STENTIFORD); });
        step([&] { run.frame()->OnCommand(ID_VECTORISE); });
        step([&] {
            run.frame()->OnCommand(ID_EDIT_IMAGE_PEN);
            view->OnLeftClick({1, 1});
        });
        step([&] {
            // The line of most vertices: smoothing moves them.
            const CVectorLine* longest = nullptr;
            for (const auto& line : doc->core().m_lines.lines())
                if (!longest || line->m_nodes.size() > longest->m_nodes.size())
                    longest = line.get();
            QVERIFY(longest && longest->m_nodes.size() > 2);
            view->state().m_selection = {std::uint32_t(longest->m_nId)};
            run.frame()->OnCommand(ID_SPLINE_SMOOTH);
        });
        step([&] {
            run.app().m_settings.m_nStraightMode = 1;
            run.answers << Answer::Yes;
            run.frame()->OnCommand(ID_POLY_TO_STRAIGHT);
        });
        step([&] {
            run.answers << Answer::Yes;
            run.frame()->OnCommand(ID_DELETE_SELECTED);
        });
        step([&] {
            run.frame()->OnCommand(ID_ONE_TOUCH);
        });
        SilentPort port;
        ExportVectorFile(doc->core().m_lines, 40, 30, run.path("lines.arc").toStdString(), port);
        step([&] {
            run.answers << Answer::No;
            run.files << run.path("lines.arc");
            run.frame()->OnCommand(ID_OPEN_VECTOR);
        });
        QCOMPARE(doc->history().Count(), std::size_t(states.size() - 1));

        for (int i = int(states.size()) - 2; i >= 0; --i) {
            run.frame()->OnCommand(ID_EDIT_UNDO);
            QVERIFY2(stateOf(doc->core()) == states[i], qPrintable(QStringLiteral("undo to state %1").arg(i)));
        }
        QVERIFY(!run.frame()->action(ID_EDIT_UNDO)->isEnabled());
        for (int i = 1; i < states.size(); ++i) {
            run.frame()->OnCommand(ID_EDIT_REDO);
            QVERIFY2(stateOf(doc->core()) == states[i], qPrintable(QStringLiteral("redo to state %1").arg(i)));
        }
        QVERIFY(!run.frame()->action(ID_EDIT_REDO)->isEnabled());
    }

    void replacedLinesLeaveNoStaleSelectionInAnyWindow()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", drawingWithStrokes()));
        run.frame()->OnCommand(ID_WINDOW_NEW);
        run.frame()->OnCommand(ID_THINNING_STENTIFORD);
        run.frame()->OnCommand(ID_VECTORISE);
        for (CVaroView* view : doc->views())
            view->state().m_selection = {1, 2};
        run.frame()->OnCommand(ID_VECTORISE);
        for (CVaroView* view : doc->views())
            QVERIFY(view->state().m_selection.empty());
        for (CVaroView* view : doc->views())
            view->state().m_selection = {1};
        run.frame()->OnCommand(ID_EDIT_UNDO); // the lines of the first run come back
        for (CVaroView* view : doc->views())
            QVERIFY(view->state().m_selection.empty());
    }

    void savingMarksUndoneStatesModifiedAndRevertClearsTheHistory()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", drawingWithStrokes()));
        run.frame()->OnCommand(ID_THINNING_STENTIFORD);
        run.frame()->OnCommand(ID_FILE_SAVE);
        QVERIFY(!doc->IsModified());
        run.frame()->OnCommand(ID_EDIT_UNDO);
        QVERIFY2(doc->IsModified(), "the file now holds the thinned image");
        run.frame()->OnCommand(ID_EDIT_REDO);
        QVERIFY(!doc->IsModified());

        run.frame()->OnCommand(ID_REVERT);
        QVERIFY(!run.frame()->GetActiveDocument()->history().CanUndo());
    }

    void selectionAndEditingCommandsAskAndReport()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", drawingWithStrokes()));
        run.app().m_settings.m_bSmoothWhileVectorising = 0;
        run.app().m_settings.m_bReduceWhileVectorising = 0;
        run.frame()->OnCommand(ID_THINNING_STENTIFORD);
        run.frame()->OnCommand(ID_VECTORISE);
        const int lines = doc->core().m_lines.GetLineCount();
        QVERIFY(lines >= 2);
        CVaroView* view = doc->views().first();

        run.frame()->OnCommand(ID_SELECT_ALL);
        QCOMPARE(int(view->state().m_selection.size()), lines);
        QCOMPARE(run.statuses.last(), QStringLiteral("Select all features done. "));
        run.frame()->OnCommand(ID_UNSELECT);
        QCOMPARE(int(view->state().m_selection.size()), lines - 1);
        run.answers << Answer::No;
        run.frame()->OnCommand(ID_CLEAR_SELECTION);
        QCOMPARE(run.messages.last(), QStringLiteral("Do you want to clear all the selection?"));
        QCOMPARE(int(view->state().m_selection.size()), lines - 1);
        run.answers << Answer::Yes;
        run.frame()->OnCommand(ID_CLEAR_SELECTION);
        QVERIFY(view->state().m_selection.empty());
        QCOMPARE(run.statuses.last(), QStringLiteral("Clear select done."));

        run.frame()->OnCommand(ID_DELETE_SELECTED);
        QCOMPARE(run.statuses.last(), QStringLiteral("Nothing to selected. "));
        view->state().m_selection = {1};
        run.answers << Answer::No;
        run.frame()->OnCommand(ID_DELETE_SELECTED);
        QCOMPARE(doc->core().m_lines.GetLineCount(), lines);
        QVERIFY(!doc->history().UndoName().starts_with("Delete"));
        run.answers << Answer::Yes;
        run.frame()->OnCommand(ID_DELETE_SELECTED);
        QCOMPARE(doc->core().m_lines.GetLineCount(), lines - 1);
        QCOMPARE(run.statuses.last(), QStringLiteral("Delete selected features done. "));

        // Program decides: a question per line that looks straight.
        run.app().m_settings.m_nStraightMode = 2;
        run.app().m_settings.m_fStraightTolerance = 360;
        view->state().m_selection.clear();
        for (const auto& line : doc->core().m_lines.lines())
            if (line->m_nodes.size() > 2)
                view->state().m_selection.push_back(std::uint32_t(line->m_nId));
        QVERIFY(!view->state().m_selection.empty());
        run.messages.clear();
        run.answers << Answer::Cancel;
        run.frame()->OnCommand(ID_POLY_TO_STRAIGHT);
        QCOMPARE(run.messages.size(), 1);
        QVERIFY(run.messages[0].startsWith(QStringLiteral("I think line ")));
        QCOMPARE(run.statuses.last(), QStringLiteral("Cancelled. "));

        run.frame()->OnCommand(ID_VECTOR_INFORMATION);
        QCOMPARE(run.messages.last(),
                 QStringLiteral("Total number vector lines is %1.").arg(doc->core().m_lines.GetLineCount()));
    }

    void helpWebPagesAndDataWindowOpenTheRightFiles()
    {
        AppHarness run;
        run.frame()->OnCommand(ID_HELP_INDEX);
        run.frame()->OnCommand(ID_HELP_HOMEPAGE);
        run.frame()->OnCommand(ID_HELP_NEWSGROUP);
        QCOMPARE(run.opened.size(), 3);
        QVERIFY(run.messages.isEmpty());
        QCOMPARE(run.opened[0].toLocalFile(), QDir(QStringLiteral(ORVANE_PROGRAM_DIR)).filePath("help/html/intro.htm"));
        for (const QUrl& url : run.opened)
            QVERIFY(QFile::exists(url.toLocalFile()));
        QVERIFY(contents(run.opened[0].toLocalFile()).contains("One-Touch"));
        QCOMPARE(QFileInfo(run.opened[2].toLocalFile()).fileName(), QStringLiteral("support.htm"));

        CVaroDoc* doc = run.open(run.writeBmp("sheet.1.bmp", AppHarness::whiteImage(5, 5)));
        run.opened.clear();
        run.frame()->OnCommand(ID_DATA_WINDOW);
        QVERIFY(run.opened.isEmpty());
        QCOMPARE(run.messages.size(), 1);
        QVERIFY(run.messages[0].contains(run.path("sheet.1.TXT")));

        PointList p;
        p.append(1, 1);
        p.append(3, 3);
        doc->core().m_lines.AddLine(p);
        run.files << run.path("sheet.1.txt");
        run.frame()->OnCommand(ID_SAVE_VECTOR_AS);
        run.frame()->OnCommand(ID_DATA_WINDOW);
        QCOMPARE(run.opened, QList<QUrl>{QUrl::fromLocalFile(run.path("sheet.1.txt"))});

        run.app().m_settings.m_szProgramDir = run.path("nowhere").toStdString();
        run.frame()->OnCommand(ID_HELP_INDEX);
        QVERIFY(run.messages.last().contains(QStringLiteral("missing")));
        run.app().m_settings.m_szProgramDir = ORVANE_PROGRAM_DIR;
    }
};

ORVANE_APP_TEST(CommandsTest);

} // namespace orvane::app::test

#include "commands_test.moc"
