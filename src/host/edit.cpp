#include "edit.h"

#include <filesystem>

#include "env/environment.h"
#include "env/messages.h"
#include "env/state.h"
#include "env/texts.h"
#include "model/schema.h"
#include "project/batch.h"
#ifdef TESSED_WITH_UI
#include "ui/application.h"
#endif

namespace tessed {

namespace {
Edit* g_current = nullptr;

UserInterfaceStarter& starter() {
    static UserInterfaceStarter s;
    return s;
}

ProjectBatch& batch() {
    static ProjectBatch b;
    return b;
}

void clearFlags() {
    auto& f = Flags();
    f.started = false;
    f.systemDbFailed = false;
    f.projectChanged = false;
    f.scenarioChanged = false;
    f.editorWorkValue = 0;
}
}  // namespace

void SetUserInterfaceStarter(UserInterfaceStarter s) { starter() = std::move(s); }
void SetProjectBatch(ProjectBatch b) { batch() = std::move(b); }

namespace {
// The windows of this build become Show's user interface once, before the
// first Edit is used; a host may still install its own afterwards.
void installWindows() {
#ifdef TESSED_WITH_UI
    static bool done = false;
    if (done) return;
    done = true;
    SetUserInterfaceStarter([](Edit&) {
        ui::HostCallbacks callbacks;
        callbacks.appEnd = [] {
            if (Edit* e = Edit::Current()) e->RaiseAppEnd();
        };
        callbacks.activateHost = [] {
            if (Edit* e = Edit::Current()) e->RaiseHostActivate();
        };
        callbacks.minimiseHost = [] {
            if (Edit* e = Edit::Current()) e->RaiseHostMinimise();
        };
        ui::Show(callbacks);
    });
    SetProjectBatch({[] { ui::EndApp(); }, [](int32_t state) { ui::SetWindowsState(state); }});
#endif
}
}  // namespace

Edit::Edit() {
    installWindows();
    Host().TEXTID = false;
    Host().ParentEXEname = "False";
    clearFlags();
    g_current = this;
    schema::InstallWorkingTables();
    env::Env().InitFolders(env::AppFolderName());
}

Edit::~Edit() {
    if (g_current == this) g_current = nullptr;
}

Edit* Edit::Current() { return g_current; }

bool Edit::CanRun(const std::string& ParentLang) { return env::Env().CanRun(ParentLang); }

int32_t Edit::DOINFOXML(const std::string& FileTDJ) { return project::DoInfoXml(FileTDJ); }

int32_t Edit::MAKECSV(const std::string& FileTDJ, const std::string& FileCSV) {
    return project::MakeCsv(FileTDJ, FileCSV);
}

void Edit::Show() {
    if (!g_current) g_current = this;
    if (starter()) {
        starter()(*this);
        return;
    }
    // Text 1917: the user interface is not part of this build.
    Messages().critical(texts::GetText(1002), texts::GetText(1917));
    RaiseAppEnd();
}

void Edit::Reset() { clearFlags(); }

void Edit::setLogging(bool v) { Host().Logging = v; }
bool Edit::Logging() const { return Host().Logging; }
void Edit::setSysAddressGateway(int32_t v) { Host().SysAddressGateway = v; }
int32_t Edit::SysAddressGateway() const { return Host().SysAddressGateway; }
void Edit::setGotoBusIN(int32_t v) { Host().GotoBusIN = v; }
int32_t Edit::GotoBusIN() const { return Host().GotoBusIN; }
void Edit::setKOGateway(int32_t v) { Host().KOGateway = v; }
int32_t Edit::KOGateway() const { return Host().KOGateway; }
void Edit::setKRZProjectFile(const std::string& v) { Host().KRZProjectFile = v; }
std::string Edit::KRZProjectFile() const { return Host().KRZProjectFile; }
void Edit::setEnabledLexora(bool v) { Host().EnabledLexora = v; }
bool Edit::EnabledLexora() const { return Host().EnabledLexora; }
void Edit::setParentLang(const std::string& v) { Host().ParentLang = v; }
std::string Edit::ParentLang() const { return Host().ParentLang; }
void Edit::setProjectName(const std::string& v) { Host().ProjectName = v; }
std::string Edit::ProjectName() const { return Host().ProjectName; }
void Edit::setProjectFile(const std::string& v) { Host().ProjectFile = v; }
std::string Edit::ProjectFile() const { return Host().ProjectFile; }
void Edit::setParentEXEname(const std::string& v) { Host().ParentEXEname = v; }
std::string Edit::ParentEXEname() const { return Host().ParentEXEname; }
void Edit::setModal(bool v) { Host().Modal = v; }
bool Edit::Modal() const { return Host().Modal; }
void Edit::setFileToOpen(const std::string& v) { Host().FileToOpen = v; }
std::string Edit::FileToOpen() const { return Host().FileToOpen; }
void Edit::setParentHandle(int64_t v) { Host().ParentHandle = v; }
int64_t Edit::ParentHandle() const { return Host().ParentHandle; }

void Edit::setWindowsState(int32_t v) {
    if ((v == 0 || v == 1) && batch().windowsState) batch().windowsState(v);
}

void Edit::EndAPP() {
    if (batch().endApp) batch().endApp();
}

bool Edit::TEXTID() const { return Host().TEXTID; }
void Edit::setTEXTID(bool v) { Host().TEXTID = v; }

void Edit::setAppEndHandler(std::function<void()> handler) { appEnd_ = std::move(handler); }

void Edit::RaiseAppEnd() {
    if (appEnd_) appEnd_();
}

void Edit::setHostActivateHandler(std::function<void()> h) { activateHost_ = std::move(h); }
void Edit::setHostMinimiseHandler(std::function<void()> h) { minimiseHost_ = std::move(h); }
void Edit::RaiseHostActivate() {
    if (activateHost_) activateHost_();
}
void Edit::RaiseHostMinimise() {
    if (minimiseHost_) minimiseHost_();
}

}  // namespace tessed
