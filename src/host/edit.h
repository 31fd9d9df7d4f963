#pragma once
// The host interface: the class a host application creates and drives. Every
// property reads and writes one process-wide value shared by all instances;
// the members keep their fixed order.
#include <cstdint>
#include <functional>
#include <string>

#include "model/commands.h"

namespace tessed {

class Edit;

// Starts the user interface for `Show`. The Qt layer installs it; without it,
// Show reports that the user interface is not available and raises AppEnd.
using UserInterfaceStarter = std::function<void(Edit&)>;
void SetUserInterfaceStarter(UserInterfaceStarter starter);

// The project window's operations that the host reaches through Edit while the
// user interface runs. The Qt layer installs them; without them both do nothing.
// (DOINFOXML and MAKECSV need no window: they call the project layer directly.)
struct ProjectBatch {
    std::function<void()> endApp;                     // the project window's "mnuesci"
    std::function<void(int32_t state)> windowsState;  // 0 show, 1 hide
};
void SetProjectBatch(ProjectBatch batch);

class Edit {
  public:
    Edit();
    ~Edit();
    Edit(const Edit&) = delete;
    Edit& operator=(const Edit&) = delete;

    // 1
    bool CanRun(const std::string& ParentLang);
    // 2: 0 done, 1 the project file does not exist, 2 it could not be opened,
    // 3 it opened but could not be saved (for example a project without a name).
    int32_t DOINFOXML(const std::string& FileTDJ);
    // 3: 0 done, 1 missing, 2 cannot open, otherwise as the bulk compile
    // reports (2 an old controller file cannot be deleted, 3 a scenario has no
    // listing, 4 the controller file cannot be written).
    int32_t MAKECSV(const std::string& FileTDJ, const std::string& FileCSV);
    // 4
    void Show();
    // 5
    void Reset();
    // 6..18
    void setLogging(bool v);
    bool Logging() const;
    void setSysAddressGateway(int32_t v);
    int32_t SysAddressGateway() const;
    void setGotoBusIN(int32_t v);
    int32_t GotoBusIN() const;
    void setKOGateway(int32_t v);
    int32_t KOGateway() const;
    void setKRZProjectFile(const std::string& v);
    std::string KRZProjectFile() const;
    void setEnabledLexora(bool v);
    bool EnabledLexora() const;
    void setParentLang(const std::string& v);
    std::string ParentLang() const;
    void setProjectName(const std::string& v);
    std::string ProjectName() const;
    void setProjectFile(const std::string& v);
    std::string ProjectFile() const;
    void setParentEXEname(const std::string& v);
    std::string ParentEXEname() const;
    void setModal(bool v);
    bool Modal() const;
    void setFileToOpen(const std::string& v);
    std::string FileToOpen() const;
    void setParentHandle(int64_t v);
    int64_t ParentHandle() const;
    // 19: 0 shows the project window, 1 hides it, anything else does nothing.
    void setWindowsState(int32_t v);
    // 20
    void EndAPP();
    // 21
    bool TEXTID() const;
    void setTEXTID(bool v);

    // The AppEnd event: raised when the user interface has closed.
    void setAppEndHandler(std::function<void()> handler);
    void RaiseAppEnd();
    // What the design sends the host window (ParentHandle) as window
    // messages: "activate" when the project window closes, "minimise" from
    // the project window's minimise button. Raised only with a ParentHandle.
    void setHostActivateHandler(std::function<void()> handler);
    void setHostMinimiseHandler(std::function<void()> handler);
    void RaiseHostActivate();
    void RaiseHostMinimise();

    // The instance created (or shown) last; null when none.
    static Edit* Current();

  private:
    std::function<void()> appEnd_, activateHost_, minimiseHost_;
};

}  // namespace tessed
