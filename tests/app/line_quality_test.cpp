// Clean tracing and the line quality report in the desktop program: the
// trace keeps its report, the report dialog shows, sorts, saves and opens
// reports, and says when the lines no longer match it.
#include "app/line_report_dlg.h"

#include "app/command_table.h"
#include "app/one_touch_dlg.h"
#include "app/polyline_reduction_dlg.h"
#include "app/progress_dlg.h"
#include "app/varo_doc.h"
#include "app/varo_view.h"
#include "app_test_support.h"
#include "document/document.h"
#include "formats/line_quality_report.h"
#include "settings/app_settings.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>


namespace orvane::app::test {
namespace {

/// Two strokes, `width` pixels thick, crossing at the middle of an 80 x 80
/// image.
CBitmapImage crossOfThickStrokes(int width = 6)
{
    std::vector<std::pair<int, int>> ink;
    const int from = 40 - width / 2;
    for (int along = 8; along < 72; ++along)
        for (int across = from; across < from + width; ++across) {
            ink.emplace_back(along, across);
            ink.emplace_back(across, along);
        }
    return AppHarness::whiteImage(80, 80, ink);
}

/// Runs `body` on the next dialog, which must be a line report dialog.
std::function<void(QDialog&)> onReport(std::function<void(CLineReportDlg&)> body)
{
    return [body](QDialog& dialog) {
        auto* report = qobject_cast<CLineReportDlg*>(&dialog);
        QVERIFY(report);
        body(*report);
    };
}

/// The numbers of one table column, top to bottom.
QList<double> column(const QTableWidget* table, int index)
{
    QList<double> values;
    for (int r = 0; r < table->rowCount(); ++r)
        values << table->item(r, index)->data(Qt::UserRole).toDouble();
    return values;
}

/// The controls of a dialog that a screen reader could not name. A
/// table's headers and corner button are read as parts of the table.
QStringList unnamedControls(QWidget& dialog)
{
    QStringList unnamed;
    QList<QWidget*> controls;
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        controls << button;
    for (QAbstractSpinBox* box : dialog.findChildren<QAbstractSpinBox*>())
        controls << box;
    for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>())
        controls << view;
    for (QWidget* control : controls) {
        if (qobject_cast<QAbstractItemView*>(control->parentWidget()))
            continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
        if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QString::fromLatin1(control->metaObject()->className());
    }
    return unnamed;
}

} // namespace

class LineQualityTest : public QObject {
    Q_OBJECT
private slots:
    void cleanOneTouchTracesACrossOfTwoStrokesAsTwoLines_data()
    {
        QTest::addColumn<int>("method");
        QTest::newRow("zhang-suen") << int(kOneTouchZhangSuen);
        QTest::newRow("stentiford") << int(kOneTouchStentiford);
    }
    void cleanOneTouchTracesACrossOfTwoStrokesAsTwoLines()
    {
        QFETCH(int, method);
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("cross.bmp", crossOfThickStrokes()));
        run.app().m_settings.m_nOneTouchMethod = std::int16_t(method);
        run.frame()->OnCommand(ID_ONE_TOUCH);
        const int split = doc->core().m_lines.GetLineCount();
        QVERIFY2(split > 2, qPrintable(QString::number(split)));

        run.app().m_settings.m_nTopology = kTopologyClean;
        run.frame()->OnCommand(ID_ONE_TOUCH);
        QCOMPARE(run.statuses.last(), QStringLiteral("Vectorisation done. "));
        const CLineStore& lines = doc->core().m_lines;
        QCOMPARE(lines.GetLineCount(), 2);

