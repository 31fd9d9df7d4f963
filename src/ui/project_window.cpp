#include "ui/project_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <exception>
#include <filesystem>
#include <thread>

#include "configurator/preparation.h"
#include "env/environment.h"
#include "env/errors.h"
#include "env/messages.h"
#include "env/profile.h"
#include "env/state.h"
#include "env/texts.h"
#include "project/settings.h"
#include "ui/chrome.h"
#include "ui/dialogs.h"
#include "ui/editor_window.h"
#include "ui/splash.h"

namespace tessed::ui {

namespace fs = std::filesystem;
using project::NodeKind;

namespace {

constexpr int kKeyRole = Qt::UserRole + 1;

bool fileExists(const std::string& f) {
    std::error_code ec;
    return fs::is_regular_file(f, ec);
}

std::string title() { return texts::GetText(1002); }

void warn(const std::string& text) { Messages().warning(title(), text); }

}  // namespace

ProjectWindow::ProjectWindow(std::function<void()> minimiseHost, QWidget* parent)
    : QMainWindow(parent), minimiseHost_(std::move(minimiseHost)) {
    setObjectName(QStringLiteral("frmPrj"));
    SetTextId(this, 1002);
    setWindowIcon(ResourceIcon("collezione"));
    buildMenus();
    buildBody();
    recent_.ReadIni();
    fillRecent();
    fillLanguages();
    listener_ = session_.AddTreeListener(
        [this](const project::TreeChange& change) { refreshTree(change); });
    rebuildTree();
    updateProjectLabel();
    updateTools();
    resize(760, 520);
}

ProjectWindow::~ProjectWindow() { session_.RemoveTreeListener(listener_); }

QAction* ProjectWindow::addTool(QMenu* menu, const std::string& name, long textId,
                                const QString& icon) {
    auto* a = new QAction(this);
    a->setObjectName(Q(name));
    SetTextId(a, textId);
    if (!icon.isEmpty()) a->setIcon(ResourceIcon(U(icon)));
    if (menu) menu->addAction(a);
    tools_[name] = a;
    connect(a, &QAction::triggered, this, [this, name] { RunTool(name); });
    return a;
}

void ProjectWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("ActiveBar21"));
    SetAccessibleId(bar, 1922);

    QMenu* file = bar->addMenu(QString());
    file->setObjectName(QStringLiteral("popmnufile"));
    SetTextId(file, 1501);
    addTool(file, "mnunewprj", 1502)->setShortcut(QKeySequence::New);
    addTool(file, "mnuapriprj", 1503)->setShortcut(QKeySequence::Open);
    addTool(file, "mnusaveprj", 1504)->setShortcut(QKeySequence::Save);
    addTool(file, "mnusaveas", 1505)->setShortcut(QKeySequence::SaveAs);
    file->addSeparator();
    addTool(file, "mnuimportprj", 1506);
    QAction* sep = file->addSeparator();
    sep->setObjectName(QStringLiteral("Tool11"));
    tools_["Tool11"] = sep;
    for (int i = 1; i <= project::RecentFiles::kCount; ++i)
        addTool(file, "mnufilecfg" + std::to_string(i), 0);
    file->addSeparator();
    addTool(file, "mnuesci", 1507)->setShortcut(QKeySequence::Quit);

    QMenu* scripts = bar->addMenu(QString());
    scripts->setObjectName(QStringLiteral("popupscripts"));
    SetTextId(scripts, 1508);
    addTool(scripts, "mnunew", 1509)->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    addTool(scripts, "mnuapri", 1510)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    scripts->addSeparator();
    addTool(scripts, "mnucompila", 1511)->setShortcut(QKeySequence(Qt::Key_F7));
    addTool(scripts, "mnucompall", 1512)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F7));
    scripts->addSeparator();
    addTool(scripts, "delscript", 1513)->setShortcut(QKeySequence::Delete);
    addTool(scripts, "duplicate", 1514)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    scripts->addSeparator();
    addTool(scripts, "exportscript", 1515);
    addTool(scripts, "importscript", 1516);

    QMenu* tools = bar->addMenu(QString());
    tools->setObjectName(QStringLiteral("popuptools"));
    SetTextId(tools, 1517);
    languageMenu_ = tools->addMenu(QString());
    languageMenu_->setObjectName(QStringLiteral("mnulanguage"));
    SetTextId(languageMenu_, 1518);
    tools_["mnulanguage"] = languageMenu_->menuAction();
    tools->addSeparator();
    addTool(tools, "mnuinfo", 1519)->setShortcut(QKeySequence::HelpContents);

    // The action toolbar: the scenario tools with their pictures and texts.
    actions_ = addToolBar(QString());
    actions_->setObjectName(QStringLiteral("actbAction"));
    SetTextId(actions_, 1508);
    actions_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    actions_->setMovable(false);
    struct ActionTool {
        const char* name;
        long text;
        const char* icon;
    };
    for (const ActionTool& t : {ActionTool{"new", 1509, "scriptok"},
                                {"edit", 1510, "collezione"},
                                {"compile", 1511, "vbblue"},
                                {"compileall", 1512, "tutti_gli_scenari"},
                                {"delete", 1513, "scripterror"},
                                {"duplicate", 1514, "scriptko"},
                                {"esporta", 1515, "abilita"}}) {
        // "duplicate" is a menu tool too: the toolbar's own action shares it.
        QAction* a = std::string(t.name) == "duplicate" ? tools_["duplicate"]
                                                        : addTool(nullptr, t.name, t.text);
        a->setIcon(ResourceIcon(t.icon));
        actions_->addAction(a);
    }

    // The design's own minimise and close pictures: close is the window's
    // close as well; minimise hands the host window the minimise command and
    // is there only when a host window was given.
    auto* corner = new QWidget(bar);
    auto* cornerLayout = new QHBoxLayout(corner);
    cornerLayout->setContentsMargins(0, 0, 4, 0);
    minimise_ = new QToolButton(corner);
    minimise_->setObjectName(QStringLiteral("imgMinimaze"));
    SetTextId(minimise_, 1521, 1521);
    minimise_->setVisible(Host().ParentHandle != 0);
    connect(minimise_, &QToolButton::clicked, this, [this] {
        if (minimiseHost_) minimiseHost_();
    });
    end_ = new QToolButton(corner);
    end_->setObjectName(QStringLiteral("imgEnd"));
    SetTextId(end_, 1522, 1522);
    connect(end_, &QToolButton::clicked, this, [this] { RunTool("mnuesci"); });
    cornerLayout->addWidget(minimise_);
    cornerLayout->addWidget(end_);
    bar->setCornerWidget(corner);
}

