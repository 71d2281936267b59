// The main window.
#include "app/main_frame.h"

#include "app/artwork.h"
#include "app/child_frame.h"
#include "app/command_table.h"
#include "app/histogram_bar.h"
#include "app/lock_keys.h"
#include "app/varo_app.h"
#include "app/varo_doc.h"
#include "app/varo_view.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace orvane::app {
namespace {

/// The text of the coordinate pane, which also sets its width.
const QString kCoordinatesText = QStringLiteral("X 00000, Y 00000");

QList<QKeySequence> keysOf(const CommandInfo& command)
{
    QList<QKeySequence> keys;
    if (command.keys)
        for (const QString& key : QString::fromLatin1(command.keys).split(u';'))
            keys.append(QKeySequence(key, QKeySequence::PortableText));
    return keys;
}

/// Catches the user closing the histogram window with its own close box.
class HistogramCloseWatcher : public QObject {
public:
    HistogramCloseWatcher(CMainFrame* frame) : QObject(frame), m_frame(frame) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            m_frame->m_bHistogram = false;
        return false;
    }

private:
    CMainFrame* m_frame;
};

} // namespace

CMainFrame::CMainFrame(CVaroApp& app) : m_app(app)
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
    resize(1200, 800);

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setAccessibleName(QStringLiteral("Image windows"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this] {
        UpdateMenus();
        if (m_histogram)
            m_histogram->update();
    });

    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    createHistogramWindow();
    UpdateMenus();

    // Toolbar buttons follow what changes under them (a view's switches, a
    // document becoming busy) the way menus do when they open.
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, [this] {
        UpdateMenus();
        updateLockKeys();
    });
    idle->start(300);
}

CMainFrame::~CMainFrame() = default;

// --- Actions and menus ----------------------------------------------------------

void CMainFrame::createActions()
{
    for (const CommandInfo& command : Commands()) {
        const QString prompt = command.prompt ? QString::fromUtf8(command.prompt) : QString();
        const QString statusTip = prompt.section(u'\n', 0, 0);
        const QString toolTip = prompt.section(u'\n', 1);
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("cmd%1").arg(command.id));
        action->setData(command.id);
        action->setText(command.text ? QString::fromUtf8(command.text) : toolTip);
        action->setStatusTip(statusTip);
        action->setToolTip(toolTip.isEmpty() ? statusTip : toolTip);
        action->setShortcuts(keysOf(command));
        action->setCheckable(command.checkable);
        action->setIcon(CommandIcon(command.id));
        action->setIconVisibleInMenu(false);
        connect(action, &QAction::triggered, this, [this, id = command.id] { OnCommand(id); });
        addAction(action); // its keys work whichever menu set is shown
        m_actions.insert(command.id, action);
    }
}

QMenu* CMainFrame::buildMenu(const char* title, const int* items, std::size_t count, bool documentSet)
{
    auto* menu = new QMenu(QString::fromUtf8(title), this);
    menu->setObjectName(QStringLiteral("%1Menu%2").arg(documentSet ? "doc" : "empty").arg(QString::fromUtf8(title).remove(u'&')));
    for (std::size_t i = 0; i < count; ++i) {
        if (items[i] == 0)
            menu->addSeparator();
        else
            menu->addAction(m_actions.value(items[i]));
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateMenus);
    if (menu->actions().contains(m_actions.value(ID_FILE_MRU_FILE1)))
        m_fileMenus.append(menu);
    return menu;
}

void CMainFrame::createMenus()
{
    for (const MenuInfo& m : EmptyMenus())
        m_emptyMenus.append(buildMenu(m.title, m.items.data(), m.items.size(), false));
    for (const MenuInfo& m : DocumentMenus())
        m_documentMenusList.append(buildMenu(m.title, m.items.data(), m.items.size(), true));
    UpdateRecentFiles();
}

void CMainFrame::UpdateRecentFiles()
{
    QAction* placeholder = m_actions.value(ID_FILE_MRU_FILE1);
    for (QMenu* menu : m_fileMenus)
        for (QAction* old : m_recentActions)
            menu->removeAction(old);
    // Later: one of them may be the entry whose click is being handled.
    for (QAction* old : m_recentActions)
        old->deleteLater();
    m_recentActions.clear();

    const QStringList files = m_app.recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]), this);
        action->setObjectName(QStringLiteral("cmd%1").arg(ID_FILE_MRU_FILE1 + i));
        action->setData(files[i]);
        action->setStatusTip(QStringLiteral("Open this image"));
        connect(action, &QAction::triggered, this, [this, path = files[i]] { m_app.OpenDocumentFile(path); });
        m_recentActions.append(action);
    }
    // The entries stand where the placeholder stands; the placeholder shows
    // only while the list is empty.
    for (QMenu* menu : m_fileMenus)
        menu->insertActions(placeholder, m_recentActions);
    placeholder->setVisible(m_recentActions.isEmpty());
    placeholder->setEnabled(false);
}

