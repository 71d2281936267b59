// The progress dialog.
#include "app/progress_dlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace orvane::app {

CCancelDlg::CCancelDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setModal(false);
}

bool CCancelDlg::CheckCancel()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return m_bCancel != 0;
}

void CCancelDlg::closeEvent(QCloseEvent* event)
{
    // Closing the window asks to cancel; the operation removes it.
    OnCancel();
    event->ignore();
}

CProgressDlg::CProgressDlg(QWidget* parent) : CCancelDlg(parent)
{
    setWindowTitle(QStringLiteral("Dialog"));
    auto* layout = new QGridLayout(this);
    auto* statusCaption = new QLabel(QStringLiteral("Status:"), this);
    m_status = new QLabel(QStringLiteral("status..."), this);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setMinimumWidth(260);
    statusCaption->setBuddy(m_status);
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setAccessibleName(QStringLiteral("Progress"));
    auto* zero = new QLabel(QStringLiteral("0"), this);
    auto* full = new QLabel(QStringLiteral("100%"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnCancel(); });

    layout->addWidget(statusCaption, 0, 0, 1, 3);
    layout->addWidget(m_status, 1, 0, 1, 3);
    layout->addWidget(zero, 2, 0, Qt::AlignLeft);
    layout->addWidget(full, 2, 2, Qt::AlignRight);
    layout->addWidget(m_progress, 3, 0, 1, 3);
    layout->addWidget(m_cancel, 4, 1, Qt::AlignHCenter);
    layout->setColumnStretch(1, 1);
}

void CProgressDlg::SetStatus(const QString& text) { m_status->setText(text); }

void CProgressDlg::SetRange(int upper) { m_progress->setRange(0, upper); }

void CProgressDlg::SetPos(int position) { m_progress->setValue(position); }

} // namespace orvane::app
