// The One-Touch option dialog.
#include "app/one_touch_dlg.h"

#include "app/topology_box.h"
#include "settings/app_settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace orvane::app {
namespace {

/// The speck size shown when automatic sizing is switched off and there
/// is no size of the user's own yet: the smallest the automatic sizing gives.
constexpr int kManualSpeckSize = 2;

} // namespace

COneTouchDlg::COneTouchDlg(const AppSettings& settings, QWidget* parent)
    : QDialog(parent), m_nOneTouchMethod(settings.m_nOneTouchMethod), m_bRetainOriginal(settings.m_bRetainOriginal),
      m_nTopology(settings.m_nTopology), m_nDespeckleSize(settings.m_nDespeckleSize),
      m_dCleanTolerance(settings.m_dCleanTolerance)
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
    const std::int16_t method = settings.m_nOneTouchMethod;
    if (method >= 0 && method <= 2)
        m_methods[method]->setChecked(true);

    auto* display = new QGroupBox(QStringLiteral("Source Image Display"), this);
    auto* displayLayout = new QVBoxLayout(display);
    m_retain = new QRadioButton(QStringLiteral("Retain Original Image"), display);
    m_processed = new QRadioButton(QStringLiteral("Use Processed Image"), display);
    displayLayout->addWidget(m_retain);
    displayLayout->addWidget(m_processed);
    (settings.m_bRetainOriginal == 1 ? m_retain : m_processed)->setChecked(true);

    // Clean tracing: the topology, the specks dropped before thinning and
    // how far the cleaned line may move from its centre pixels.
    m_topology = new CTopologyBox(settings.m_nTopology, this);
    m_automaticSpeck = new QCheckBox(QStringLiteral("Size specks &automatically from the strokes"), m_topology);
    m_automaticSpeck->setChecked(settings.m_nDespeckleSize < 0);
    m_speckSize = new QSpinBox(m_topology);
    m_speckSize->setRange(0, 1000);
    m_speckSize->setSuffix(QStringLiteral(" px"));
    m_speckSize->setSpecialValueText(QStringLiteral("Keep every speck"));
    m_speckSize->setValue(settings.m_nDespeckleSize < 0 ? kManualSpeckSize : settings.m_nDespeckleSize);
    m_speckSize->setToolTip(QStringLiteral("Patches of ink that fit in a square this wide are dropped before "
                                           "thinning; 0 keeps every speck"));
    m_cleanTolerance = m_topology->newCleanToleranceField(settings.m_dCleanTolerance);
    m_cleanTolerance->setToolTip(QStringLiteral("How far smoothing and reduction may move a clean line from the "
                                                "centre pixels it was traced from"));
    auto* cleanForm = new QFormLayout;
    cleanForm->addRow(m_automaticSpeck);
    cleanForm->addRow(QStringLiteral("Drop specks up &to:"), m_speckSize);
    cleanForm->addRow(QStringLiteral("Clean line may &move up to:"), m_cleanTolerance);
    static_cast<QVBoxLayout*>(m_topology->layout())->addLayout(cleanForm);

    connect(m_topology, &CTopologyBox::topologyChanged, this, &COneTouchDlg::updateEnabled);
    connect(m_automaticSpeck, &QCheckBox::toggled, this, &COneTouchDlg::updateEnabled);
    connect(methods, &QButtonGroup::idToggled, this, &COneTouchDlg::updateEnabled);
    updateEnabled();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &COneTouchDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COneTouchDlg::reject);
    auto* layout = new QGridLayout(this);
    layout->addWidget(extraction, 0, 0);
    layout->addWidget(display, 1, 0);
    layout->addWidget(m_topology, 2, 0);
    layout->addWidget(buttons, 0, 1, 3, 1, Qt::AlignTop);
}

void COneTouchDlg::updateEnabled()
{
    const bool clean = m_topology->topology() == kTopologyClean;
    // Specks are dropped before thinning; edge detection keeps them all.
    const bool specks = clean && !m_methods[kOneTouchCanny]->isChecked();
    m_automaticSpeck->setEnabled(specks);
    m_speckSize->setEnabled(specks && !m_automaticSpeck->isChecked());
    m_cleanTolerance->setEnabled(clean);
}

void COneTouchDlg::accept()
{
    for (int i = 0; i < 3; ++i)
        if (m_methods[i]->isChecked()) {
            m_nOneTouchMethod = std::int16_t(i);
            break;
        }
    m_bRetainOriginal = m_retain->isChecked() ? 1 : 0;
    m_nTopology = m_topology->topology();
    m_nDespeckleSize = m_automaticSpeck->isChecked() ? -1 : m_speckSize->value();
    m_dCleanTolerance = m_cleanTolerance->value();
    QDialog::accept();
}

void COneTouchDlg::Apply(AppSettings& settings) const
{
    settings.m_nOneTouchMethod = m_nOneTouchMethod;
    settings.m_bRetainOriginal = m_bRetainOriginal;
    settings.m_nTopology = m_nTopology;
    settings.m_nDespeckleSize = m_nDespeckleSize;
    settings.m_dCleanTolerance = m_dCleanTolerance;
}

} // namespace orvane::app
