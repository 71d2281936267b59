// CMainFrame: the main window. It holds the document windows, the two menu
// sets (without and with a document), the toolbar, the status bar and the
// floating histogram window, and routes every command to the first of the
// active view, its document, itself and the application that handles it.
#pragma once

#include "app/cmd_ui.h"

#include <QHash>
#include <QList>
#include <QMainWindow>

class QDockWidget;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace orvane::app {

class CChildFrame;
class CHistogramBar;
class CVaroApp;
class CVaroDoc;
class CVaroView;

class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    explicit CMainFrame(CVaroApp& app);
    ~CMainFrame() override;

    QMdiArea* mdiArea() const { return m_mdiArea; }
    CChildFrame* MDIGetActive() const;
    CVaroView* GetActiveView() const;
    CVaroDoc* GetActiveDocument() const;
    QList<CChildFrame*> childFrames() const;

    /// The action of a command id (menu item, toolbar button and keys), or
    /// null for an unknown id.
    QAction* action(int id) const { return m_actions.value(id); }
    /// The recent-file entries of the File menu, newest first.
    const QList<QAction*>& recentFileActions() const { return m_recentActions; }
    QToolBar* toolBar() const { return m_toolBar; }

    /// Runs a command through the route: view, document, frame, application.
    void OnCommand(int id);
    bool OnCmdMsg(int id, CmdUI* ui) override;
    /// Puts the menu set that fits (with or without a document) in the menu
    /// bar and brings every command's enabled and checked state up to date.
    void UpdateMenus();
    /// Rebuilds the recent-file entries of the File menus.
    void UpdateRecentFiles();
    /// True while the menu bar shows the set for an active document.
    bool showsDocumentMenus() const { return m_documentMenus; }

    // --- Status bar -----------------------------------------------------------

    /// Replaces a pane's text and repaints it at once: 0 the message pane,
    /// 1 the coordinates, 2 to 4 CAPS, NUM and SCRL; anything else pane 0.
    void SetStatusText(int pane, const QString& text);
    QString statusText(int pane) const;

    // --- Histogram window -----------------------------------------------------

    CHistogramBar* histogramBar() const { return m_histogram; }
    QDockWidget* histogramWindow() const { return m_histogramDock; }
    /// Whether the user has asked for the histogram window.
    bool m_bHistogram = false;
    void OnHistogramWindow();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void createHistogramWindow();
    QMenu* buildMenu(const char* title, const int* items, std::size_t count, bool documentSet);
    void updateLockKeys();
    QLabel* pane(int index) const;

    CVaroApp& m_app;
    QMdiArea* m_mdiArea = nullptr;
    QHash<int, QAction*> m_actions;
    QList<QMenu*> m_emptyMenus;
    QList<QMenu*> m_documentMenusList;
    QList<QMenu*> m_fileMenus;
    QList<QAction*> m_recentActions;
    bool m_documentMenus = false;
    bool m_menusBuilt = false;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_panes[5] = {};
    QDockWidget* m_histogramDock = nullptr;
    CHistogramBar* m_histogram = nullptr;
};

} // namespace orvane::app
