// The splash window.
#include "app/splash_wnd.h"

#include "app/artwork.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

namespace orvane::app {

CSplashWnd::CSplashWnd(QWidget* parent, int timeoutMs)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_nTimeout(timeoutMs),
      m_picture(SplashPicture())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName(QStringLiteral("Orvane"));
    setFixedSize(m_picture.size());
    const QRect over = parent && parent->isVisible() ? parent->frameGeometry()
                                                     : QApplication::primaryScreen()->availableGeometry();
    move(over.center() - rect().center());
    qApp->installEventFilter(this);
    m_timer.start(m_nTimeout, this);
}

CSplashWnd::~CSplashWnd() { qApp->removeEventFilter(this); }

void CSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

void CSplashWnd::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        dismiss();
}

bool CSplashWnd::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
        dismiss();
        return true;
    default: return false;
    }
}

void CSplashWnd::dismiss()
{
    if (m_dismissed)
        return;
    m_dismissed = true;
    m_timer.stop();
    qApp->removeEventFilter(this);
    if (parentWidget())
        parentWidget()->update();
    close();
}

} // namespace orvane::app
