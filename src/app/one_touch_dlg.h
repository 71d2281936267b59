// COneTouchDlg: how One-Touch vectorisation prepares the image, how it
// traces it (split or clean lines, specks dropped, how far a clean line may
// move), and which image the window shows afterwards.
#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QDoubleSpinBox;
class QRadioButton;
class QSpinBox;

namespace orvane {
struct AppSettings;
}

namespace orvane::app {

class CTopologyBox;

class COneTouchDlg : public QDialog {
    Q_OBJECT
public:
    explicit COneTouchDlg(const AppSettings& settings, QWidget* parent = nullptr);

    /// After OK: 0 Zhang/Suen, 1 Stentiford, 2 Canny; unchanged when no
    /// method is checked.
    std::int16_t m_nOneTouchMethod;
    /// After OK: 1 to show the original image under the lines.
    std::int32_t m_bRetainOriginal;
    /// After OK: kTopologySplit or kTopologyClean.
    std::int16_t m_nTopology;
    /// After OK: -1 automatic, 0 keep every speck, N drop specks that fit in
    /// an N-pixel square.
    std::int32_t m_nDespeckleSize;
    /// After OK: pixels a clean line may move, 0.1 to 5.
    double m_dCleanTolerance;

    /// After OK: the settings as chosen.
    void Apply(AppSettings& settings) const;

    QRadioButton* methodButton(int method) const { return m_methods[method]; }
    QRadioButton* retainButton() const { return m_retain; }
    QRadioButton* processedButton() const { return m_processed; }
    CTopologyBox* topologyBox() const { return m_topology; }
    QCheckBox* automaticSpeckBox() const { return m_automaticSpeck; }
    QSpinBox* speckSizeBox() const { return m_speckSize; }
    QDoubleSpinBox* cleanToleranceBox() const { return m_cleanTolerance; }

public slots:
    void accept() override;

private:
    /// Enables what the chosen topology and method use: speck sizes for
    /// clean lines from thinning, the tolerance for clean lines.
    void updateEnabled();

    QRadioButton* m_methods[3] = {};
    QRadioButton* m_retain;
    QRadioButton* m_processed;
    CTopologyBox* m_topology;
    QCheckBox* m_automaticSpeck;
    QSpinBox* m_speckSize;
    QDoubleSpinBox* m_cleanTolerance;
};

} // namespace orvane::app
