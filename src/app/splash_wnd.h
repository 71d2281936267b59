// CSplashWnd: the picture shown at start-up for a few seconds, gone at the
// first key press or mouse click anywhere in the program.
#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace orvane::app {

class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    /// Shows itself centred over `parent` and removes itself after
    /// `timeoutMs`.
    CSplashWnd(QWidget* parent, int timeoutMs);
    ~CSplashWnd() override;

    int m_nTimeout;

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    /// Sees every event of the program first while the splash exists: a key
    /// or a mouse button removes the splash and is consumed.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dismiss();

    QPixmap m_picture;
    QBasicTimer m_timer;
    bool m_dismissed = false;
};

} // namespace orvane::app
