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

// Runs the project window's batch operations for DOINFOXML and MAKECSV. The
// project layer installs them; without them both functions return 2.
struct ProjectBatch {
    std::function<int32_t(const std::string& fileTdj)> doInfoXml;
    std::function<int32_t(const std::string& fileTdj, const std::string& fileCsv)> makeCsv;
    std::function<void()> endApp;                  // the project window's "mnuesci"
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
    // 2: 0 done, 1 the project file does not exist, 2 it could not be opened.
    int32_t DOINFOXML(const std::string& FileTDJ);
    // 3: 0 done, 1 missing, 2 cannot open, 3 as the bulk compile reports.
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

    // The instance created (or shown) last; null when none.
    static Edit* Current();

private:
    std::function<void()> appEnd_;
};

}  // namespace tessed