void ProjectWindow::buildBody() {
    auto* work = new QWidget(this);
    work->setObjectName(QStringLiteral("pctWork"));
    auto* layout = new QVBoxLayout(work);
    fileLabel_ = new QLabel(work);
    fileLabel_->setObjectName(QStringLiteral("lblFilePRJ"));
    fileLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(fileLabel_);

    auto* split = new QSplitter(Qt::Horizontal, work);
    split->setObjectName(QStringLiteral("pctSplit"));
    split->setChildrenCollapsible(false);
    tree_ = new QTreeWidget(split);
    tree_->setObjectName(QStringLiteral("TW"));
    tree_->setHeaderHidden(true);
    tree_->setMinimumWidth(180);
    SetAccessibleId(tree_, 1563);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] {
        fillProperties();
        updateTools();
    });
    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (project::KindOfNode(U(item->data(0, kKeyRole).toString())) == NodeKind::Scenario)
            RunTool("edit");
    });

    auto* right = new QWidget(split);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    properties_ = new QTreeWidget(right);
    properties_->setObjectName(QStringLiteral("PRP1"));
    properties_->setColumnCount(2);
    properties_->setRootIsDecorated(false);
    properties_->setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
        QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    properties_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    properties_->header()->setStretchLastSection(true);
    properties_->setMinimumWidth(280);
    SetAccessibleId(properties_, 1500);
    connect(properties_, &QTreeWidget::itemChanged, this, &ProjectWindow::propertyEdited);
    connect(properties_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { showHelp(item ? item->toolTip(1) : QString()); });
    help_ = new QLabel(right);
    help_->setObjectName(QStringLiteral("lblHelp"));
    help_->setWordWrap(true);
    help_->setMinimumHeight(fontMetrics().lineSpacing() * 3);
    help_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    help_->setFrameShape(QFrame::StyledPanel);
    rightLayout->addWidget(properties_, 1);
    rightLayout->addWidget(help_);
    split->addWidget(tree_);
    split->addWidget(right);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    layout->addWidget(split, 1);
    setCentralWidget(work);

    // F2 renames: the scenario's name is its "FILE" property.
    auto* rename = new QAction(this);
    rename->setObjectName(QStringLiteral("rename"));
    rename->setShortcut(QKeySequence(Qt::Key_F2));
    rename->setShortcutContext(Qt::WindowShortcut);
    connect(rename, &QAction::triggered, this, [this] {
        for (int i = 0; i < properties_->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = properties_->topLevelItem(i);
            if (U(item->data(0, kKeyRole).toString()).ends_with("$FILE")) {
                properties_->setCurrentItem(item, 1);
                properties_->setFocus();
                properties_->editItem(item, 1);
            }
        }
    });
    addAction(rename);
}

