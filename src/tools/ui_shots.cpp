// tessed_ui_shots OUTDIR DEMO.tdj
//
// Pictures of the windows for docs/ui/, taken from the real windows on a
// scratch data folder seeded from the build's catalogue: the splash, the
// project window with the demo project (at rest and with a scenario's
// property list), the compile window after compiling all, the import dialog
// and the about box. scripts/ui-screenshots runs it under Xvfb.
// The editor models come before Qt, whose "slots" keyword would clash with
// the strips' slot counts.
#include "editor/canvas.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
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
#include "ui/application.h"
#include "ui/choice_dialogs.h"
#include "ui/chrome.h"
#include "ui/editor_window.h"
#include "ui/project_window.h"
#include "ui/property_dialog.h"
#include "ui/splash.h"
#include "ui/time_dialog.h"

using namespace tessed;
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

// Answers nothing aloud: the pictures need no message boxes.
struct SilentMessages : MessageBoxes {
    void warning(const std::string&, const std::string& t) override { std::cerr << t << "\n"; }
    void critical(const std::string&, const std::string& t) override { std::cerr << t << "\n"; }
    void information(const std::string&, const std::string&) override {}
    Answer yesNo(const std::string&, const std::string&) override { return Answer::No; }
    Answer yesNoCancel(const std::string&, const std::string&) override { return Answer::No; }
};

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
    whenShown(
        "frmPrj", [](QWidget*) { return true; },
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
                editor->resize(1100, 760);
                save(editor, "frmMain");
                editor->close();
            } else {
                std::cerr << "tessed_ui_shots: the editor did not open\n";
                ++g_failures;
            }
            QApplication::processEvents();

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
