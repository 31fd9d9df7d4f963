// Compiling every scenario of a 300-scenario project, as "compileall" and
// `tessed compile` do: with the default pool of workers, and with one worker
// for comparison (docs/listing.md reports both).
#include <benchmark/benchmark.h>

#include <string>

#include "bench_env.h"
#include "compiler/compile_run.h"
#include "model/document.h"
#include "project/session.h"
#include "scenarios.h"

using namespace tessed;

namespace {

struct Quiet : compiler::CompileObserver {
    size_t lines = 0;
    void log(const std::string&, const std::string&) override { ++lines; }
};

void compileAll(benchmark::State& state, int workers) {
    bench::BenchEnv env;
    project::ProjectSession s;
    s.NewProject();
    s.Project()->Nome = "Three hundred";
    for (int i = 0; i < 300; ++i)
        bench::WriteCompilableScenario(
            s.NewScenario("Scenario " + std::to_string(i + 1))->FullPath);
    Document().NewFile();
    int compiled = 0;
    for (auto _ : state) {
        Quiet quiet;
        auto r = s.CompileAll(quiet, [workers](compiler::CompileRun& run) {
            if (workers > 0) run.setWorkers(workers);
        });
        compiled = r.compiled;
        if (r.failed > 0) state.SkipWithError(r.summary.c_str());
        benchmark::DoNotOptimize(quiet.lines);
    }
    state.counters["compiled"] = double(compiled);
    state.counters["workers"] =
        double(workers > 0 ? workers : compiler::CompileRun::DefaultWorkers());
}

void BM_CompileAll300(benchmark::State& state) { compileAll(state, 0); }
void BM_CompileAll300Serial(benchmark::State& state) { compileAll(state, 1); }

}  // namespace

BENCHMARK(BM_CompileAll300)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CompileAll300Serial)->Unit(benchmark::kMillisecond)->UseRealTime();
