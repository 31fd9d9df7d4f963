// The editor's full refill: palettes and six slot groups of a scenario with 20
// elements in each group, linked conditions and undescribed elements whose
// captions come from the element texts.
#include <benchmark/benchmark.h>

#include "bench_env.h"
#include "editor/canvas.h"
#include "env/database.h"

using namespace tessed;

namespace {

void fill(db::Database& db) {
    db::Transaction t(db);
    const char* tables[] = {"TMP_TRIGGER", "TMP_TRIGGERSTOP", "TMP_COND_OK",
                            "TMP_COND_KO", "TMP_STEP_ACT",    "TMP_STEP_ACT_ELSE"};
    for (const char* table : tables) {
        for (int i = 1; i <= 20; ++i) {
            // Every other element without a description: its caption is built.
            db.execute(std::string("INSERT INTO ") + table +
                           " (ID, ORDINE, ID_OBJ, CHI_KEY, COSA_KEY, DOVE_KEY, ID_RES_COSA, "
                           "LEVEL_KEY, ADD_INT, DESCRI, REPEAT, RESTART) "
                           "VALUES (?1, ?1, 1, 1, 2, 12, 1, 1, 0, ?2, 0, 0)",
                       {i, i % 2 ? db::Value("Light " + std::to_string(i)) : db::Value("")});
        }
    }
    for (int i = 1; i < 20; ++i) {
        db.execute("INSERT INTO TMP_OPE_OK (ID_OPE, ID1, ID2) VALUES (1, ?1, ?2)", {i, i + 1});
        db.execute("INSERT INTO TMP_OPE_KO (ID_OPE, ID1, ID2) VALUES (2, ?1, ?2)", {i, i + 1});
    }
    t.commit();
}

void BM_PresetApp(benchmark::State& state) {
    bench::BenchEnv env;
    auto& db = env::Env().master();
    fill(db);
    editor::Canvas canvas;
    canvas.ReposAll();
    size_t filled = 0;
    for (auto _ : state) {
        canvas.PresetApp();
        filled = 0;
        for (auto g : editor::kSlotGroups)
            for (const auto& slot : canvas.strip(g).slots) filled += slot.filled();
        benchmark::DoNotOptimize(filled);
    }
    state.counters["slots"] = double(filled);
}
BENCHMARK(BM_PresetApp)->Unit(benchmark::kMillisecond);

}  // namespace
