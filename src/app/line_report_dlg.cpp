// The line quality report dialog.
#include "app/line_report_dlg.h"

#include "app/varo_app.h"
#include "app/varo_doc.h"
#include "formats/line_quality_report.h"
#include "settings/app_settings.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace orvane::app {
namespace {

const QStringList kReportFilters{QStringLiteral("Line Quality Report (*.csv)"), QStringLiteral("All Files (*)")};

enum Column { kId, kVertices, kLength, kShape, kFreeEnds, kMaxDistance, kMeanDistance, kColumns };

/// A cell that sorts by its number rather than its text.
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(double value, int decimals) : QTableWidgetItem(QString::number(value, 'f', decimals))
    {
        setData(Qt::UserRole, value);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override
    {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QString plural(qsizetype count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromLatin1(count == 1 ? one : many));
}

/// What the rows of a trace describe: the image, the command and the topology.
QString traceOrigin(const TraceReport& trace, const QString& imagePath)
{
    const QString topology = trace.topology == kTopologyClean ? QStringLiteral("one line per stroke (clean)")
                                                              : QStringLiteral("lines split at every junction");
    return QStringLiteral("Last trace of %1: %2, %3.")
        .arg(QFileInfo(imagePath).fileName(), trace.command, topology);
}

} // namespace

CLineReportDlg::CLineReportDlg(const TraceReport* trace, const QString& imagePath, bool linesChanged, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Line Quality Report"));
    m_origin = new QLabel(this);
    m_origin->setWordWrap(true);
    m_changed = new QLabel(QStringLiteral("The lines have changed since this trace (edited, undone or read from a "
                                          "file): the rows describe the lines as they were traced."),
                           this);
    m_changed->setWordWrap(true);
    m_changed->setStyleSheet(QStringLiteral("color: #a00000;"));
    m_changed->setVisible(trace && linesChanged);

    m_table = new QTableWidget(0, kColumns, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Id"), QStringLiteral("Vertices"), QStringLiteral("Length (px)"),
                                        QStringLiteral("Shape"), QStringLiteral("Free ends"),
                                        QStringLiteral("Max distance (px)"), QStringLiteral("Mean distance (px)")});
    m_table->setAccessibleName(QStringLiteral("Quality of each line"));
    m_table->setAccessibleDescription(QStringLiteral("Click a column heading to sort by it"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_summary = new QLabel(this);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_open = new QPushButton(QStringLiteral("&Open..."), this);
    m_open->setToolTip(QStringLiteral("Show a line quality report saved earlier"));
    m_save = new QPushButton(QStringLiteral("&Save As..."), this);
    m_save->setToolTip(QStringLiteral("Save these rows as a CSV file"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_open, QDialogButtonBox::ActionRole);
    buttons->addButton(m_save, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLineReportDlg::reject);
    connect(m_open, &QPushButton::clicked, this, &CLineReportDlg::OnOpen);
    connect(m_save, &QPushButton::clicked, this, &CLineReportDlg::OnSaveAs);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_origin);
    layout->addWidget(m_changed);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_summary);
    layout->addWidget(buttons);
    resize(680, 420);

    if (!imagePath.isEmpty()) {
        const QFileInfo image(imagePath);
        m_folder = image.absolutePath();
        m_saveName = image.dir().filePath(image.completeBaseName() + QStringLiteral("_quality.csv"));
    }
    if (trace) {
        m_origin->setText(traceOrigin(*trace, imagePath));
        showRows(trace->rows);
    } else {
        m_origin->setText(imagePath.isEmpty()
                              ? QStringLiteral("No image is open. Open... shows a saved report.")
                              : QStringLiteral("Nothing has been traced in %1 yet: One-Touch or Vectorise makes "
                                               "the report. Open... shows a saved report.")
                                    .arg(QFileInfo(imagePath).fileName()));
        m_summary->clear();
        m_save->setEnabled(false);
    }
}

QString CLineReportDlg::Summary(const std::vector<LineQuality>& rows)
{
    const auto closed = std::count_if(rows.begin(), rows.end(), [](const LineQuality& q) { return q.closed; });
    int freeEnds = 0;
    double largest = 0;
    for (const LineQuality& q : rows) {
        freeEnds += q.freeEnds;
        largest = std::max(largest, q.maxDistance);
    }
    return QStringLiteral("%1, %2 closed, %3; largest distance %4 px")
        .arg(plural(qsizetype(rows.size()), "line", "lines"))
        .arg(closed)
        .arg(plural(freeEnds, "free end", "free ends"))
        .arg(largest, 0, 'f', 2);
}

void CLineReportDlg::showRows(std::vector<LineQuality> rows)
{
    m_rows = std::move(rows);
    m_table->setSortingEnabled(false); // rows land where they are put
    m_table->setRowCount(int(m_rows.size()));
    for (int r = 0; r < int(m_rows.size()); ++r) {
        const LineQuality& q = m_rows[std::size_t(r)];
        m_table->setItem(r, kId, new NumberItem(q.id, 0));
        m_table->setItem(r, kVertices, new NumberItem(q.vertices, 0));
        m_table->setItem(r, kLength, new NumberItem(q.length, 2));
        m_table->setItem(r, kShape, new QTableWidgetItem(q.closed ? QStringLiteral("closed") : QStringLiteral("open")));
        m_table->setItem(r, kFreeEnds, new NumberItem(q.freeEnds, 0));
        m_table->setItem(r, kMaxDistance, new NumberItem(q.maxDistance, 2));
        m_table->setItem(r, kMeanDistance, new NumberItem(q.meanDistance, 2));
    }
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(kId, Qt::AscendingOrder);
    m_summary->setText(Summary(m_rows));
    m_save->setEnabled(true);
}

bool CLineReportDlg::OnSaveAs()
{
    CVaroApp* app = CVaroApp::instance();
    FileDialogRequest request{true, QStringLiteral("Save Line Quality Report"), kReportFilters, 0,
                              QStringLiteral("csv"), m_saveName.isEmpty() ? m_folder : m_saveName, true};
    const QString path = app->GetFileName(request);
    if (path.isEmpty())
        return false;
    std::string why;
    if (!WriteLineQualityReport(path.toStdString(), m_rows, why)) {
        app->MessageBox(QStringLiteral("The line quality report could not be saved as %1:\n%2.")
                            .arg(path, QString::fromStdString(why)),
                        MessageButtons::Ok);
        return false;
    }
    m_saveName = path;
    m_folder = QFileInfo(path).absolutePath();
    return true;
}

bool CLineReportDlg::OnOpen()
{
    CVaroApp* app = CVaroApp::instance();
    FileDialogRequest request{false, QStringLiteral("Open Line Quality Report"), kReportFilters, 0,
                              QStringLiteral("csv"), m_folder, false};
    const QString path = app->GetFileName(request);
    if (path.isEmpty())
        return false;
    std::vector<LineQuality> rows;
    std::string why;
    if (!ReadLineQualityReport(path.toStdString(), rows, why)) {
        app->MessageBox(QStringLiteral("The line quality report %1 cannot be shown:\n%2.")
                            .arg(path, QString::fromStdString(why)),
                        MessageButtons::Ok);
        return false;
    }
    m_origin->setText(QStringLiteral("Saved report %1.").arg(path));
    m_changed->hide();
    showRows(std::move(rows));
    m_saveName = path;
    m_folder = QFileInfo(path).absolutePath();
    return true;
}

} // namespace orvane::app
