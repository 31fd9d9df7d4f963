#include "model/project.h"

#include <mutex>

#include "env/database.h"
#include "env/state.h"
#include "env/strings.h"

namespace tessed {

bool KeyEquals(std::string_view a, std::string_view b) { return db::iequals(a, b); }

std::shared_ptr<Scenario> Scenari::Add(std::string_view sKey, std::shared_ptr<Scenario> Sin) {
    if (!Sin) Sin = std::make_shared<Scenario>();
    return AddMember(sKey, std::move(Sin));
}

std::shared_ptr<Scenari> Collezione::Scenari() {
    if (!scenari_) scenari_ = std::make_shared<tessed::Scenari>();
    return scenari_;
}

namespace {}  // namespace

std::shared_ptr<Scenario> Collezione::FindByFullPath(std::string_view path) {
    if (!scenari_) return nullptr;
    const std::string wanted = str::ToUpper(path);
    for (const auto& s : *scenari_)
        if (s && str::ToUpper(s->FullPath) == wanted) return s;
    return nullptr;
}

void Oggetto::ReadCapabilities(db::Database& db) {
    try {
        auto row =
            db.queryOne("SELECT * FROM ASS_OBJ_AREE WHERE ID_OBJ=?", {db::Value(Key).toInt()});
        if (!row) return;
        for (size_t i = 0; i < row->size(); ++i) {
            const std::string& name = row->names()[i];
            bool v = row->at(i).toBool();
            if (db::iequals(name, "TRIGGER"))
                IsTrigger = v;
            else if (db::iequals(name, "COND_OK"))
                IsCondOk = v;
            else if (db::iequals(name, "COND_KO"))
                IsCondKO = v;
            else if (db::iequals(name, "ACT"))
                IsAct = v;
            else if (db::iequals(name, "ACT_ELSE"))
                IsActElse = v;
            else if (db::iequals(name, "TRIGGERSTOP"))
                IsTriggerSTOP = v;
        }
    } catch (const db::Error&) {
        // The palette still shows the object; the flags read so far stay set.
    }
}

std::shared_ptr<Oggetto> Oggetti::Add(std::string_view sKey) {
    return AddMember(sKey, std::make_shared<Oggetto>());
}

namespace {
std::mutex& projectMutex() {
    static std::mutex m;
    return m;
}
std::shared_ptr<Collezione>& projectSlot() {
    static std::shared_ptr<Collezione> p;
    return p;
}
}  // namespace

void InstallProjectResetHook() {
    static std::once_flag once;
    std::call_once(once, [] {
        SetProjectResetHook([] { SetCurrentProject(std::make_shared<Collezione>()); });
    });
}

std::shared_ptr<Collezione> CurrentProject() {
    InstallProjectResetHook();
    std::lock_guard<std::mutex> lock(projectMutex());
    auto& p = projectSlot();
    if (!p) p = std::make_shared<Collezione>();
    return p;
}

void SetCurrentProject(std::shared_ptr<Collezione> project) {
    InstallProjectResetHook();
    std::lock_guard<std::mutex> lock(projectMutex());
    projectSlot() = project ? std::move(project) : std::make_shared<Collezione>();
}

}  // namespace tessed
