// CVectorOutputDlg: where the lines of a saved vector file land (pixels,
// millimetres or inches, or the scan's map coordinates) and which DXF is
// written.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace orvane {
struct AppSettings;
}

namespace orvane::app {

class CVectorOutputDlg : public QDialog {
    Q_OBJECT
public:
    explicit CVectorOutputDlg(const AppSettings& settings, QWidget* parent = nullptr);

    /// After OK: the settings as chosen.
    void Apply(AppSettings& settings) const;

    QComboBox* unitsBox() const { return m_units; }
    QLineEdit* dpiEdit() const { return m_dpi; }
    QComboBox* dxfBox() const { return m_dxf; }
    QCheckBox* georeferenceBox() const { return m_georeference; }

public slots:
    /// Takes a resolution of 0 (the scan's own) to 100000 pixels per inch;
    /// anything else is refused and the dialog stays open.
    void accept() override;

private:
    QComboBox* m_units;
    QLineEdit* m_dpi;
    QComboBox* m_dxf;
    QCheckBox* m_georeference;
    double m_dDpi = 0;
};

} // namespace orvane::app
