// Every dialog through its command: what it shows, what it takes, what it
// refuses, and what changes afterwards.
#include "app/canny_param_dlg.h"

#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/image_info_dlg.h"
#include "app/one_touch_dlg.h"
#include "app/polyline_reduction_dlg.h"
#include "app/show_filter_dlg.h"
#include "app/straight_option_dlg.h"
#include "app/threshold_dlg.h"
#include "app/topology_box.h"
#include "app/varo_doc.h"
#include "app/varo_view.h"
#include "app_test_support.h"
#include "document/document.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

namespace orvane::app::test {
namespace {

/// Runs `body` on the next dialog, which must be of type T.
template <typename T>
std::function<void(QDialog&)> on(std::function<void(T&)> body)
{
    return [body](QDialog& dialog) {
        T* typed = qobject_cast<T*>(&dialog);
        QVERIFY(typed);
        body(*typed);
    };
}

std::uint8_t redOf(const CBitmapImage& image, int x, int y)
{
    std::uint8_t r = 0, g = 0, b = 0;
    image.GetPixelColor(x, y, r, g, b);
    return r;
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void thresholdingKeepsTheRangeAndRemembersItPerView()
    {
        AppHarness run;
        CBitmapImage image = AppHarness::whiteImage(2, 1);
        image.SetPixelColor(1, 1, 255, 255, 50);
        image.SetPixelColor(2, 1, 200, 200, 200);
        CVaroDoc* doc = run.open(run.writeBmp("t.bmp", image));
        CVaroView* view = doc->views().first();

        run.dialogs << on<CThresholdDlg>([](CThresholdDlg& d) {
            QCOMPARE(d.edit(true, 0)->text(), QStringLiteral("255")); // the view's bounds
            QCOMPARE(d.edit(false, 2)->text(), QStringLiteral("0"));
            d.edit(true, 1)->setText(QStringLiteral("256"));
            d.accept();
            QCOMPARE(d.result(), int(QDialog::Rejected)); // refused, still open
            for (int c = 0; c < 3; ++c)
                d.edit(true, c)->setText(QStringLiteral("100"));
            d.accept();
        });
        run.frame()->OnCommand(ID_THRESHOLDING);
        QVERIFY(run.messages.first().contains(QStringLiteral("0 and 255")));
        QCOMPARE(view->state().m_upperColor, std::uint32_t(100 * 65536 + 100 * 256 + 100));
        QCOMPARE(redOf(doc->core().m_image, 1, 1), std::uint8_t(255)); // packed below the upper bound: kept
        std::uint8_t r = 0, g = 0, b = 0;
        doc->core().m_image.GetPixelColor(1, 1, r, g, b);
        QCOMPARE(int(b), 50);
        doc->core().m_image.GetPixelColor(2, 1, r, g, b);
        QCOMPARE(QColor(r, g, b), QColor(255, 255, 255));
        QCOMPARE(run.statuses.last(), QStringLiteral("Thresholding done. "));

        // Cancel changes neither the image nor the bounds; the colour buttons fill the edits.
        const std::size_t steps = doc->history().Count();
        run.app().m_colorHook = [](const QColor&) { return std::optional<QColor>(QColor(1, 2, 3)); };
        run.dialogs << on<CThresholdDlg>([](CThresholdDlg& d) {
            d.OnLowerBound();
            QCOMPARE(d.edit(false, 0)->text(), QStringLiteral("1"));
            QCOMPARE(d.edit(false, 2)->text(), QStringLiteral("3"));
            d.reject();
        });
        run.frame()->OnCommand(ID_THRESHOLDING);
        QCOMPARE(view->state().m_lowerColor, 0u);
        QCOMPARE(doc->history().Count(), steps);
    }

    void cannyParametersTakeAnyNumbersButNotText()
    {
        AppHarness run;
        run.dialogs << on<CCannyParamDlg>([](CCannyParamDlg& d) {
            QCOMPARE(d.sigmaEdit()->text(), QStringLiteral("4"));
            QCOMPARE(d.highEdit()->text(), QStringLiteral("5"));
            QCOMPARE(d.lowEdit()->text(), QStringLiteral("3"));
            d.sigmaEdit()->setText(QStringLiteral("wide"));
            d.accept();
            QCOMPARE(d.result(), int(QDialog::Rejected));
            d.sigmaEdit()->setText(QStringLiteral("1.5"));
            d.highEdit()->setText(QStringLiteral("3"));
            d.lowEdit()->setText(QStringLiteral("-5"));
            d.accept();
        });
        run.frame()->OnCommand(ID_CANNY_PARAMETERS);
        QCOMPARE(run.messages.size(), 1);
        QCOMPARE(run.app().m_settings.m_cannySigma, 1.5f);
        QCOMPARE(run.app().m_settings.m_cannyHigh, 3);
        QCOMPARE(run.app().m_settings.m_cannyLow, -5);

        run.dialogs << on<CCannyParamDlg>([](CCannyParamDlg& d) {
            QCOMPARE(d.highEdit()->text(), QStringLiteral("3")); // shows what was entered
            d.highEdit()->setText(QStringLiteral("9"));
            d.reject();
        });
        run.frame()->OnCommand(ID_CANNY_PARAMETERS);
        QCOMPARE(run.app().m_settings.m_cannyHigh, 3);
    }

    void polylineReductionTakesOneToOneHundredTenths()
    {
        AppHarness run;
        run.dialogs << on<CPolylineReductionDlg>([](CPolylineReductionDlg& d) {
            QCOMPARE(d.toleranceEdit()->text(), QStringLiteral("12"));
            QVERIFY(d.smoothBox()->isChecked() && d.reduceBox()->isChecked());
            QCOMPARE(d.totalEdit()->text(), QStringLiteral("0"));
            for (const char* bad : {"0", "101", ""}) {
                d.toleranceEdit()->setText(QString::fromLatin1(bad));
                d.accept();
                QCOMPARE(d.result(), int(QDialog::Rejected));
            }
            d.toleranceEdit()->setText(QStringLiteral("25"));
            d.smoothBox()->setChecked(false);
            d.accept();
        });
        run.frame()->OnCommand(ID_REDUCTION_OPTION);
        QCOMPARE(run.messages.size(), 3);
        QCOMPARE(run.app().m_settings.m_dReduceTolerance, 2.5);
        QCOMPARE(run.app().m_settings.m_bSmoothWhileVectorising, 0);
        QCOMPARE(run.app().m_settings.m_bReduceWhileVectorising, 1);

        // With a document, the statistics of its last run.
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(20, 20, {{3, 3}, {4, 4}, {5, 5}})));
        run.frame()->OnCommand(ID_VECTORISE);
        run.dialogs << on<CPolylineReductionDlg>([doc](CPolylineReductionDlg& d) {
            QCOMPARE(d.totalEdit()->text(), QString::number(doc->core().m_lines.m_nTotalLines));
            QCOMPARE(d.savedEdit()->text(), QString::number(doc->core().m_lines.m_nLinesSaved));
            QVERIFY(d.totalEdit()->isReadOnly());
            d.reject();
        });
        run.frame()->OnCommand(ID_REDUCTION_OPTION);
    }

