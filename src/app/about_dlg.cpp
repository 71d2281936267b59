// The About box.
#include "app/about_dlg.h"

#include "app/artwork.h"
#include "app/varo_app.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace orvane::app {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Orvane"));
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    icon->setAccessibleName(QStringLiteral("Orvane icon"));
    auto* name = new QLabel(QStringLiteral("<b>Orvane</b> Version %1").arg(kAppVersion), this);
    auto* text = new QLabel(QStringLiteral("Turns scanned line drawings and maps into vectors: thinning, Canny "
                                           "edges, tracing into numbered polylines, editing, and DXF, MIF, text "
                                           "report, ARC, DI and ASC files.\n\nCopyright (C) 2026 Kestrum"),
                            this);
    text->setWordWrap(true);
    text->setMinimumWidth(320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* words = new QVBoxLayout;
    words->addWidget(name);
    words->addWidget(text);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(words, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

} // namespace orvane::app
