// CStraightOptionDlg: how Polyline to Straight Line decides, and its
// angular tolerance.
#pragma once

#include <QDialog>

#include <cstdint>

class QLineEdit;
class QRadioButton;

namespace orvane::app {

class CStraightOptionDlg : public QDialog {
    Q_OBJECT
public:
    CStraightOptionDlg(std::int16_t mode, float tolerance, QWidget* parent = nullptr);

    std::int16_t m_nStraightMode;     ///< 1 forced, 2 program decides
    float m_fStraightTolerance;       ///< degrees

    QRadioButton* forcedButton() const { return m_forced; }
    QRadioButton* decideButton() const { return m_decide; }
    QLineEdit* toleranceEdit() const { return m_tolerance; }

public slots:
    /// Takes a tolerance of 0 to 360 degrees; anything else is refused and
    /// the dialog stays open.
    void accept() override;

private:
    QRadioButton* m_forced;
    QRadioButton* m_decide;
    QLineEdit* m_tolerance;
};

} // namespace orvane::app
