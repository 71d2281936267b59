// CChildFrame: the window around one view inside the main window.
#pragma once

#include <QMdiSubWindow>

namespace orvane::app {

class CVaroDoc;
class CVaroView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(CVaroView* view, QWidget* parent = nullptr);

    CVaroView* view() const { return m_view; }
    CVaroDoc* document() const;
    /// Closes without the save questions (they have been asked already);
    /// still refused while an operation runs on the document. True when the
    /// window closed.
    bool CloseWithoutAsking();
    /// Sets the caption from the document: its name, the window's number
    /// when the document has several, and a mark while it is modified.
    void UpdateTitle();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CVaroView* m_view;
    bool m_questionsAsked = false;
};

} // namespace orvane::app
