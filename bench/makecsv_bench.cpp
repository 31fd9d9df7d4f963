// Joining the listings of a compiled 300-scenario project into the controller
// file (MAKEALLCSV, the step of `tessed makecsv` after the project is open),
// and `cat` writing the same bytes from the same files in the same run: the
// header lines, then each listing and its line end. cat is started directly
// (no shell), as a user would run it, and its output is compared with the
// join's once, so the two always produce the same file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_env.h"
#include "compiler/compile_run.h"
#include "compiler/listing.h"
#include "env/files.h"
#include "model/document.h"
#include "project/session.h"
#include "project/validation.h"
#include "scenarios.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace tessed;

namespace {

struct Quiet : compiler::CompileObserver {
    void log(const std::string&, const std::string&) override {}
};

struct Fixture {
    bench::BenchEnv env;
    project::ProjectSession session;
    fs::path joined = env.dir() / "joined.csv";
    fs::path catted = env.dir() / "catted.csv";
    std::vector<std::string> catArgs;  // cat's argument list: header, listing, line end, ...
    size_t bytes = 0;

    Fixture() {
        session.NewProject();
        session.Project()->Nome = "Three hundred";
        for (int i = 0; i < 300; ++i)
            bench::WriteCompilableScenario(
                session.NewScenario("Scenario " + std::to_string(i + 1))->FullPath);
        Document().NewFile();
        Quiet quiet;
        if (session.CompileAll(quiet).failed > 0) throw std::runtime_error("compile failed");
        if (project::MAKEALLCSV(joined.string(), session.Project()) != project::kCsvOk)
            throw std::runtime_error("join failed");
        std::string out;
        files::ReadFile(joined, out);
        bytes = out.size();

        // The header is what precedes the listings in the joined file.
        size_t listings = 0;
        std::vector<std::string> paths;
        for (const auto& s : *session.Project()->Scenari()) {
            paths.push_back(compiler::ListingPath(s->FullPath));
            listings += fs::file_size(paths.back()) + 4;
        }
        const fs::path header = env.dir() / "header.bin", crlf = env.dir() / "crlf.bin";
        files::WriteFileAtomic(header, std::string_view(out).substr(0, out.size() - listings));
        files::WriteFileAtomic(crlf, std::string("\r\0\n\0", 4));
        catArgs = {"cat", header.string()};
        for (const auto& p : paths) {
            catArgs.push_back(p);
            catArgs.push_back(crlf.string());
        }
        if (!cat()) throw std::runtime_error("cat failed");
        std::string again;
        files::ReadFile(catted, again);
        if (again != out) throw std::runtime_error("cat wrote other bytes than the join");
    }

    bool cat() const {
        std::vector<char*> argv;
        for (const auto& a : catArgs) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, catted.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t pid = 0;
        int rc = posix_spawnp(&pid, "cat", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    }
};

Fixture& fixture() {
    static auto f = std::make_unique<Fixture>();
    return *f;
}

void BM_MakeCsv300(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state)
        if (project::MAKEALLCSV(f.joined.string(), f.session.Project()) != project::kCsvOk)
            state.SkipWithError("join failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.bytes));
}

void BM_Cat300(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state)
        if (!f.cat()) state.SkipWithError("cat failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.bytes));
}

}  // namespace

// Wall-clock time: cat's work is in another process.
BENCHMARK(BM_MakeCsv300)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Cat300)->Unit(benchmark::kMillisecond)->UseRealTime();
