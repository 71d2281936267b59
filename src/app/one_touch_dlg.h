// COneTouchDlg: how One-Touch vectorisation prepares the image, and which
// image the window shows afterwards.
#pragma once

#include <QDialog>

#include <cstdint>

class QRadioButton;

namespace orvane::app {

class COneTouchDlg : public QDialog {
    Q_OBJECT
public:
    COneTouchDlg(std::int16_t method, std::int32_t retainOriginal, QWidget* parent = nullptr);

    /// After OK: 0 Zhang/Suen, 1 Stentiford, 2 Canny; unchanged when no
    /// method is checked.
    std::int16_t m_nOneTouchMethod;
    /// After OK: 1 to show the original image under the lines.
    std::int32_t m_bRetainOriginal;

    QRadioButton* methodButton(int method) const { return m_methods[method]; }
    QRadioButton* retainButton() const { return m_retain; }
    QRadioButton* processedButton() const { return m_processed; }

public slots:
    void accept() override;

private:
    QRadioButton* m_methods[3] = {};
    QRadioButton* m_retain;
    QRadioButton* m_processed;
};

} // namespace orvane::app
