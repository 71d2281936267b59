// CShowFilterDlg: the line ids a view shows in filter mode, and the mode.
#pragma once

#include <QDialog>

#include <cstdint>
#include <vector>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

namespace orvane::app {

class CShowFilterDlg : public QDialog {
    Q_OBJECT
public:
    CShowFilterDlg(const std::vector<std::uint32_t>& filter, bool filterMode, QWidget* parent = nullptr);

    /// After OK: whether the list had entries (only then does anything
    /// change), the ids in the list's order and the mode chosen.
    bool m_bChanged = false;
    std::vector<std::uint32_t> m_filter;
    bool m_bFilterMode = false;
    std::int32_t m_nLineId = 1;

    QLineEdit* idEdit() const { return m_edit; }
    QListWidget* list() const { return m_list; }
    QPushButton* addButton() const { return m_add; }
    QRadioButton* onButton() const { return m_on; }
    QRadioButton* offButton() const { return m_off; }
    /// The list's entries, top to bottom.
    QStringList entries() const;

    /// Reads the id edit (1 to 2147483647) and lists the id unless it is
    /// listed already. Happens whenever the edit loses the focus, and on
    /// "Add to Show". False when the text was refused.
    bool AddLineId();
    /// Removes an entry (a double click on it).
    void RemoveEntry(QListWidgetItem* item);

public slots:
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_edit;
    QPushButton* m_add;
    QListWidget* m_list;
    QRadioButton* m_on;
    QRadioButton* m_off;
};

} // namespace orvane::app
