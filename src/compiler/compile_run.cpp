#include "compiler/compile_run.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "compiler/builtin_kernix.h"
#include "compiler/external_kernix.h"
#include "env/environment.h"
#include "env/files.h"
#include "env/strings.h"
#include "env/texts.h"

namespace tessed::compiler {

namespace fs = std::filesystem;

namespace {

constexpr long kTextConfigurator = 1114;
constexpr long kTextCancelled = 1630;
constexpr long kTextAllCompiled = 1635;

}  // namespace

struct CompileRun::Outcome {
    bool compiled = false;
    bool failed = false;
    std::string error;
    // The entry's log lines, kept until it is its turn to be reported.
    std::vector<std::pair<std::string, std::string>> lines;
};

CompileRun::CompileRun(std::string mode, std::vector<CompileEntry> entries)
    : mode_(std::move(mode)),
      entries_(std::move(entries)),
      opener_([] { return env::Env().OpenWorkConnection(); }),
      loader_([](Workspace& ws, const std::string& path) { ws.document.LoadPrj(path); }),
      listing_([](db::Database& c, const CompileEntry& e, const std::string& error) {
          if (e.record) WriteListing(c, *e.record, error);
      }) {
    // The configuration is read here, on the caller's thread, once per run; a
    // fresh compiler is still made for every scenario.
    std::string program = ConfiguredKernixProgram();
    factory_ = [program]() -> std::unique_ptr<Kernix> {
        if (!program.empty()) return std::make_unique<ExternalKernix>(program);
        return std::make_unique<BuiltinKernix>();
    };
    if (str::ToUpper(mode_) == "COMPILEALL") workers_ = DefaultWorkers();
}

std::string CompileRun::SptPath(const std::string& scenario) {
    fs::path p = scenario;
    p.replace_extension(".spt");
    return p.string();
}

std::string CompileRun::ErrPath(const std::string& scenario) {
    fs::path p = scenario;
    p.replace_extension(".err");
    return p.string();
}

int CompileRun::DefaultWorkers() {
    // A small pool: every compile writes and syncs its files, so beyond a few
    // workers more threads mostly add connections waiting on the disk.
    unsigned n = std::thread::hardware_concurrency();
    return std::clamp(int(n), 1, kMaxWorkers);
}

CompileRun::Outcome CompileRun::compileOne(Workspace* ws, const std::string& openError,
                                           const CompileEntry& e, const LogSink& log) const {
    Outcome o;
    std::string error;
    int32_t status = 0;
    try {
        if (!ws) throw db::Error(openError);
        if (!loader_) throw std::runtime_error("no scenario loader");
        loader_(*ws, e.path);
        std::unique_ptr<Kernix> k = factory_ ? factory_() : nullptr;
        if (!k) throw std::runtime_error("no compiler");
        std::string spt = SptPath(e.path);
        if (spt.empty()) return o;
        if (e.record)
            k->setCommands(e.record->abilita, e.record->disabilita);
        else
            k->setCommands(ws->document.FileAbilita(), ws->document.FileDisabilita());
        k->setOperationHandler(
            [&](const std::string& text, uint32_t colour) { log(text, IconKeyForColour(colour)); });
        k->Compile(ws->connection, spt, e.text1, e.text2, error, status);
    } catch (const std::exception& ex) {
        // A scenario that cannot even be loaded fails like a rejected one.
        error = ex.what();
        status = 0;
        log(error, IconKeyForColour(kColourRed));
    }
    try {
        if (status != -1) {
            // The previous compiled file stays; the error file, newer than it,
            // makes the scenario show as failed until it compiles again.
            files::WriteFileAtomic(ErrPath(e.path), error);
            if (listing_ && ws) listing_(ws->connection, e, error);
            o.failed = true;
            o.error = error;
        } else {
            std::error_code ec;
            fs::remove(ErrPath(e.path), ec);
            if (listing_ && ws) listing_(ws->connection, e, "");
            o.compiled = true;
        }
    } catch (const std::exception&) {
        // A listing that cannot be written leaves the scenario's result as the
        // compiler gave it; the missing listing shows at the bulk compile.
        o.compiled = status == -1;
        o.failed = !o.compiled;
        o.error = error;
    }
    return o;
}

namespace {

// The worker's workspace, opened when its first scenario needs it.
struct LazyWorkspace {
    const CompileRun::ConnectionOpener& opener;
    std::unique_ptr<Workspace> ws;
    std::string error;
    bool tried = false;