QAction* ProjectWindow::Tool(const std::string& name) const {
    auto it = tools_.find(name);
    return it == tools_.end() ? nullptr : it->second;
}

std::string ProjectWindow::SelectedNode() const {
    QTreeWidgetItem* item = tree_->currentItem();
    return item ? U(item->data(0, kKeyRole).toString()) : std::string();
}

std::string ProjectWindow::selectedScenario() const {
    return project::ScenarioKeyOfNode(SelectedNode());
}

QTreeWidgetItem* ProjectWindow::NodeItem(const std::string& key) const {
    auto it = items_.find(key);
    return it == items_.end() ? nullptr : it->second;
}

bool ProjectWindow::SelectNode(const std::string& key) {
    QTreeWidgetItem* item = NodeItem(key);
    if (!item) return false;
    tree_->setCurrentItem(item);
    return true;
}

void ProjectWindow::updateTools() {
    project::WindowSituation s;
    s.quarnHost = Host().isQuarnHost();
    s.selected = project::KindOfNode(SelectedNode());
    auto p = session_.Project();
    s.scenarioCount = p ? int(p->Scenari()->Count()) : 0;
    s.recentFiles = recent_.Entries();
    for (const auto& [name, state] : project::ToolStates(s)) {
        QAction* a = Tool(name);
        if (!a) continue;
        a->setVisible(state.visible);
        a->setEnabled(state.enabled);
        if (state.captionId) {
            SetTextId(a, state.captionId);
            a->setText(Text(state.captionId));
        }
    }
}

void ProjectWindow::AutoStart() {
    updateTools();
    // A scenario file to open goes straight into the editor, without a project.
    std::string file = Host().FileToOpen;
    std::erase(file, '"');
    if (file.size() > 4 &&
        QString::fromStdString(file.substr(file.size() - 4)).toLower() == ".tdx") {
        updateProjectLabel();
        openEditor(file, {});
        return;
    }
    const project::StartPlan plan = project::PlanStart(Host(), fileExists);
    if (plan.kind == project::StartPlan::NewProject) {
        session_.NewProject();
    } else if (plan.kind == project::StartPlan::Open) {
        openProject(plan.file);
        session_.SetChanged(false);
    }
    updateProjectLabel();
    updateTools();
}

// --- the tree -------------------------------------------------------------

QTreeWidgetItem* ProjectWindow::makeItem(const project::TreeNode& node) {
    QTreeWidgetItem* parent = node.parent.empty() ? nullptr : NodeItem(node.parent);
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    item->setData(0, kKeyRole, Q(node.key));
    items_[node.key] = item;
    updateItem(item, node);
    if (parent) parent->setExpanded(true);
    return item;
}

