// The scenario editor's refresh after a drop, with 20 elements in each of the
// six groups (half without a description, so their captions are built from
// the catalogue) and linked conditions: the model's work and the widgets'.
// Under the offscreen platform unless another one is chosen.
//
//   BM_EditorDrop        an action dragged onto the third action slot, sent
//                        as the events of a real drop: plan, commit with its
//                        undo step, the group's reload, the window's one
//                        queued refresh of every strip, and a repaint of the
//                        whole window.
//   BM_EditorRefreshAll  the six groups reloaded and the whole window shown
//                        and repainted, as after an undo.
#ifdef TESSED_BENCH_UI
// The editor models before Qt: a member of theirs is named like a Qt keyword.
// clang-format off
#include "editor/canvas.h"
// clang-format on
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <memory>

#include "bench_app.h"
#include "bench_env.h"
#include "env/database.h"
#include "model/document.h"
#include "ui/chrome.h"
#include "ui/editor_window.h"

using namespace tessed;

namespace {

// One object the group takes, from the catalogue's capability flags.
int ObjectFor(db::Database& db, const char* flag) {
    auto r = db.queryOne(std::string("SELECT ID_OBJ FROM ASS_OBJ_AREE WHERE ") + flag +
                         " <> 0 AND ID_OBJ <> 23 ORDER BY ID_OBJ");
    return r ? int(r->getInt("ID_OBJ")) : 1;
}

void Fill(db::Database& db) {
    const std::pair<const char*, const char*> groups[] = {
        {"TMP_TRIGGER", "TRIGGER"}, {"TMP_TRIGGERSTOP", "TRIGGERSTOP"},
        {"TMP_COND_OK", "COND_OK"}, {"TMP_COND_KO", "COND_KO"},
        {"TMP_STEP_ACT", "ACT"},    {"TMP_STEP_ACT_ELSE", "ACT_ELSE"}};
    db::Transaction t(db);
    for (auto [table, flag] : groups) {
        const int obj = ObjectFor(db, flag);
        for (int i = 1; i <= 20; ++i)
            db.execute(std::string("INSERT INTO ") + table +
                           " (ID, ORDINE, ID_OBJ, CHI_KEY, COSA_KEY, DOVE_KEY, ID_RES_COSA, "
                           "LEVEL_KEY, ADD_INT, DESCRI, REPEAT, RESTART) "
                           "VALUES (?1, ?1, ?3, 1, 2, 12, 1, 1, 0, ?2, 0, 0)",
                       {i, i % 2 ? db::Value("Light " + std::to_string(i)) : db::Value(""), obj});
    }
    for (int i = 1; i < 20; ++i) {
        db.execute("INSERT INTO TMP_OPE_OK (ID_OPE, ID1, ID2) VALUES (1, ?1, ?2)", {i, i + 1});
        db.execute("INSERT INTO TMP_OPE_KO (ID_OPE, ID1, ID2) VALUES (2, ?1, ?2)", {i, i + 1});
    }
    t.commit();
}

struct Editor {
    bench::BenchEnv env;
    std::unique_ptr<ui::EditorWindow> window;
    Editor() {
        bench::EnsureApplication();
        Document().NewFile();
        Fill(env::Env().master());
        window = std::make_unique<ui::EditorWindow>();
        ui::ApplyCaptions(window.get());
        window->canvas().PresetApp();
        window->RefreshAll();
        window->resize(1100, 760);
        window->show();
        QCoreApplication::processEvents();
    }
    ~Editor() {
        window.reset();
        QCoreApplication::processEvents();
    }
};

void BM_EditorDrop(benchmark::State& state) {
    Editor e;
    ui::EditorWindow& w = *e.window;
    QWidget* target = w.Control(QStringLiteral("imgICOStepACT"), 3);
    QMimeData mime;
    mime.setText(
        ui::EditorWindow::DragText({editor::StripId::kStepAct, editor::Part::kPicture, 1}));
    const QPoint pos = target->rect().center();
    const int before = w.RefreshCount();
    for (auto _ : state) {
        QDragEnterEvent enter(pos, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(pos, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QDropEvent drop(QPointF(pos), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        // The queued refresh, then every widget painted.
        QCoreApplication::sendPostedEvents(&w, QEvent::MetaCall);
        w.repaint();
    }
    // Each drop one refresh: a drop that refreshed less would not count.
    if (w.RefreshCount() - before != int(state.iterations()))
        state.SkipWithError("a drop did not refresh the canvas once");
}
BENCHMARK(BM_EditorDrop)->Unit(benchmark::kMillisecond);

void BM_EditorRefreshAll(benchmark::State& state) {
    Editor e;
    ui::EditorWindow& w = *e.window;
    for (auto _ : state) {
        w.RefreshAll();
        w.repaint();
    }
}
BENCHMARK(BM_EditorRefreshAll)->Unit(benchmark::kMillisecond);

}  // namespace

#endif  // TESSED_BENCH_UI
