#pragma once
// The compile run: one long job that compiles one scenario or a list of them,
// writes each scenario's ".err" file and listing, and reports its progress to
// an observer (the log window, the command line, a test).
//
// Where it works. Every scenario is loaded into the working tables of a
// connection of the run's own (env::Environment::OpenWorkConnection) through a
// scenario document of its own. The master connection's working tables, which
// hold the scenario shown in the editor, and the editor's document with its
// modified flag are never touched. What the run needs of the project is copied
// into its entries when they are made, so it never reads the project while it
// runs.
//
// Threads. `run` may be called on any thread, for instance a worker thread that
// the log window starts; `requestCancel` may be called on any thread at any
// time. With one worker the scenarios are compiled on the thread that called
// `run`; with more (setWorkers), on that many threads of the run's own, each
// with its own connection, document and compiler. The loader, listing writer,
// compiler factory and connection opener are then called on those threads,
// several at once: they must not share unguarded state (the defaults do not).
//
// Observer contract. Every observer call is made on the thread that called
// `run`, one at a time, and none after `run` returns. The calls come in the
// order a serial run makes them, whatever order the workers finish in:
// progress(0, n) first; then, for every entry in list order whose path is not
// empty, its log lines in the order its compiler raised them, followed by
// progress(i, n) with i the entry's 1-based position. With several workers an
// entry's lines arrive together once it has finished. The string arguments
// live only for the call: an observer that forwards to a window's thread
// copies them. An observer may call requestCancel and nothing else of the run.
//
// Cancelling. A cancel request lets the scenarios in progress finish and write
// their files, and starts no other: with one worker that is the one scenario
// being compiled, with several at most one per worker. The result counts what
// was compiled; it is `cancelled` when entries were left, and then its message
// is text 1630.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compiler/kernix.h"
#include "compiler/listing.h"
#include "env/database.h"
#include "model/document.h"

namespace tessed::compiler {

// One scenario to compile: its file and the two texts handed to the compiler
// (the description, and the name that heads its line in the summary).
struct CompileEntry {
    CompileEntry() = default;
    CompileEntry(std::string p, std::string t1, std::string t2,
                 std::optional<ListingScenario> r = std::nullopt)
        : path(std::move(p)), text1(std::move(t1)), text2(std::move(t2)), record(std::move(r)) {}

    std::string path;
    std::string text1;
    std::string text2;
    // The project's record of the scenario: the listing's header values and the
    // enable and disable commands handed to the compiler. Without it no listing
    // is written (as for a path that is not in the project) and the compiler
    // gets the commands of the loaded file.
    std::optional<ListingScenario> record;
};

class CompileObserver {
  public:
    virtual ~CompileObserver() = default;
    // The progress bar: `value` of `maximum`.
    virtual void progress(int value, int maximum) { (void)value, (void)maximum; }
    // A log line with its icon key ("vbblue", "vbred", "vbblack" or "").
    virtual void log(const std::string& text, const std::string& iconKey) = 0;
};

struct CompileResult {
    int compiled = 0;
    int failed = 0;
    bool cancelled = false;
    // One line per failed scenario: its second text, a tab, the error text, CR.
    std::string summary;
    // What the run shows at its end: text 1630 when cancelled, the summary when
    // a scenario failed, text 1635 (all compiled) otherwise.
    std::string message;
};

// What one worker compiles in: a connection of its own on the master database,
// with working tables of its own, and a scenario document on it.
struct Workspace {
    explicit Workspace(db::Database c) : connection(std::move(c)), document(&connection) {}
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    db::Database connection;
    ScenarioDocument document;
};

class CompileRun {
  public:
    // Opens a worker's connection; throws db::Error when it cannot.
    using ConnectionOpener = std::function<db::Database()>;
    // Opens a scenario file into the workspace's working tables; throws on failure.
    using Loader = std::function<void(Workspace& workspace, const std::string& path)>;
    // Writes the listing of an entry from the scenario loaded in `connection`.
    using ListingWriter = std::function<void(db::Database& connection, const CompileEntry& entry,
                                             const std::string& error)>;
    // Prepares and opens the configurator; returns an error text, "" on success.
    using ConfiguratorStarter = std::function<std::string()>;
    using KernixFactory = std::function<std::unique_ptr<Kernix>()>;

    // By default each worker opens a work connection on the master database,
    // loads scenarios through its own document, writes the listings of the
    // entries that carry a record, and uses the compiler configured now (see
    // CreateKernix). Mode "COMPILEALL" uses DefaultWorkers() workers, any
    // other mode one.
    CompileRun(std::string mode, std::vector<CompileEntry> entries);

    // The job as the caller named it: "COMPILE", "COMPILEALL" or "LEXORA".
    const std::string& mode() const { return mode_; }

    void setConnectionOpener(ConnectionOpener o) { opener_ = std::move(o); }
    void setLoader(Loader l) { loader_ = std::move(l); }
    void setListingWriter(ListingWriter w) { listing_ = std::move(w); }
    void setConfiguratorStarter(ConfiguratorStarter s) { configurator_ = std::move(s); }
    void setKernixFactory(KernixFactory f) { factory_ = std::move(f); }
    // The most scenarios compiled at once; never more than there are entries.
    void setWorkers(int n) { workers_ = n < 1 ? 1 : n; }
    int workers() const { return workers_; }

    // Asks the run to stop; the scenarios in progress finish first.
    void requestCancel() { cancel_->store(true); }
    bool cancelRequested() const { return cancel_->load(); }

    CompileResult run(CompileObserver& observer);

    // The ".spt" and ".err" paths beside a scenario file.
    static std::string SptPath(const std::string& scenario);
    static std::string ErrPath(const std::string& scenario);
    // The processor count, at least 1 and at most kMaxWorkers.
    static constexpr int kMaxWorkers = 8;
    static int DefaultWorkers();

  private:
    struct Outcome;
    using LogSink = std::function<void(const std::string& text, const std::string& iconKey)>;

    Outcome compileOne(Workspace* workspace, const std::string& openError, const CompileEntry& e,
                       const LogSink& log) const;
    void runSerial(CompileObserver& observer, CompileResult& r);
    void runParallel(CompileObserver& observer, CompileResult& r, int workers);

    std::string mode_;
    std::vector<CompileEntry> entries_;
    ConnectionOpener opener_;
    Loader loader_;
    ListingWriter listing_;
    ConfiguratorStarter configurator_;
    KernixFactory factory_;
    int workers_ = 1;
    // Set from any thread; read by the workers before each scenario.
    std::unique_ptr<std::atomic<bool>> cancel_ = std::make_unique<std::atomic<bool>>(false);
};

}  // namespace tessed::compiler
