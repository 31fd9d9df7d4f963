#pragma once
// Elements of a scenario on the clipboard: copied from one slot group, pasted
// into a scenario of this or another running editor.
//
// Contract:
// - A copy holds whole element rows of one working table (every column; the
//   identities and places are given anew by a paste) and the operator links
//   whose two conditions were both copied, by their places in the copy.
// - The clipboard carries it under kElementsMimeType as a small JSON text of
//   our own (WriteElements), and as plain text a description of the elements
//   for other programs (DescribeElements).
// - ReadElements takes only what WriteElements makes: anything else (another
//   format, a newer version, a table that is no element table, a value of the
//   wrong kind or out of range, more than kMaxCopiedElements rows, links that
//   do not join two copied conditions) gives nothing. Bytes from outside are
//   never trusted further than that; a paste checks the catalogue as well
//   (Placement::PlanPaste).
// - A copied element keeps its meaning in its own group only (its values were
//   chosen for that group's area), so a copy pastes into the group it came
//   from, in any scenario.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/canvas.h"
#include "model/rowset.h"

namespace tessed::editor {

// The clipboard format of copied elements.
inline constexpr std::string_view kElementsMimeType = "application/x-tessed-elements";
// The most elements one copy carries (a group holds tens).
inline constexpr size_t kMaxCopiedElements = 200;
// The most bytes ReadElements looks at.
inline constexpr size_t kMaxClipboardBytes = 1 << 20;

// An operator link between two copied conditions: its operator and the
// places of the two conditions in the copy (0-based).
struct CopiedLink {
    int32_t idOpe = 0;
    size_t upper = 0, lower = 0;
    bool operator==(const CopiedLink&) const = default;
};

struct CopiedElements {
    StripId group = StripId::kTrigger;
    // Rows of the group's table in its column order, in stored order.
    rowset::TableRows rows;
    std::vector<CopiedLink> links;
    bool operator==(const CopiedElements&) const = default;
};

// The elements `ids` of a slot group as they are stored, in stored order
// (identities not in the table are skipped), with the links between them.
// Throws db::Error.
CopiedElements CopyElements(db::Database& db, StripId group, const std::vector<int64_t>& ids);

// The clipboard bytes of a copy, and back.
std::string WriteElements(const CopiedElements& copy);
std::optional<CopiedElements> ReadElements(std::string_view bytes);

// Plain text for other programs: `title` on the first line, then one line per
// element saying what the slot says of it (caption and description).
std::string DescribeElements(db::Database& db, const CopiedElements& copy,
                             const std::string& title);

}  // namespace tessed::editor
