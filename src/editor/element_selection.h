#pragma once
// The elements selected in the editor: one or several of one slot group, for
// copy, cut and delete.
//
// Contract:
// - Elements are held by identity, so a scrolled group keeps its selection
//   and a selection may reach beyond the slots shown.
// - One group at a time: selecting in another group starts afresh.
// - Select takes one element (a click, the focus moving onto it); Toggle adds
//   or removes one (Ctrl+click); Extend selects the run from the anchor (the
//   element last selected or toggled) to this one, in stored order
//   (Shift+click, Shift+arrow), and keeps the anchor.
// - Ids() lists the selected elements in stored order; Prune drops those no
//   longer in the group (deleted, undone), so a selection never names an
//   element that is gone.
#include <cstdint>
#include <vector>

#include "editor/canvas.h"

namespace tessed::editor {

class ElementSelection {
  public:
    explicit ElementSelection(Canvas& canvas) : canvas_(canvas) {}

    bool Empty() const { return ids_.empty(); }
    StripId Group() const { return group_; }
    bool Contains(StripId group, int64_t id) const;
    // The selected elements in stored order.
    std::vector<int64_t> Ids() const;
    int64_t Anchor() const { return anchor_; }

    void Select(StripId group, int64_t id);
    void Toggle(StripId group, int64_t id);
    void Extend(StripId group, int64_t id);
    void SelectAll(StripId group, const std::vector<int64_t>& ids);
    void Clear();
    // Forgets the elements no longer in the group's table.
    void Prune();

  private:
    // The group's element identities in stored order (empty on a failure).
    std::vector<int64_t> order(StripId group) const;

    Canvas& canvas_;
    StripId group_ = StripId::kTrigger;
    std::vector<int64_t> ids_;
    int64_t anchor_ = 0;
};

}  // namespace tessed::editor
