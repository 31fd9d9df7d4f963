// The listing of a large scenario: 20 triggers, 20 conditions linked by
// operators and 100 actions, written from the working tables.
#include <benchmark/benchmark.h>

#include "bench_env.h"
#include "compiler/listing.h"

using namespace tessed;

namespace {

void fill(db::Database& db) {
    db::Transaction t(db);
    auto insert = [&](const char* table, int id) {
        db.execute(std::string("INSERT INTO ") + table +
                       " (ID, ORDINE, ID_OBJ, CHI_KEY, COSA_KEY, DOVE_KEY, LEVEL_KEY, ADD_INT, "
                       "DESCRI) VALUES (?1, ?1, 1, 1, 1, 0, 0, 0, ?2)",
                   {id, id % 3 ? db::Value("Light " + std::to_string(id)) : db::Value("")});
    };
    for (int i = 1; i <= 20; ++i) insert("TMP_TRIGGER", i);
    for (int i = 1; i <= 20; ++i) insert("TMP_COND_OK", i);
    for (int i = 1; i < 20; ++i)
        db.execute("INSERT INTO TMP_OPE_OK (ID_OPE, ID1, ID2) VALUES (1, ?1, ?2)", {i, i + 1});
    for (int i = 1; i <= 100; ++i) insert("TMP_STEP_ACT", i);
    t.commit();
}

void BM_Listing(benchmark::State& state) {
    bench::BenchEnv env;
    auto& db = env::Env().master();
    fill(db);
    compiler::ListingScenario sc;
    sc.fullPath = (env.dir() / "1.tdx").string();
    sc.fileName = "1.tdx";
    sc.scriptName = "Bench";
    size_t bytes = 0;
    for (auto _ : state) {
        std::string out = compiler::BuildListing(db, sc, "");
        bytes = out.size();
        benchmark::DoNotOptimize(out);
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_Listing)->Unit(benchmark::kMillisecond);

}  // namespace
