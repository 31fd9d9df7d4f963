// tessed_ui_shots OUTDIR DEMO.tdj
//
// Pictures of the windows for docs/ui/, taken from the real windows on a
// scratch data folder seeded from the build's catalogue: the splash, the
// project window with the demo project (at rest and with a scenario's
// property list), the scenario editor (a demo scenario, a full one, a drag
// hovering over an action slot, the property dialog a drop opened), the
// compile window after compiling all, the import dialog and the about box;
// the editor's device browser on the example devices.
// scripts/ui-screenshots runs it under Xvfb.
// The editor models come before Qt, whose "slots" keyword would clash with
// the strips' slot counts.
#include "editor/canvas.h"
#include "editor/element_clipboard.h"
#include "editor/placement.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <iostream>
#include <set>

#include "edit.h"
#include "editor/property_dialog.h"
#include "editor/selection_dialogs.h"
#include "editor/time_dialogs.h"
#include "env/environment.h"
#include "env/messages.h"
#include "env/profile.h"
#include "model/catalogue_ids.h"
#include "project/session.h"
#include "silent_messages.h"
#include "ui/application.h"
#include "ui/choice_dialogs.h"
#include "ui/chrome.h"
#include "ui/device_browser.h"
#include "ui/editor_window.h"
#include "ui/project_window.h"
#include "ui/property_dialog.h"
#include "ui/splash.h"
#include "ui/time_dialog.h"

using namespace tessed;
using tools::SilentMessages;
namespace fs = std::filesystem;

namespace {

fs::path g_out;
int g_failures = 0;

void save(QWidget* w, const char* name) {
    QApplication::processEvents();
    const fs::path file = g_out / (std::string(name) + ".png");
    if (!w || !w->grab().save(QString::fromStdString(file.string()))) {
        std::cerr << "tessed_ui_shots: could not take " << file << "\n";
        ++g_failures;
        return;
    }
    std::cout << file.string() << "\n";
}

QWidget* topLevel(const char* objectName) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && w->isVisible()) return w;
    return nullptr;
}

// Runs `then` once a visible top-level window of that name appears (and
// `ready` holds for it).
void whenShown(const char* name, std::function<bool(QWidget*)> ready,
               std::function<void(QWidget*)> then) {
    auto* timer = new QTimer;
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* w = topLevel(name);
        if (!w || !ready(w)) return;
        timer->stop();
        timer->deleteLater();
        then(w);
    });
    timer->start();
}

