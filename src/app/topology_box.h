// CTopologyBox: the choice between split and clean tracing, shared by the
// One-Touch and Polyline Reduction option dialogs.
#pragma once

#include <QGroupBox>

#include <cstdint>

class QDoubleSpinBox;
class QRadioButton;

namespace orvane::app {

class CTopologyBox : public QGroupBox {
    Q_OBJECT
public:
    /// Checks the button of `topology` (kTopologySplit or kTopologyClean;
    /// anything else checks split).
    explicit CTopologyBox(std::int16_t topology, QWidget* parent = nullptr);

    /// The topology checked.
    std::int16_t topology() const;

    /// A new field, inside this box, for how far a clean line may move from
    /// its centre pixels (0.1 to 5 px), showing `tolerance`.
    QDoubleSpinBox* newCleanToleranceField(double tolerance);

    QRadioButton* splitButton() const { return m_split; }
    QRadioButton* cleanButton() const { return m_clean; }

signals:
    /// The user (or a test) checked the other topology.
    void topologyChanged(bool clean);

private:
    QRadioButton* m_split;
    QRadioButton* m_clean;
};

} // namespace orvane::app
