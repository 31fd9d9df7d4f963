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

// Opens and saves the project file: 0, 1, 2, or 3 when the save failed
// (`message` receives the save's text). A saved file goes to the top of the
// recent files, as a save chosen by the user does.
int32_t DoInfoXml(const std::string& fileTdj, std::string* message = nullptr);

// Opens the project and writes its controller file: 1 and 2 as above,
// otherwise the bulk compile's result (0, 2, 3, 4; see validation.h).
int32_t MakeCsv(const std::string& fileTdj, const std::string& fileCsv);

// What `tessed compile` reports.
struct CompileProjectResult {
    int32_t code = kBatchOk;
    compiler::CompileResult run;
    std::string message;  // open or save failure text
    int scenarios = 0;
};

// Opens the project, compiles every scenario with the compile run, saves the
// project: 0 every scenario compiled, 4 some failed, 1, 2, or 3 when the save
// failed.
CompileProjectResult CompileProject(const std::string& fileTdj,
                                    compiler::CompileObserver& observer);

}  // namespace tessed::project