struct QueuedFiles : ui::FileChooser {
    std::deque<std::string> answers;
    std::optional<std::string> next() {
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> openFile(QWidget*, const QString&, const QString&, const QString&,
                                        const std::string&) override {
        return next();
    }
    std::optional<std::string> saveFile(QWidget*, const QString&, const QString&, const QString&,
                                        const std::string&) override {
        return next();
    }
};

using editor::CanvasControl;
using editor::Part;
using editor::StripId;

// A scenario of the demo in the editor, by name.
ui::EditorWindow* OpenScenario(ui::ProjectWindow* prj, const std::string& name) {
    for (const auto& s : *prj->Session().Project()->Scenari())
        if (s->ScriptName == name) prj->SelectNode(project::ScenarioNodeKey(s->Key));
    prj->RunTool("edit");
    QApplication::processEvents();
    ui::EditorWindow* e = prj->Editor();
    if (!e) {
        std::cerr << "tessed_ui_shots: the editor did not open on " << name << "\n";
        ++g_failures;
    }
    return e;
}

// Every element of a group of the scenario in the editor, as a copy.
std::shared_ptr<editor::CopiedElements> CopyGroup(StripId group) {
    db::Database& db = env::Env().master();
    std::vector<int64_t> ids;
    for (const db::Row& r :
         db.query("SELECT ID FROM " + std::string(editor::Info(group).table) + " ORDER BY ORDINE"))
        ids.push_back(r.getInt("ID"));
    return std::make_shared<editor::CopiedElements>(editor::CopyElements(db, group, ids));
}

// A window with a dialog over it, where the dialog stands, with an outline
// and a shadow as a window manager would give it.
void SaveOver(QWidget* window, QWidget* dialog, const char* name) {
    QApplication::processEvents();
    QPixmap shot = window->grab();
    const QPixmap top = dialog->grab();
    QPoint at = dialog->mapToGlobal(QPoint(0, 0)) - window->mapToGlobal(QPoint(0, 0));
    // Inside the picture whatever the screen did with it.
    at.setX(std::clamp(at.x(), 8, std::max(8, shot.width() - top.width() - 8)));
    at.setY(std::clamp(at.y(), 8, std::max(8, shot.height() - top.height() - 8)));
    {
        QPainter p(&shot);
        p.fillRect(QRect(at + QPoint(5, 5), top.size()), QColor(0, 0, 0, 70));
        p.drawPixmap(at, top);
        p.setPen(QColor(90, 90, 90));
        p.drawRect(QRect(at, top.size()).adjusted(-1, -1, 0, 0));
    }
    const fs::path file = g_out / (std::string(name) + ".png");
    if (!shot.save(QString::fromStdString(file.string()))) {
        std::cerr << "tessed_ui_shots: could not take " << file << "\n";
        ++g_failures;
        return;
    }
    std::cout << file.string() << "\n";
}

// The editor pictures: a full scenario (the demo's "Night path" with the
// conditions of "Comfort heat", the actions of "Leaving home" and the
// alternative action of "Summer shade" pasted in), a palette object hovering
// over the third action, and the property dialog its drop opens.
void EditorPictures(ui::ProjectWindow* prj) {
    std::shared_ptr<editor::CopiedElements> conditions, actions, alternative;
    if (auto* e = OpenScenario(prj, "Comfort heat")) {
        conditions = CopyGroup(StripId::kCondOk);
        e->close();
    }
    if (auto* e = OpenScenario(prj, "Leaving home")) {
        actions = CopyGroup(StripId::kStepAct);
        e->close();
    }
    if (auto* e = OpenScenario(prj, "Summer shade")) {
        alternative = CopyGroup(StripId::kStepActElse);
        e->close();
    }
    QApplication::processEvents();
    ui::EditorWindow* e = OpenScenario(prj, "Night path");
    if (!e) return;
    e->move(0, 0);
    e->resize(e->sizeHint());
    for (auto [copy, group] :
         {std::pair{conditions, StripId::kCondOk}, std::pair{actions, StripId::kStepAct},
          std::pair{alternative, StripId::kStepActElse}}) {
        editor::EditPlan plan = e->placement().PlanPaste(copy, group);
        if (!e->placement().Commit(plan)) {
            std::cerr << "tessed_ui_shots: a paste into the full scenario failed\n";
            ++g_failures;
        }
    }
    // The scenario's own condition and the first pasted one joined by OR.
    editor::EditPlan link = e->placement().PlanDrop({StripId::kOperators, Part::kPicture, 2},
                                                    {StripId::kCondOk, Part::kMark, 1});
    e->placement().Commit(link);
    QApplication::processEvents();
    save(e, "frmMain-full");

    // A palette object of the lights hovering over the third action.
    e->canvas().imgFam_Click(1);
    e->RefreshAll();
    int obj = 0;
    for (int i = 1; i <= 8 && !obj; ++i) {
        const CanvasControl src{StripId::kObjects, Part::kPicture, i};
        if (e->placement().CanDrag(src) &&
            e->placement().Effect(src, {StripId::kStepAct, Part::kFrame, 0}) ==
                editor::DropEffect::kCreate)
            obj = i;
    }
    QWidget* target = e->Control(QStringLiteral("imgICOStepACT"), 3);
    auto* source = qobject_cast<QLabel*>(e->Control(QStringLiteral("imgObj"), obj));
    if (!obj || !target || !source) {
        std::cerr << "tessed_ui_shots: no object to drag\n";
        ++g_failures;
        return;
    }
    QMimeData mime;
    mime.setText(ui::EditorWindow::DragText({StripId::kObjects, Part::kPicture, obj}));
    const QPoint pos = target->rect().center() + QPoint(6, 6);
    QDragEnterEvent enter(pos, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(pos, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QApplication::processEvents();
    // The window as it shows the hover; the dragged picture and the drag
    // pointer drawn where the pointer stands, as the toolkit shows them.
    QPixmap shot = e->grab();
    {
        QPainter p(&shot);
        const QPoint at = target->mapTo(e, pos);
        // The toolkit holds the picture by its top left corner.
        p.setOpacity(0.75);
        p.drawPixmap(at, source->pixmap());
        p.setOpacity(1);
        if (auto* pointer = e->findChild<QLabel*>(QStringLiteral("imgDrag")))
            p.drawPixmap(at, pointer->pixmap().scaled(20, 20, Qt::KeepAspectRatio,
                                                      Qt::SmoothTransformation));
    }
    const fs::path file = g_out / "frmMain-drag.png";
    if (shot.save(QString::fromStdString(file.string())))
        std::cout << file.string() << "\n";
    else
        ++g_failures;

    // The drop: its property dialog over the editor.
    whenShown(
        "frmProp",
        [](QWidget* d) {
            auto* ok = d->findChild<QAbstractButton*>("cmdOK");
            return ok && ok->isEnabled();
        },
        [e](QWidget* d) {
            SaveOver(e, d, "frmMain-drop");
            if (auto* cancel = d->findChild<QAbstractButton*>("cmdAnnulla")) cancel->click();
        });
    QDropEvent drop(QPointF(pos), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    // The dialog comes from a queued call and runs its own loop.
    for (int i = 0; i < 100 && !topLevel("frmProp"); ++i) QApplication::processEvents();
    QApplication::processEvents();
    e->close();
    QApplication::processEvents();
}

// The device browser below the editor, on the configurator's drag folder
// holding the example devices, the shutter's row current.
void DevicePictures(ui::ProjectWindow* prj, const fs::path& examples) {
    const fs::path drag = env::Env().dataFolder() / "LX" / "Drag";
    std::error_code ec;
    fs::create_directories(drag, ec);
    for (const auto& f : fs::directory_iterator(examples, ec))
        fs::copy_file(f.path(), drag / f.path().filename(), fs::copy_options::overwrite_existing,
                      ec);
    ui::EditorWindow* e = OpenScenario(prj, "Good morning");
    if (!e) return;
    e->RunTool("mnuDevices");
    ui::DeviceBrowser* b = e->Devices();
    for (int i = 0; i < 500 && b->Reading(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    if (b->Entries().empty()) {
        std::cerr << "tessed_ui_shots: the device browser listed nothing\n";
        ++g_failures;
    }
    for (int i = 0; i < b->List()->topLevelItemCount(); ++i)
        if (b->List()->topLevelItem(i)->text(0) == QStringLiteral("shutter.xml"))
            b->List()->setCurrentItem(b->List()->topLevelItem(i));
    e->move(0, 0);
    e->resize(e->sizeHint());
    save(e, "frmMain-devices");
    e->RunTool("mnuDevices");
    e->close();
    QApplication::processEvents();
}

// One picture per object of the catalogue in the first group that takes it,
// laid out as a sheet, and the time, operator and ambiguity dialogs; in the
// language of the open master database.
void dialogPictures(const std::string& lang) {
    db::Database& db = env::Env().master();
    const std::pair<const char*, editor::StripId> flags[] = {
        {"TRIGGER", editor::StripId::kTrigger}, {"TRIGGERSTOP", editor::StripId::kTriggerStop},
        {"COND_OK", editor::StripId::kCondOk},  {"COND_KO", editor::StripId::kCondKo},
        {"ACT", editor::StripId::kStepAct},     {"ACT_ELSE", editor::StripId::kStepActElse}};
    std::vector<std::pair<int, int>> firsts;
    std::set<int> seen;
    for (const db::Row& o : db.query("SELECT * FROM ASS_OBJ_AREE ORDER BY ID_OBJ")) {
        const int obj = int(o.getInt("ID_OBJ"));
        if (obj == model::obj::kCalendar || seen.count(obj)) continue;
        for (auto [flag, group] : flags)
            if (o.getBool(flag)) {
                firsts.push_back({obj, editor::Info(group).area});
                seen.insert(obj);
                break;
            }
    }
    std::vector<QPixmap> tiles;
    for (auto [obj, area] : firsts) {
        editor::PropertyDialog d(&db);
        d.Form_Load();
        d.LoadData(obj, area);
        d.Visible = true;
        ui::PropertyDialogWindow w(d);
        w.show();
        QApplication::processEvents();
        tiles.push_back(w.grab());
    }
    if (!tiles.empty()) {
        int cellW = 0, cellH = 0;
        for (const auto& t : tiles) {
            cellW = std::max(cellW, t.width());
            cellH = std::max(cellH, t.height());
        }
        const int cols = 6, rows = int((tiles.size() + cols - 1) / cols), gap = 8;
        QPixmap sheet(cols * (cellW + gap) + gap, rows * (cellH + gap) + gap);
        sheet.fill(Qt::darkGray);
        QPainter p(&sheet);
        for (size_t i = 0; i < tiles.size(); ++i)
            p.drawPixmap(gap + int(i % cols) * (cellW + gap), gap + int(i / cols) * (cellH + gap),
                         tiles[i]);
        p.end();
        const fs::path file = g_out / ("frmProp-sheet-" + lang + ".png");
        // Half size: the sheet is for finding a clipped caption at a glance.
        if (sheet.scaledToWidth(sheet.width() / 2, Qt::SmoothTransformation)
                .save(QString::fromStdString(file.string())))
            std::cout << file.string() << "\n";
        else
            ++g_failures;
    }
    const editor::Moment now{2026, 12, 7, 10, 45};
    {
        editor::TimeRangeDialog d(now);
        d.LoadData(db, model::obj::kCalendar, model::area::kConditions, "");
        ui::TimeRangeWindow w(d, db);
        w.show();
        save(&w, ("frmTime-" + lang).c_str());
    }
    {
        editor::TimeSingleDialog d(now);
        d.LoadData(db, model::obj::kCalendar, model::area::kTriggers, "");
        ui::TimeSingleWindow w(d, db);
        w.show();
        save(&w, ("frmTimeSingle-" + lang).c_str());
    }
    {
        editor::OperatorDialog d;
        d.Preselect(1);
        ui::OperatorWindow w(d);
        w.show();
        save(&w, ("frmOpe-" + lang).c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tessed_ui_shots OUTDIR DEMO.tdj\n";
        return 2;
    }
    g_out = argv[1];
    fs::create_directories(g_out);
    char tmpl[] = "/tmp/tessed-shots.XXXXXX";
    if (!::mkdtemp(tmpl)) return 1;
    const fs::path scratch = tmpl;
    ::setenv("TESSED_DATA_DIR", (scratch / "data").c_str(), 1);
    ::setenv("TESSED_DOCUMENTS_DIR", (scratch / "docs").c_str(), 1);
    const fs::path project = scratch / "Demo house.tdj";
    const fs::path other = scratch / "Second house.tdj";
    fs::copy_file(argv[2], project);
    fs::copy_file(argv[2], other);

    QApplication app(argc, argv);
    Edit edit;
    ui::SetSplashDelay(0);
    ui::SetInstallMessageBoxes(false);
    SetMessages(std::make_shared<SilentMessages>());
    auto files = std::make_shared<QueuedFiles>();
    ui::SetFiles(files);

    edit.setFileToOpen(project.string());
    edit.Show();
    // Once the project has been read (the window reads it on a worker thread).
    whenShown(
        "frmPrj",
        [](QWidget* w) {
            auto* prj = static_cast<ui::ProjectWindow*>(w);
            return prj->Session().Project() && prj->Session().Project()->Scenari()->Count() > 0 &&
                   prj->Tool("mnuapriprj")->isEnabled() && prj->centralWidget()->isEnabled();
        },
        [&](QWidget* w) {
            auto* prj = static_cast<ui::ProjectWindow*>(w);
            prj->resize(900, 560);
            {
                ui::SplashWindow splash(ui::SplashWindow::Role::StartUp);
                splash.show();
                save(&splash, "splash");
                ui::SplashWindow about(ui::SplashWindow::Role::About);
                about.show();
                save(&about, "about");
            }
            prj->SelectNode("COLLEZIONE$ALLSCENARI");
            save(prj, "frmPrj");
            auto* all = prj->NodeItem("COLLEZIONE$ALLSCENARI");
            if (all && all->childCount() > 0)
                prj->SelectNode(all->child(0)->data(0, Qt::UserRole + 1).toString().toStdString());
            save(prj, "frmPrj-properties");

            // The scenario editor on the first scenario, then back.
            prj->RunTool("edit");
            QApplication::processEvents();
            if (ui::EditorWindow* editor = prj->Editor()) {
                editor->resize(editor->sizeHint());
                save(editor, "frmMain");
                editor->close();
            } else {
                std::cerr << "tessed_ui_shots: the editor did not open\n";
                ++g_failures;
            }
            QApplication::processEvents();
            EditorPictures(prj);
            DevicePictures(prj, fs::path(argv[2]).parent_path() / "devices");

            // Compile all: the window is pictured once its run has ended.
            whenShown(
                "frmLog",
                [](QWidget* log) {
                    auto* ok = log->findChild<QAbstractButton*>("cmdOK");
                    return ok && ok->isEnabled();
                },
                [](QWidget* log) {
                    save(log, "frmLog");
                    log->findChild<QAbstractButton*>("cmdOK")->click();
                });
            prj->RunTool("compileall");
            save(prj, "frmPrj-compiled");

            // The import list of a second project.
            files->answers.push_back(other.string());
            whenShown(
                "frmImportPrj", [](QWidget*) { return true; },
                [](QWidget* dlg) {
                    if (auto* all = dlg->findChild<QAbstractButton*>("imgSelectAll")) all->click();
                    save(dlg, "frmImportPrj");
                    if (auto* cancel = dlg->findChild<QAbstractButton*>("cmdAnnulla"))
                        cancel->click();
                });
            prj->RunTool("mnuimportprj");

            prj->Session().SetChanged(false);
            edit.EndAPP();
        });
    ui::WaitForEnd();

    // The element dialogs in both languages.
    for (const char* lang : {"ITA", "ENG"}) {
        profile::WriteString(env::Env().configFile(), "GENERALE", "LINGUA", lang);
        if (!env::Env().OpenSystemDatabase()) {
            ++g_failures;
            continue;
        }
        dialogPictures(lang);
        env::Env().CloseConnection();
    }
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return g_failures == 0 ? 0 : 1;
}
