#include "env/state.h"

#include "env/database.h"

namespace tessed {

bool HostSettings::isQuarnHost() const { return db::iequals(ParentEXEname, "QUARN"); }

HostSettings& Host() {
    static HostSettings settings;
    return settings;
}

RuntimeFlags& Flags() {
    static RuntimeFlags flags;
    return flags;
}

namespace {
std::function<void()>& resetHook() {
    static std::function<void()> hook;
    return hook;
}
}  // namespace

void SetProjectResetHook(std::function<void()> hook) { resetHook() = std::move(hook); }

void ResetProjectObject() {
    Host().ProjectFile.clear();
    if (resetHook()) resetHook()();
}

}  // namespace tessed
