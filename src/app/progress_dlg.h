// The modeless progress dialog of a long operation: title, stage text, bar
// and Cancel. Cancel (or Escape) only records the wish; the dialog stays
// until the operation that made it ends.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace orvane::app {

class CCancelDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCancelDlg(QWidget* parent = nullptr);

    /// Processes the user interface's pending events, then says whether the
    /// user has cancelled.
    virtual bool CheckCancel();
    /// Records the cancel; the window stays.
    void OnCancel() { m_bCancel = 1; }

    int m_bCancel = 0;

protected:
    void reject() override { OnCancel(); }
    void closeEvent(QCloseEvent* event) override;
};

class CProgressDlg : public CCancelDlg {
    Q_OBJECT
public:
    explicit CProgressDlg(QWidget* parent = nullptr);

    void SetStatus(const QString& text);
    void SetRange(int upper);
    void SetPos(int position);

    QLabel* statusLabel() const { return m_status; }
    QProgressBar* progressBar() const { return m_progress; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace orvane::app
