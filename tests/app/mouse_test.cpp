// The view's three mouse modes, the readouts under the cursor and the
// cursor shapes.
#include "app/varo_view.h"

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/varo_doc.h"
#include "app_test_support.h"
#include "document/document.h"

#include <QScrollBar>
#include <QTest>

namespace orvane::app::test {
namespace {

struct Scene {
    AppHarness run;
    CVaroDoc* doc;
    CVaroView* view;

    Scene()
    {
        doc = run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(400, 300)));
        view = doc->views().first();
        run.frame()->MDIGetActive()->resize(300, 250);
    }
    QColor pixel(int x, int y) const
    {
        std::uint8_t r = 0, g = 0, b = 0;
        doc->core().m_image.GetPixelColor(x + 1, y + 1, r, g, b);
        return QColor(r, g, b);
    }
};

} // namespace

class MouseTest : public QObject {
    Q_OBJECT
private slots:
    void readoutsNameThePixelAndItsColourAsShown()
    {
        Scene s;
        s.view->ShowReadouts({0, 0});
        QCOMPARE(s.run.frame()->statusText(1), QStringLiteral("X 0, Y 0"));
        QCOMPARE(s.run.frame()->statusText(0), QStringLiteral("R 255, G 255, B 255"));
        s.view->SetZoom(2, {0, 0});
        s.view->ShowReadouts({9, 9});
        QCOMPARE(s.run.frame()->statusText(1), QStringLiteral("X 4, Y 4"));
        s.view->SetZoom(0.5f, {0, 0});
        s.view->ShowReadouts({9, 9});
        QCOMPARE(s.run.frame()->statusText(1), QStringLiteral("X 18, Y 18"));
        s.view->SetZoom(1, {0, 0});
        s.view->horizontalScrollBar()->setValue(100);
        s.view->verticalScrollBar()->setValue(50);
        s.view->ShowReadouts({0, 0});
        QCOMPARE(s.run.frame()->statusText(1), QStringLiteral("X 100, Y 50"));

        PointList p;
        p.append(110, 60);
        p.append(150, 60);
        s.doc->core().m_lines.AddLine(p);
        s.view->ShowReadouts({20, 10});
        QCOMPARE(s.run.frame()->statusText(0), QStringLiteral("R 0, G 255, B 0")); // the line, as drawn
        s.view->ShowReadouts({299 + 100, 10});
        QVERIFY(s.run.frame()->statusText(0) != QStringLiteral("R 0, G 255, B 0"));

        // Moving the mouse gives the same readouts.
        QTest::mouseMove(s.view->viewport(), {25, 10});
        QCOMPARE(s.run.frame()->statusText(1), QStringLiteral("X 125, Y 60"));
    }

    void thePenPaintsThePixelUnderTheCursor()
    {
        Scene s;
        s.run.frame()->OnCommand(ID_EDIT_IMAGE_PEN);
        QCOMPARE(s.run.statuses.last(), QStringLiteral("Please click on the image..."));
        QVERIFY(s.run.frame()->action(ID_EDIT_IMAGE_PEN)->isChecked());
        QVERIFY(!s.run.frame()->action(ID_ZOOM_MODE)->isChecked());
        QCOMPARE(s.view->viewport()->cursor().shape(), Qt::CrossCursor);

        QTest::mouseClick(s.view->viewport(), Qt::LeftButton, {}, QPoint(10, 20));
        QCOMPARE(s.pixel(10, 20), QColor(Qt::black));
        QCOMPARE(s.pixel(9, 19), QColor(Qt::white));
        QCOMPARE(s.run.statuses.last(), QStringLiteral("New value is R 0, G 0, B 0"));
        QVERIFY(s.doc->IsModified());
        s.view->OnLeftClick({0, 0});
        QCOMPARE(s.pixel(0, 0), QColor(Qt::black));
        s.view->SetZoom(4, {0, 0});
        s.view->OnLeftClick({9, 13}); // pixel 2, 3 at zoom 4
        QCOMPARE(s.pixel(2, 3), QColor(Qt::black));
        QCOMPARE(s.view->ColourAt({9, 13}), QColor(Qt::black)); // and it shows
        const std::size_t painted = s.doc->history().Count();
        s.view->OnLeftClick({9, 13}); // black already: nothing to undo
        QCOMPARE(s.doc->history().Count(), painted);

        const std::size_t steps = s.doc->history().Count();
        s.view->SetZoom(1, {0, 0});
        s.view->horizontalScrollBar()->setValue(0);
        s.doc->SetModifiedFlag(false);
        s.view->OnLeftClick({5000, 5}); // outside the image
        QCOMPARE(s.run.statuses.last(), QStringLiteral("New value is R 0, G 0, B 0"));
        QVERIFY(!s.doc->IsModified());
        QCOMPARE(s.doc->history().Count(), steps);

        QTest::mouseClick(s.view->viewport(), Qt::RightButton, {}, QPoint(10, 10));
        QCOMPARE(s.run.statuses.last(), QStringLiteral("Edit Image Mode = 0"));
        s.view->OnLeftClick({30, 30}); // neither zoom (turned off by the pen) nor select
        QCOMPARE(s.pixel(30, 30), QColor(Qt::white));
        QCOMPARE(s.view->state().m_fZoom, 1.0f);
        QVERIFY(s.view->viewport()->cursor().shape() != Qt::CrossCursor);
    }

