// tessed_ui_smoke drag DEMO.tdj
// tessed_ui_smoke paste OUT.tdx     (started by the drag run)
//
// What only a real display shows, run under Xvfb by scripts/ui-drag-smoke:
//
// - drag: the demo project's "Good morning" in the editor; xdotool presses
//   the mouse on the first palette object that the actions take, moves it over
//   the first empty action slot and releases it there, as a hand would. The
//   hover highlight must stand over that slot while the drag hangs there, and
//   the property dialog must open once the drop has returned.
// - the clipboard between two running editors: the first two actions are
//   copied, and a second process ("paste") pastes them into a new scenario of
//   its own and saves it; the saved rows must be the copied ones.
//
// Prints what it saw, one line a check; exit status 0 when every check held.
// The editor models come before Qt, whose "slots" keyword would clash with
// the strips' slot counts.
#include "editor/canvas.h"
#include "editor/element_selection.h"
#include "editor/placement.h"

#include <QAbstractButton>
#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>

#include "edit.h"
#include "env/database.h"
#include "env/environment.h"
#include "env/messages.h"
#include "model/document.h"
#include "model/rowset.h"
#include "model/scenario_file.h"
#include "model/schema.h"
#include "project/session.h"
#include "silent_messages.h"
#include "ui/application.h"
#include "ui/chrome.h"
#include "ui/editor_window.h"
#include "ui/project_window.h"

using namespace tessed;
using tools::SilentMessages;
namespace fs = std::filesystem;
using editor::CanvasControl;
using editor::Part;
using editor::StripId;

namespace {

int g_failures = 0;

void check(bool held, const std::string& what) {
    std::cout << (held ? "ok    " : "FAIL  ") << what << std::endl;
    if (!held) ++g_failures;
}

QWidget* topLevel(const char* objectName) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && w->isVisible()) return w;
    return nullptr;
}

// Runs `then` once `ready` holds, polling every 50 ms.
void when(std::function<bool()> ready, std::function<void()> then) {
    auto* timer = new QTimer;
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (!ready()) return;
        timer->stop();
        timer->deleteLater();
        then();
    });
    timer->start();
}

// A scratch data folder of this process.
fs::path Scratch() {
    char tmpl[] = "/tmp/tessed-smoke.XXXXXX";
    if (!::mkdtemp(tmpl)) std::exit(2);
    const fs::path scratch = tmpl;
    ::setenv("TESSED_DATA_DIR", (scratch / "data").c_str(), 1);
    ::setenv("TESSED_DOCUMENTS_DIR", (scratch / "docs").c_str(), 1);
    return scratch;
}

// The element rows of a table as stored, without identity and place.
std::vector<std::vector<db::Value>> Rows(const scenario::ScenarioFile& f, std::string_view table) {
    std::vector<std::vector<db::Value>> out;
    if (const rowset::TableRows* rows = f.table(table))
        for (auto row : *rows) {
            row.erase(row.begin(), row.begin() + 2);
            out.push_back(std::move(row));
        }
    return out;
}

// The second editor: a new scenario, the clipboard pasted into it, saved.
int Paste(const std::string& out) {
    const fs::path scratch = Scratch();
    schema::InstallWorkingTables();
    auto& env = env::Env();
    if (!env.InitFolders(env::AppFolderName()) || !env.OpenSystemDatabase()) return 2;
    SetMessages(std::make_shared<SilentMessages>());
    int status = 1;
    {
        ui::EditorWindow editor;
        ui::ApplyCaptions(&editor);
        Document().NewFile();
        editor.show();
        QTimer::singleShot(300, [&] {
            editor.RunTool("mnupaste");
            try {
                Document().SaveAs(out);
                status = 0;
            } catch (const std::exception& e) {
                std::cerr << e.what() << "\n";
            }
            QApplication::quit();
        });
        QApplication::exec();
    }
    env.CloseConnection();
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return status;
}