void CMainFrame::createToolBar()
{
    m_toolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("Toolbar"));
    m_toolBar->setIconSize(QSize(20, 20));
    for (int id : ToolbarButtons()) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(m_actions.value(id));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    const char* names[5] = {"Message", "Coordinates", "Caps Lock", "Num Lock", "Scroll Lock"};
    for (int i = 0; i < 5; ++i) {
        m_panes[i] = new QLabel(this);
        m_panes[i]->setAccessibleName(QString::fromLatin1(names[i]));
        m_panes[i]->setTextFormat(Qt::PlainText);
    }
    m_panes[0]->setText(QStringLiteral("Ready"));
    m_panes[1]->setText(kCoordinatesText);
    const QFontMetrics metrics(m_panes[1]->font());
    m_panes[1]->setMinimumWidth(metrics.horizontalAdvance(kCoordinatesText) + 8);
    const char* lockTexts[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 2; i < 5; ++i)
        m_panes[i]->setMinimumWidth(metrics.horizontalAdvance(QString::fromLatin1(lockTexts[i - 2])) + 8);
    bar->addWidget(m_panes[0], 1);
    for (int i = 1; i < 5; ++i) {
        m_panes[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(m_panes[i]);
    }
    updateLockKeys();
}

void CMainFrame::createHistogramWindow()
{
    m_histogramDock = new QDockWidget(QStringLiteral("Histogram"), this);
    m_histogramDock->setObjectName(QStringLiteral("Histogram"));
    m_histogramDock->setAllowedAreas(Qt::NoDockWidgetArea);
    m_histogramDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                                 QDockWidget::DockWidgetFloatable);
    m_histogram = new CHistogramBar([this]() -> const Document* {
        CVaroDoc* doc = GetActiveDocument();
        return doc ? &doc->core() : nullptr;
    });
    m_histogramDock->setWidget(m_histogram);
    m_histogramDock->installEventFilter(new HistogramCloseWatcher(this));
    addDockWidget(Qt::RightDockWidgetArea, m_histogramDock);
    m_histogramDock->setFloating(true);
    const QRect frame = frameGeometry();
    m_histogramDock->move(frame.right() - 340, frame.top() + 90);
    m_histogramDock->show();
    m_bHistogram = false; // shown, although the user has not asked for it
}

// --- Routing ------------------------------------------------------------------------

CChildFrame* CMainFrame::MDIGetActive() const { return qobject_cast<CChildFrame*>(m_mdiArea->activeSubWindow()); }

CVaroView* CMainFrame::GetActiveView() const
{
    CChildFrame* frame = MDIGetActive();
    return frame ? frame->view() : nullptr;
}

