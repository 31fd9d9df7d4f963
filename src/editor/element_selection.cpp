#include "editor/element_selection.h"

#include <algorithm>

#include "env/database.h"

namespace tessed::editor {

std::vector<int64_t> ElementSelection::order(StripId group) const {
    std::vector<int64_t> out;
    if (!IsSlotGroup(group)) return out;
    try {
        for (const db::Row& r : canvas_.database().query(
                 "SELECT ID FROM " + std::string(Info(group).table) + " ORDER BY ORDINE, ID"))
            out.push_back(r.getInt("ID"));
    } catch (const db::Error&) {
        out.clear();
    }
    return out;
}

bool ElementSelection::Contains(StripId group, int64_t id) const {
    return group == group_ && std::find(ids_.begin(), ids_.end(), id) != ids_.end();
}

std::vector<int64_t> ElementSelection::Ids() const {
    std::vector<int64_t> out;
    for (int64_t id : order(group_))
        if (std::find(ids_.begin(), ids_.end(), id) != ids_.end()) out.push_back(id);
    return out;
}

void ElementSelection::Select(StripId group, int64_t id) {
    group_ = group;
    ids_.clear();
    anchor_ = 0;
    if (!IsSlotGroup(group) || id < 1) return;
    ids_.push_back(id);
    anchor_ = id;
}

void ElementSelection::Toggle(StripId group, int64_t id) {
    if (group != group_) Clear();
    group_ = group;
    if (!IsSlotGroup(group) || id < 1) return;
    auto it = std::find(ids_.begin(), ids_.end(), id);
    if (it != ids_.end())
        ids_.erase(it);
    else
        ids_.push_back(id);
    anchor_ = id;
}

void ElementSelection::Extend(StripId group, int64_t id) {
    if (group != group_ || anchor_ < 1) return Select(group, id);
    const std::vector<int64_t> all = order(group);
    auto a = std::find(all.begin(), all.end(), anchor_);
    auto b = std::find(all.begin(), all.end(), id);
    if (a == all.end() || b == all.end()) return Select(group, id);
    if (a > b) std::swap(a, b);
    ids_.assign(a, b + 1);
}

void ElementSelection::SelectAll(StripId group, const std::vector<int64_t>& ids) {
    Clear();
    group_ = group;
    if (!IsSlotGroup(group)) return;
    for (int64_t id : ids)
        if (id >= 1 && std::find(ids_.begin(), ids_.end(), id) == ids_.end()) ids_.push_back(id);
    anchor_ = ids_.empty() ? 0 : ids_.front();
}

void ElementSelection::Clear() {
    ids_.clear();
    anchor_ = 0;
}

void ElementSelection::Prune() {
    if (ids_.empty()) return;
    const std::vector<int64_t> all = order(group_);
    std::erase_if(ids_,
                  [&](int64_t id) { return std::find(all.begin(), all.end(), id) == all.end(); });
    if (std::find(all.begin(), all.end(), anchor_) == all.end())
        anchor_ = ids_.empty() ? 0 : ids_.front();
}

}  // namespace tessed::editor
