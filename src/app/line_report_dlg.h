// CLineReportDlg: the line quality report of the active image's last trace
// (or of a saved report file) as a sortable table with a summary, saved as
// and opened from CSV files.
#pragma once

#include "vector/line_quality.h"

#include <QDialog>
#include <QString>

#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace orvane::app {

struct TraceReport;

class CLineReportDlg : public QDialog {
    Q_OBJECT
public:
    /// Shows `trace` (null: nothing traced yet) of the image at `imagePath`
    /// (empty without an image); `linesChanged` says that the lines were
    /// edited since, so the rows describe the lines as traced.
    CLineReportDlg(const TraceReport* trace, const QString& imagePath, bool linesChanged, QWidget* parent = nullptr);

    /// The rows shown, in the order they came.
    const std::vector<LineQuality>& rows() const { return m_rows; }
    /// "N lines, C closed, F free ends; largest distance D px".
    static QString Summary(const std::vector<LineQuality>& rows);

    QTableWidget* table() const { return m_table; }
    QLabel* originLabel() const { return m_origin; }
    QLabel* changedLabel() const { return m_changed; }
    QLabel* summaryLabel() const { return m_summary; }
    QPushButton* openButton() const { return m_open; }
    QPushButton* saveButton() const { return m_save; }

public slots:
    /// Asks for a CSV name and writes the rows shown; false (after saying
    /// why) when nothing was written.
    bool OnSaveAs();
    /// Asks for a saved report and shows it instead; a file that cannot be
    /// read, or is no such report, is named in a message with the reason
    /// and the rows shown stay.
    bool OnOpen();

private:
    void showRows(std::vector<LineQuality> rows);

    QLabel* m_origin;
    QLabel* m_changed;
    QTableWidget* m_table;
    QLabel* m_summary;
    QPushButton* m_open;
    QPushButton* m_save;
    std::vector<LineQuality> m_rows;
    QString m_folder;   ///< where file dialogs start
    QString m_saveName; ///< the name Save As suggests
};

} // namespace orvane::app