CVaroDoc* CMainFrame::GetActiveDocument() const
{
    CVaroView* view = GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

QList<CChildFrame*> CMainFrame::childFrames() const
{
    QList<CChildFrame*> frames;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        if (auto* frame = qobject_cast<CChildFrame*>(window))
            frames.append(frame);
    return frames;
}

void CMainFrame::OnCommand(int id)
{
    if (CVaroView* view = GetActiveView()) {
        if (view->OnCmdMsg(id, nullptr) || (view->GetDocument() && view->GetDocument()->OnCmdMsg(id, nullptr))) {
            UpdateMenus();
            return;
        }
    }
    if (!OnCmdMsg(id, nullptr))
        m_app.OnCmdMsg(id, nullptr);
    UpdateMenus();
}

bool CMainFrame::OnCmdMsg(int id, CmdUI* ui)
{
    auto run = [ui](auto&& command) {
        if (!ui)
            command();
        return true;
    };
    switch (id) {
    case ID_VIEW_TOOLBAR:
        if (ui) {
            ui->checked = m_toolBar->isVisible();
            return true;
        }
        m_toolBar->setVisible(!m_toolBar->isVisible());
        return true;
    case ID_VIEW_STATUS_BAR:
        if (ui) {
            ui->checked = statusBar()->isVisible();
            return true;
        }
        statusBar()->setVisible(!statusBar()->isVisible());
        return true;
    case ID_HISTOGRAM_WINDOW:
        if (ui) {
            ui->checked = m_bHistogram;
            return true;
        }
        OnHistogramWindow();
        return true;
    case ID_APP_EXIT: return run([this] { close(); });
    case ID_WINDOW_NEW:
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
    case ID_WINDOW_ARRANGE:
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        if (ui) {
            ui->enabled = MDIGetActive() != nullptr;
            return true;
        }
        if (id == ID_WINDOW_NEW && GetActiveDocument())
            m_app.CreateNewFrame(GetActiveDocument());
        else if (id == ID_WINDOW_CASCADE)
            m_mdiArea->cascadeSubWindows();
        else if (id == ID_WINDOW_TILE_HORZ)
            m_mdiArea->tileSubWindows();
        else if (id == ID_WINDOW_ARRANGE) {
            for (QMdiSubWindow* window : m_mdiArea->subWindowList())
                if (window->isMinimized())
                    window->showMinimized();
        } else if (id == ID_NEXT_PANE)
            m_mdiArea->activateNextSubWindow();
        else if (id == ID_PREV_PANE)
            m_mdiArea->activatePreviousSubWindow();
        return true;
    default: return false;
    }
}

void CMainFrame::UpdateMenus()
{
    const bool documentSet = MDIGetActive() != nullptr;
    if (documentSet != m_documentMenus || !m_menusBuilt) {
        m_documentMenus = documentSet;
        m_menusBuilt = true;
        menuBar()->clear();
        for (QMenu* menu : documentSet ? m_documentMenusList : m_emptyMenus)
            menuBar()->addMenu(menu);
        for (const CommandInfo& command : Commands())
            if (command.emptyText)
                m_actions.value(command.id)->setText(QString::fromUtf8(documentSet ? command.text : command.emptyText));
    }

    CVaroView* view = GetActiveView();
    CVaroDoc* doc = view ? view->GetDocument() : nullptr;
    for (const CommandInfo& command : Commands()) {
        if (command.id == ID_FILE_MRU_FILE1)
            continue;
        CmdUI ui;
        const bool handled = (view && view->OnCmdMsg(command.id, &ui)) || (doc && doc->OnCmdMsg(command.id, &ui)) ||
                             OnCmdMsg(command.id, &ui) || m_app.OnCmdMsg(command.id, &ui);
        QAction* action = m_actions.value(command.id);
        action->setEnabled(handled && ui.enabled);
        if (!ui.text.isEmpty())
            action->setText(ui.text);
        if (command.checkable)
            action->setChecked(handled && ui.checked);
    }
    if (m_bHistogram && m_histogramDock && !m_histogramDock->isVisible())
        m_histogramDock->show();
}

// --- Histogram window ---------------------------------------------------------------

void CMainFrame::OnHistogramWindow()
{
    m_bHistogram = !m_bHistogram;
    CVaroDoc* doc = GetActiveDocument();
    if (!doc)
        return;
    if (m_bHistogram) {
        doc->UpdateHistogram();
        m_histogramDock->show();
        m_histogram->update();
    } else {
        m_histogramDock->hide();
    }
}

// --- Status bar -------------------------------------------------------------------

QLabel* CMainFrame::pane(int index) const { return m_panes[index >= 0 && index < 5 ? index : 0]; }

void CMainFrame::SetStatusText(int index, const QString& text)
{
    QLabel* label = pane(index);
    if (label == m_panes[0])
        statusBar()->clearMessage(); // a menu prompt would hide the text
    label->setText(text);
    label->repaint();
}

QString CMainFrame::statusText(int index) const { return pane(index)->text(); }

void CMainFrame::updateLockKeys()
{
    const LockKeys keys = ReadLockKeys();
    m_panes[2]->setText(keys.caps ? QStringLiteral("CAP") : QString());
    m_panes[3]->setText(keys.num ? QStringLiteral("NUM") : QString());
    m_panes[4]->setText(keys.scroll ? QStringLiteral("SCRL") : QString());
}

// --- Closing and dropping ---------------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_app.SaveAllModified()) {
        event->ignore();
        return;
    }
    for (CChildFrame* frame : childFrames())
        frame->CloseWithoutAsking();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    activateWindow();
    // Opened once the drop is over: opening may ask questions, and the
    // program that dragged the files waits for the drop to end.
    QTimer::singleShot(0, this, [this, urls] {
        for (const QUrl& url : urls)
            if (url.isLocalFile())
                m_app.OpenDocumentFile(url.toLocalFile());
    });
}

} // namespace orvane::app
