#include "project/batch.h"

#include <filesystem>

#include "env/environment.h"
#include "env/errors.h"
#include "env/state.h"
#include "model/project.h"
#include "model/schema.h"
#include "project/session.h"
#include "project/validation.h"

namespace tessed::project {

namespace fs = std::filesystem;

namespace {

// Runs a job in a working folder of its own and prepares the master
// connection (texts, working tables). The folder is removed after the job
// whatever happens. A project the process has open elsewhere (the host's
// editor) keeps its folder, and gets its project object, project file and
// changed flag back when the job ends.
class BatchScope {
  public:
    BatchScope()
        : project_(CurrentProject()), projectFile_(Host().ProjectFile),
          changed_(Flags().projectChanged) {
        schema::InstallWorkingTables();
        env::Env().ClearWorkingFolder();
        ready_ = env::Env().connected() || env::Env().OpenSystemDatabase();
    }
    ~BatchScope() {
        env::Env().ClearWorkingFolder();
        SetCurrentProject(project_);
        Host().ProjectFile = projectFile_;
        Flags().projectChanged = changed_;
    }
    bool ready() const { return ready_; }

  private:
    env::ScopedWorkingFolder folder_;
    std::shared_ptr<Collezione> project_;
    std::string projectFile_;
    bool changed_ = false;
    bool ready_ = false;
};

bool exists(const std::string& file) {
    std::error_code ec;
    return fs::is_regular_file(file, ec);
}

// Opens the project. A project with invalid scenarios counts as not opened:
// saving or joining it would silently leave those scenarios out.
bool open(ProjectSession& session, const std::string& fileTdj, std::string& message) {
    try {
        if (!session.LoadFilePrj(fileTdj, message)) return false;
    } catch (const ProjectError& e) {
        message = e.what();
        return false;
    }
    Host().ProjectFile = fileTdj;
    return true;
}

}  // namespace

int32_t DoInfoXml(const std::string& fileTdj, std::string* message) {
    if (!exists(fileTdj)) return kBatchMissing;
    BatchScope scope;
    if (!scope.ready()) return kBatchCannotOpen;
    ProjectSession session;
    std::string text;
    if (!open(session, fileTdj, text)) {
        if (message) *message = text;
        return kBatchCannotOpen;
    }
    // The host's regeneration saves as the user's "save" does, and that puts
    // the file at the top of the recent files.
    RecentFiles recent;
    recent.ReadIni();
    std::string err = session.SaveCurrent(&recent);
    if (message) *message = err;
    return err.empty() ? kBatchOk : kBatchSaveFailed;
}

int32_t MakeCsv(const std::string& fileTdj, const std::string& fileCsv) {
    if (!exists(fileTdj)) return kBatchMissing;
    BatchScope scope;
    if (!scope.ready()) return kBatchCannotOpen;
    ProjectSession session;
    std::string text;
    if (!open(session, fileTdj, text)) return kBatchCannotOpen;
    return MAKEALLCSV(fileCsv);
}

CompileProjectResult CompileProject(const std::string& fileTdj,
                                    compiler::CompileObserver& observer) {
    CompileProjectResult r;
    if (!exists(fileTdj)) {
        r.code = kBatchMissing;
        return r;
    }
    BatchScope scope;
    if (!scope.ready()) {
        r.code = kBatchCannotOpen;
        return r;
    }
    ProjectSession session;
    if (!open(session, fileTdj, r.message)) {
        r.code = kBatchCannotOpen;
        return r;
    }
    r.scenarios = int(session.Project()->Scenari()->Count());
    r.run = session.CompileAll(observer);
    std::string err = session.SaveCurrent();
    if (!err.empty()) {
        r.message = err;
        r.code = kBatchSaveFailed;
    } else {
        r.code = r.run.failed > 0 || r.run.cancelled ? kBatchSomeFailed : kBatchOk;
    }
    return r;
}

}  // namespace tessed::project
