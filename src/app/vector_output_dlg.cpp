// The vector output option dialog.
#include "app/vector_output_dlg.h"

#include "app/dialog_fields.h"
#include "settings/app_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace orvane::app {

CVectorOutputDlg::CVectorOutputDlg(const AppSettings& settings, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Vector Output Option"));
    m_units = new QComboBox(this);
    m_units->addItems({QStringLiteral("Pixels"), QStringLiteral("Millimetres"), QStringLiteral("Inches")});
    m_units->setCurrentIndex(std::clamp(settings.m_nOutputUnits, 0, 2));
    m_dpi = new QLineEdit(settings.m_dOutputDpi > 0 ? QString::number(settings.m_dOutputDpi) : QString(), this);
    m_dpi->setAlignment(Qt::AlignRight);
    m_dpi->setPlaceholderText(QStringLiteral("the scan's own"));
    m_dxf = new QComboBox(this);
    m_dxf->addItems({QStringLiteral("Classic"), QStringLiteral("R12 (POLYLINE, for older machines)"),
                     QStringLiteral("R2000 (LWPOLYLINE, with units)")});
    m_dxf->setCurrentIndex(std::clamp(settings.m_nDxfProfile, 0, 2));
    m_georeference = new QCheckBox(QStringLiteral("Use the scan's &map coordinates when it has them"), this);
    m_georeference->setChecked(settings.m_bUseGeoreferencing != 0);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Units:"), m_units);
    form->addRow(QStringLiteral("&Resolution (pixels per inch):"), m_dpi);
    form->addRow(QStringLiteral("&DXF version:"), m_dxf);
    auto* note = new QLabel(QStringLiteral("Units scale a drawing from the scan's resolution, or from the one given "
                                           "here. A georeferenced scan gives map coordinates instead, unless "
                                           "that is turned off. ARC and SVG files stay in pixels."),
                            this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CVectorOutputDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CVectorOutputDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_georeference);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

void CVectorOutputDlg::accept()
{
    if (m_dpi->text().trimmed().isEmpty()) {
        m_dDpi = 0;
    } else {
        const std::optional<double> dpi = ReadNumberField(m_dpi, 0, 100000);
        if (!dpi)
            return;
        m_dDpi = *dpi;
    }
    QDialog::accept();
}

void CVectorOutputDlg::Apply(AppSettings& settings) const
{
    settings.m_nOutputUnits = m_units->currentIndex();
    settings.m_dOutputDpi = m_dDpi;
    settings.m_nDxfProfile = m_dxf->currentIndex();
    settings.m_bUseGeoreferencing = m_georeference->isChecked() ? 1 : 0;
}

} // namespace orvane::app
