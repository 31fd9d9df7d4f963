#pragma once
// The compile run: one long job that compiles one scenario or a list of them,
// writes each scenario's ".err" file and listing, and reports its progress to
// an observer (the log window, the command line, a test).
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compiler/kernix.h"

namespace tessed::compiler {

// One scenario to compile: its file and the two texts handed to the compiler
// (the description, and the name that heads its line in the summary).
struct CompileEntry {
    std::string path;
    std::string text1;
    std::string text2;
};

class CompileObserver {
public:
    virtual ~CompileObserver() = default;
    // The progress bar: `value` of `maximum`.
    virtual void progress(int value, int maximum) { (void)value, (void)maximum; }
    // A log line with its icon key ("vbblue", "vbred", "vbblack" or "").
    virtual void log(const std::string& text, const std::string& iconKey) = 0;
    // Between steps, so that a window can repaint and take a cancel click.
    virtual void yield() {}
};

struct CompileResult {
    int compiled = 0;
    int failed = 0;
    bool cancelled = false;
    // One line per failed scenario: its second text, a tab, the error text, CR.
    std::string summary;
    // What the run shows at its end: the summary, or text 1630 when cancelled.
    std::string message;
};

class CompileRun {
public:
    // Opens a scenario file into the working tables; throws on failure.
    using Loader = std::function<void(const std::string& path)>;
    // Writes the listing of a scenario (MakeCSVSingleS).
    using ListingWriter = std::function<void(const std::string& path, const std::string& error)>;
    // Prepares and opens the configurator; returns an error text, "" on success.
    using ConfiguratorStarter = std::function<std::string()>;
    using KernixFactory = std::function<std::unique_ptr<Kernix>()>;

    // By default scenarios load through the editor's document and their
    // listings are written for the current project's scenarios.
    CompileRun(std::string mode, std::vector<CompileEntry> entries);

    void setLoader(Loader l) { loader_ = std::move(l); }
    void setListingWriter(ListingWriter w) { listing_ = std::move(w); }
    void setConfiguratorStarter(ConfiguratorStarter s) { configurator_ = std::move(s); }
    void setKernixFactory(KernixFactory f) { factory_ = std::move(f); }

    // Asks the run to stop; it finishes the scenario in progress first.
    void requestCancel() { cancel_ = true; }

    CompileResult run(CompileObserver& observer);

    // The ".spt" and ".err" paths beside a scenario file.
    static std::string SptPath(const std::string& scenario);
    static std::string ErrPath(const std::string& scenario);

private:
    void compileOne(const CompileEntry& e, CompileObserver& obs, CompileResult& r);

    std::string mode_;
    std::vector<CompileEntry> entries_;
    Loader loader_;
    ListingWriter listing_;
    ConfiguratorStarter configurator_;
    KernixFactory factory_;
    bool cancel_ = false;  // set from the observer, on the same thread
};

}  // namespace tessed::compiler