void ProjectWindow::updateItem(QTreeWidgetItem* item, const project::TreeNode& node) {
    item->setText(0, Q(node.text));
    item->setIcon(0, ResourceIcon(node.image));
    // The state image says what screen-reader users must hear too.
    QString state;
    if (node.image == "scriptok")
        state = Text(1590);
    else if (node.image == "scriptko")
        state = Text(1591);
    else if (node.image == "scripterror")
        state = Text(1592);
    item->setData(0, Qt::AccessibleDescriptionRole, state);
    item->setToolTip(0, state);
    item->setData(0, Qt::UserRole + 2, Q(node.image));
}

void ProjectWindow::rebuildTree() {
    const std::string selected = SelectedNode();
    QSignalBlocker block(tree_);
    tree_->clear();
    items_.clear();
    for (const auto& node : session_.Tree().Nodes()) makeItem(node);
    block.unblock();
    if (!SelectNode(selected) && tree_->topLevelItemCount() > 0)
        tree_->setCurrentItem(tree_->topLevelItem(0));
    fillProperties();
}

void ProjectWindow::refreshTree(const project::TreeChange& change) {
    if (change.replaced) {
        rebuildTree();
    } else {
        for (const auto& key : change.removed) {
            QTreeWidgetItem* item = NodeItem(key);
            if (!item) continue;
            // Its children go with it.
            for (auto it = items_.begin(); it != items_.end();) {
                QTreeWidgetItem* p = it->second;
                bool under = false;
                for (QTreeWidgetItem* q = p; q; q = q->parent())
                    if (q == item) under = true;
                it = under ? items_.erase(it) : std::next(it);
            }
            delete item;
        }
        for (const auto& key : change.added)
            if (const project::TreeNode* n = session_.Tree().Find(key)) {
                QTreeWidgetItem* item = makeItem(*n);
                if (project::KindOfNode(key) == NodeKind::Scenario) tree_->scrollToItem(item);
            }
        for (const auto& key : change.changed)
            if (const project::TreeNode* n = session_.Tree().Find(key))
                if (QTreeWidgetItem* item = NodeItem(key)) updateItem(item, *n);
        if (!tree_->currentItem() && tree_->topLevelItemCount() > 0)
            tree_->setCurrentItem(tree_->topLevelItem(0));
        fillProperties();
    }
    updateProjectLabel();
    updateTools();
}

// --- the property list ------------------------------------------------------

void ProjectWindow::fillProperties() {
    if (fillingProperties_) return;
    fillingProperties_ = true;
    QSignalBlocker block(properties_);
    properties_->clear();
    const std::string node = SelectedNode();
    project::PropertyList list;
    if (!node.empty()) list = session_.Properties(node);
    properties_->setHeaderLabels({Q(list.heading), QString()});
    QTreeWidgetItem* group = nullptr;
    std::string category;
    for (const auto& p : list.items) {
        QTreeWidgetItem* item;
        if (!p.category.empty() && p.category != category) {
            category = p.category;
            group = new QTreeWidgetItem(properties_, {Q(p.category)});
            group->setFirstColumnSpanned(true);
            QFont f = group->font(0);
            f.setBold(true);
            group->setFont(0, f);
            group->setFlags(Qt::ItemIsEnabled);
        }
        item = group && !p.category.empty() ? new QTreeWidgetItem(group)
                                            : new QTreeWidgetItem(properties_);
        item->setText(0, Q(p.caption));
        item->setText(1, Q(p.value));
        item->setData(0, kKeyRole, Q(p.key));
        item->setToolTip(0, Q(p.description));
        item->setToolTip(1, Q(p.description));
        if (!p.image.empty()) item->setIcon(0, ResourceIcon(p.image));
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (p.editable) flags |= Qt::ItemIsEditable;
        item->setFlags(flags);
    }
    properties_->expandAll();
    properties_->setRootIsDecorated(group != nullptr);
    showHelp({});
    block.unblock();
    // The first row is current, so its description shows below the list.
    for (QTreeWidgetItemIterator it(properties_); *it; ++it)
        if (!(*it)->data(0, kKeyRole).toString().isEmpty()) {
            properties_->setCurrentItem(*it, 0, QItemSelectionModel::NoUpdate);
            showHelp((*it)->toolTip(1));
            break;
        }
    fillingProperties_ = false;
}

