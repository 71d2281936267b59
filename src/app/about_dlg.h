// The About box.
#pragma once

#include <QDialog>

namespace orvane::app {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace orvane::app
