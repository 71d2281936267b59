// What a view draws, checked on its grabbed pixels, and how it zooms.
#include "app/varo_view.h"

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/varo_doc.h"
#include "app/view_painter.h"
#include "app_test_support.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>

namespace orvane::app::test {
namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kHatch(200, 200, 200);

/// A 20 x 20 white image with one black pixel at (6, 8), and one line of
/// three vertices along row 3 from x 2 to 12 (id 1).
struct Scene {
    AppHarness run;
    CVaroDoc* doc = nullptr;
    CVaroView* view = nullptr;

    Scene()
    {
        doc = run.open(run.writeBmp("scene.bmp", AppHarness::whiteImage(20, 20, {{6, 8}})));
        PointList p;
        p.append(2, 3);
        p.append(7, 3);
        p.append(12, 3);
        doc->core().m_lines.AddLine(p);
        view = doc->views().first();
        run.frame()->MDIGetActive()->resize(500, 500);
        view->SetZoom(16, {0, 0});
    }

    QImage shot() const { return view->viewport()->grab().toImage(); }
    QColor at(int x, int y) const { return shot().pixelColor(x, y); }
};

/// Paints `area` of a document piece by piece in tiles, as exposures do.
QImage paintInTiles(const Document& doc, const ViewState& state, const QRect& area, QSize tile)
{
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    ImageRaster raster;
    for (int y = area.top(); y <= area.bottom(); y += tile.height())
        for (int x = area.left(); x <= area.right(); x += tile.width()) {
            QPainter painter(&image);
            painter.translate(-area.topLeft());
            PaintDocument(painter, doc, state, raster, QRect(QPoint(x, y), tile).intersected(area));
        }
    return image;
}

} // namespace

