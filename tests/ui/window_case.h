#pragma once
// The set-up and tear-down of a window test case that runs the whole
// interface through the host object (the project window and the editor).
#include <QtTest>
#include <memory>

#include "edit.h"
#include "env/environment.h"
#include "env/state.h"
#include "env/texts.h"
#include "support/test_env.h"
#include "ui/application.h"
#include "ui/chrome.h"
#include "window_support.h"

namespace tessed::test {

// The editor's window tests start every case in a world of its own: a data
// folder in a new temporary folder with the built catalogue, no splash delay,
// message boxes and file choosers answered from scripts, no connection, texts,
// host settings or flags left by the case before, and a new host object.
struct WindowCase {
    std::unique_ptr<TempDir>& dir;
    std::shared_ptr<ScriptedMessages>& messages;
    std::shared_ptr<ScriptedFiles>& files;
    std::unique_ptr<Edit>& edit;

    void start() {
        dir = std::make_unique<TempDir>();
        ::setenv("TESSED_DATA_DIR", (dir->path() / "data").c_str(), 1);
        ::setenv("TESSED_DOCUMENTS_DIR", (dir->path() / "docs").c_str(), 1);
        ::setenv("TESSED_SHARE_DIR", TESSED_BINARY_DIR, 1);
        ui::SetSplashDelay(0);
        ui::SetInstallMessageBoxes(false);
        messages = std::make_shared<ScriptedMessages>();
        SetMessages(messages);
        files = std::make_shared<ScriptedFiles>();
        ui::SetFiles(files);
        env::Env().CloseConnection();
        texts::Clear();
        Host() = HostSettings{};
        Flags() = RuntimeFlags{};
        edit = std::make_unique<Edit>();
    }

    // Ends the interface when it still runs, answering No to every question
    // (nothing of a case is saved on the way out), then undoes start().
    void end() {
        if (ui::Running()) {
            messages->answers.assign(4, Answer::No);
            edit->EndAPP();
            QTRY_VERIFY(!ui::Running());
        }
        QTest::qWait(0);
        edit.reset();
        ui::SetFiles(nullptr);
        SetMessages(nullptr);
        env::Env().CloseConnection();
        dir.reset();
    }
};

}  // namespace tessed::test
