// The Image Information dialog.
#include "app/image_info_dlg.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace orvane::app {

CImageInfoDlg::CImageInfoDlg(const QString& path, int width, int height, int depth, QWidget* parent)
    : QDialog(parent), m_depth(QString::number(depth)), m_fileName(QFileInfo(path).fileName()),
      m_width(QString::number(width)), m_height(QString::number(height))
{
    setWindowTitle(QStringLiteral("Image Information"));
    const QString values[4] = {m_fileName, m_width, m_height, m_depth};
    const char* names[4] = {"File name", "Width", "Height", "Depth in bits"};
    for (int i = 0; i < 4; ++i) {
        m_edits[i] = new QLineEdit(values[i], this);
        m_edits[i]->setAccessibleName(QString::fromLatin1(names[i]));
    }
    auto* size = new QGroupBox(QStringLiteral("Size (Pixels):"), this);
    auto* sizeLayout = new QFormLayout(size);
    sizeLayout->addRow(QStringLiteral("Width:"), m_edits[1]);
    sizeLayout->addRow(QStringLiteral("Hight:"), m_edits[2]);
    auto* rest = new QFormLayout;
    rest->addRow(QStringLiteral("Depth (Bit):"), m_edits[3]);
    rest->addRow(QStringLiteral("File name:"), m_edits[0]);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(size);
    layout->addLayout(rest);
    layout->addWidget(buttons);
    m_edits[0]->setMinimumWidth(220);
}

} // namespace orvane::app