void ProjectWindow::propertyEdited(QTreeWidgetItem* item, int column) {
    if (fillingProperties_ || column != 1) return;
    const std::string key = U(item->data(0, kKeyRole).toString());
    if (key.empty()) return;
    std::string shown, error;
    const bool ok = session_.SetProperty(key, U(item->text(1)), shown, error);
    // The session reports the changed node, and the list may have been
    // filled again meanwhile: the item is found anew by its key. It shows
    // what was stored (a name cut to 15 characters, a refused value restored).
    if (QTreeWidgetItem* now = propertyItem(key)) {
        QSignalBlocker block(properties_);
        now->setText(1, Q(shown));
    }
    if (!ok && !error.empty()) warn(error);
    updateProjectLabel();
    updateTools();
}

void ProjectWindow::showHelp(const QString& text) {
    // Only rows that have a description use the space below the list.
    help_->setText(text);
    help_->setVisible(!text.isEmpty());
}

QTreeWidgetItem* ProjectWindow::propertyItem(const std::string& key) const {
    const QString k = Q(key);
    for (QTreeWidgetItemIterator it(properties_); *it; ++it)
        if ((*it)->data(0, kKeyRole).toString() == k) return *it;
    return nullptr;
}

void ProjectWindow::updateProjectLabel() {
    std::string name = Host().ProjectName;
    auto p = session_.Project();
    if (name.empty() && p) name = p->Nome;
    if (name.empty() && !Host().ProjectFile.empty())
        name = fs::path(Host().ProjectFile).filename().string();
    const bool open = session_.Tree().Find(project::kNodeProject) != nullptr;
    fileLabel_->setText(Text(1523) + QLatin1Char(' ') + (open ? Q(name) : Text(1524)));
    QString t = Text(1002);
    if (open && !Host().ProjectFile.empty())
        t = Q(fs::path(Host().ProjectFile).filename().string()) + QStringLiteral(" - ") + t;
    // "[*]" is where the desktop shows that the project has unsaved changes.
    setWindowTitle(t + QStringLiteral("[*]"));
    setWindowModified(session_.Changed());
}

void ProjectWindow::fillLanguages() {
    languageMenu_->clear();
    for (const auto& l : env::Env().languages()) {
        auto* a = languageMenu_->addAction(Q(l.caption));
        a->setObjectName(Q(l.name));
        a->setProperty("languageId", l.id);
        a->setData(Q(l.tag));
        a->setCheckable(true);
        a->setChecked(l.checked);
        connect(a, &QAction::triggered, this, [this, a] {
            // The menu keeps showing the language in use until the switch is done.
            a->setChecked(U(a->data().toString()) == env::Env().currentLanguage());
            SwitchLanguage(U(a->data().toString()));
        });
    }
}

void ProjectWindow::fillRecent() {
    const auto& entries = recent_.Entries();
    for (int i = 0; i < project::RecentFiles::kCount; ++i) {
        QAction* a = Tool("mnufilecfg" + std::to_string(i + 1));
        const std::string& f = entries[size_t(i)];
        // "&1 name" : the position is the mnemonic, the path the tool tip.
        a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(
            Q(fs::path(f).filename().string()).replace(QLatin1Char('&'), QLatin1String("&&"))));
        a->setToolTip(Q(f));
        a->setData(Q(f));
    }
    updateTools();
}

// --- tools ------------------------------------------------------------------

