#pragma once
// Shared helpers of the editor model tests: rows put straight into the working
// tables, pictures in the resources folder, and scripted dialogs and timer.
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

#include "editor/control_names.h"
#include "editor/placement.h"
#include "env/database.h"
#include "env/environment.h"

namespace tessed::test {

inline db::Database& Master() { return env::Env().master(); }

// An element row with the given identity, order and values.
inline void AddElement(const std::string& table, int id, int idObj, const std::string& descri = "",
                       int cosa = 0, int dove = 0, int res = 0, db::Value keyOpt = {}) {
    Master().execute(
        "INSERT INTO " + table +
            " (ID, ORDINE, ID_OBJ, DESCRI, CHI_KEY, COSA_KEY, DOVE_KEY, ID_RES_COSA, "
            "PARAM_1, PARAM_2, PARAM_3, PARAM_4, PARAM_5, LEVEL_KEY, ADD_INT, KEY_OPT, "
            "REPEAT, RESTART) VALUES (?,?,?,?,1,?,?,?,0,0,0,0,0,0,0,?,0,0)",
        {id, id, idObj, descri, cosa, dove, res, keyOpt});
}

inline void Link(const std::string& table, int ope, int id1, int id2) {
    Master().execute("INSERT INTO " + table + " (ID_OPE, ID1, ID2) VALUES (?,?,?)",
                     {ope, id1, id2});
}

inline void TouchPicture(const std::string& name) {
    auto dir = env::Env().resourcesFolder();
    std::filesystem::create_directories(dir);
    std::ofstream(dir / name) << "GIF89a";
}

inline int64_t Count(const std::string& sql) { return Master().queryOne(sql)->at(0).toInt(); }

// The canvas control of a window control name, as the window translates it.
inline editor::CanvasControl Control(std::string_view name, int index = 0) {
    auto c = editor::ControlFromName(name, index);
    if (!c) throw std::invalid_argument("not a canvas control: " + std::string(name));
    return *c;
}

// Dialogs that run a script instead of waiting for a person; the default
// script presses OK.
struct ScriptedDialogs : editor::EditorDialogs {
    std::function<void(editor::PropertyDialog&)> property = [](editor::PropertyDialog& d) {
        d.cmdOK();
    };
    std::function<void(editor::TimeSingleDialog&)> single;
    std::function<void(editor::TimeRangeDialog&)> range;
    std::function<void(editor::OperatorDialog&)> ope = [](editor::OperatorDialog& d) { d.Ok(); };
    int shown = 0;
    int lastMark = 0;
    void ShowProperty(editor::PropertyDialog& d) override {
        ++shown;
        property(d);
    }
    void ShowTimeSingle(editor::TimeSingleDialog& d) override {
        ++shown;
        if (single) single(d);
    }
    void ShowTimeRange(editor::TimeRangeDialog& d) override {
        ++shown;
        if (range) range(d);
    }
    void ShowOperator(editor::OperatorDialog& d, int mark) override {
        ++shown;
        lastMark = mark;
        ope(d);
    }
};

// A timer whose ticks the test fires.
struct ManualTimer : editor::RepeatTimer {
    std::function<void()> tick;
    int interval = 0;
    bool running = false;
    void Start(int ms, std::function<void()> t) override {
        interval = ms;
        tick = std::move(t);
        running = true;
    }
    void Stop() override { running = false; }
    void Fire() {
        if (running && tick) tick();
    }
};

}  // namespace tessed::test