class ViewTest : public QObject {
    Q_OBJECT
private slots:
    void menuZoomMovesTwoLevelsAndClicksOne()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(100, 80)));
        CVaroView* view = doc->views().first();
        auto menu = [&](int id, float from) {
            view->state().m_fZoom = from;
            run.frame()->OnCommand(id);
            return view->state().m_fZoom;
        };
        QCOMPARE(menu(ID_ZOOM_IN, 1), 3.0f);
        QCOMPARE(menu(ID_ZOOM_IN, 15), 16.0f);
        QCOMPARE(menu(ID_ZOOM_IN, 16), 16.0f);
        QCOMPARE(menu(ID_ZOOM_IN, 0.5f), 2.0f);
        QCOMPARE(menu(ID_ZOOM_IN, 1.0f / 3), 1.0f);
        QCOMPARE(menu(ID_ZOOM_OUT, 3), 1.0f);
        QCOMPARE(menu(ID_ZOOM_OUT, 2), 0.5f);
        QCOMPARE(menu(ID_ZOOM_OUT, 1.0f / 15), 1.0f / 16);
        QCOMPARE(menu(ID_ZOOM_OUT, 1.0f / 16), 1.0f / 16);

        view->state().m_fZoom = 1;
        view->ZoomInAt({10, 10});
        QCOMPARE(view->state().m_fZoom, 2.0f);
        view->ZoomOutAt({10, 10});
        view->ZoomOutAt({10, 10});
        QCOMPARE(view->state().m_fZoom, 0.5f);
        QCOMPARE(view->scrollExtent(), QSize(50, 40));
        run.frame()->OnCommand(ID_ZOOM_RESET);
        QCOMPARE(view->state().m_fZoom, 1.0f);
        QCOMPARE(view->scrollExtent(), QSize(100, 80));
    }

    void zoomingAtAPointKeepsItUnderTheCursor()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(2000, 1500)));
        CVaroView* view = doc->views().first();
        run.frame()->MDIGetActive()->resize(600, 400);
        view->horizontalScrollBar()->setValue(500);
        view->verticalScrollBar()->setValue(300);
        const QPoint cursor(100, 50);
        const QPoint before = view->imagePointAt(cursor);
        view->ZoomInAt(cursor);
        QCOMPARE(view->imagePointAt(cursor), before);
        view->ZoomOutAt(cursor);
        view->ZoomOutAt(cursor);
        QCOMPARE(view->state().m_fZoom, 0.5f);
        QVERIFY((view->imagePointAt(cursor) - before).manhattanLength() <= 2);
    }

    void aLineAtZoomSixteenSitsOnPixelCentres()
    {
        Scene s;
        // Vertices at 16 x + 8: row 3 is device row 56, x from 40 to 200;
        // the pen is 8 device pixels wide.
        QCOMPARE(s.at(100, 56), kGreen);
        QCOMPARE(s.at(100, 53), kGreen);
        QCOMPARE(s.at(100, 49), kWhite);
        QCOMPARE(s.at(100, 62), kWhite);
        QCOMPARE(s.at(6 * 16 + 4, 8 * 16 + 4), kBlack); // the image's ink pixel, 16 x 16
        QCOMPARE(s.at(6 * 16 + 4, 8 * 16 + 17), kWhite);
    }

    void endNodesIdsSelectionAndFilter()
    {
        Scene s;
        s.run.frame()->OnCommand(ID_SHOW_END_NODES);
        QVERIFY(s.run.frame()->action(ID_SHOW_END_NODES)->isChecked());
        QCOMPARE(s.at(40, 56), kYellow);
        QCOMPARE(s.at(200, 56), kWhite);
        QCOMPARE(s.at(200 - 5, 56), kRed); // the end circle's outline

        s.run.frame()->OnCommand(ID_SHOW_LINE_IDS);
        const QImage shot = s.shot();
        int blue = 0;
        for (int y = 56; y < 80; ++y)
            for (int x = 120; x < 140; ++x) {
                const QColor c = shot.pixelColor(x, y);
                blue += c.blue() > c.red() + 100 && c.blue() > c.green() + 100;
            }
        QVERIFY2(blue > 5, "the id is written in blue from the middle vertex");

        s.view->state().m_selection = {1};
        s.view->OnRedraw();
        QCOMPARE(s.at(100, 56), kRed);

        s.run.frame()->OnCommand(ID_FILTER_MODE);
        QCOMPARE(s.at(100, 56), kWhite);
        s.view->state().SetFilterList({1});
        s.view->OnRedraw();
        QCOMPARE(s.at(100, 56), kRed);
    }

    void hatchOutsideAndWhiteWithoutTheImage()
    {
        Scene s;
        QImage shot = s.shot();
        int grey = 0, other = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 330; x < 400; ++x) {
                const QColor c = shot.pixelColor(x, y);
                grey += c == kHatch;
                other += c != kHatch && c != kWhite;
            }
        QVERIFY(grey > 100);
        QCOMPARE(other, 0);

        s.run.frame()->OnCommand(ID_SHOW_IMAGE);
        QVERIFY(!s.run.frame()->action(ID_SHOW_IMAGE)->isChecked());
        QCOMPARE(s.at(6 * 16 + 4, 8 * 16 + 4), kWhite);
        QCOMPARE(s.at(100, 56), kGreen);
        s.run.frame()->OnCommand(ID_SHOW_VECTORS);
        QCOMPARE(s.at(100, 56), kWhite);
    }

    void atZoomOneVerticesSitOnPixelCorners()
    {
        Scene s;
        s.view->SetZoom(1, {0, 0});
        QCOMPARE(s.at(5, 3), kGreen);
        QCOMPARE(s.at(5, 4), kWhite);
        QCOMPARE(s.at(6, 8), kBlack);
        s.view->SetZoom(0.5f, {0, 0});
        QCOMPARE(s.at(3, 4), kBlack); // reduced, the ink pixel still shows
    }

    void piecewiseRepaintsDrawWhatAFullRepaintDraws_data()
    {
        QTest::addColumn<float>("zoom");
        QTest::newRow("1/4") << 0.25f;
        QTest::newRow("1") << 1.0f;
        QTest::newRow("3") << 3.0f;
        QTest::newRow("16") << 16.0f;
    }
    void piecewiseRepaintsDrawWhatAFullRepaintDraws()
    {
        QFETCH(float, zoom);
        Document doc;
        doc.m_image = AppHarness::whiteImage(60, 40, {{3, 3}, {30, 20}});
        for (int i = 0; i < 40; ++i) {
            PointList p;
            p.append(i, (i * 7) % 40);
            p.append((i * 13) % 60, 39 - i % 40);
            p.append(59 - i, i % 17);
            doc.m_lines.AddLine(p);
        }
        ViewState state;
        state.m_fZoom = zoom;
        state.m_bShowEndNodes = state.m_bShowLineIds = 1;
        state.m_selection = {3, 17};
        const QRect area(0, 0, int(60 * zoom) + 30, int(40 * zoom) + 20);
        const QImage whole = paintInTiles(doc, state, area, area.size());
        QCOMPARE(paintInTiles(doc, state, area, QSize(37, 29)), whole);
        QCOMPARE(paintInTiles(doc, state, area, QSize(5, 300)), whole);
    }

    void idsWrittenOverEachOtherShowTheFirstLinesAndMarkersLieOnTop()
    {
        auto lineAt = [](Document& doc, std::vector<std::pair<double, double>> points) -> CVectorLine& {
            PointList p;
            for (auto [x, y] : points)
                p.append(x, y);
            doc.m_lines.AddLine(p);
            return doc.m_lines.line(doc.m_lines.GetLineCount() - 1);
        };
        ViewState state;
        state.m_fZoom = 4;
        state.m_bShowLineIds = state.m_bShowEndNodes = 1;
        const QRect area(0, 0, 240, 160);
        Document first, both;
        first.m_image = AppHarness::whiteImage(60, 40);
        both.m_image = AppHarness::whiteImage(60, 40);
        lineAt(first, {{5, 10}, {20, 10}});
        lineAt(both, {{5, 10}, {20, 10}});
        CVectorLine& second = lineAt(both, {{40, 30}, {50, 30}});
        second.m_dMidX = 20; // its id would land on the first line's
        second.m_dMidY = 10;
        // A later line across the first one's start node leaves the node on top.
        lineAt(first, {{5, 0}, {5, 39}});
        lineAt(both, {{5, 0}, {5, 39}});
        const QImage a = paintInTiles(first, state, area, area.size());
        const QImage b = paintInTiles(both, state, area, area.size());
        QCOMPARE(b.copy(QRect(80, 40, 60, 20)), a.copy(QRect(80, 40, 60, 20)));
        QCOMPARE(a.pixelColor(5 * 4 + 2, 10 * 4 + 2), kYellow);

        // One vertex: both rings at one point, the white end ring on top.
        Document single;
        single.m_image = AppHarness::whiteImage(60, 40);
        lineAt(single, {{30, 20}});
        QCOMPARE(paintInTiles(single, state, area, area.size()).pixelColor(30 * 4 + 2, 20 * 4 + 2), kWhite);
        QCOMPARE(paintInTiles(single, state, area, area.size()).pixelColor(30 * 4 + 2 - 3, 20 * 4 + 2), kRed);
    }

    void printsToPdf()
    {
        Scene s;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(s.run.path("scene.pdf"));
        s.view->Print(printer);
        QFile pdf(s.run.path("scene.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        QVERIFY(pdf.size() > 1000);
    }
};

ORVANE_APP_TEST(ViewTest);

} // namespace orvane::app::test

#include "view_test.moc"
