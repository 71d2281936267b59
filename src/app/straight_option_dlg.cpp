// The straight-line option dialog.
#include "app/straight_option_dlg.h"

#include "app/dialog_fields.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace orvane::app {

CStraightOptionDlg::CStraightOptionDlg(std::int16_t mode, float tolerance, QWidget* parent)
    : QDialog(parent), m_nStraightMode(mode), m_fStraightTolerance(tolerance)
{
    setWindowTitle(QStringLiteral("Polyline to Straight Line Option"));
    m_forced = new QRadioButton(QStringLiteral("Forced (Convert whatever selected)"), this);
    m_decide = new QRadioButton(QStringLiteral("Program decide (if within tolerance)"), this);
    (mode == 1 ? m_forced : m_decide)->setChecked(true);
    m_tolerance = new QLineEdit(QString::number(double(tolerance)), this);
    m_tolerance->setFixedWidth(80);
    m_tolerance->setAccessibleName(QStringLiteral("Tolerance in degrees"));
    auto* text = new QLabel(QStringLiteral("Please specify the tolerance for\nconverting a polyline to straight line:"), this);
    text->setBuddy(m_tolerance);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CStraightOptionDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CStraightOptionDlg::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_forced, 0, 0, 1, 2);
    layout->addWidget(m_decide, 1, 0, 1, 2);
    layout->addWidget(text, 2, 0, 1, 2);
    layout->addWidget(m_tolerance, 3, 0);
    layout->addWidget(new QLabel(QStringLiteral("degree"), this), 3, 1);
    layout->addWidget(buttons, 0, 2, 4, 1, Qt::AlignTop);
}

void CStraightOptionDlg::accept()
{
    const std::optional<double> tolerance = ReadNumberField(m_tolerance, 0, 360);
    if (!tolerance)
        return;
    m_nStraightMode = m_forced->isChecked() ? 1 : 2;
    m_fStraightTolerance = float(*tolerance);
    QDialog::accept();
}

} // namespace orvane::app
