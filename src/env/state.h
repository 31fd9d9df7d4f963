#pragma once
// Process-wide state: the host settings that every Edit instance shares and
// that windows and modules read directly, and the flags that Reset clears.
#include <cstdint>
#include <functional>
#include <string>

namespace tessed {

struct HostSettings {
    bool Logging = false;
    int32_t SysAddressGateway = 0;
    int32_t GotoBusIN = 0;
    int32_t KOGateway = 0;
    std::string KRZProjectFile;
    bool EnabledLexora = false;
    std::string ParentLang;
    std::string ProjectName;
    std::string ProjectFile;
    std::string ParentEXEname = "False";
    bool Modal = false;
    std::string FileToOpen;
    int64_t ParentHandle = 0;
    bool TEXTID = false;

    // True when the host is the QUARN host (its name compared without case).
    bool isQuarnHost() const;
};

struct RuntimeFlags {
    bool started = false;          // the user interface has been started once
    bool systemDbFailed = false;   // the master database could not be opened at start-up
    bool projectChanged = false;   // set by every change in the project window
    bool scenarioChanged = false;  // the editor's modified flag
    int32_t editorWorkValue = 0;   // the editor's numeric working value
};

HostSettings& Host();
RuntimeFlags& Flags();

// Called whenever the working folder is cleared, to replace the current
// project object by a new empty one. The project model installs it.
void SetProjectResetHook(std::function<void()> hook);
void ResetProjectObject();

}  // namespace tessed
