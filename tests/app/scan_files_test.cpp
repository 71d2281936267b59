// Scans other than BMP in the desktop program: opening them, never writing
// over them, and saving lines in map coordinates or real units.
#include "app/command_table.h"
#include "app/varo_doc.h"
#include "app/vector_output_dlg.h"
#include "app_test_support.h"
#include "document/document.h"

#include <QComboBox>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

namespace orvane::app::test {
namespace {

/// A 200 x 150 drawing of two crossing lines and a box, as a PNG.
QString writePng(const AppHarness& run, const QString& name)
{
    QImage image(200, 150, QImage::Format_Grayscale8);
    image.fill(255);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawLine(20, 20, 180, 130);
    painter.drawLine(20, 130, 180, 20);
    painter.drawRect(60, 40, 80, 70);
    painter.end();
    const QString path = run.path(name);
    image.save(path, "PNG");
    return path;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class ScanFilesTest : public QObject {
    Q_OBJECT
private slots:
    void aPngOpensAndSaveNeverWritesOverIt()
    {
        AppHarness run;
        const QString png = writePng(run, "drawing.png");
        const QByteArray before = bytesOf(png);
        CVaroDoc* doc = run.open(png);
        QVERIFY(doc);
        QCOMPARE(doc->core().m_image.GetWidth(), 200);
        QCOMPARE(doc->core().m_image.GetBitCount(), std::uint16_t(8));
        doc->SetModifiedFlag();
        // Save asks for a BMP name beside it instead of writing BMP bytes
        // into the PNG.
        run.files << run.path("drawing.bmp");
        run.frame()->OnCommand(ID_FILE_SAVE);
        QCOMPARE(run.requests.last().title, QStringLiteral("Save Image As"));
        QVERIFY(run.requests.last().initialPath.endsWith(QStringLiteral("drawing.bmp")));
        QCOMPARE(bytesOf(png), before);
        QVERIFY(bytesOf(run.path("drawing.bmp")).startsWith("BM"));
        QCOMPARE(doc->GetPathName(), run.path("drawing.bmp"));
    }

    void aScanThatCannotBeReadSaysWhy()
    {
        AppHarness run;
        writeText(run.path("broken.png"), "\x89PNG\r\n\x1a\nbroken");
        run.open(run.path("broken.png"));
        QVERIFY(!run.messages.isEmpty());
        QVERIFY(run.messages.last().startsWith(QStringLiteral("Error Loading Bitmap File\nbroken.png: ")));
        QVERIFY(run.messages.last().size() > 40);
        QCOMPARE(run.statuses.last(), QStringLiteral("Error Loading Bitmap File"));
    }

    void linesOfAGeoreferencedScanAreSavedOnTheMap()
    {
        AppHarness run;
        const QString png = writePng(run, "map.png");
        writeText(run.path("map.pgw"), "0.5\n0\n0\n-0.5\n700000.25\n5300000.75\n");
        writeText(run.path("map.prj"), "EPSG:32632");
        CVaroDoc* doc = run.open(png);
        QVERIFY(doc && doc->core().m_scan.georeferenced);
        run.frame()->OnCommand(ID_ONE_TOUCH);
        QVERIFY(doc->core().m_lines.GetLineCount() > 2);

        // DXF cannot hold the coordinate system: the user is asked, and No
        // writes nothing.
        run.files << run.path("map.dxf");
        run.answers << MessageAnswer::No;
        run.frame()->OnCommand(ID_SAVE_VECTOR_AS);
        QVERIFY(run.messages.last().contains(QStringLiteral("DXF cannot hold the coordinate system")));
        QVERIFY(!QFile::exists(run.path("map.dxf")));

        run.files << run.path("map.dxf");
        run.answers << MessageAnswer::Yes;
        run.frame()->OnCommand(ID_SAVE_VECTOR_AS);
        const QByteArray dxf = bytesOf(run.path("map.dxf"));
        QVERIFY(dxf.contains("\n7000")); // eastings near 700000 m
        QVERIFY(!dxf.contains("\n-"));   // no negated pixel rows

        run.files << run.path("map.gpkg");
        run.frame()->OnCommand(ID_SAVE_VECTOR_AS);
        QVERIFY(bytesOf(run.path("map.gpkg")).startsWith("SQLite format 3"));
        QVERIFY(!doc->core().VectorsChanged());
    }

    void vectorOutputOptionScalesDrawingsToRealUnits()
    {
        AppHarness run;
        CVaroDoc* doc = run.open(writePng(run, "part.png"));
        run.frame()->OnCommand(ID_ONE_TOUCH);
        run.dialogs << [](QDialog& dialog) {
            auto* options = qobject_cast<CVectorOutputDlg*>(&dialog);
            QVERIFY(options);
            options->unitsBox()->setCurrentIndex(1); // millimetres
            options->dpiEdit()->setText(QStringLiteral("254"));
            options->dxfBox()->setCurrentIndex(2); // R2000
            dialog.accept();
        };
        run.frame()->OnCommand(ID_VECTOR_OUTPUT_OPTION);
        QCOMPARE(run.app().m_settings.m_nOutputUnits, 1);
        QCOMPARE(run.app().m_settings.m_dOutputDpi, 254.0);
        QCOMPARE(run.app().m_settings.m_nDxfProfile, 2);

        run.files << run.path("part.dxf");
        run.frame()->OnCommand(ID_SAVE_VECTOR_AS);
        const QByteArray dxf = bytesOf(run.path("part.dxf"));
        QVERIFY(dxf.contains("AC1015"));
        const QList<QByteArray> lines = dxf.split('\n');
        const qsizetype units = lines.indexOf(QByteArray("$INSUNITS\r")) >= 0 ? lines.indexOf(QByteArray("$INSUNITS\r"))
                                                                              : lines.indexOf(QByteArray("$INSUNITS"));
        QVERIFY(units > 0 && units + 2 < lines.size());
        QCOMPARE(lines[units + 1].trimmed(), QByteArray("70"));
        QCOMPARE(lines[units + 2].trimmed(), QByteArray("4")); // millimetres
        QVERIFY(!doc->core().VectorsChanged());

        // Without a resolution there is no scale: the user is told where to give one.
        run.dialogs << [](QDialog& dialog) {
            qobject_cast<CVectorOutputDlg*>(&dialog)->dpiEdit()->clear();
            dialog.accept();
        };
        run.frame()->OnCommand(ID_VECTOR_OUTPUT_OPTION);
        run.files << run.path("nodpi.dxf");
        run.frame()->OnCommand(ID_SAVE_VECTOR_AS);
        QVERIFY(run.messages.last().contains(QStringLiteral("Vector Output Option")));
        QVERIFY(!QFile::exists(run.path("nodpi.dxf")));
    }
};

ORVANE_APP_TEST(ScanFilesTest);

} // namespace orvane::app::test

#include "scan_files_test.moc"
