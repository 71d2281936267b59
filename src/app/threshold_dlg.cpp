// The threshold dialog.
#include "app/threshold_dlg.h"

#include "app/dialog_fields.h"
#include "app/varo_app.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orvane::app {
namespace {

const char* const kChannels[3] = {"red", "green", "blue"};

} // namespace

CThresholdDlg::CThresholdDlg(std::uint32_t lower, std::uint32_t upper, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Threshold Value"));
    m_lowerRed = std::uint8_t(lower & 0xFF);
    m_lowerGreen = std::uint8_t(lower >> 8 & 0xFF);
    m_lowerBlue = std::uint8_t(lower >> 16 & 0xFF);
    m_upperRed = std::uint8_t(upper & 0xFF);
    m_upperGreen = std::uint8_t(upper >> 8 & 0xFF);
    m_upperBlue = std::uint8_t(upper >> 16 & 0xFF);

    auto* layout = new QGridLayout(this);
    auto* upperButton = new QPushButton(QStringLiteral("Upper Bound:"), this);
    auto* lowerButton = new QPushButton(QStringLiteral("Lower Bound:"), this);
    upperButton->setAutoDefault(false);
    lowerButton->setAutoDefault(false);
    upperButton->setToolTip(QStringLiteral("Pick the upper bound from a colour dialog"));
    lowerButton->setToolTip(QStringLiteral("Pick the lower bound from a colour dialog"));
    connect(upperButton, &QPushButton::clicked, this, &CThresholdDlg::OnUpperBound);
    connect(lowerButton, &QPushButton::clicked, this, &CThresholdDlg::OnLowerBound);
    layout->addWidget(upperButton, 0, 0);
    layout->addWidget(lowerButton, 4, 0);
    for (int bound = 0; bound < 2; ++bound)
        for (int c = 0; c < 3; ++c) {
            auto* edit = new QLineEdit(this);
            edit->setMaxLength(3);
            edit->setFixedWidth(44);
            edit->setAlignment(Qt::AlignRight);
            edit->setAccessibleName(QStringLiteral("%1 bound %2").arg(bound == 0 ? "Upper" : "Lower").arg(kChannels[c]));
            m_edits[bound][c] = edit;
            layout->addWidget(edit, bound == 0 ? 0 : 4, 1 + c);
        }
    for (int c = 0; c < 3; ++c) // which edit is which, for every user
        layout->addWidget(new QLabel(QString::fromLatin1(c == 0 ? "Red" : c == 1 ? "Green" : "Blue"), this), 1, 1 + c,
                          Qt::AlignHCenter | Qt::AlignTop);
    layout->addWidget(new QLabel(QStringLiteral("v"), this), 1, 1, Qt::AlignLeft | Qt::AlignBottom);
    layout->addWidget(new QLabel(QStringLiteral("Keep Pixels Within This Range"), this), 2, 0, 1, 4);
    layout->addWidget(new QLabel(QStringLiteral("v"), this), 3, 1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CThresholdDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CThresholdDlg::reject);
    layout->addWidget(ok, 0, 4);
    layout->addWidget(cancel, 1, 4);
    showChannels();
    m_edits[0][0]->setFocus();
}

void CThresholdDlg::showChannels()
{
    const std::uint8_t values[2][3] = {{m_upperRed, m_upperGreen, m_upperBlue}, {m_lowerRed, m_lowerGreen, m_lowerBlue}};
    for (int bound = 0; bound < 2; ++bound)
        for (int c = 0; c < 3; ++c)
            m_edits[bound][c]->setText(QString::number(values[bound][c]));
}

void CThresholdDlg::pickColour(bool upper)
{
    const std::optional<QColor> colour = CVaroApp::instance()->GetColor(Qt::black);
    if (!colour)
        return;
    if (upper) {
        m_upperColor = std::uint32_t(colour->red() | colour->green() << 8 | colour->blue() << 16);
        m_upperRed = std::uint8_t(colour->red());
        m_upperGreen = std::uint8_t(colour->green());
        m_upperBlue = std::uint8_t(colour->blue());
    } else {
        m_lowerColor = std::uint32_t(colour->red() | colour->green() << 8 | colour->blue() << 16);
        m_lowerRed = std::uint8_t(colour->red());
        m_lowerGreen = std::uint8_t(colour->green());
        m_lowerBlue = std::uint8_t(colour->blue());
    }
    showChannels();
}

void CThresholdDlg::accept()
{
    // In the order the fields are exchanged: lower blue, green, red, then
    // upper blue, green, red.
    std::uint8_t* targets[2][3] = {{&m_upperRed, &m_upperGreen, &m_upperBlue},
                                   {&m_lowerRed, &m_lowerGreen, &m_lowerBlue}};
    for (int bound : {1, 0})
        for (int c : {2, 1, 0}) {
            const std::optional<long long> value = ReadIntField(m_edits[bound][c], 0, 255);
            if (!value)
                return;
            *targets[bound][c] = std::uint8_t(*value);
        }
    m_lowerColor = std::uint32_t(m_lowerBlue) * 65536 + std::uint32_t(m_lowerGreen) * 256 + m_lowerRed;
    m_upperColor = std::uint32_t(m_upperBlue) * 65536 + std::uint32_t(m_upperGreen) * 256 + m_upperRed;
    QDialog::accept();
}

} // namespace orvane::app