    Workspace* get() {
        if (!tried) {
            tried = true;
            try {
                if (!opener) throw db::Error("no connection");
                ws = std::make_unique<Workspace>(opener());
            } catch (const std::exception& e) {
                error = e.what();
            }
        }
        return ws.get();
    }
};

void Apply(const CompileEntry& e, const std::string& error, bool compiled, bool failed,
           CompileResult& r) {
    if (compiled) ++r.compiled;
    if (failed) {
        r.summary += e.text2 + "\t" + error + "\r";
        ++r.failed;
    }
}

}  // namespace

void CompileRun::runSerial(CompileObserver& obs, CompileResult& r) {
    const int total = int(entries_.size());
    LazyWorkspace ws{opener_, nullptr, {}, false};
    LogSink log = [&](const std::string& text, const std::string& icon) { obs.log(text, icon); };
    for (int i = 0; i < total; ++i) {
        const CompileEntry& e = entries_[size_t(i)];
        if (e.path.empty()) continue;
        Workspace* w = ws.get();
        Outcome o = compileOne(w, ws.error, e, log);
        Apply(e, o.error, o.compiled, o.failed, r);
        obs.progress(i + 1, total);
        if (cancelRequested() && i + 1 < total) {
            r.cancelled = true;
            break;
        }
    }
}

void CompileRun::runParallel(CompileObserver& obs, CompileResult& r, int workers) {
    const size_t total = entries_.size();
    struct Slot {
        bool done = false;
        Outcome outcome;
    };
    std::vector<Slot> slots(total);
    std::mutex m;
    std::condition_variable cv;
    size_t next = 0;
    int running = workers;
    // Set when the reporting side leaves early (an observer that throws), so
    // that the workers stop and can be joined.
    std::atomic<bool> abandon{false};

    auto work = [&] {
        {
            LazyWorkspace ws{opener_, nullptr, {}, false};
            for (;;) {
                size_t i = 0;
                {
                    std::lock_guard<std::mutex> lock(m);
                    if (cancelRequested() || abandon || next >= total) break;
                    i = next++;
                }
                Outcome o;
                const CompileEntry& e = entries_[i];
                if (!e.path.empty()) {
                    std::vector<std::pair<std::string, std::string>> lines;
                    try {
                        Workspace* w = ws.get();
                        o = compileOne(w, ws.error, e,
                                       [&lines](const std::string& t, const std::string& c) {
                                           lines.emplace_back(t, c);
                                       });
                    } catch (const std::exception& ex) {
                        o.failed = true;
                        o.error = ex.what();
                    } catch (...) {
                        // Nothing may leave a worker thread; the entry counts as failed.
                        o.failed = true;
                    }
                    o.lines = std::move(lines);
                }
                {
                    std::lock_guard<std::mutex> lock(m);
                    slots[i].outcome = std::move(o);
                    slots[i].done = true;
                }
                cv.notify_all();
            }
        }  // the worker's connection closes on its own thread
        {
            std::lock_guard<std::mutex> lock(m);
            --running;
        }
        cv.notify_all();
    };

    std::vector<std::thread> threads;
    struct Joiner {
        std::vector<std::thread>& threads;
        std::atomic<bool>& abandon;
        ~Joiner() {
            abandon = true;
            for (auto& t : threads)
                if (t.joinable()) t.join();
        }
    } joiner{threads, abandon};
    for (int w = 0; w < workers; ++w) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            // Fewer threads than asked for: those there are do the work.
            std::lock_guard<std::mutex> lock(m);
            running -= workers - w;
            break;
        }
    }
    if (threads.empty()) {
        runSerial(obs, r);
        return;
    }

    for (size_t i = 0; i < total; ++i) {
        Outcome o;
        {
            std::unique_lock<std::mutex> lock(m);
            cv.wait(lock, [&] { return slots[i].done || running == 0; });
            // Workers take entries in order and finish every one they take, so
            // an entry still open once they have all stopped was never started.
            if (!slots[i].done) {
                r.cancelled = true;
                break;
            }
            o = std::move(slots[i].outcome);
        }
        const CompileEntry& e = entries_[i];
        if (e.path.empty()) continue;
        for (const auto& [text, icon] : o.lines) obs.log(text, icon);
        Apply(e, o.error, o.compiled, o.failed, r);
        obs.progress(int(i + 1), int(total));
    }
}

CompileResult CompileRun::run(CompileObserver& obs) {
    CompileResult r;
    std::string mode = str::ToUpper(mode_);
    if (mode == "LEXORA") {
        std::string err = configurator_ ? configurator_() : texts::GetText(kTextConfigurator);
        if (!err.empty()) r.message = texts::GetText(kTextConfigurator) + "\r" + err;
        return r;
    }
    if (mode != "COMPILE" && mode != "COMPILEALL") return r;
    int scenarios = 0;
    for (const auto& e : entries_) scenarios += e.path.empty() ? 0 : 1;
    const int workers = std::min(workers_, scenarios);
    obs.progress(0, int(entries_.size()));
    if (workers > 1)
        runParallel(obs, r, workers);
    else
        runSerial(obs, r);
    r.message = r.cancelled         ? texts::GetText(kTextCancelled)
                : r.summary.empty() ? texts::GetText(kTextAllCompiled)
                                    : r.summary;
    return r;
}

}  // namespace tessed::compiler
