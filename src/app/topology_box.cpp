// The line topology choice.
#include "app/topology_box.h"

#include "settings/app_settings.h"

#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orvane::app {

CTopologyBox::CTopologyBox(std::int16_t topology, QWidget* parent)
    : QGroupBox(QStringLiteral("Line Topology"), parent)
{
    m_split = new QRadioButton(QStringLiteral("Split lines at every &junction"), this);
    m_clean = new QRadioButton(QStringLiteral("One line per &stroke (clean)"), this);
    m_split->setToolTip(QStringLiteral("A line ends wherever lines meet or cross"));
    m_clean->setToolTip(QStringLiteral("Each drawn stroke becomes one line, joined through crossings and "
                                       "T-junctions; spurs and specks are dropped and closed shapes closed"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_split);
    layout->addWidget(m_clean);
    (topology == kTopologyClean ? m_clean : m_split)->setChecked(true);
    connect(m_clean, &QRadioButton::toggled, this, &CTopologyBox::topologyChanged);
}

std::int16_t CTopologyBox::topology() const { return m_clean->isChecked() ? kTopologyClean : kTopologySplit; }

QDoubleSpinBox* CTopologyBox::newCleanToleranceField(double tolerance)
{
    auto* field = new QDoubleSpinBox(this);
    field->setRange(0.1, 5.0);
    field->setDecimals(2);
    field->setSingleStep(0.1);
    field->setSuffix(QStringLiteral(" px"));
    field->setValue(std::clamp(tolerance, 0.1, 5.0));
    return field;
}

} // namespace orvane::app
