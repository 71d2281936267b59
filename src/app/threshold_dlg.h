// CThresholdDlg: the colour range that thresholding keeps, as an upper and
// a lower bound of red, green and blue; each bound can also be picked from
// a colour dialog.
#pragma once

#include <QDialog>

#include <cstdint>

class QLineEdit;

namespace orvane::app {

class CThresholdDlg : public QDialog {
    Q_OBJECT
public:
    /// Opens showing the bounds the view used last (packed 0x00BBGGRR).
    CThresholdDlg(std::uint32_t lower, std::uint32_t upper, QWidget* parent = nullptr);

    std::uint8_t m_lowerBlue = 0, m_lowerGreen = 0, m_lowerRed = 0;
    std::uint8_t m_upperBlue = 0, m_upperGreen = 0, m_upperRed = 0;
    /// The result, packed, valid after OK.
    std::uint32_t m_lowerColor = 0, m_upperColor = 0;

    /// The upper (lower) bound's three edits, red first.
    QLineEdit* edit(bool upper, int channel) const { return m_edits[upper ? 0 : 1][channel]; }

    /// Picks a bound from the colour dialog and shows its channels.
    void OnUpperBound() { pickColour(true); }
    void OnLowerBound() { pickColour(false); }

public slots:
    /// Reads the six edits (0 to 255 each) and packs the bounds; a bad
    /// entry is refused and the dialog stays open.
    void accept() override;

private:
    void pickColour(bool upper);
    void showChannels();

    QLineEdit* m_edits[2][3] = {};
};

} // namespace orvane::app