    void straightLineOptionTakesZeroToThreeSixtyDegrees()
    {
        AppHarness run;
        run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(4, 4)));
        run.dialogs << on<CStraightOptionDlg>([](CStraightOptionDlg& d) {
            QVERIFY(d.decideButton()->isChecked());
            QCOMPARE(d.toleranceEdit()->text(), QStringLiteral("30"));
            for (const char* bad : {"-1", "361", "steep"}) {
                d.toleranceEdit()->setText(QString::fromLatin1(bad));
                d.accept();
                QCOMPARE(d.result(), int(QDialog::Rejected));
            }
            d.toleranceEdit()->setText(QStringLiteral("12.5"));
            d.forcedButton()->setChecked(true);
            d.accept();
        });
        run.frame()->OnCommand(ID_STRAIGHT_OPTION);
        QCOMPARE(run.messages.size(), 3);
        QCOMPARE(run.app().m_settings.m_nStraightMode, std::int16_t(1));
        QCOMPARE(run.app().m_settings.m_fStraightTolerance, 12.5f);
    }

    void oneTouchOptionsStartStentifordRetained()
    {
        AppHarness run;
        run.dialogs << on<COneTouchDlg>([](COneTouchDlg& d) {
            QVERIFY(d.methodButton(1)->isChecked());
            QVERIFY(d.retainButton()->isChecked());
            d.methodButton(2)->setChecked(true);
            d.processedButton()->setChecked(true);
            d.accept();
        });
        run.frame()->OnCommand(ID_ONE_TOUCH_OPTION);
        QCOMPARE(run.app().m_settings.m_nOneTouchMethod, std::int16_t(2));
        QCOMPARE(run.app().m_settings.m_bRetainOriginal, 0);
        run.dialogs << on<COneTouchDlg>([](COneTouchDlg& d) {
            QVERIFY(d.methodButton(2)->isChecked());
            QVERIFY(d.processedButton()->isChecked());
            d.methodButton(0)->setChecked(true);
            d.reject();
        });
        run.frame()->OnCommand(ID_ONE_TOUCH_OPTION);
        QCOMPARE(run.app().m_settings.m_nOneTouchMethod, std::int16_t(2));
    }

    void oneTouchOptionsChooseCleanLinesAndTheirSpecks()
    {
        AppHarness run;
        run.dialogs << on<COneTouchDlg>([](COneTouchDlg& d) {
            // Split lines by default: the clean settings are greyed out.
            QVERIFY(d.topologyBox()->splitButton()->isChecked());
            QVERIFY(!d.automaticSpeckBox()->isEnabled());
            QVERIFY(!d.speckSizeBox()->isEnabled());
            QVERIFY(!d.cleanToleranceBox()->isEnabled());
            QVERIFY(d.automaticSpeckBox()->isChecked());
            QCOMPARE(d.cleanToleranceBox()->value(), 0.5);

            d.topologyBox()->cleanButton()->setChecked(true);
            QVERIFY(d.automaticSpeckBox()->isEnabled());
            QVERIFY(!d.speckSizeBox()->isEnabled()); // sized automatically
            QVERIFY(d.cleanToleranceBox()->isEnabled());
            d.automaticSpeckBox()->setChecked(false);
            QVERIFY(d.speckSizeBox()->isEnabled());
            // Edge detection drops no specks.
            d.methodButton(2)->setChecked(true);
            QVERIFY(!d.automaticSpeckBox()->isEnabled() && !d.speckSizeBox()->isEnabled());
            QVERIFY(d.cleanToleranceBox()->isEnabled());
            d.methodButton(0)->setChecked(true);
            QVERIFY(d.speckSizeBox()->isEnabled());

            d.speckSizeBox()->setValue(4);
            d.cleanToleranceBox()->setValue(9); // beyond the range: 5 px at most
            d.accept();
        });
        run.frame()->OnCommand(ID_ONE_TOUCH_OPTION);
        const AppSettings& s = run.app().m_settings;
        QCOMPARE(s.m_nTopology, std::int16_t(kTopologyClean));
        QCOMPARE(s.m_nDespeckleSize, 4);
        QCOMPARE(s.m_dCleanTolerance, 5.0);
        QCOMPARE(s.m_nOneTouchMethod, std::int16_t(0));

        // The dialog shows what was chosen; 0 keeps every speck, and Cancel
        // changes nothing.
        run.dialogs << on<COneTouchDlg>([](COneTouchDlg& d) {
            QVERIFY(d.topologyBox()->cleanButton()->isChecked());
            QVERIFY(!d.automaticSpeckBox()->isChecked());
            QCOMPARE(d.speckSizeBox()->value(), 4);
            QCOMPARE(d.cleanToleranceBox()->value(), 5.0);
            d.speckSizeBox()->setValue(0);
            QCOMPARE(d.speckSizeBox()->text(), QStringLiteral("Keep every speck"));
            d.reject();
        });
        run.frame()->OnCommand(ID_ONE_TOUCH_OPTION);
        QCOMPARE(s.m_nDespeckleSize, 4);
        run.dialogs << on<COneTouchDlg>([](COneTouchDlg& d) {
            d.automaticSpeckBox()->setChecked(true);
            d.topologyBox()->splitButton()->setChecked(true);
            QVERIFY(!d.automaticSpeckBox()->isEnabled());
            d.accept();
        });
        run.frame()->OnCommand(ID_ONE_TOUCH_OPTION);
        QCOMPARE(s.m_nTopology, std::int16_t(kTopologySplit));
        QCOMPARE(s.m_nDespeckleSize, -1);
    }

    void polylineReductionUsesTheToleranceOfTheChosenTopology()
    {
        AppHarness run;
        run.dialogs << on<CPolylineReductionDlg>([](CPolylineReductionDlg& d) {
            QVERIFY(d.topologyBox()->splitButton()->isChecked());
            QVERIFY(d.toleranceEdit()->isEnabled());
            QVERIFY(!d.cleanToleranceBox()->isEnabled());
            d.topologyBox()->cleanButton()->setChecked(true);
            QVERIFY(!d.toleranceEdit()->isEnabled());
            QVERIFY(d.cleanToleranceBox()->isEnabled());
            // The split tolerance is not used for clean lines: not checked either.
            d.toleranceEdit()->setText(QStringLiteral("0"));
            d.cleanToleranceBox()->setValue(1.5);
            d.accept();
        });
        run.frame()->OnCommand(ID_REDUCTION_OPTION);
        const AppSettings& s = run.app().m_settings;
        QVERIFY(run.messages.isEmpty());
        QCOMPARE(s.m_nTopology, std::int16_t(kTopologyClean));
        QCOMPARE(s.m_dCleanTolerance, 1.5);
        QCOMPARE(s.m_dReduceTolerance, 1.2);

        run.dialogs << on<CPolylineReductionDlg>([](CPolylineReductionDlg& d) {
            QVERIFY(d.topologyBox()->cleanButton()->isChecked());
            d.topologyBox()->splitButton()->setChecked(true);
            d.toleranceEdit()->setText(QStringLiteral("0"));
            d.accept();
            QCOMPARE(d.result(), int(QDialog::Rejected)); // split lines need 1 to 100
            d.toleranceEdit()->setText(QStringLiteral("7"));
            d.accept();
        });
        run.frame()->OnCommand(ID_REDUCTION_OPTION);
        QCOMPARE(run.messages.size(), 1);
        QCOMPARE(s.m_nTopology, std::int16_t(kTopologySplit));
        QCOMPARE(s.m_dReduceTolerance, 0.7);
        QCOMPARE(s.m_dCleanTolerance, 1.5);
    }

    void showLinesFilterAddsIdsAsTheyLeaveTheEdit()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(run.writeBmp("a.bmp", AppHarness::whiteImage(4, 4)));
        CVaroView* view = doc->views().first();

        // OK at once: leaving the edit lists its id 1; filter mode stays off.
        run.dialogs << on<CShowFilterDlg>([](CShowFilterDlg& d) {
            QCOMPARE(d.idEdit()->text(), QStringLiteral("1"));
            QVERIFY(d.offButton()->isChecked());
            d.AddLineId(); // the focus leaves the edit for OK
            d.accept();
        });
        run.frame()->OnCommand(ID_SHOW_FILTER);
        QCOMPARE(view->state().GetFilterList(), std::vector<std::uint32_t>{1});
        QCOMPARE(view->state().m_bFilterMode, 0);

        run.dialogs << on<CShowFilterDlg>([](CShowFilterDlg& d) {
            QCOMPARE(d.entries(), QStringList{"1"});
            for (const char* id : {"12", "2", "10", "12"}) {
                d.idEdit()->setText(QString::fromLatin1(id));
                QTest::mouseClick(d.addButton(), Qt::LeftButton); // "Add to Show" adds
            }
            QCOMPARE(d.entries(), (QStringList{"1", "10", "12", "2"}));
            d.RemoveEntry(d.list()->item(2));
            d.onButton()->setChecked(true);
            d.accept();
        });
        run.frame()->OnCommand(ID_SHOW_FILTER);
        QCOMPARE(view->state().GetFilterList(), (std::vector<std::uint32_t>{1, 10, 2}));
        QCOMPARE(view->state().m_bFilterMode, 1);

        // Everything removed and the edit cleared: refused, and OK changes nothing.
        run.dialogs << on<CShowFilterDlg>([](CShowFilterDlg& d) {
            while (d.list()->count() > 0)
                d.RemoveEntry(d.list()->item(0));
            d.idEdit()->clear();
            QVERIFY(!d.AddLineId());
            d.idEdit()->setText(QStringLiteral("0"));
            QVERIFY(!d.AddLineId());
            d.offButton()->setChecked(true);
            d.accept();
        });
        run.frame()->OnCommand(ID_SHOW_FILTER);
        QCOMPARE(run.messages.size(), 2);
        QCOMPARE(view->state().GetFilterList(), (std::vector<std::uint32_t>{1, 10, 2}));
        QCOMPARE(view->state().m_bFilterMode, 1);
    }

    void imageInformationShowsTheFileNameSizeAndDepth()
    {
        AppHarness run;
        CBitmapImage image;
        const RGBQUAD table[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        image.Create(33, 21, 1, table);
        run.open(run.writeBmp("sheet1.bmp", image));
        run.dialogs << on<CImageInfoDlg>([](CImageInfoDlg& d) {
            QCOMPARE(d.fileNameEdit()->text(), QStringLiteral("sheet1.bmp"));
            QCOMPARE(d.widthEdit()->text(), QStringLiteral("33"));
            QCOMPARE(d.heightEdit()->text(), QStringLiteral("21"));
            QCOMPARE(d.depthEdit()->text(), QStringLiteral("1"));
            d.accept();
        });
        run.frame()->OnCommand(ID_IMAGE_INFORMATION);
        QVERIFY(run.dialogs.isEmpty());

        run.frame()->OnCommand(ID_VECTOR_INFORMATION);
        QCOMPARE(run.messages.last(), QStringLiteral("Total number vector lines is 0."));
    }
};

ORVANE_APP_TEST(DialogsTest);

} // namespace orvane::app::test

#include "dialogs_test.moc"