    void zoomClicksMoveOneLevel()
    {
        Scene s;
        QVERIFY(s.view->state().m_bZoomMode);
        QTest::mouseClick(s.view->viewport(), Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(s.view->state().m_fZoom, 2.0f);
        QTest::mouseClick(s.view->viewport(), Qt::RightButton, {}, QPoint(30, 30));
        QCOMPARE(s.view->state().m_fZoom, 1.0f);
        QTest::mouseClick(s.view->viewport(), Qt::RightButton, {}, QPoint(30, 30));
        QCOMPARE(s.view->state().m_fZoom, 0.5f);

        s.run.frame()->OnCommand(ID_ZOOM_MODE); // off: clicks do nothing
        QVERIFY(!s.run.frame()->action(ID_ZOOM_MODE)->isChecked());
        QTest::mouseClick(s.view->viewport(), Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(s.view->state().m_fZoom, 0.5f);
    }

    void selectModeAddsTheNearestLineOnceAndShadowsUnderZoom()
    {
        Scene s;
        PointList a, b;
        a.append(10, 10);
        a.append(100, 10);
        b.append(10, 50);
        b.append(100, 50);
        s.doc->core().m_lines.AddLine(a);
        s.doc->core().m_lines.AddLine(b);
        s.run.frame()->OnCommand(ID_SELECT_BY_CURSOR);
        QCOMPARE(s.run.statuses.last(), QStringLiteral("Please select a line by using mouse"));
        QCOMPARE(s.view->viewport()->cursor().shape(), Qt::ArrowCursor);
        s.view->OnLeftClick({50, 45});
        QCOMPARE(s.view->state().m_selection, std::vector<std::uint32_t>{2});
        QCOMPARE(s.run.statuses.last(), QStringLiteral("Select feature id = 2"));
        QCOMPARE(s.view->ColourAt({50, 50}), QColor(Qt::red));
        s.view->OnLeftClick({50, 55});
        QCOMPARE(s.run.statuses.last(), QStringLiteral("Feature id = 2 already been selected."));
        QCOMPARE(s.view->state().m_selection.size(), std::size_t(1));

        // Zoom mode shadows select mode, and turning it off brings it back.
        s.run.frame()->OnCommand(ID_ZOOM_MODE);
        s.view->OnLeftClick({50, 12});
        QCOMPARE(s.view->state().m_fZoom, 2.0f);
        s.run.frame()->OnCommand(ID_ZOOM_MODE);
        s.view->SetZoom(1, {0, 0});
        s.view->OnLeftClick({50, 12});
        QCOMPARE(s.view->state().m_selection, (std::vector<std::uint32_t>{2, 1}));

        s.view->OnRightClick({0, 0});
        QCOMPARE(s.run.statuses.last(), QStringLiteral("Selection mode = 0"));
        s.view->OnLeftClick({50, 90});
        QCOMPARE(s.view->state().m_selection.size(), std::size_t(2));
    }
};

ORVANE_APP_TEST(MouseTest);

} // namespace orvane::app::test

#include "mouse_test.moc"