void ProjectWindow::inBackground(long textId, const std::function<void()>& job) {
    // While the job runs on its thread the session is its alone: the tree
    // stops listening, the window takes no input, and only painting goes on.
    // The tree is shown anew from the session afterwards.
    busy_ = true;
    session_.RemoveTreeListener(listener_);
    centralWidget()->setEnabled(false);
    menuBar()->setEnabled(false);
    actions_->setEnabled(false);
    BusyCursor cursor;
    QProgressDialog progress(Text(textId), QString(), 0, 0, this);
    progress.setObjectName(QStringLiteral("progress"));
    progress.setWindowTitle(Text(1002));
    progress.setCancelButton(nullptr);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);  // quick jobs show nothing
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    progress.reset();
    centralWidget()->setEnabled(true);
    menuBar()->setEnabled(true);
    actions_->setEnabled(true);
    listener_ = session_.AddTreeListener(
        [this](const project::TreeChange& change) { refreshTree(change); });
    busy_ = false;
    rebuildTree();
    updateProjectLabel();
    updateTools();
    if (failure) std::rethrow_exception(failure);
}

bool ProjectWindow::RunTool(const std::string& name) {
    if (busy_) return false;
    QAction* a = Tool(name);
    if (!a || !a->isEnabled() || (!a->isVisible() && name != "mnuesci" && name != "mnusaveprj"))
        return false;
    try {
        if (name == "mnunewprj") {
            if (settleChanges()) newProject();
        } else if (name == "mnuapriprj") {
            if (!settleChanges()) return true;
            auto f = Files().openFile(this, Text(1503), Text(1640), QStringLiteral("*.tdj"),
                                      env::Env().documentsFolder().string());
            if (f) openProject(*f);
        } else if (name.rfind("mnufilecfg", 0) == 0) {
            const std::string f = U(a->data().toString());
            if (!f.empty() && settleChanges()) openProject(f);
        } else if (name == "mnusaveprj") {
            save(Host().ProjectFile.empty());
        } else if (name == "mnusaveas") {
            save(true);
        } else if (name == "mnuimportprj") {
            importProject();
        } else if (name == "importscript") {
            importScenario();
        } else if (name == "new" || name == "mnunew") {
            newScenario();
        } else if (name == "edit" || name == "mnuapri") {
            const std::string key = selectedScenario();
            if (auto s = session_.Project()->Scenari()->Item(key)) openEditor(s->FullPath, key);
        } else if (name == "compile" || name == "mnucompila") {
            compile(selectedScenario());
        } else if (name == "compileall" || name == "mnucompall") {
            compile({});
        } else if (name == "delete" || name == "delscript") {
            deleteScenario();
        } else if (name == "duplicate") {
            duplicateScenario();
        } else if (name == "esporta" || name == "exportscript") {
            exportScenario();
        } else if (name == "mnuinfo") {
            SplashWindow about(SplashWindow::Role::About, this);
            about.exec();
        } else if (name == "mnuesci") {
            quit();
        } else {
            return false;
        }
    } catch (const ProjectError& e) {
        warn(e.what());
    }
    updateProjectLabel();
    updateTools();
    return true;
}

bool ProjectWindow::settleChanges() {
    if (!session_.Changed()) return true;
    const long q = project::SaveQuestion(Host().isQuarnHost());
    switch (Messages().yesNoCancel(title(), texts::GetText(q))) {
        case Answer::Yes:
            return save(Host().ProjectFile.empty()) && !session_.Changed();
        case Answer::No:
            return true;
        default:
            return false;
    }
}

bool ProjectWindow::save(bool askName) {
    std::string target = Host().ProjectFile;
    if (askName) {
        std::string proposed = target.empty() ? env::Env().documentsFolder().string() : target;
        auto f = Files().saveFile(this, Text(1505), Text(1640), QStringLiteral("*.tdj"), proposed);
        if (!f) return false;
        target = WithExtension(*f, ".tdj");
    }
    std::string err;
    inBackground(1504, [&] { err = session_.SaveProject(target); });
    if (!err.empty()) {
        warn(texts::GetText(1020) + "\n" + err);
        return false;
    }
    Host().ProjectFile = target;
    recent_.SaveFileCfgToIni(target);
    session_.SetChanged(false);
    fillRecent();
    updateProjectLabel();
    return true;
}

