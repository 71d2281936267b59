// CCannyParamDlg: the Gaussian width and the two hysteresis thresholds of
// Canny edge detection.
#pragma once

#include <QDialog>

#include <cstdint>

class QLineEdit;

namespace orvane::app {

class CCannyParamDlg : public QDialog {
    Q_OBJECT
public:
    CCannyParamDlg(float sigma, std::int32_t high, std::int32_t low, QWidget* parent = nullptr);

    std::int32_t m_nHigh = 0;
    std::int32_t m_nLow = 0;
    float m_fSigma = 0.0f;

    QLineEdit* sigmaEdit() const { return m_sigma; }
    QLineEdit* lowEdit() const { return m_low; }
    QLineEdit* highEdit() const { return m_high; }

public slots:
    /// Takes any whole numbers for the thresholds (a high below the low
    /// lets the detector choose both) and any number for the width; text
    /// that is not a number is refused.
    void accept() override;

private:
    QLineEdit* m_sigma;
    QLineEdit* m_low;
    QLineEdit* m_high;
};

} // namespace orvane::app
