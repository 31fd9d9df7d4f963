#include "project/batch.h"

#include <filesystem>

#include "env/environment.h"
#include "env/errors.h"
#include "env/files.h"
#include "env/state.h"
#include "env/texts.h"
#include "model/project.h"
#include "model/schema.h"
#include "project/session.h"
#include "project/settings.h"
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
        : project_(CurrentProject()),
          projectFile_(Host().ProjectFile),
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

// The failure of a job that cannot open the master database. Plain text: the
// numbered texts live in that database.
std::string catalogueText() {
    const auto& env = env::Env();
    return "cannot open the master database " + env.databaseFile(env.currentLanguage()).string();
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

// Scenario files the settings file does not reach: a job that works on the
// listed scenarios only refuses the project rather than skip them unseen.
bool unlisted(const ProjectSession& session, std::string& message) {
    const auto& files = session.UnlistedScenarioFiles();
    if (files.empty()) return false;
    message = texts::GetText(kTextScenariosUnlisted);
    for (const auto& f : files) message += "\r" + f;
    return true;
}

}  // namespace

BatchResult RunDoInfoXml(const std::string& fileTdj) {
    BatchResult r;
    if (!exists(fileTdj)) {
        r.code = kBatchMissing;
        return r;
    }
    BatchScope scope;
    if (!scope.ready()) {
        r.code = kBatchCannotOpen;
        r.catalogueFailed = true;
        r.message = catalogueText();
        return r;
    }
    ProjectSession session;
    if (!open(session, fileTdj, r.message)) {
        r.code = kBatchCannotOpen;
        return r;
    }
    // The host's regeneration saves as the user's "save" does, and that puts
    // the file at the top of the recent files. Folders the settings file does
    // not list are saved as they came.
    RecentFiles recent;
    recent.ReadIni();
    r.message = session.SaveCurrent(&recent);
    r.code = r.message.empty() ? kBatchOk : kBatchSaveFailed;
    return r;
}

int32_t DoInfoXml(const std::string& fileTdj, std::string* message) {
    BatchResult r = RunDoInfoXml(fileTdj);
    if (message) *message = r.message;
    return r.code;
}

BatchResult RunMakeCsv(const std::string& fileTdj, const std::string& fileCsv) {
    BatchResult r;
    if (!exists(fileTdj)) {
        r.code = kBatchMissing;
        return r;
    }
    // Refused before anything is opened: the project file, a folder, a file
    // the job itself reads or works in.
    if (std::string why = ControllerFileRefused(fileCsv, fileTdj); !why.empty()) {
        r.code = kCsvCannotDelete;
        r.outputRefused = true;
        r.message = why;
        return r;
    }
    BatchScope scope;
    if (!scope.ready()) {
        r.code = kBatchCannotOpen;
        r.catalogueFailed = true;
        r.message = catalogueText();
        return r;
    }
    ProjectSession session;
    if (!open(session, fileTdj, r.message) || unlisted(session, r.message)) {
        r.code = kBatchCannotOpen;
        return r;
    }
    r.code = MAKEALLCSV(fileCsv);
    if (r.code == kCsvCannotDelete) {
        r.outputRefused = true;
        r.message = files::IsWriteProtected(fileCsv) ? "write-protected" : "cannot be replaced";
    }
    return r;
}

int32_t MakeCsv(const std::string& fileTdj, const std::string& fileCsv) {
    return RunMakeCsv(fileTdj, fileCsv).code;
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
        r.catalogueFailed = true;
        r.message = catalogueText();
        return r;
    }
    ProjectSession session;
    if (!open(session, fileTdj, r.message) || unlisted(session, r.message)) {
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
