// The Show Lines Filter dialog.
#include "app/show_filter_dlg.h"

#include "app/dialog_fields.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QKeyEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace orvane::app {

CShowFilterDlg::CShowFilterDlg(const std::vector<std::uint32_t>& filter, bool filterMode, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Show Lines Filter"));
    m_edit = new QLineEdit(QStringLiteral("1"), this);
    m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    m_edit->setAccessibleName(QStringLiteral("Line ID"));
    m_edit->installEventFilter(this);
    auto* label = new QLabel(QStringLiteral("Line  ID:"), this);
    label->setBuddy(m_edit);
    m_add = new QPushButton(QStringLiteral("Add to Show"), this);
    m_add->setDefault(true);
    connect(m_add, &QPushButton::clicked, this, [this] { AddLineId(); });

    m_list = new QListWidget(this);
    m_list->setAccessibleName(QStringLiteral("Lines shown in filter mode"));
    m_list->setSortingEnabled(true); // as text: "10" comes before "2"
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (std::uint32_t id : filter)
        if (m_list->findItems(QString::number(id), Qt::MatchExactly).isEmpty())
            m_list->addItem(QString::number(id));
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CShowFilterDlg::RemoveEntry);
    m_list->installEventFilter(this); // Delete removes the selected entries, for the keyboard

    auto* mode = new QGroupBox(QStringLiteral("Filter Mode"), this);
    auto* modeLayout = new QHBoxLayout(mode);
    m_on = new QRadioButton(QStringLiteral("On"), mode);
    m_off = new QRadioButton(QStringLiteral("Off"), mode);
    modeLayout->addWidget(m_on);
    modeLayout->addWidget(m_off);
    (filterMode ? m_on : m_off)->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    for (QAbstractButton* button : buttons->buttons())
        if (auto* push = qobject_cast<QPushButton*>(button))
            push->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &CShowFilterDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CShowFilterDlg::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_edit, 0, 1);
    layout->addWidget(m_add, 0, 2);
    layout->addWidget(m_list, 1, 0, 1, 3);
    layout->addWidget(mode, 2, 0, 1, 3);
    layout->addWidget(buttons, 0, 3, 3, 1, Qt::AlignTop);
    m_edit->setFocus();
    m_edit->selectAll();
}

QStringList CShowFilterDlg::entries() const
{
    QStringList texts;
    for (int i = 0; i < m_list->count(); ++i)
        texts << m_list->item(i)->text();
    return texts;
}

bool CShowFilterDlg::AddLineId()
{
    const std::optional<long long> id = ReadIntField(m_edit, 1, 2147483647);
    if (!id)
        return false;
    m_nLineId = std::int32_t(*id);
    const QString text = QString::number(m_nLineId);
    if (m_list->findItems(text, Qt::MatchExactly).isEmpty())
        m_list->addItem(text);
    return true;
}

void CShowFilterDlg::RemoveEntry(QListWidgetItem* item)
{
    delete m_list->takeItem(m_list->row(item));
}

bool CShowFilterDlg::eventFilter(QObject* watched, QEvent* event)
{
    // The id is taken whenever the focus leaves its edit, to the list, a
    // button or by Tab; a refusal keeps it there.
    if (watched == m_edit && event->type() == QEvent::FocusOut && isVisible())
        AddLineId();
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        for (QListWidgetItem* item : m_list->selectedItems())
            RemoveEntry(item);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CShowFilterDlg::accept()
{
    m_bChanged = m_list->count() > 0;
    if (m_bChanged) {
        m_filter.clear();
        for (const QString& text : entries())
            m_filter.push_back(text.toUInt());
        m_bFilterMode = m_on->isChecked();
    }
    QDialog::accept();
}

} // namespace orvane::app
