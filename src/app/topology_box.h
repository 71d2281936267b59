// CTopologyBox: the choice between split and clean tracing, shared by the
// One-Touch and Polyline Reduction option dialogs.
#pragma once

#include <QGroupBox>

#include <cstdint>

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
