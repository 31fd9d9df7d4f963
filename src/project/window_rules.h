#pragma once
// The project window's rules that are not about drawing: which tools are
// shown and enabled for the selected node, what the start-up does with the
// host's settings, which question guards a close or a replaced project, and
// the language switch. The Qt window asks these and only shows the answers.
#include <map>
#include <string>
#include <vector>

#include "env/state.h"

namespace tessed::project {

// What a tree node stands for, from its key.
enum class NodeKind { None, Project, Panic, AllScenarios, Scenario, Enable, Disable };
NodeKind KindOfNode(const std::string& nodeKey);
// The key of the scenario a node belongs to (the scenario, its enable or its
// disable node); empty for other nodes.
std::string ScenarioKeyOfNode(const std::string& nodeKey);

// Every tool of the menu bar and the action toolbar, by name.
inline const std::vector<std::string>& MenuToolNames() {
    static const std::vector<std::string> names = {
        "mnunewprj",    "mnuapriprj",  "mnusaveprj",  "mnusaveas", "mnuimportprj", "mnufilecfg1",
        "mnufilecfg2",  "mnufilecfg3", "mnufilecfg4", "Tool11",    "mnuesci",      "mnunew",
        "mnuapri",      "mnucompila",  "mnucompall",  "delscript", "duplicate",    "exportscript",
        "importscript", "mnulanguage", "mnuinfo"};
    return names;
}
inline const std::vector<std::string>& ActionToolNames() {
    static const std::vector<std::string> names = {"new",    "edit",      "compile", "compileall",
                                                   "delete", "duplicate", "esporta"};
    return names;
}

struct ToolState {
    bool visible = true;
    bool enabled = true;
    long captionId = 0;  // a caption other than the tool's own, 0 for none
};

// What the tools depend on.
struct WindowSituation {
    bool quarnHost = false;
    NodeKind selected = NodeKind::None;
    int scenarioCount = 0;
    std::vector<std::string> recentFiles;  // the four entries, empty ones included
};

// The state of every menu and action tool, by name ("new" and "duplicate" are
// both menu and action names: the action toolbar's "duplicate" shares the
// menu's state).
//
// Enabled rules: the scenario tools that act on one scenario ("edit",
// "compile", "delete", "duplicate", "esporta" and their menu twins) need a
// scenario, or one of its enable and disable nodes, selected; "compileall"
// needs at least one scenario; everything else is always enabled ("new" at
// 300 scenarios stays enabled and says why it cannot add one, text 1753). The QUARN host
// hides the tools that would leave the project its host gave it (new, open,
// save as, the recent files, the language menu) and captions "mnusaveprj"
// with text 1646; a recent-file tool is shown only with an entry, and the
// separator "Tool11" with any.
std::map<std::string, ToolState> ToolStates(const WindowSituation& s);

// What the start-up does with FileToOpen.
struct StartPlan {
    enum Kind { Nothing, NewProject, Open } kind = Nothing;
    std::string file;
};
// The QUARN host opens FileToOpen when it names an existing file and starts a
// new project otherwise; any other host opens FileToOpen (double quotes
// removed) when it is not empty, reporting a failure, and otherwise starts
// with no project open.
StartPlan PlanStart(const HostSettings& host, bool (*exists)(const std::string&));

// The question asked before unsaved changes are dropped (closing, a new or
// another project, a language switch): text 1651 for the QUARN host, 1092
// otherwise.
long SaveQuestion(bool quarnHost);

}  // namespace tessed::project
