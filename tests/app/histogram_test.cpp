// The histogram window's scales and what it paints.
#include "app/histogram_bar.h"

#include "app/command_table.h"
#include "app/main_frame.h"
#include "app/varo_doc.h"
#include "app_test_support.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QImage>
#include <QTest>

namespace orvane::app::test {
namespace {

/// Three pixels: two pure red, one black. Red counts 2 at 255 and 1 at 0;
/// green and blue 3 at 0.
CBitmapImage twoRedOneBlack()
{
    CBitmapImage image;
    image.Create(3, 1, 24);
    image.SetPixelColor(1, 1, 255, 0, 0);
    image.SetPixelColor(2, 1, 255, 0, 0);
    return image;
}

int darkPixels(const QImage& shot, int x, int top, int bottom)
{
    int n = 0;
    for (int y = top; y <= bottom; ++y)
        n += shot.pixelColor(x, y) == QColor(Qt::black);
    return n;
}

} // namespace

class HistogramTest : public QObject {
    Q_OBJECT
private slots:
    void plotPointsFollowTheScale()
    {
        QCOMPARE(CHistogramBar::PlotPoint(0, 0, 0, 145), QPoint(12, 115));
        QCOMPARE(CHistogramBar::PlotPoint(255, 7, 0, 145), QPoint(267, 115)); // no scale: the base line
        QCOMPARE(CHistogramBar::PlotPoint(10, 4, 4, 145), QPoint(22, 15));    // full height
        QCOMPARE(CHistogramBar::PlotPoint(10, 2, 3, 145), QPoint(22, 115 - 66));
        QCOMPARE(CHistogramBar::PlotPoint(1, 3'000'000'000LL, 3'000'000'000LL, 145).y(), 15);
    }

    void oneChannelUsesItsOwnMaximumSeveralShareTheLargest()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("h.bmp", twoRedOneBlack()));
        run.frame()->OnCommand(ID_HISTOGRAM_WINDOW);
        QCOMPARE(doc->core().m_nMaxRed, 2);
        QCOMPARE(doc->core().m_nMaxCount, 3);
        CHistogramBar* bar = run.frame()->histogramBar();
        bar->resize(300, 200);
        const int base = bar->height() - 30, plot = bar->height() - 45;

        bar->greenBox()->setChecked(false);
        bar->blueBox()->setChecked(false);
        QImage shot = bar->grab().toImage();
        QCOMPARE(shot.pixelColor(12 + 255, base - plot), QColor(255, 0, 0));

        bar->greenBox()->setChecked(true);
        shot = bar->grab().toImage();
        QCOMPARE(shot.pixelColor(12 + 255, base - 2 * plot / 3), QColor(255, 0, 0));
        QCOMPARE(shot.pixelColor(12, base - plot), QColor(0, 255, 0));

        bar->redBox()->setChecked(false);
        bar->greenBox()->setChecked(false);
        QCOMPARE(bar->m_bShowRed + bar->m_bShowGreen + bar->m_bShowBlue, 0);
        shot = bar->grab().toImage();
        QVERIFY(darkPixels(shot, 11, 20, base) > 20); // the axes stay
        for (int x = 12; x < 268; ++x)
            for (int y = 16; y <= base; ++y) {
                const QColor c = shot.pixelColor(x, y);
                QVERIFY(!(c == QColor(255, 0, 0) || c == QColor(0, 255, 0) || c == QColor(0, 0, 255)));
            }
    }

    void aDocumentNeverCountedShowsTheBaseLineAndNoDocumentNothing()
    {
        AppHarness run;
        CHistogramBar* bar = run.frame()->histogramBar();
        bar->resize(300, 200);
        QCOMPARE(darkPixels(bar->grab().toImage(), 11, 20, bar->height() - 30), 0);

        run.open(run.writeBmp("h.bmp", twoRedOneBlack()));
        const QImage shot = bar->grab().toImage();
        QCOMPARE(shot.pixelColor(100, bar->height() - 30), QColor(0, 0, 255)); // blue drawn last
        QVERIFY(darkPixels(shot, 11, 20, bar->height() - 30) > 20);
    }

    void theMenuItemShowsAndHidesTheWindow()
    {
        AppHarness run;
        QDockWidget* window = run.frame()->histogramWindow();
        QVERIFY(window->isVisible());
        QVERIFY(window->isFloating());
        QVERIFY(!run.frame()->m_bHistogram);
        QVERIFY(!run.frame()->action(ID_HISTOGRAM_WINDOW)->isChecked());

        CVaroDoc* doc = run.open(run.writeBmp("h.bmp", twoRedOneBlack()));
        QCOMPARE(doc->core().m_nMaxCount, -1);
        run.frame()->OnCommand(ID_HISTOGRAM_WINDOW);
        QVERIFY(run.frame()->action(ID_HISTOGRAM_WINDOW)->isChecked());
        QVERIFY(window->isVisible());
        QCOMPARE(doc->core().m_nMaxCount, 3);
        run.frame()->OnCommand(ID_HISTOGRAM_WINDOW);
        QVERIFY(!window->isVisible());
        QVERIFY(!run.frame()->action(ID_HISTOGRAM_WINDOW)->isChecked());

        run.frame()->OnCommand(ID_HISTOGRAM_WINDOW);
        window->close(); // its own close box clears the wish
        QVERIFY(!run.frame()->m_bHistogram);
    }
};

ORVANE_APP_TEST(HistogramTest);

} // namespace orvane::app::test

#include "histogram_test.moc"