        // The report has a row for each stored line, in store order: both
        // strokes open, with two free ends, and close to their centre pixels.
        const TraceReport* report = doc->traceReport();
        QVERIFY(report);
        QCOMPARE(report->topology, std::int16_t(kTopologyClean));
        QCOMPARE(report->command, QStringLiteral("One-Touch Vectorisation"));
        QCOMPARE(int(report->rows.size()), 2);
        for (int i = 0; i < 2; ++i) {
            const LineQuality& row = report->rows[std::size_t(i)];
            QCOMPARE(row.id, lines.line(i).m_nId);
            QCOMPARE(row.vertices, std::int32_t(lines.line(i).m_nodes.size()));
            QVERIFY(!row.closed);
            QCOMPARE(row.freeEnds, 2);
            QVERIFY2(row.length > 55, qPrintable(QString::number(row.length)));
            QVERIFY(row.maxDistance <= run.app().m_settings.m_dCleanTolerance + 1e-9);
        }
        QVERIFY(!doc->LinesChangedSinceTrace());
    }

    void theReportDialogShowsSortsAndSavesTheLastTrace()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("cross.bmp", crossOfThickStrokes()));
        run.frame()->OnCommand(ID_ONE_TOUCH); // split: several lines of different lengths
        const std::vector<LineQuality> rows = doc->traceReport()->rows;
        QVERIFY(rows.size() > 2);
        QVERIFY(run.frame()->action(ID_LINE_QUALITY_REPORT)->isEnabled());

        run.files << run.path("cross report.csv");
        run.dialogs << onReport([&](CLineReportDlg& d) {
            QCOMPARE(d.table()->rowCount(), int(rows.size()));
            QVERIFY(d.originLabel()->text().contains(QStringLiteral("cross.bmp")));
            QVERIFY(d.originLabel()->text().contains(QStringLiteral("split at every junction")));
            QVERIFY(d.changedLabel()->isHidden());
            QCOMPARE(d.summaryLabel()->text(), CLineReportDlg::Summary(rows));
            QVERIFY(d.summaryLabel()->text().startsWith(QStringLiteral("%1 lines, 0 closed, ").arg(rows.size())));
            QVERIFY(d.OnSaveAs());
        });
        run.frame()->OnCommand(ID_LINE_QUALITY_REPORT);
        QVERIFY(run.dialogs.isEmpty());
        const FileDialogRequest& request = run.requests.last();
        QVERIFY(request.save);
        QCOMPARE(request.defaultSuffix, QStringLiteral("csv"));
        QCOMPARE(request.initialPath, run.path("cross_quality.csv"));

        // What was saved reads back as the rows, to the file's two decimals.
        std::vector<LineQuality> read;
        std::string why;
        QVERIFY2(ReadLineQualityReport(run.path("cross report.csv").toStdString(), read, why), why.c_str());
        QCOMPARE(read.size(), rows.size());
        QCOMPARE(LineQualityCsv(read), LineQualityCsv(rows));
    }

    void aSavedReportOpensWithoutAnImageAndABadOneSaysWhy()
    {
        AppHarness run;
        const std::vector<LineQuality> saved{{3, 5, 120.41, false, 2, 0.35, 0.12},
                                             {9, 12, 80.5, true, 0, 0.5, 0.2},
                                             {10, 4, 9.25, false, 1, 1.75, 0.6}};
        std::string why;
        QVERIFY(WriteLineQualityReport(run.path("old.csv").toStdString(), saved, why));
        QFile bad(run.path("notes.csv"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("id,name\n1,door\n");
        bad.close();

        QVERIFY(run.frame()->action(ID_LINE_QUALITY_REPORT)->isEnabled());
        run.files << run.path("notes.csv") << run.path("old.csv") << run.path("missing.csv");
        run.dialogs << onReport([&](CLineReportDlg& d) {
            QVERIFY(!d.saveButton()->isEnabled()); // nothing to save yet
            QCOMPARE(d.table()->rowCount(), 0);
            QVERIFY(!d.OnOpen());
            QCOMPARE(run.messages.size(), 1);
            QVERIFY(run.messages.last().contains(run.path("notes.csv")));
            QVERIFY(run.messages.last().contains(QStringLiteral("not a line quality report")));
            QCOMPARE(d.table()->rowCount(), 0);

            d.openButton()->click();
            QCOMPARE(d.table()->rowCount(), 3);
            QCOMPARE(d.summaryLabel()->text(),
                     QStringLiteral("3 lines, 1 closed, 3 free ends; largest distance 1.75 px"));
            QCOMPARE(d.table()->item(1, 3)->text(), QStringLiteral("closed"));
            QCOMPARE(d.table()->item(0, 2)->text(), QStringLiteral("120.41"));
            QVERIFY(d.originLabel()->text().contains(run.path("old.csv")));
            QVERIFY(d.saveButton()->isEnabled());

            // Columns sort by number, not by text ("10" after "9").
            d.table()->sortByColumn(0, Qt::DescendingOrder);
            QCOMPARE(column(d.table(), 0), (QList<double>{10, 9, 3}));
            d.table()->sortByColumn(2, Qt::AscendingOrder);
            QCOMPARE(column(d.table(), 2), (QList<double>{9.25, 80.5, 120.41}));
            QCOMPARE(d.table()->item(0, 2)->text(), QStringLiteral("9.25"));

            // A file that has gone keeps the report shown.
            QVERIFY(!d.OnOpen());
            QVERIFY(run.messages.last().contains(run.path("missing.csv")));
            QCOMPARE(d.table()->rowCount(), 3);
        });
        run.frame()->OnCommand(ID_LINE_QUALITY_REPORT);
        QVERIFY(run.dialogs.isEmpty());
        QCOMPARE(run.messages.size(), 2);
    }

    void theReportSaysWhenTheLinesNoLongerMatchIt()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("cross.bmp", crossOfThickStrokes()));
        auto changedShown = [&] {
            bool shown = false;
            run.dialogs << onReport([&](CLineReportDlg& d) { shown = !d.changedLabel()->isHidden(); });
            run.frame()->OnCommand(ID_LINE_QUALITY_REPORT);
            return shown;
        };
        run.dialogs << onReport([](CLineReportDlg& d) {
            QVERIFY(d.originLabel()->text().contains(QStringLiteral("Nothing has been traced")));
            QVERIFY(!d.saveButton()->isEnabled());
        });
        run.frame()->OnCommand(ID_LINE_QUALITY_REPORT);
        QVERIFY(!doc->traceReport());

        run.app().m_settings.m_nTopology = kTopologyClean;
        run.frame()->OnCommand(ID_ONE_TOUCH);
        QVERIFY(!changedShown());

        // Deleting a line makes the report stale; undoing the deletion (or
        // redoing the trace after undoing it) makes it current again.
        doc->views().first()->state().m_selection = {1};
        run.answers << MessageAnswer::Yes;
        run.frame()->OnCommand(ID_DELETE_SELECTED);
        QCOMPARE(doc->core().m_lines.GetLineCount(), 1);
        QVERIFY(changedShown());
        run.frame()->OnCommand(ID_EDIT_UNDO);
        QVERIFY(!changedShown());
        run.frame()->OnCommand(ID_EDIT_UNDO); // the trace itself
        QCOMPARE(doc->core().m_lines.GetLineCount(), 0);
        QVERIFY(changedShown());
        run.frame()->OnCommand(ID_EDIT_REDO);
        QVERIFY(!changedShown());

        // A cancelled trace leaves the lines, and so the report, as they were.
        const std::vector<LineQuality> before = doc->traceReport()->rows;
        run.app().m_settings.m_nTopology = kTopologySplit;
        run.app().m_checkHook = [](CProgressDlg* dialog) {
            if (dialog && dialog->windowTitle() == QStringLiteral("Vectorisation"))
                dialog->OnCancel();
        };
        run.frame()->OnCommand(ID_ONE_TOUCH);
        QCOMPARE(run.statuses.last(), QStringLiteral("Error: Vectorisation failed. "));
        QCOMPARE(doc->traceReport()->topology, std::int16_t(kTopologyClean));
        QCOMPARE(LineQualityCsv(doc->traceReport()->rows), LineQualityCsv(before));
        QVERIFY(!changedShown());
    }

    void everyControlOfTheNewDialogsHasAName()
    {
        AppHarness run;
        COneTouchDlg oneTouch(run.app().m_settings);
        QCOMPARE(unnamedControls(oneTouch), QStringList());
        CPolylineReductionDlg reduction(run.app().m_settings, 0, 0);
        QCOMPARE(unnamedControls(reduction), QStringList());
        const TraceReport trace{{{1, 2, 3.0, false, 2, 0.1, 0.05}}, QStringLiteral("Vectorisation"), 0, 0};
        CLineReportDlg report(&trace, run.path("a.bmp"), true);
        QCOMPARE(unnamedControls(report), QStringList());
        QVERIFY(!report.changedLabel()->isHidden());
        QAccessibleInterface* speck = QAccessible::queryAccessibleInterface(oneTouch.speckSizeBox());
        QCOMPARE(speck->text(QAccessible::Name), QStringLiteral("Drop specks up to:"));
    }
};

ORVANE_APP_TEST(LineQualityTest);

} // namespace orvane::app::test

#include "line_quality_test.moc"