void ProjectWindow::newProject() {
    session_.NewProject();
    Host().ProjectFile.clear();
    SelectNode(project::kNodeProject);
}

void ProjectWindow::openProject(const std::string& file) {
    std::string message;
    bool complete = false;
    try {
        inBackground(1503, [&] { complete = session_.LoadFilePrj(file, message); });
    } catch (const ProjectError& e) {
        warn(e.what());
        updateProjectLabel();
        return;
    }
    if (!complete && !message.empty()) warn(message);
    recent_.SaveFileCfgToIni(file);
    fillRecent();
    SelectNode(project::kNodeProject);
}

void ProjectWindow::compile(const std::string& key) {
    if (key.empty() && session_.Project()->Scenari()->Count() == 0) return;
    auto prepared = session_.PrepareCompile(key);
    RunCompileWindow(this, *prepared.run);
    session_.FinishCompile(prepared);
}

EditorWindow* ProjectWindow::Editor() const { return editor_; }

void ProjectWindow::openEditor(const std::string& file, const std::string& key) {
    if (editor_) {
        editor_->show();
        editor_->raise();
        editor_->activateWindow();
        return;
    }
    auto* editor = new EditorWindow;
    editor->setAttribute(Qt::WA_DeleteOnClose);
    // The editor's project tools and language menu are this window's.
    editor->projectCommand = [this](const std::string& tool, const std::string& language) {
        if (tool == "mnulang")
            SwitchLanguage(language);
        else
            HandOver(tool);
    };
    ApplyCaptions(editor);
    if (!editor->OpenFile(file)) {
        delete editor;
        return;
    }
    editor_ = editor;
    connect(editor, &EditorWindow::closed, this, [this, key] {
        // It is deleted once its close has returned; an "edit" meanwhile opens
        // a new one.
        editor_ = nullptr;
        if (key.empty() && !handingOver_) {
            // Opened on a file of its own: closing the editor ends the interface.
            QMetaObject::invokeMethod(
                this, [this] { RunTool("mnuesci"); }, Qt::QueuedConnection);
            return;
        }
        // The editor may have saved and compiled the scenario: its state is
        // read from its files again.
        if (auto s = session_.Project()->Scenari()->Item(key)) {
            session_.RefreshState(*s);
            const std::string node = project::ScenarioNodeKey(key);
            if (const project::TreeNode* n = session_.Tree().Find(node))
                if (QTreeWidgetItem* item = NodeItem(node)) updateItem(item, *n);
        }
        show();
        raise();
        activateWindow();
        updateTools();
    });
    hide();
    editor->show();
}

void ProjectWindow::newScenario() {
    auto name = AskNewScenarioName(this);
    if (!name) return;
    auto s = session_.NewScenario(*name);
    if (s) SelectNode(project::ScenarioNodeKey(s->Key));
}

void ProjectWindow::deleteScenario() {
    const std::string key = selectedScenario();
    if (key.empty()) return;
    if (Messages().yesNo(title(), texts::GetText(1028)) != Answer::Yes) return;
    session_.DeleteScenario(key);
}

void ProjectWindow::duplicateScenario() {
    const std::string key = selectedScenario();
    if (key.empty()) return;
    if (auto s = session_.DuplicateScenario(key)) SelectNode(project::ScenarioNodeKey(s->Key));
}

void ProjectWindow::exportScenario() {
    const std::string key = selectedScenario();
    auto s = key.empty() ? nullptr : session_.Project()->Scenari()->Item(key);
    if (!s) return;
    std::error_code ec;
    fs::create_directories(env::Env().exportFolder(), ec);
    const std::string proposed =
        (env::Env().exportFolder() / fs::path(s->FullPath).filename()).string();
    auto f = Files().saveFile(this, Text(1515), Text(1641), QStringLiteral("*.tdx"), proposed);
    if (!f) return;
    std::string message;
    if (!session_.ExportScenario(key, *f, message)) warn(message);
}

