#pragma once
// The host's batch jobs on a project file, run without any window: regenerate
// the derived files (DOINFOXML), join the scenario listings into a controller
// file (MAKECSV), and compile every scenario (the `tessed compile` command).
// Each one runs in a working folder of its own (env::ScopedWorkingFolder),
// cleared before and removed after it runs, so it never touches the folder of
// a project that this or another process has open.
#include <cstdint>
#include <string>

#include "compiler/compile_run.h"

namespace tessed::project {

// Results shared by the three jobs.
inline constexpr int32_t kBatchOk = 0;
inline constexpr int32_t kBatchMissing = 1;     // the project file does not exist
inline constexpr int32_t kBatchCannotOpen = 2;  // it cannot be opened (or holds invalid scenarios)
inline constexpr int32_t kBatchSaveFailed = 3;  // DOINFOXML and compile: the save failed
inline constexpr int32_t kBatchSomeFailed = 4;  // compile: some scenarios did not compile

// What a job reports beside its result, for the command line.
struct BatchResult {
    int32_t code = kBatchOk;
    // Result 2 because the master database (catalogue) could not be opened,
    // not the project; `message` names the database.
    bool catalogueFailed = false;
    // MakeCsv: result 2 because the output may not be written there
    // (ControllerFileRefused, or write-protected); `message` says why.
    bool outputRefused = false;
    std::string message;  // the open's, save's or refusal's text
};

// Opens and saves the project file: 0, 1, 2, or 3 when the save failed. A
// saved file goes to the top of the recent files, as a save chosen by the user
// does. The project keeps every folder it holds (ProjectSession::SaveProject).
BatchResult RunDoInfoXml(const std::string& fileTdj);
// The same, as the host's function reports it (`message`: the failure's text).
int32_t DoInfoXml(const std::string& fileTdj, std::string* message = nullptr);

// Opens the project and writes its controller file: 1 and 2 as above,
// otherwise the bulk compile's result (0, 2, 3, 4; see validation.h). An
// output that ControllerFileRefused names is refused with 2 before the project
// is opened. A project holding scenario files that its settings file does not
// list gives 2 (text 1792 with the files): the controller file would lack them.
BatchResult RunMakeCsv(const std::string& fileTdj, const std::string& fileCsv);
int32_t MakeCsv(const std::string& fileTdj, const std::string& fileCsv);

// What `tessed compile` reports.
struct CompileProjectResult {
    int32_t code = kBatchOk;
    compiler::CompileResult run;
    std::string message;  // open or save failure text
    int scenarios = 0;
    bool catalogueFailed = false;  // as in BatchResult
};

// Opens the project, compiles every scenario with the compile run, saves the
// project: 0 every scenario compiled, 4 some failed, 1, 2, or 3 when the save
// failed. Like MakeCsv it gives 2 for scenario files the settings file does
// not list, which it would otherwise leave uncompiled behind a "compiled N of N".
CompileProjectResult CompileProject(const std::string& fileTdj,
                                    compiler::CompileObserver& observer);

}  // namespace tessed::project
