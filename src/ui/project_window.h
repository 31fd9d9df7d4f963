#pragma once
// frmPrj, the project window: the project tree (TW), the property list of the
// selected node (PRP1), the menu bar (ActiveBar21) and the action toolbar
// (actbAction). It shows the project session and forwards every tool to it;
// which tools are shown and enabled comes from project::ToolStates.
//
// Tools are QActions named after the tool ("mnusaveprj"); RunTool runs one by
// name, as the host's EndAPP and DOINFOXML do in the design.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "project/session.h"
#include "project/window_rules.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tessed::ui {

class EditorWindow;

class ProjectWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit ProjectWindow(std::function<void()> minimiseHost = {}, QWidget* parent = nullptr);
    ~ProjectWindow() override;

    // The start-up after the window is shown: QUARN variant, FileToOpen.
    void AutoStart();
    // Runs a menu or action tool by name; false for an unknown or disabled tool.
    bool RunTool(const std::string& name);
    QAction* Tool(const std::string& name) const;

    project::ProjectSession& Session() { return session_; }
    // Selects a node of the tree by key.
    bool SelectNode(const std::string& key);
    std::string SelectedNode() const;
    QTreeWidgetItem* NodeItem(const std::string& key) const;
    // The scenario editor while it is open (this window is hidden meanwhile).
    EditorWindow* Editor() const;
    // The editor's project tools, handed over to this window: "mnunewprj",
    // "mnuapriprj" (its file chosen here and checked as a project file),
    // "mnuviewprj" (back to this window). The editor's scenario is settled
    // first (text 1015), then the project (text 1092); a Cancel anywhere, a
    // cancelled file dialog or a file that is no project changes nothing.
    // Then the editor closes without asking again and this window shows,
    // with the new or opened project. False when nothing was done.
    bool HandOver(const std::string& tool);
    // The language switch of this window's menu and of the editor's: the
    // question (1055, 1056), the editor's scenario, the project, then the new
    // language written and the interface closed; a No or a Cancel changes
    // nothing. False when nothing was done.
    bool SwitchLanguage(const std::string& code);

  signals:
    // The window has decided to close and unloads: the application ends the
    // interface (database, host, AppEnd).
    void unloaded();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void buildBody();
    QAction* addTool(QMenu* menu, const std::string& name, long textId, const QString& icon = {});
    void updateTools();
    void refreshTree(const project::TreeChange& change);
    void rebuildTree();
    QTreeWidgetItem* makeItem(const project::TreeNode& node);
    void updateItem(QTreeWidgetItem* item, const project::TreeNode& node);
    void fillProperties();
    void propertyEdited(QTreeWidgetItem* item, int column);
    QTreeWidgetItem* propertyItem(const std::string& key) const;
    void showHelp(const QString& text);
    void updateProjectLabel();
    void fillLanguages();
    void fillRecent();

    // Runs a long job of the session (open, save, import) on a worker thread;
    // a progress window with text `textId` shows when it takes a while. What
    // the job throws is thrown here.
    void inBackground(long textId, const std::function<void()>& job);
    // Unsaved changes: asks whether to save first. False when the user
    // cancelled, or chose to save and the save failed.
    bool settleChanges();
    bool save(bool askName);
    void openProject(const std::string& file);
    void newProject();
    void compile(const std::string& key);
    // "edit": the scenario in the editor; on its close this window shows again
    // with the scenario's state read anew. `key` empty: a scenario file
    // outside the project, whose editor's close ends the interface.
    void openEditor(const std::string& file, const std::string& key);
    void importProject();
    void importScenario();
    void exportScenario();
    void newScenario();
    void deleteScenario();
    void duplicateScenario();
    // Closes the editor whose changes were settled; this window shows.
    void closeSettledEditor();
    // "mnuesci": true when the window unloads.
    bool quit();
    std::string selectedScenario() const;

    project::ProjectSession session_;
    project::RecentFiles recent_;
    std::function<void()> minimiseHost_;
    std::map<std::string, QAction*> tools_;
    QTreeWidget* tree_ = nullptr;
    QTreeWidget* properties_ = nullptr;
    QLabel* help_ = nullptr;
    QLabel* fileLabel_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    QToolBar* actions_ = nullptr;
    QToolButton* minimise_ = nullptr;
    QToolButton* end_ = nullptr;
    std::map<std::string, QTreeWidgetItem*> items_;
    QPointer<EditorWindow> editor_;
    int listener_ = -1;
    bool fillingProperties_ = false;
    bool unloading_ = false;
    bool busy_ = false;
    // The editor closes to hand a project tool over: this window stays.
    bool handingOver_ = false;
};

}  // namespace tessed::ui