void ProjectWindow::importScenario() {
    auto f = Files().openFile(this, Text(1516), Text(1641), QStringLiteral("*.tdx"),
                              env::Env().exportFolder().string());
    if (!f) return;
    BusyCursor busy;
    if (auto s = session_.ImportScenarioFile(*f)) SelectNode(project::ScenarioNodeKey(s->Key));
}

void ProjectWindow::importProject() {
    auto f = Files().openFile(this, Text(1506), Text(1640), QStringLiteral("*.tdj"),
                              env::Env().documentsFolder().string());
    if (!f) return;
    std::vector<project::ImportRow> rows;
    inBackground(1506, [&] { rows = session_.OpenProjectForImport(*f); });
    struct Close {
        project::ProjectSession& s;
        ~Close() { s.CloseImport(); }
    } close{session_};
    if (!ChooseScenariosToImport(this, rows)) return;
    std::string message;
    inBackground(1506, [&] { session_.ImportScenarios(rows, message); });
    if (!message.empty()) warn(message);
}

bool ProjectWindow::SwitchLanguage(const std::string& code) {
    if (code.empty() || code == env::Env().currentLanguage()) return false;
    if (Messages().yesNo(title(), texts::GetText(1055) + "\n" + texts::GetText(1056)) !=
        Answer::Yes)
        return false;
    // The scenario in the editor first, then the project: the working tables
    // and the working folder go with the interface.
    if (editor_ && !editor_->SettleChanges()) return false;
    if (!settleChanges()) return false;
    if (!profile::WriteString(env::Env().configFile(), "GENERALE", "LINGUA", code)) {
        warn(texts::GetText(1020));
        return false;
    }
    // Nothing is left to save: the windows close and the new language applies
    // at the next start.
    session_.SetChanged(false);
    if (editor_) closeSettledEditor();
    quit();
    return true;
}

bool ProjectWindow::HandOver(const std::string& tool) {
    if (!editor_ || busy_) return false;
    if (tool != "mnunewprj" && tool != "mnuapriprj" && tool != "mnuviewprj") return false;
    if (!editor_->SettleChanges()) return false;
    std::string file;
    if (tool == "mnuapriprj") {
        auto f = Files().openFile(editor_, Text(1503), Text(1640), QStringLiteral("*.tdj"),
                                  env::Env().documentsFolder().string());
        if (!f) return false;
        file = WithExtension(*f, ".tdj");
        std::string checked = file;
        if (project::OpenPrj(checked) != -1) {
            warn(texts::GetText(1031));
            return false;
        }
    }
    // A new or opened project replaces this one and its working folder.
    if (tool != "mnuviewprj" && !settleChanges()) return false;
    closeSettledEditor();
    try {
        if (tool == "mnunewprj") newProject();
        if (tool == "mnuapriprj") openProject(file);
    } catch (const ProjectError& e) {
        warn(e.what());
    }
    updateProjectLabel();
    updateTools();
    return true;
}

void ProjectWindow::closeSettledEditor() {
    if (!editor_) return;
    handingOver_ = true;
    editor_->CloseSettled();
    handingOver_ = false;
}

bool ProjectWindow::quit() {
    if (unloading_) return true;
    // The editor settles its scenario first (and may be kept open), before
    // the project and its working tables go.
    if (editor_ && !editor_->close()) return false;
    // Unsaved changes: Yes saves (and a failed save keeps the window open),
    // No drops them, Cancel keeps the window open.
    if (!settleChanges()) return false;
    unloading_ = true;
    // The configurator started from this window goes with it.
    configurator::EndConfigurator();
    emit unloaded();
    return true;
}

void ProjectWindow::closeEvent(QCloseEvent* event) {
    if (unloading_ || quit()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace tessed::ui
