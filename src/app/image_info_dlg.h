// CImageInfoDlg: the image's file name, size and depth.
#pragma once

#include <QDialog>

class QLineEdit;

namespace orvane::app {

class CImageInfoDlg : public QDialog {
    Q_OBJECT
public:
    /// `path` is the image's full path; only its file name is shown.
    CImageInfoDlg(const QString& path, int width, int height, int depth, QWidget* parent = nullptr);

    QString m_depth, m_fileName, m_width, m_height;

    QLineEdit* fileNameEdit() const { return m_edits[0]; }
    QLineEdit* widthEdit() const { return m_edits[1]; }
    QLineEdit* heightEdit() const { return m_edits[2]; }
    QLineEdit* depthEdit() const { return m_edits[3]; }

private:
    QLineEdit* m_edits[4] = {};
};

} // namespace orvane::app
