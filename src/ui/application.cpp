#include "ui/application.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "env/environment.h"
#include "env/messages.h"
#include "env/state.h"
#include "ui/chrome.h"
#include "ui/project_window.h"
#include "ui/splash.h"

namespace tessed::ui {

namespace {

struct State {
    HostCallbacks callbacks;
    QPointer<SplashWindow> splash;
    QPointer<ProjectWindow> window;
    bool running = false;
    int splashDelay = 1000;
    bool installMessages = true;
    std::vector<QEventLoop*> waits;
};

State& g() {
    static State s;
    return s;
}

void ensureApplication() {
    if (QCoreApplication::instance()) return;
    // A host without a Qt application of its own (the C interface): the
    // application lives as long as the process, so nothing that the windows
    // left behind outlives it.
    static int argc = 1;
    static char name[] = "tessed";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// The end of the interface: once per Show.
void endInterface() {
    State& s = g();
    if (!s.running) return;
    s.running = false;
    if (s.splash) {
        s.splash->hide();
        s.splash->deleteLater();
    }
    if (s.installMessages) SetMessages(nullptr);
    if (s.callbacks.appEnd) s.callbacks.appEnd();
    for (QEventLoop* loop : s.waits) loop->quit();
}

void onUnloaded() {
    State& s = g();
    // The design clears the working folder when no host named itself.
    if (Host().ParentEXEname.empty()) env::Env().ClearWorkingFolder();
    env::Env().CloseConnection();
    if (Host().ParentHandle != 0 && s.callbacks.activateHost) s.callbacks.activateHost();
    if (s.window) {
        s.window->hide();
        s.window->deleteLater();
    }
    s.window = nullptr;
    endInterface();
}

void startUp() {
    State& s = g();
    if (!s.running || s.window) return;
    if (!env::Env().OpenSystemDatabase()) {
        // The message has been shown; the splash goes too, so that a modal
        // host gets its call back.
        Flags().systemDbFailed = true;
        endInterface();
        return;
    }
    if (s.splash) {
        s.splash->hide();
        s.splash->deleteLater();
        s.splash = nullptr;
    }
    auto* w = new ProjectWindow(s.callbacks.minimiseHost);
    s.window = w;
    QObject::connect(
        w, &ProjectWindow::unloaded, w, [] { onUnloaded(); }, Qt::QueuedConnection);
    ApplyCaptions(w);
    Flags().started = true;
    w->show();
    w->AutoStart();
}

bool xSocketExists(const std::string& display) {
    // ":N" or ":N.S" on this machine; a display on another host is taken as given.
    if (display.empty() || display[0] != ':') return true;
    std::string number;
    for (size_t i = 1; i < display.size() && display[i] != '.'; ++i) number += display[i];
    return std::filesystem::exists("/tmp/.X11-unix/X" + number);
}

}  // namespace

bool CanShowWindows(std::string& why) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
    const char* p = std::getenv("QT_QPA_PLATFORM");
    std::string platform = p ? p : "";
    platform = platform.substr(0, platform.find(':'));
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (platform.empty()) {
        if (wayland && *wayland) return true;
        platform = "xcb";
    }
    if (platform == "xcb") {
        if (!display || !*display) {
            why =
                "no display: DISPLAY is not set (start it under an X server, or set "
                "QT_QPA_PLATFORM=offscreen)";
            return false;
        }
        if (!xSocketExists(display)) {
            why = std::string("no display: the X server of DISPLAY=") + display + " is not running";
            return false;
        }
        return true;
    }
    if (platform == "wayland" && (!wayland || !*wayland)) {
        why = "no display: WAYLAND_DISPLAY is not set";
        return false;
    }
    return true;
}

void Show(const HostCallbacks& callbacks) {
    State& s = g();
    if (s.running) {
        // A second Show brings the interface forward; it never starts again.
        QWidget* w = s.window ? static_cast<QWidget*>(s.window) : s.splash;
        if (w) {
            w->show();
            w->raise();
            w->activateWindow();
        }
        return;
    }
    std::string why;
    if (!CanShowWindows(why)) {
        Messages().critical("Warning", why);
        if (callbacks.appEnd) callbacks.appEnd();
        return;
    }
    ensureApplication();
    s.callbacks = callbacks;
    s.running = true;
    if (s.installMessages) SetMessages(std::make_shared<QtMessageBoxes>());
    auto* splash = new SplashWindow(SplashWindow::Role::StartUp);
    s.splash = splash;
    if (Host().Modal) splash->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    splash->show();
    QTimer::singleShot(s.splashDelay, splash, [] { startUp(); });
    if (Host().Modal) WaitForEnd();
}

void SetWindowsState(int state) {
    State& s = g();
    if (!s.window) return;
    if (state == 0) {
        s.window->show();
        s.window->raise();
    } else if (state == 1) {
        s.window->hide();
    }
}

void EndApp() {
    if (g().window) g().window->RunTool("mnuesci");
}

void WaitForEnd() {
    State& s = g();
    if (!s.running) return;
    QEventLoop loop;
    s.waits.push_back(&loop);
    loop.exec();
    std::erase(s.waits, &loop);
}

bool Running() { return g().running; }
void SetSplashDelay(int ms) { g().splashDelay = ms; }
void SetInstallMessageBoxes(bool on) { g().installMessages = on; }
ProjectWindow* CurrentProjectWindow() { return g().window; }
QWidget* CurrentSplash() { return g().splash; }

}  // namespace tessed::ui
