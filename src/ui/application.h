#pragma once
// Start-up and shut-down of the user interface, as the host drives it.
//
//   Show          the splash, then after its timer the master database and the
//                 project window; a failure to open the database shows the
//                 critical message, closes the splash and ends the interface.
//                 With `Modal` the call returns only when the interface has
//                 ended (the project window closed and AppEnd raised), however
//                 often the window is hidden meanwhile. A second Show while the
//                 interface runs brings the project window forward.
//   WindowsState  0 shows the project window, 1 hides it.
//   EndApp        the project window's "mnuesci" (which may ask to save).
//
// The end of the interface (the project window's unload, or a failed start)
// calls `appEnd` exactly once per Show. A host without a Qt event loop of its
// own uses Modal (Show then runs the loop) or WaitForEnd after a modeless Show.
#include <functional>
#include <string>

class QWidget;

namespace tessed::ui {

class ProjectWindow;

struct HostCallbacks {
    std::function<void()> appEnd;        // raise AppEnd on the current Edit
    std::function<void()> activateHost;  // the project window closed (host window given)
    std::function<void()> minimiseHost;  // the minimise button (host window given)
};

// True when windows can be shown; otherwise `why` names the cause.
bool CanShowWindows(std::string& why);

void Show(const HostCallbacks& callbacks);
void SetWindowsState(int state);
void EndApp();
// Runs the event loop until the interface has ended; returns at once when it
// is not running.
void WaitForEnd();
bool Running();

// For tests and hosts that time the start-up: the splash timer (1000 ms by
// default) and whether Show installs the Qt message boxes (tests script them).
void SetSplashDelay(int milliseconds);
void SetInstallMessageBoxes(bool on);
// The project window while the interface runs, else null.
ProjectWindow* CurrentProjectWindow();
QWidget* CurrentSplash();

}  // namespace tessed::ui
