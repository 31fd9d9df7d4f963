#include "compiler/compile_run.h"

#include <filesystem>

#include "env/database.h"
#include "env/environment.h"
#include "env/files.h"
#include "env/texts.h"
#include "compiler/listing.h"
#include "model/document.h"
#include "env/strings.h"

namespace tessed::compiler {

namespace fs = std::filesystem;

namespace {
}  // namespace

CompileRun::CompileRun(std::string mode, std::vector<CompileEntry> entries)
    : mode_(std::move(mode)),
      entries_(std::move(entries)),
      loader_([](const std::string& path) { Document().LoadPrj(path); }),
      listing_(MakeCSVSingleS),
      factory_(CreateKernix) {}

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

void CompileRun::compileOne(const CompileEntry& e, CompileObserver& obs, CompileResult& r) {
    std::string error;
    int32_t status = 0;
    try {
        if (!loader_) throw std::runtime_error("no scenario loader");
        loader_(e.path);
        std::unique_ptr<Kernix> k = factory_();
        std::string spt = SptPath(e.path);
        if (spt.empty()) return;
        k->setOperationHandler([&](const std::string& text, uint32_t colour) {
            obs.log(text, IconKeyForColour(colour));
            obs.yield();
        });
        k->Compile(env::Env().master(), spt, e.text1, e.text2, error, status);
    } catch (const std::exception& ex) {
        // A scenario that cannot even be loaded fails like a rejected one.
        error = ex.what();
        status = 0;
        obs.log(error, IconKeyForColour(kColourRed));
    }
    if (status != -1) {
        // The previous compiled file stays; the error file makes the scenario
        // show as failed until it compiles again.
        files::WriteFileAtomic(ErrPath(e.path), error);
        if (listing_) listing_(e.path, error);
        r.summary += e.text2 + "\t" + error + "\r";
        ++r.failed;
    } else {
        std::error_code ec;
        fs::remove(ErrPath(e.path), ec);
        if (listing_) listing_(e.path, "");
        ++r.compiled;
    }
}

CompileResult CompileRun::run(CompileObserver& obs) {
    CompileResult r;
    std::string mode = str::ToUpper(mode_);
    if (mode == "LEXORA") {
        std::string err = configurator_ ? configurator_() : texts::GetText(1114);
        if (!err.empty()) r.message = texts::GetText(1114) + "\r" + err;
        return r;
    }
    if (mode != "COMPILE" && mode != "COMPILEALL") return r;
    int total = int(entries_.size());
    obs.progress(0, total);
    for (int i = 0; i < total; ++i) {
        obs.yield();
        const CompileEntry& e = entries_[size_t(i)];
        if (e.path.empty()) continue;
        compileOne(e, obs, r);
        obs.progress(i + 1, total);
        if (cancel_ && i + 1 < total) {
            r.cancelled = true;
            break;
        }
    }
    r.message = r.cancelled ? texts::GetText(1630) : r.summary;
    return r;
}

}  // namespace tessed::compiler
