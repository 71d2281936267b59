// CPolylineReductionDlg: whether vectorising smooths and reduces the traced
// polylines, the line topology with the tolerance each topology uses, and
// the statistics of the last run.
#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

namespace orvane {
struct AppSettings;
}

namespace orvane::app {

class CTopologyBox;

class CPolylineReductionDlg : public QDialog {
    Q_OBJECT
public:
    /// Shows the settings, and the statistics of the active document's last
    /// run (0 and 0 when there is none).
    CPolylineReductionDlg(const AppSettings& settings, std::int32_t totalLines, std::int32_t linesSaved,
                          QWidget* parent = nullptr);

    /// After OK: the settings as entered (tolerances in pixels). The split
    /// tolerance is kept as it was when clean lines are chosen.
    void Apply(AppSettings& settings) const;

    QCheckBox* smoothBox() const { return m_smooth; }
    QCheckBox* reduceBox() const { return m_reduce; }
    QLineEdit* toleranceEdit() const { return m_tolerance; }
    QLineEdit* totalEdit() const { return m_total; }
    QLineEdit* savedEdit() const { return m_saved; }
    CTopologyBox* topologyBox() const { return m_topology; }
    QDoubleSpinBox* cleanToleranceBox() const { return m_cleanTolerance; }

public slots:
    /// For split lines, takes a tolerance of 1 to 100 tenths of a pixel;
    /// anything else is refused and the dialog stays open.
    void accept() override;

private:
    /// Enables the tolerance the chosen topology uses.
    void updateEnabled();

    QCheckBox* m_smooth;
    QCheckBox* m_reduce;
    QLineEdit* m_tolerance;
    QLineEdit* m_total;
    QLineEdit* m_saved;
    QLabel* m_toleranceText;
    CTopologyBox* m_topology;
    QDoubleSpinBox* m_cleanTolerance;
    int m_nTolerance = 0;
};

} // namespace orvane::app
