// The main window's menus, toolbar, accelerators and status bar.
#include "app/main_frame.h"

#include "app/command_table.h"
#include "app/desktop_port.h"
#include "app/varo_doc.h"
#include "app/varo_view.h"
#include "app_test_support.h"

#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

namespace orvane::app::test {
namespace {

/// The texts of a menu's items, separators as "-", hidden items left out.
QStringList itemTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* a : menu->actions())
        if (a->isVisible())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

QStringList menuTitles(QMenuBar* bar)
{
    QStringList titles;
    for (QAction* a : bar->actions())
        titles << a->text();
    return titles;
}

QMenu* menuTitled(QMenuBar* bar, const QString& title)
{
    for (QAction* a : bar->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

} // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void menusWithoutADocument()
    {
        AppHarness run;
        QMenuBar* bar = run.frame()->menuBar();
        QCOMPARE(menuTitles(bar), (QStringList{"&File", "&View", "&Help"}));
        QCOMPARE(itemTexts(menuTitled(bar, "&File")),
                 (QStringList{"&Open Image...\tCtrl+O", "-", "P&rint Setup...", "-", "Recent File", "-", "E&xit\tAlt+F4"}));
        QCOMPARE(itemTexts(menuTitled(bar, "&View")),
                 (QStringList{"&Toolbar", "&Status Bar", "&Histogram Window", "Line &Quality Report..."}));
        QCOMPARE(itemTexts(menuTitled(bar, "&Help")),
                 (QStringList{"Help", "Go to Orvane Homepage ", "Go to Orvane NewsGroup", "-", "&About Orvane..."}));
        QVERIFY(!run.frame()->action(ID_FILE_MRU_FILE1)->isEnabled());
        for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_FILE_SAVE, ID_ZOOM_IN, ID_REVERT})
            QVERIFY2(!run.frame()->action(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(run.frame()->action(ID_FILE_OPEN)->isEnabled());
        QCOMPARE(run.frame()->windowTitle(), QStringLiteral("Varo"));
    }

    void menusWithADocumentAndBackWhenItCloses()
    {
        AppHarness run;
        run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(8, 8)));
        QMenuBar* bar = run.frame()->menuBar();
        QCOMPARE(menuTitles(bar), (QStringList{"&File", "&Edit", "&View", "&Image", "Vec&tor", "&Window", "&Help"}));
        QCOMPARE(itemTexts(menuTitled(bar, "&File")),
                 (QStringList{"&Open Image...\tCtrl+O", "&Revert/Reopen\tCtrl+E", "&Close Image\tCtrl+F4",
                              "&Save Image\tCtrl+S", "Save Image &As...", "-", "Open Vec&tor...\tCtrl-T",
                              "Save V&ector As...", "-", "&Print...\tCtrl+P", "Print Pre&view", "Print Set&up...",
                              "-", "&1 " + run.path("a.bmp"), "-", "E&xit\tAlt+F4"}));
        QCOMPARE(itemTexts(menuTitled(bar, "&Edit")),
                 (QStringList{"&Undo\tCtrl-Z", "&Redo\tCtrl-Y", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V"}));
        QCOMPARE(itemTexts(menuTitled(bar, "&View")),
                 (QStringList{"&Toolbar", "Status &Bar", "&Histogram Window", "Line &Quality Report...", "-",
                              "&Zoom In\tCtrl-D",
                              "Zoom &Out\tCtrl-A", "Re&draw\tF2", "&Reset (1:1)\tCtrl-R", "-", "&Line End Nodes",
                              "Line &IDs", "&Show Image", "Show &Vector Lines", "-", "Show Lines Filter ...",
                              "&Filter Mode On"}));
        QCOMPARE(itemTexts(menuTitled(bar, "&Image")),
                 (QStringList{"&Information ...", "-", "Convert to &Grey Scale", "&Thresholding ...",
                              "Thinning - &Zhang && Suen Method", "Thinning - &Stentiford Method",
                              "&Edge Detection - Canny Method", "-", "Set &Canny's Parameters"}));
        QCOMPARE(itemTexts(menuTitled(bar, "Vec&tor")),
                 (QStringList{"&Information ...", "-", "&Vectorise Thinned Image", "&One-Touch Vectorision\tF10",
                              "&Set One-Touch Option ...", "&Polyline Reduction Option ...", "Vector O&utput Option ...", "-", "Select by Cursor",
                              "Select All Features", "UnSelect", "Clear Select", "Delete Selected Features", "-",
                              "Polyline to Straight &Line", "Se&t Poly To Straight Line Option ...",
                              "Spline/S&mooth Polyline"}));
        QCOMPARE(itemTexts(menuTitled(bar, "&Window")),
                 (QStringList{"&New Window", "&Cascade", "&Tile", "&Arrange Icons", "-", "&Data Window ..."}));
        QCOMPARE(itemTexts(menuTitled(bar, "&Help")),
                 (QStringList{"&Help", "Go to Orvane Home&page ", "Go to Orvane &NewsGroup", "-", "&About Orvane..."}));
        // The display toggles carry their flags as check marks.
        QVERIFY(run.frame()->action(ID_SHOW_IMAGE)->isChecked());
        QVERIFY(run.frame()->action(ID_SHOW_VECTORS)->isChecked());
        QVERIFY(!run.frame()->action(ID_SHOW_END_NODES)->isChecked());
        QVERIFY(run.frame()->action(ID_ZOOM_MODE)->isChecked());
        for (int id : {ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE})
            QVERIFY(!run.frame()->action(id)->isEnabled());

        run.frame()->OnCommand(ID_FILE_CLOSE);
        QCOMPARE(menuTitles(bar), (QStringList{"&File", "&View", "&Help"}));
    }

    void toolbarOrderTooltipsAndPrompts()
    {
        AppHarness run;
        QStringList order;
        for (QAction* a : run.frame()->toolBar()->actions())
            order << (a->isSeparator() ? QStringLiteral("|") : a->data().toString());
        QCOMPARE(order.join(' '), QStringLiteral("57601 57603 | 57635 57634 57637 | 57607 57664 | 32795 | 32796 32797 | "
                                                 "32773 | 32771 32776 | 32807 | 32772 32809 32810 32829"));
        QAction* vectorise = run.frame()->action(ID_VECTORISE);
        QCOMPARE(vectorise->statusTip(), QStringLiteral("Vectorise Thinned Image"));
        QCOMPARE(vectorise->toolTip(), QStringLiteral("Vectorise Image"));
        QCOMPARE(run.frame()->action(ID_EDIT_IMAGE_PEN)->toolTip(), QStringLiteral("Edit with Pen"));
        QCOMPARE(run.frame()->action(ID_REDUCTION_OPTION)->statusTip(),
                 QStringLiteral("Optimise Polylines whilst vectorizing"));
        for (QAction* a : run.frame()->toolBar()->actions())
            if (!a->isSeparator()) {
                QVERIFY2(!a->toolTip().isEmpty() && !a->statusTip().isEmpty(), qPrintable(a->data().toString()));
                QVERIFY2(!a->icon().isNull(), qPrintable(a->data().toString()));
                QVERIFY2(!a->text().isEmpty(), "a screen reader needs a name for every button");
            }
    }

    void acceleratorsAreTheSpecifiedKeys()
    {
        AppHarness run;
        const QList<std::pair<int, QString>> keys = {
            {ID_FILE_OPEN, "Ctrl+O"},   {ID_FILE_SAVE, "Ctrl+S"},     {ID_REVERT, "Ctrl+E"},
            {ID_OPEN_VECTOR, "Ctrl+I"}, {ID_FILE_PRINT, "Ctrl+P"},    {ID_ZOOM_RESET, "Ctrl+R"},
            {ID_ZOOM_IN, "Ctrl+D"},     {ID_ZOOM_OUT, "Ctrl+A"},      {ID_REDRAW, "F2"},
            {ID_ONE_TOUCH, "F10"},      {ID_EDIT_COPY, "Ctrl+C"},     {ID_EDIT_COPY, "Ctrl+Ins"},
            {ID_EDIT_PASTE, "Ctrl+V"},  {ID_EDIT_PASTE, "Shift+Ins"}, {ID_EDIT_CUT, "Ctrl+X"},
            {ID_EDIT_CUT, "Shift+Del"}, {ID_EDIT_UNDO, "Alt+Backspace"}, {ID_APP_EXIT, "Alt+F4"},
            {ID_EDIT_UNDO, "Ctrl+Z"},   {ID_EDIT_REDO, "Ctrl+Y"},     {ID_EDIT_REDO, "Ctrl+Shift+Z"},
            {ID_NEXT_PANE, "F6"},       {ID_PREV_PANE, "Shift+F6"},
            {ID_OPEN_VECTOR, "Ctrl+T"}};
        for (const auto& [id, key] : keys)
            QVERIFY2(run.frame()->action(id)->shortcuts().contains(QKeySequence(key)), qPrintable(key));
        QSet<QString> seen;
        for (QAction* a : run.frame()->actions())
            for (const QKeySequence& k : a->shortcuts()) {
                QVERIFY2(!seen.contains(k.toString()), qPrintable("twice: " + k.toString()));
                seen.insert(k.toString());
            }
    }

    void acceleratorsReachTheirCommands()
    {
        AppHarness run;
        run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(300, 300)));
        CMainFrame* frame = run.frame();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        CVaroView* view = frame->GetActiveView();
        view->setFocus();

        // Each key's command, seen through its effect.
        QTest::keyClick(view, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(view->state().m_fZoom, 3.0f);
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(view->state().m_fZoom, 1.0f);
        QTest::keyClick(view, Qt::Key_D, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(view->state().m_fZoom, 1.0f);

        QSignalSpy redraw(frame->action(ID_REDRAW), &QAction::triggered);
        QTest::keyClick(view, Qt::Key_F2);
        QCOMPARE(redraw.count(), 1);

        QTest::keyClick(view, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(run.requests.size(), 1);
        QCOMPARE(run.requests.last().title, QStringLiteral("Open Image"));
        for (Qt::Key key : {Qt::Key_I, Qt::Key_T}) {
            QTest::keyClick(view, key, Qt::ControlModifier);
            QCOMPARE(run.requests.last().title, QStringLiteral("Open Vector"));
        }
        const int before = run.requests.size();
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(run.requests.size(), before);
        QCOMPARE(frame->statusText(0), QStringLiteral("Ready"));

        CloseModalDialogsSoon();
        QSignalSpy print(frame->action(ID_FILE_PRINT), &QAction::triggered);
        QTest::keyClick(view, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(print.count(), 1);
        frame->activateWindow(); // back from the print dialog
        QVERIFY(QTest::qWaitForWindowActive(frame));

        run.open(run.writeBmp("b.bmp", AppHarness::whiteImage(30, 30)));
        QCOMPARE(frame->GetActiveDocument()->GetTitle(), QStringLiteral("b.bmp"));
        QTest::keyClick(frame->GetActiveView(), Qt::Key_F6);
        QCOMPARE(frame->GetActiveDocument()->GetTitle(), QStringLiteral("a.bmp"));
        QTest::keyClick(frame->GetActiveView(), Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(frame->GetActiveDocument()->GetTitle(), QStringLiteral("b.bmp"));

        QTest::keyClick(frame->GetActiveView(), Qt::Key_E, Qt::ControlModifier); // revert: b.bmp again
        QCOMPARE(frame->GetActiveDocument()->GetTitle(), QStringLiteral("b.bmp"));
        QTest::keyClick(frame->GetActiveView(), Qt::Key_F4, Qt::ControlModifier);
        QCOMPARE(frame->childFrames().size(), 1);

        // Keys of commands without a handler reach nothing.
        QSignalSpy copy(frame->action(ID_EDIT_COPY), &QAction::triggered);
        QTest::keyClick(frame->GetActiveView(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(copy.count(), 0);

        QTest::keyClick(frame->GetActiveView(), Qt::Key_F4, Qt::AltModifier);
        QVERIFY(!frame->isVisible());
        QVERIFY(frame->childFrames().isEmpty());
    }

    void statusPanes()
    {
        AppHarness run;
        CMainFrame* frame = run.frame();
        QCOMPARE(frame->statusText(0), QStringLiteral("Ready"));
        QCOMPARE(frame->statusText(1), QStringLiteral("X 00000, Y 00000"));
        DesktopPort port(run.app());
        SetStatusText(&port, 7, "into %s", "pane 0");
        QCOMPARE(frame->statusText(0), QStringLiteral("into pane 0"));
        SetStatusText(&port, 1, "X %d, Y %d", 12, 34);
        QCOMPARE(frame->statusText(1), QStringLiteral("X 12, Y 34"));
        const std::string longText(255, 'x');
        SetStatusText(&port, 0, "%s", (longText + "yz").c_str());
        QCOMPARE(frame->statusText(0), QString::fromStdString(longText));
    }

};

ORVANE_APP_TEST(MainFrameTest);

} // namespace orvane::app::test

#include "main_frame_test.moc"