int Drag(const char* self, const std::string& demo) {
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xdotool.isEmpty()) {
        std::cerr << "tessed_ui_smoke: xdotool is missing\n";
        return 2;
    }
    const fs::path scratch = Scratch();
    const fs::path project = scratch / "house.tdj";
    fs::copy_file(demo, project);

    Edit edit;
    ui::SetSplashDelay(0);
    ui::SetInstallMessageBoxes(false);
    SetMessages(std::make_shared<SilentMessages>());
    edit.setFileToOpen(project.string());
    edit.Show();

    QProcess gesture, second;
    bool sawHighlight = false, highlightOnSlot = false, sawDialog = false;
    ui::EditorWindow* editor = nullptr;
    QWidget* target = nullptr;
    std::vector<std::vector<db::Value>> copied;
    const fs::path pasted = scratch / "pasted.tdx";

    // The end: the project closed without questions, the interface ended.
    auto finish = [&] {
        if (auto* prj = ui::CurrentProjectWindow()) prj->Session().SetChanged(false);
        edit.EndAPP();
    };
    // Whatever happens, the run ends.
    QTimer::singleShot(60000, [&] {
        check(false, "the run ended within a minute");
        finish();
    });

    // 3. The clipboard: two actions copied here, pasted by a second editor.
    auto clipboard = [&] {
        const auto& acts = editor->canvas().strip(StripId::kStepAct);
        editor->selection().SelectAll(StripId::kStepAct, {std::stoll(acts.slot(1).labelTag),
                                                          std::stoll(acts.slot(2).labelTag)});
        check(editor->RunTool("mnucopy"), "two actions copied to the clipboard");
        copied = Rows(scenario::ReadScenarioFile(Document().CurrentFile()), "TMP_STEP_ACT");
        copied.resize(2);
        QObject::connect(&second, &QProcess::finished, [&](int code) {
            check(code == 0, "a second editor pasted and saved");
            bool same = false;
            try {
                same = Rows(scenario::ReadScenarioFile(pasted.string()), "TMP_STEP_ACT") == copied;
            } catch (const std::exception& e) {
                std::cerr << e.what() << "\n";
            }
            check(same, "the second editor stored the copied actions");
            finish();
        });
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(QString::fromLocal8Bit(self),
                     {QStringLiteral("paste"), QString::fromStdString(pasted.string())});
    };

    // 2. The drag, by xdotool, from the palette object to the empty slot.
    auto drag = [&] {
        int obj = 0;
        for (int i = 1; i <= 8 && !obj; ++i) {
            const CanvasControl src{StripId::kObjects, Part::kPicture, i};
            if (editor->placement().CanDrag(src) &&
                editor->placement().Effect(src, {StripId::kStepAct, Part::kFrame, 0}) ==
                    editor::DropEffect::kCreate)
                obj = i;
        }
        int slot = 1;
        while (editor->canvas().strip(StripId::kStepAct).slot(slot).filled()) ++slot;
        QWidget* source = editor->Control(QStringLiteral("imgObj"), obj);
        target = editor->Control(QStringLiteral("imgICOStepACT"), slot);
        const QPoint a = source->mapToGlobal(source->rect().center());
        const QPoint b = target->mapToGlobal(target->rect().center());
        auto at = [](QPoint p) {
            return QStringList{QString::number(p.x()), QString::number(p.y())};
        };
        QStringList args =
            QStringList{"mousemove"} + at(a) + QStringList{"sleep", "0.3", "mousedown", "1"};
        // Past the drag distance, then across the canvas in steps, then
        // hanging over the slot before the release.
        for (int i = 1; i <= 12; ++i)
            args +=
                QStringList{"mousemove"} + at(a + (b - a) * i / 12) + QStringList{"sleep", "0.05"};
        args += QStringList{"sleep", "0.8", "mousemove"} + at(b + QPoint(1, 1)) +
                QStringList{"sleep", "0.8", "mouseup", "1"};
        gesture.start(xdotool, args);
        // While the drag runs: the highlight over the slot.
        auto* watch = new QTimer;
        QObject::connect(watch, &QTimer::timeout, [&] {
            QWidget* h = editor->Highlight();
            if (!h->isVisible()) return;
            sawHighlight = true;
            const QRect r(h->mapToGlobal(QPoint(0, 0)), h->size());
            if (r.contains(target->mapToGlobal(target->rect().center()))) highlightOnSlot = true;
        });
        watch->start(20);
        when([] { return topLevel("frmProp") != nullptr; },
             [&, watch] {
                 watch->stop();
                 watch->deleteLater();
                 sawDialog = true;
                 check(sawHighlight, "the highlight showed while the drag hovered");
                 check(highlightOnSlot, "the highlight stood over the slot under the pointer");
                 check(sawDialog, "the drop opened the property dialog");
                 QWidget* dialog = topLevel("frmProp");
                 if (auto* cancel = dialog->findChild<QAbstractButton*>("cmdAnnulla"))
                     cancel->click();
                 when([] { return topLevel("frmProp") == nullptr; },
                      [&] {
                          // The keys are the editor's again (Ctrl+Z) without a click.
                          QTimer::singleShot(500, [&] {
                              check(QApplication::activeWindow() == editor &&
                                        QApplication::focusWidget() &&
                                        QApplication::focusWidget()->window() == editor,
                                    "the editor had the keyboard again once the dialog closed");
                              clipboard();
                          });
                      });
             });
    };

    // 1. The editor on Good morning, placed at the top left.
    when(
        [] {
            auto* prj = ui::CurrentProjectWindow();
            return prj && prj->isVisible() && prj->Session().Project() &&
                   prj->Session().Project()->Scenari()->Count() > 0;
        },
        [&] {
            auto* prj = ui::CurrentProjectWindow();
            for (const auto& s : *prj->Session().Project()->Scenari())
                if (s->ScriptName == "Good morning")
                    prj->SelectNode(project::ScenarioNodeKey(s->Key));
            prj->RunTool("edit");
            editor = prj->Editor();
            if (!editor) {
                check(false, "the editor opened on Good morning");
                finish();
                return;
            }
            editor->move(0, 0);
            editor->resize(1100, 760);
            editor->raise();
            editor->activateWindow();
            // Once it is on the screen and laid out.
            QTimer::singleShot(1000, drag);
        });
    ui::WaitForEnd();
    if (gesture.state() != QProcess::NotRunning) gesture.kill();
    gesture.waitForFinished(2000);
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return g_failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::string(argv[1]) != "drag" && std::string(argv[1]) != "paste")) {
        std::cerr << "usage: tessed_ui_smoke drag DEMO.tdj | paste OUT.tdx\n";
        return 2;
    }
    QApplication app(argc, argv);
    if (std::string(argv[1]) == "paste") return Paste(argv[2]);
    return Drag(argv[0], argv[2]);
}
