// Opening and saving a project of 300 scenarios, and Info-ZIP's unzip -P and
// zip -P on the same content in the same run, so the two can be compared on
// one machine (docs/project-files.md reports the ratio).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_env.h"
#include "env/environment.h"
#include "project/session.h"

namespace fs = std::filesystem;
using namespace tessed;

namespace {

struct Fixture {
    bench::BenchEnv env;
    fs::path tdj = env.dir() / "big.tdj";
    fs::path unpacked = env.dir() / "unpacked";

    Fixture() {
        project::ProjectSession s;
        s.NewProject();
        s.Project()->Nome = "Three hundred";
        for (int i = 0; i < 300; ++i) s.NewScenario("Scenario " + std::to_string(i + 1));
        if (!s.SaveProject(tdj.string()).empty()) throw std::runtime_error("save failed");
        // The same content unpacked as the working folder holds it, for Info-ZIP.
        fs::create_directories(unpacked);
        std::string cmd =
            "cd '" + unpacked.string() + "' && unzip -q -P KORVASNU '" + tdj.string() +
            "' && for z in *.zip; do unzip -q \"$z\" -d \"${z%.zip}\" && rm \"$z\"; done";
        if (std::system(cmd.c_str()) != 0) throw std::runtime_error("unzip failed");
    }
};

Fixture& fixture() {
    static auto f = std::make_unique<Fixture>();
    return *f;
}

void BM_OpenProject300(benchmark::State& state) {
    auto& f = fixture();
    project::ProjectSession s;
    for (auto _ : state) {
        std::string msg;
        benchmark::DoNotOptimize(s.LoadFilePrj(f.tdj.string(), msg));
    }
}

void BM_SaveProject300(benchmark::State& state) {
    auto& f = fixture();
    project::ProjectSession s;
    std::string msg;
    s.LoadFilePrj(f.tdj.string(), msg);
    fs::path out = f.env.dir() / "saved.tdj";
    for (auto _ : state) benchmark::DoNotOptimize(s.SaveProject(out.string()));
}

// Info-ZIP's counterpart of an open: the outer archive, then the inner ones.
void BM_InfoZipUnzip300(benchmark::State& state) {
    auto& f = fixture();
    fs::path to = f.env.dir() / "iz";
    std::string cmd = "rm -rf '" + to.string() + "' && mkdir -p '" + to.string() + "' && cd '" +
                      to.string() + "' && unzip -q -P KORVASNU '" + f.tdj.string() +
                      "' && for z in *.zip; do unzip -q \"$z\" -d \"${z%.zip}\" && rm \"$z\"; done";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("unzip failed");
}

// Info-ZIP's counterpart of a save: one inner archive per scenario folder,
// then the outer archive with the password.
void BM_InfoZipZip300(benchmark::State& state) {
    auto& f = fixture();
    fs::path stage = f.env.dir() / "izstage";
    fs::path out = f.env.dir() / "iz.tdj";
    std::string cmd =
        "rm -rf '" + stage.string() + "' '" + out.string() + "' && mkdir -p '" + stage.string() +
        "' && cd '" + f.unpacked.string() + "' && for d in *.spt; do (cd \"$d\" && zip -q -X '" +
        stage.string() + "/'\"$d\".zip *) || exit 1; done && cp *.prj '" + stage.string() +
        "' && cd '" + stage.string() + "' && zip -q -P KORVASNU '" + out.string() + "' *";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("zip failed");
}

}  // namespace

BENCHMARK(BM_OpenProject300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveProject300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InfoZipUnzip300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InfoZipZip300)->Unit(benchmark::kMillisecond);
