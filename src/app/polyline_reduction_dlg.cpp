// The polyline reduction option dialog.
#include "app/polyline_reduction_dlg.h"

#include "app/dialog_fields.h"
#include "app/topology_box.h"
#include "settings/app_settings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace orvane::app {

CPolylineReductionDlg::CPolylineReductionDlg(const AppSettings& settings, std::int32_t totalLines,
                                             std::int32_t linesSaved, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Vectorize: Polyline Reduction"));
    m_smooth = new QCheckBox(QStringLiteral("Smooth Polyline during Vectorization"), this);
    m_reduce = new QCheckBox(QStringLiteral("Reduce Polylines during Vectorization"), this);
    m_smooth->setChecked(settings.m_bSmoothWhileVectorising != 0);
    m_reduce->setChecked(settings.m_bReduceWhileVectorising != 0);
    m_tolerance = new QLineEdit(QString::number(int(settings.m_dReduceTolerance * 10)), this);
    m_tolerance->setAlignment(Qt::AlignRight);
    m_tolerance->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    m_tolerance->setFixedWidth(70);
    m_tolerance->setAccessibleName(QStringLiteral("Tolerance in tenths of pixel widths"));
    m_toleranceText = new QLabel(QStringLiteral("Tolerance - Maximum Pixel Displacement (in tenths of pixel widths)"), this);
    m_toleranceText->setWordWrap(true);
    m_toleranceText->setBuddy(m_tolerance);

    auto* method = new QGroupBox(QStringLiteral("Smoothing and Reduction to Chords"), this);
    auto* methodLayout = new QGridLayout(method);
    methodLayout->addWidget(m_smooth, 0, 0, 1, 2);
    methodLayout->addWidget(m_reduce, 1, 0, 1, 2);
    methodLayout->addWidget(m_tolerance, 2, 0, Qt::AlignTop);
    methodLayout->addWidget(m_toleranceText, 2, 1);

    // Clean lines are smoothed and reduced by a tolerance of their own,
    // measured from the centre pixels they were traced from.
    m_topology = new CTopologyBox(settings.m_nTopology, this);
    m_cleanTolerance = m_topology->newCleanToleranceField(settings.m_dCleanTolerance);
    auto* cleanForm = new QFormLayout;
    cleanForm->addRow(QStringLiteral("Clean line may &move up to:"), m_cleanTolerance);
    auto* note = new QLabel(QStringLiteral("Split lines are reduced within the tolerance above. Clean lines "
                                           "use this tolerance instead: no point of a clean line moves "
                                           "further than this from the centre pixels it was traced from."),
                            m_topology);
    note->setWordWrap(true);
    auto* topologyLayout = static_cast<QVBoxLayout*>(m_topology->layout());
    topologyLayout->addLayout(cleanForm);
    topologyLayout->addWidget(note);
    connect(m_topology, &CTopologyBox::topologyChanged, this, &CPolylineReductionDlg::updateEnabled);
    updateEnabled();

    m_total = new QLineEdit(QString::number(totalLines), this);
    m_saved = new QLineEdit(QString::number(linesSaved), this);
    for (QLineEdit* edit : {m_total, m_saved}) {
        edit->setReadOnly(true);
        edit->setAlignment(Qt::AlignRight);
    }
    m_total->setAccessibleName(QStringLiteral("Total lines remaining"));
    m_saved->setAccessibleName(QStringLiteral("Total lines saved by Polyline Reduction"));
    auto* statistics = new QGroupBox(QStringLiteral("Statistics of last Vectorization"), this);
    auto* statisticsLayout = new QFormLayout(statistics);
    statisticsLayout->addRow(QStringLiteral("Total lines remaining :"), m_total);
    statisticsLayout->addRow(QStringLiteral("Total lines saved by Polyline Reduction :"), m_saved);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPolylineReductionDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPolylineReductionDlg::reject);
    auto* layout = new QGridLayout(this);
    layout->addWidget(method, 0, 0);
    layout->addWidget(buttons, 0, 1, Qt::AlignTop);
    layout->addWidget(m_topology, 1, 0);
    layout->addWidget(statistics, 2, 0, 1, 2);
}

void CPolylineReductionDlg::updateEnabled()
{
    const bool clean = m_topology->topology() == kTopologyClean;
    m_tolerance->setEnabled(!clean);
    m_toleranceText->setEnabled(!clean);
    m_cleanTolerance->setEnabled(clean);
}

void CPolylineReductionDlg::accept()
{
    if (m_topology->topology() == kTopologyClean) {
        QDialog::accept(); // the split tolerance, greyed out, stays as it was
        return;
    }
    const std::optional<long long> tolerance = ReadIntField(m_tolerance, 1, 100);
    if (!tolerance)
        return;
    m_nTolerance = int(*tolerance);
    QDialog::accept();
}

void CPolylineReductionDlg::Apply(AppSettings& settings) const
{
    settings.m_bSmoothWhileVectorising = m_smooth->isChecked() ? 1 : 0;
    settings.m_bReduceWhileVectorising = m_reduce->isChecked() ? 1 : 0;
    settings.m_nTopology = m_topology->topology();
    settings.m_dCleanTolerance = m_cleanTolerance->value();
    if (settings.m_nTopology == kTopologySplit)
        settings.m_dReduceTolerance = m_nTolerance * 0.1;
}

} // namespace orvane::app
