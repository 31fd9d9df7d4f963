#include "project/window_rules.h"

#include "project/session.h"

namespace tessed::project {

namespace {
bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
}  // namespace

NodeKind KindOfNode(const std::string& key) {
    if (key == kNodeProject) return NodeKind::Project;
    if (key == kNodePanic) return NodeKind::Panic;
    if (key == kNodeAllScenarios) return NodeKind::AllScenarios;
    if (!startsWith(key, kScenarioPrefix)) return NodeKind::None;
    const std::string rest = key.substr(std::string(kScenarioPrefix).size());
    const size_t at = rest.find('$');
    if (at == std::string::npos) return rest.empty() ? NodeKind::None : NodeKind::Scenario;
    const std::string child = rest.substr(at + 1);
    if (child == "ABILITA") return NodeKind::Enable;
    if (child == "DISABILITA") return NodeKind::Disable;
    return NodeKind::None;
}

std::string ScenarioKeyOfNode(const std::string& key) {
    switch (KindOfNode(key)) {
        case NodeKind::Scenario:
            return key.substr(std::string(kScenarioPrefix).size());
        case NodeKind::Enable:
        case NodeKind::Disable: {
            std::string rest = key.substr(std::string(kScenarioPrefix).size());
            return rest.substr(0, rest.find('$'));
        }
        default:
            return {};
    }
}

std::map<std::string, ToolState> ToolStates(const WindowSituation& s) {
    std::map<std::string, ToolState> t;
    for (const auto& n : MenuToolNames()) t[n] = {};
    for (const auto& n : ActionToolNames()) t[n] = {};
    const bool scenario = s.selected == NodeKind::Scenario || s.selected == NodeKind::Enable ||
                          s.selected == NodeKind::Disable;
    for (const char* n : {"edit", "compile", "delete", "duplicate", "esporta", "mnuapri",
                          "mnucompila", "delscript", "exportscript"})
        t[n].enabled = scenario;
    t["compileall"].enabled = t["mnucompall"].enabled = s.scenarioCount > 0;

    bool anyRecent = false;
    for (int i = 0; i < 4; ++i) {
        const bool has = i < int(s.recentFiles.size()) && !s.recentFiles[size_t(i)].empty();
        t["mnufilecfg" + std::to_string(i + 1)].visible = has;
        anyRecent = anyRecent || has;
    }
    t["Tool11"].visible = anyRecent;
    if (s.quarnHost) {
        for (const char* n : {"mnusaveas", "mnunewprj", "mnuapriprj", "mnufilecfg1", "mnufilecfg2",
                              "mnufilecfg3", "mnufilecfg4", "Tool11", "mnulanguage"})
            t[n].visible = false;
        t["mnusaveprj"].captionId = 1646;
    }
    return t;
}

StartPlan PlanStart(const HostSettings& host, bool (*exists)(const std::string&)) {
    StartPlan plan;
    if (host.isQuarnHost()) {
        if (!host.FileToOpen.empty() && exists(host.FileToOpen)) {
            plan.kind = StartPlan::Open;
            plan.file = host.FileToOpen;
        } else {
            plan.kind = StartPlan::NewProject;
        }
        return plan;
    }
    std::string file;
    for (char c : host.FileToOpen)
        if (c != '"') file += c;
    if (!file.empty()) {
        plan.kind = StartPlan::Open;
        plan.file = file;
    }
    return plan;
}

long SaveQuestion(bool quarnHost) { return quarnHost ? 1651 : 1092; }

}  // namespace tessed::project
