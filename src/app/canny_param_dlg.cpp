// The Canny parameter dialog.
#include "app/canny_param_dlg.h"

#include "app/dialog_fields.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace orvane::app {

CCannyParamDlg::CCannyParamDlg(float sigma, std::int32_t high, std::int32_t low, QWidget* parent)
    : QDialog(parent), m_nHigh(high), m_nLow(low), m_fSigma(sigma)
{
    setWindowTitle(QStringLiteral("Canny Edge Detection Parameters"));
    m_sigma = new QLineEdit(QString::number(double(sigma)), this);
    m_low = new QLineEdit(QString::number(low), this);
    m_high = new QLineEdit(QString::number(high), this);
    m_sigma->setAccessibleName(QStringLiteral("Gaussian standard deviation"));
    m_low->setAccessibleName(QStringLiteral("Low threshold"));
    m_high->setAccessibleName(QStringLiteral("High threshold"));
    for (QLineEdit* edit : {m_low, m_high})
        edit->setFixedWidth(60);

    auto* sigmaLabel = new QLabel(QStringLiteral("Gaussian Standard Deviation:"), this);
    sigmaLabel->setBuddy(m_sigma);
    auto* lowLabel = new QLabel(QStringLiteral("Low:"), this);
    lowLabel->setBuddy(m_low);
    auto* highLabel = new QLabel(QStringLiteral("High:"), this);
    highLabel->setBuddy(m_high);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCannyParamDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCannyParamDlg::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(sigmaLabel, 0, 0, 1, 4);
    layout->addWidget(m_sigma, 1, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Hysteresis Threshold of Edge Pixels:"), this), 2, 0, 1, 4);
    layout->addWidget(lowLabel, 3, 0);
    layout->addWidget(m_low, 3, 1);
    layout->addWidget(highLabel, 3, 2);
    layout->addWidget(m_high, 3, 3);
    layout->addWidget(buttons, 0, 4, 4, 1);
}

void CCannyParamDlg::accept()
{
    constexpr long long kMin = std::numeric_limits<std::int32_t>::min();
    constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
    const std::optional<long long> high = ReadIntField(m_high, kMin, kMax);
    if (!high)
        return;
    const std::optional<long long> low = ReadIntField(m_low, kMin, kMax);
    if (!low)
        return;
    const std::optional<double> sigma = ReadAnyNumberField(m_sigma);
    if (!sigma)
        return;
    m_nHigh = std::int32_t(*high);
    m_nLow = std::int32_t(*low);
    m_fSigma = float(*sigma);
    QDialog::accept();
}

} // namespace orvane::app
