// The One-Touch option dialog.
#include "app/one_touch_dlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvane::app {

COneTouchDlg::COneTouchDlg(std::int16_t method, std::int32_t retainOriginal, QWidget* parent)
    : QDialog(parent), m_nOneTouchMethod(method), m_bRetainOriginal(retainOriginal)
{
    setWindowTitle(QStringLiteral("One-Touch Vectorisation Option"));
    auto* extraction = new QGroupBox(QStringLiteral("Extraction Method"), this);
    auto* extractionLayout = new QVBoxLayout(extraction);
    auto* methods = new QButtonGroup(this);
    const char* names[3] = {"Zhang/Suen", "Stentiford", "Canny"};
    for (int i = 0; i < 3; ++i) {
        m_methods[i] = new QRadioButton(QString::fromLatin1(names[i]), extraction);
        methods->addButton(m_methods[i], i);
    }
    extractionLayout->addWidget(new QLabel(QStringLiteral("Thinning (Centre Line):"), extraction));
    extractionLayout->addWidget(m_methods[0]);
    extractionLayout->addWidget(m_methods[1]);
    extractionLayout->addWidget(new QLabel(QStringLiteral("Edge Detection (Boundary/Outline):"), extraction));
    extractionLayout->addWidget(m_methods[2]);
    if (method >= 0 && method <= 2)
        m_methods[method]->setChecked(true);

    auto* display = new QGroupBox(QStringLiteral("Source Image Display"), this);
    auto* displayLayout = new QVBoxLayout(display);
    m_retain = new QRadioButton(QStringLiteral("Retain Original Image"), display);
    m_processed = new QRadioButton(QStringLiteral("Use Processed Image"), display);
    displayLayout->addWidget(m_retain);
    displayLayout->addWidget(m_processed);
    (retainOriginal == 1 ? m_retain : m_processed)->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &COneTouchDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COneTouchDlg::reject);
    auto* layout = new QGridLayout(this);
    layout->addWidget(extraction, 0, 0);
    layout->addWidget(display, 1, 0);
    layout->addWidget(buttons, 0, 1, 2, 1, Qt::AlignTop);
}

void COneTouchDlg::accept()
{
    for (int i = 0; i < 3; ++i)
        if (m_methods[i]->isChecked()) {
            m_nOneTouchMethod = std::int16_t(i);
            break;
        }
    m_bRetainOriginal = m_retain->isChecked() ? 1 : 0;
    QDialog::accept();
}

} // namespace orvane::app
