// The application on screen: start-up and shut-down through Edit.Show, the
// project window's tree, property list and tools, driven as a user would
// (actions by tool name, keys, scripted message boxes and file choosers).
#include "ui/application.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <csignal>
#include <deque>
#include <fstream>
#include <functional>

#include "configurator/preparation.h"
#include "edit.h"
#include "env/environment.h"
#include "env/profile.h"
#include "env/state.h"
#include "env/texts.h"
#include "model/scenario_file.h"
#include "support/test_env.h"
#include "ui/chrome.h"
#include "ui/dialogs.h"
#include "ui/project_window.h"
#include "window_support.h"

using namespace tessed;
namespace fs = std::filesystem;

namespace {

fs::path demoProject() { return fs::path(TESSED_DEMO_PROJECT); }

// Runs `act` on the visible top-level window `name` once it is shown (from
// inside the modal loop that shows it), polling every 20 ms.
void whenShown(const char* name, std::function<bool(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [=] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != name || !w->isVisible()) continue;
            if (act(w)) {
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
    });
    timer->start();
}

}  // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<Edit> edit_;
    std::shared_ptr<test::ScriptedMessages> messages_;
    std::shared_ptr<test::ScriptedFiles> files_;
    int appEnds_ = 0;

    fs::path data() const { return dir_->path() / "data"; }

    // A fresh data folder seeded from the build's catalogue, and a new Edit.
    void makeEdit() {
        edit_.reset();
        env::Env().CloseConnection();
        texts::Clear();
        Host() = HostSettings{};
        Flags() = RuntimeFlags{};
        edit_ = std::make_unique<Edit>();
        appEnds_ = 0;
        edit_->setAppEndHandler([this] { ++appEnds_; });
    }

    // Shows the interface and waits for the project window.
    ui::ProjectWindow* start(const std::string& fileToOpen = {}) {
        if (!fileToOpen.empty()) edit_->setFileToOpen(fileToOpen);
        edit_->Show();
        if (!QTest::qWaitFor([] { return ui::CurrentProjectWindow() != nullptr; }, 5000))
            return nullptr;
        return ui::CurrentProjectWindow();
    }

    fs::path copyDemo(const std::string& name = "house.tdj") {
        fs::path p = dir_->path() / name;
        fs::copy_file(demoProject(), p, fs::copy_options::overwrite_existing);
        return p;
    }

    void endInterface() {
        if (!ui::Running()) return;
        messages_->answers.push_back(Answer::No);
        edit_->EndAPP();
        QTRY_VERIFY(!ui::Running());
    }

  private slots:
    void init() {
        dir_ = std::make_unique<test::TempDir>();
        ::setenv("TESSED_DATA_DIR", data().c_str(), 1);
        ::setenv("TESSED_DOCUMENTS_DIR", (dir_->path() / "docs").c_str(), 1);
        ::setenv("TESSED_SHARE_DIR", TESSED_BINARY_DIR, 1);
        ui::SetSplashDelay(0);
        ui::SetInstallMessageBoxes(false);
        messages_ = std::make_shared<test::ScriptedMessages>();
        SetMessages(messages_);
        files_ = std::make_shared<test::ScriptedFiles>();
        ui::SetFiles(files_);
        makeEdit();
    }

    void cleanup() {
        endInterface();
        QTest::qWait(0);
        edit_.reset();
        ui::SetFiles(nullptr);
        SetMessages(nullptr);
        env::Env().CloseConnection();
        dir_.reset();
    }

    void startUpShowsSplashThenTheProjectWindow() {
        ui::SetSplashDelay(200);
        edit_->Show();
        QVERIFY(ui::CurrentSplash() && ui::CurrentSplash()->isVisible());
        auto* version = ui::CurrentSplash()->findChild<QLabel*>("lblVersion");
        QVERIFY(version);
        QCOMPARE(version->text(), QStringLiteral("version 4.0\n build     11"));
        QTRY_VERIFY(ui::CurrentProjectWindow() && ui::CurrentProjectWindow()->isVisible());
        QTRY_VERIFY(!ui::CurrentSplash());
        auto* w = ui::CurrentProjectWindow();
        // Captions come from the label table, with a mnemonic each.
        auto* file = w->findChild<QMenu*>("popmnufile");
        QCOMPARE(file->title().remove('&'), ui::Text(1501));
        QVERIFY(file->title().contains('&'));
        QCOMPARE(w->Tool("mnusaveprj")->text().remove('&'), ui::Text(1504));
        QCOMPARE(w->findChild<QTreeWidget*>("TW")->accessibleName(), ui::Text(1563));
        QVERIFY(Flags().started);
        // A second Show only brings the window forward.
        edit_->Show();
        int windows = 0;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->objectName() == "frmPrj" && t->isVisible()) ++windows;
        QCOMPARE(windows, 1);
        QCOMPARE(ui::CurrentProjectWindow(), w);
        edit_->EndAPP();
        QTRY_VERIFY(!ui::Running());
        QCOMPARE(appEnds_, 1);
        QVERIFY(!ui::CurrentProjectWindow());
    }

    void aDataFolderWithoutCatalogueEndsTheInterface() {
        for (const auto& e : fs::directory_iterator(data() / "dat"))
            if (e.path().extension() == ".mdb") fs::remove(e.path());
        edit_->setModal(true);
        edit_->Show();  // returns: the splash goes with the failure
        QCOMPARE(appEnds_, 1);
        QVERIFY(!ui::Running());
        QVERIFY(Flags().systemDbFailed);
        QCOMPARE(messages_->calls.size(), size_t(1));
        QCOMPARE(messages_->calls[0].kind, std::string("critical"));
        QTest::qWait(0);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }

    void modalShowReturnsOnlyAfterTheWindowClosed() {
        edit_->setModal(true);
        std::vector<std::string> seen;
        QTimer poll;
        poll.setInterval(20);
        int step = 0;
        connect(&poll, &QTimer::timeout, [&] {
            auto* w = ui::CurrentProjectWindow();
            if (!w) return;
            if (step == 0) {
                edit_->setWindowsState(1);  // hidden: the modal wait goes on
                seen.push_back(w->isVisible() ? "visible" : "hidden");
                step = 1;
            } else if (step == 1) {
                edit_->setWindowsState(2);  // nothing
                seen.push_back(w->isVisible() ? "visible" : "hidden");
                edit_->setWindowsState(0);
                seen.push_back(w->isVisible() ? "visible" : "hidden");
                step = 2;
            } else if (step == 2) {
                edit_->EndAPP();
                step = 3;
            }
        });
        poll.start();
        edit_->Show();
        poll.stop();
        QCOMPARE(appEnds_, 1);
        QVERIFY(!ui::Running());
        QCOMPARE(seen, (std::vector<std::string>{"hidden", "hidden", "visible"}));
    }

    void theDemoProjectsTree() {
        auto* w = start(copyDemo().string());
        QVERIFY(w);
        auto* tree = w->findChild<QTreeWidget*>("TW");
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem* root = tree->topLevelItem(0);
        QCOMPARE(root->text(0), ui::Text(1563));
        QCOMPARE(root->childCount(), 2);
        QTreeWidgetItem* all = w->NodeItem(project::kNodeAllScenarios);
        QVERIFY(all);
        QCOMPARE(all->childCount(), 7);
        for (int i = 0; i < all->childCount(); ++i) {
            QTreeWidgetItem* s = all->child(i);
            const std::string key = s->data(0, Qt::UserRole + 1).toString().toStdString();
            QCOMPARE(s->childCount(), 2);
            QCOMPARE(s->child(0)->data(0, Qt::UserRole + 1).toString().toStdString(),
                     key + "$ABILITA");
            QCOMPARE(s->child(1)->data(0, Qt::UserRole + 1).toString().toStdString(),
                     key + "$DISABILITA");
            // The shipped demo carries no compiled files.
            QCOMPARE(s->data(0, Qt::UserRole + 2).toString(), QStringLiteral("scriptko"));
            QCOMPARE(s->toolTip(0), ui::Text(1591));
        }
        QCOMPARE(all->child(0)->text(0), QStringLiteral("Good morning"));
        // No scenario selected: the scenario tools wait for one.
        w->SelectNode(project::kNodeProject);
        QVERIFY(!w->Tool("edit")->isEnabled());
        QVERIFY(w->Tool("compileall")->isEnabled());
        w->SelectNode(project::ScenarioNodeKey(
            all->child(0)->data(0, Qt::UserRole + 1).toString().toStdString().substr(9)));
        QVERIFY(w->Tool("edit")->isEnabled());
        QVERIFY(w->Tool("delete")->isEnabled());
    }

    void renamingAScenarioThroughThePropertyList() {
        const fs::path project = copyDemo();
        auto* w = start(project.string());
        QVERIFY(w);
        QTreeWidgetItem* first = w->NodeItem(project::kNodeAllScenarios)->child(0);
        const std::string nodeKey = first->data(0, Qt::UserRole + 1).toString().toStdString();
        QVERIFY(w->SelectNode(nodeKey));
        auto* props = w->findChild<QTreeWidget*>("PRP1");
        QTreeWidgetItem* name = nullptr;
        for (int i = 0; i < props->topLevelItemCount(); ++i)
            if (props->topLevelItem(i)->data(0, Qt::UserRole + 1).toString().endsWith("$FILE"))
                name = props->topLevelItem(i);
        QVERIFY(name);
        QCOMPARE(name->text(0), ui::Text(1587));
        name->setText(1, QStringLiteral("Twenty characters!!!"));
        name = nullptr;  // the list is filled again from the session
        for (int i = 0; i < props->topLevelItemCount(); ++i)
            if (props->topLevelItem(i)->data(0, Qt::UserRole + 1).toString().endsWith("$FILE"))
                name = props->topLevelItem(i);
        QVERIFY(name);
        QCOMPARE(name->text(1), QStringLiteral("Twenty characte"));
        QCOMPARE(w->NodeItem(nodeKey)->text(0), QStringLiteral("Twenty characte"));
        QVERIFY(w->Session().Changed());
        // Save, and the scenario file says the new name.
        QVERIFY(w->RunTool("mnusaveprj"));
        QVERIFY(!w->Session().Changed());
        auto s = w->Session().Project()->Scenari()->Item(nodeKey.substr(9));
        QCOMPARE(scenario::ReadScenarioFile(s->FullPath).scenName.value_or(""),
                 std::string("Twenty characte"));
        QCOMPARE(profile::GetString(env::Env().configFile(), "FileCfg", "File1", ""),
                 project.string());
    }

    void replacingAnUnsavedProjectAsksFirst() {
        auto* w = start(copyDemo().string());
        QVERIFY(w);
        w->Session().SetChanged(true);
        messages_->answers = {Answer::Cancel};
        w->RunTool("mnunewprj");
        QCOMPARE(w->NodeItem(project::kNodeAllScenarios)->childCount(), 7);  // nothing changed
        QCOMPARE(messages_->calls.back().text, texts::GetText(1092));
        messages_->answers = {Answer::No};
        w->RunTool("mnunewprj");
        QCOMPARE(w->NodeItem(project::kNodeAllScenarios)->childCount(), 0);
        QVERIFY(Host().ProjectFile.empty());
        // The recent file reopens the demo.
        QVERIFY(w->Tool("mnufilecfg1")->isVisible());
        w->RunTool("mnufilecfg1");
        QCOMPARE(w->NodeItem(project::kNodeAllScenarios)->childCount(), 7);
    }

    void saveAsAndRecentFiles() {
        auto* w = start(copyDemo().string());
        QVERIFY(w);
        const fs::path target = dir_->path() / "copy";
        files_->answers = {target.string()};
        w->RunTool("mnusaveas");
        QVERIFY(fs::is_regular_file(target.string() + ".tdj"));
        QCOMPARE(Host().ProjectFile, target.string() + ".tdj");
        QCOMPARE(profile::GetString(env::Env().configFile(), "FileCfg", "File1", ""),
                 target.string() + ".tdj");
        QVERIFY(w->Tool("Tool11")->isVisible());
        QVERIFY(w->Tool("mnufilecfg2")->isVisible());
        QVERIFY(!w->Tool("mnufilecfg3")->isVisible());
        // A cancelled dialog saves nothing and asks nothing else.
        const size_t calls = messages_->calls.size();
        w->RunTool("mnusaveas");
        QCOMPARE(messages_->calls.size(), calls);
    }

    void quittingWithChangesAsksAndAFailedSaveKeepsTheWindow() {
        auto* w = start(copyDemo().string());
        QVERIFY(w);
        w->Session().SetChanged(true);
        // Yes, and the save fails: the project file's name is a folder's.
        fs::create_directories(dir_->path() / "folder.tdj");
        Host().ProjectFile = (dir_->path() / "folder.tdj").string();
        messages_->answers = {Answer::Yes};
        edit_->EndAPP();
        QTest::qWait(50);
        QVERIFY(ui::Running());
        QCOMPARE(appEnds_, 0);
        QCOMPARE(messages_->calls.front().text, texts::GetText(1092));
        QCOMPARE(messages_->calls.back().kind, std::string("warning"));
        // Cancel keeps it open too; No closes.
        messages_->answers = {Answer::Cancel};
        edit_->EndAPP();
        QTest::qWait(50);
        QVERIFY(ui::Running());
        messages_->answers = {Answer::No};
        edit_->EndAPP();
        QTRY_VERIFY(!ui::Running());
        QCOMPARE(appEnds_, 1);
    }

    void theQuarnHostVariant() {
        edit_->setParentEXEname("quarn");
        auto* w = start((dir_->path() / "missing.tdj").string());
        QVERIFY(w);
        for (const char* hidden :
             {"mnusaveas", "mnunewprj", "mnuapriprj", "mnufilecfg1", "mnulanguage"})
            QVERIFY2(!w->Tool(hidden)->isVisible(), hidden);
        QCOMPARE(w->Tool("mnusaveprj")->text().remove('&'), ui::Text(1646));
        // A missing file: a new, empty project.
        QVERIFY(w->NodeItem(project::kNodeAllScenarios));
        QCOMPARE(w->NodeItem(project::kNodeAllScenarios)->childCount(), 0);
        w->Session().SetChanged(true);
        messages_->answers = {Answer::No};
        edit_->EndAPP();
        QTRY_VERIFY(!ui::Running());
        QCOMPARE(messages_->calls.back().text, texts::GetText(1651));
    }

    void theHostWindowsMinimiseAndActivate() {
        int minimised = 0, activated = 0;
        edit_->setHostMinimiseHandler([&] { ++minimised; });
        edit_->setHostActivateHandler([&] { ++activated; });
        auto* w = start();
        QVERIFY(w);
        QVERIFY(!w->findChild<QToolButton*>("imgMinimaze")->isVisibleTo(w));
        endInterface();
        QCOMPARE(activated, 0);  // no host window

        makeEdit();
        edit_->setParentHandle(42);
        edit_->setHostMinimiseHandler([&] { ++minimised; });
        edit_->setHostActivateHandler([&] { ++activated; });
        w = start();
        QVERIFY(w);
        auto* button = w->findChild<QToolButton*>("imgMinimaze");
        QVERIFY(button->isVisibleTo(w));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(minimised, 1);
        QTest::mouseClick(w->findChild<QToolButton*>("imgEnd"), Qt::LeftButton);
        QTRY_VERIFY(!ui::Running());
        QCOMPARE(activated, 1);
        QCOMPARE(appEnds_, 1);
    }

    void theLanguageSwitch() {
        auto* w = start(copyDemo().string());
        QVERIFY(w);
        auto* menu = w->findChild<QMenu*>("mnulanguage");
        QList<QAction*> langs = menu->actions();
        QCOMPARE(langs.size(), 2);
        QAction* other = nullptr;
        for (QAction* a : langs) {
            QCOMPARE(a->objectName(), QStringLiteral("mnulang"));
            QCOMPARE(a->isChecked(), a->data().toString() == "ITA");
            if (a->data().toString() != "ITA") other = a;
        }
        QVERIFY(other);
        QCOMPARE(other->property("languageId").toInt() > 1000, true);
        // No: nothing happens.
        messages_->answers = {Answer::No};
        other->trigger();
        QVERIFY(ui::Running());
        QCOMPARE(profile::GetString(env::Env().configFile(), "GENERALE", "LINGUA", ""),
                 std::string());
        // Yes: the language is written and the window closes (with its menus).
        const std::string code = other->data().toString().toStdString();
        messages_->answers = {Answer::Yes};
        other->trigger();
        QTRY_VERIFY(!ui::Running());
        QCOMPARE(profile::GetString(env::Env().configFile(), "GENERALE", "LINGUA", ""), code);
        QCOMPARE(appEnds_, 1);
    }

    void aNewScenarioThroughTheNameDialog() {
        auto* w = start(copyDemo().string());
        QVERIFY(w);
        int step = 0;
        whenShown("frmNewName", [&](QWidget* dlg) {
            auto* ok = dlg->findChild<QAbstractButton*>("cmdOK");
            if (step == 0) {
                ok->click();  // empty: refused, the dialog stays
                step = 1;
                return false;
            }
            QTest::keyClicks(dlg->findChild<QLineEdit*>("txtNome"), QStringLiteral("Kitchen"));
            ok->click();
            return true;
        });
        w->RunTool("new");
        QCOMPARE(step, 1);
        QCOMPARE(messages_->calls.at(0).text, texts::GetText(1033));
        QTreeWidgetItem* all = w->NodeItem(project::kNodeAllScenarios);
        QCOMPARE(all->childCount(), 8);
        QCOMPARE(all->child(7)->text(0), QStringLiteral("Kitchen"));
        QCOMPARE(w->SelectedNode(),
                 all->child(7)->data(0, Qt::UserRole + 1).toString().toStdString());
        auto s = w->Session().Project()->Scenari()->Item(w->SelectedNode().substr(9));
        QVERIFY(fs::is_regular_file(s->FullPath));

        // At 300 scenarios the name is asked and the scenario refused with 1753.
        for (int i = 8; i < 300; ++i) w->Session().NewScenario("S" + std::to_string(i));
        whenShown("frmNewName", [](QWidget* dlg) {
            QTest::keyClicks(dlg->findChild<QLineEdit*>("txtNome"), QStringLiteral("One more"));
            dlg->findChild<QAbstractButton*>("cmdOK")->click();
            return true;
        });
        w->RunTool("new");
        QCOMPARE(messages_->calls.back().text, texts::GetText(1753));
        QCOMPARE(all->childCount(), 300);
    }

    void compilingAllThroughTheLogWindow() {
        auto* w = start(copyDemo().string());
        QVERIFY(w);
        int lines = 0, progress = 0;
        whenShown("frmLog", [&](QWidget* log) {
            auto* ok = log->findChild<QAbstractButton*>("cmdOK");
            if (!ok->isEnabled()) return false;
            lines = log->findChild<QListWidget*>("LW1")->count();
            progress = log->findChild<QProgressBar*>("ProgressBar1")->value();
            ok->click();
            return true;
        });
        w->RunTool("compileall");
        QCOMPARE(progress, 7);
        QVERIFY(lines >= 7);
        QCOMPARE(messages_->calls.back().text, texts::GetText(1635));
        QTreeWidgetItem* all = w->NodeItem(project::kNodeAllScenarios);
        for (int i = 0; i < all->childCount(); ++i)
            QCOMPARE(all->child(i)->data(0, Qt::UserRole + 2).toString(),
                     QStringLiteral("scriptok"));
    }

    // frmLog in mode "LEXORA": a configurator that cannot start is reported
    // with 1114 and 1113; one that starts runs until the project window closes.
    void theConfiguratorRunsUntilTheProjectWindowCloses() {
        auto* w = start();
        QVERIFY(w);
        auto closeLog = [](QWidget* log) {
            auto* ok = log->findChild<QAbstractButton*>("cmdOK");
            if (!ok->isEnabled()) return false;
            ok->click();
            return true;
        };
        whenShown("frmLog", closeLog);
        ui::RunConfiguratorWindow(w);
        QCOMPARE(messages_->calls.back().kind, std::string("warning"));
        QVERIFY(messages_->calls.back().text.rfind(
                    texts::GetText(1114) + "\r" + texts::GetText(1113) + "\r", 0) == 0);
        QVERIFY(!configurator::Configurator().Running());

        const fs::path program = dir_->path() / "configurator.sh";
        test::WriteText(program, "#!/bin/sh\nexec sleep 30\n");
        fs::permissions(program, fs::perms::owner_all);
        QVERIFY(
            profile::WriteString(env::Env().configFile(), "LEXORA", "Program", program.string()));
        const size_t calls = messages_->calls.size();
        whenShown("frmLog", closeLog);
        ui::RunConfiguratorWindow(w);
        QCOMPARE(messages_->calls.size(), calls);
        QVERIFY(configurator::Configurator().Running());
        const pid_t pid = configurator::Configurator().Pid();
        QVERIFY(fs::is_regular_file(data() / "system" / "filters.xml"));

        endInterface();
        QVERIFY(!configurator::Configurator().Running());
        QVERIFY(::kill(pid, 0) != 0);
    }

    void importingFromASecondProject() {
        auto* w = start(copyDemo().string());
        QVERIFY(w);
        const fs::path other = copyDemo("other.tdj");
        // Escape: nothing imported.
        files_->answers = {other.string()};
        whenShown("frmImportPrj", [](QWidget* dlg) {
            QTest::keyClick(dlg, Qt::Key_Escape);
            return true;
        });
        w->RunTool("mnuimportprj");
        QCOMPARE(w->NodeItem(project::kNodeAllScenarios)->childCount(), 7);
        // Select all, OK: the seven come in list order after the project's own.
        files_->answers = {other.string()};
        QStringList listed;
        whenShown("frmImportPrj", [&](QWidget* dlg) {
            auto* list = dlg->findChild<QListWidget*>("LW1");
            for (int i = 0; i < list->count(); ++i) {
                if (list->item(i)->checkState() != Qt::Unchecked) return true;  // must start clear
                listed << list->item(i)->text();
            }
            dlg->findChild<QAbstractButton*>("imgSelectAll")->click();
            dlg->findChild<QAbstractButton*>("cmdOK")->click();
            return true;
        });
        w->RunTool("mnuimportprj");
        QTreeWidgetItem* all = w->NodeItem(project::kNodeAllScenarios);
        QCOMPARE(listed.size(), 7);
        QCOMPARE(all->childCount(), 14);
        for (int i = 0; i < 7; ++i) QCOMPARE(all->child(7 + i)->text(0), listed[i]);
        QVERIFY(w->Session().ImportFolder().empty() || !fs::exists(w->Session().ImportFolder()));
        QVERIFY(w->Session().Changed());
    }

    // What a screen reader gets through the accessibility interface (the one
    // the desktop's AT-SPI bridge serves): every control a name, the tree's
    // rows readable, every tool an action that runs it.
    void theWindowThroughTheAccessibilityInterface() {
        auto* w = start(copyDemo().string());
        QVERIFY(w);
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(w);
        QVERIFY(root);
        int named = 0;
        std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* a,
                                                                   int depth) {
            if (!a || depth > 12) return;
            const QAccessible::Role role = a->role();
            const bool interactive = role == QAccessible::PushButton || role == QAccessible::Tree ||
                                     role == QAccessible::MenuBar || role == QAccessible::ToolBar ||
                                     role == QAccessible::ButtonMenu || role == QAccessible::Table;
            if (interactive && a->state().invisible == false) {
                QVERIFY2(!a->text(QAccessible::Name).isEmpty(),
                         qPrintable(QStringLiteral("no name: role %1 %2")
                                        .arg(int(role))
                                        .arg(a->object() ? a->object()->objectName() : QString())));
                ++named;
            }
            for (int i = 0; i < a->childCount() && i < 400; ++i) walk(a->child(i), depth + 1);
        };
        walk(root, 0);
        QVERIFY(named >= 4);

        // The tree: its rows are items with the scenarios' names.
        QAccessibleInterface* tree =
            QAccessible::queryAccessibleInterface(w->findChild<QTreeWidget*>("TW"));
        QCOMPARE(tree->text(QAccessible::Name), ui::Text(1563));
        QStringList rows;
        for (int i = 0; i < tree->childCount(); ++i)
            if (QAccessibleInterface* c = tree->child(i)) rows << c->text(QAccessible::Name);
        QVERIFY2(rows.contains(QStringLiteral("Good morning")), qPrintable(rows.join('|')));

        // The menus: every visible tool is an item with a press action that runs it.
        auto* scripts = w->findChild<QMenu*>("popupscripts");
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(scripts);
        QVERIFY(menu);
        QStringList tools;
        QAccessibleInterface* duplicate = nullptr;
        for (int i = 0; i < menu->childCount(); ++i) {
            QAccessibleInterface* item = menu->child(i);
            if (!item || item->role() == QAccessible::Separator) continue;
            tools << item->text(QAccessible::Name);
            QVERIFY(item->actionInterface());
            QVERIFY(item->actionInterface()->actionNames().contains(
                QAccessibleActionInterface::pressAction()));
            if (item->text(QAccessible::Name).remove('&') == ui::Text(1514)) duplicate = item;
        }
        QVERIFY(tools.size() >= 8);
        QVERIFY(duplicate);
        w->SelectNode(w->NodeItem(project::kNodeAllScenarios)
                          ->child(0)
                          ->data(0, Qt::UserRole + 1)
                          .toString()
                          .toStdString());
        duplicate->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(w->NodeItem(project::kNodeAllScenarios)->childCount(), 8);
    }

    void deletingAndDuplicatingScenarios() {
        auto* w = start(copyDemo().string());
        QVERIFY(w);
        QTreeWidgetItem* all = w->NodeItem(project::kNodeAllScenarios);
        const std::string first = all->child(0)->data(0, Qt::UserRole + 1).toString().toStdString();
        w->SelectNode(first);
        w->RunTool("duplicate");
        QCOMPARE(all->childCount(), 8);
        w->SelectNode(first);
        messages_->answers = {Answer::No};
        w->RunTool("delete");
        QCOMPARE(all->childCount(), 8);
        QCOMPARE(messages_->calls.back().text, texts::GetText(1028));
        messages_->answers = {Answer::Yes};
        w->RunTool("delete");
        QCOMPARE(all->childCount(), 7);
        QVERIFY(!w->NodeItem(first));
        QVERIFY(w->Session().Changed());
    }
};

QTEST_MAIN(ApplicationTest)
#include "application_test.moc"
