#pragma once
// A device in the catalogue's terms: which object, family and key-object
// association it stands for, and which WHAT, WHERE, level, interface, probe
// and description its configuration values give the element's dialog.
//
// Contract:
// - Every value of a device reaches SQL as a bound value, never as text.
// - Resolution runs in two steps so that the window can ask in between:
//   Begin finds whether the catalogue offers several objects for the device
//   without a configuration condition; then the user chooses among the
//   candidates in an AmbiguityDialog (text 1674) and Finish resolves. A
//   choice that was not confirmed resolves nothing and leaves the device as
//   it was: a cancelled choice ends the drop.
// - The candidates offered are the objects whose association would match the
//   device (no condition, or a condition its configuration meets), each once,
//   in object order; the first is preselected.
// - Parameter application first computes every rule (ComputeParameters),
//   then selects the found keys in the property dialog's lists through their
//   handlers, as a click would; a key that no entry of a list carries leaves
//   the list as it is. The description is cut to the box's maximum length.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/property_dialog.h"
#include "editor/selection_dialogs.h"
#include "model/project.h"

namespace tessed::db {
class Database;
}

namespace tessed::configurator {

inline constexpr long kTextAmbiguous = 1674;

struct Candidate {
    int32_t idObj = 0;
    std::string description;
    bool operator==(const Candidate&) const = default;
};

// The objects to choose among; empty when no choice is needed.
std::vector<Candidate> AmbiguousCandidates(db::Database& db, const cObjOleDrag& device);

// Steps 2 to 4 of the resolution: the first association row (in object order)
// that is a candidate and matches writes ID_ASS, ID_OBJ and ID_FAMIGLIA into
// the device. `chosen` limits the candidates to one object. False, and the
// device unchanged, when none matches.
bool ResolveKeyObject(db::Database& db, cObjOleDrag& device,
                      std::optional<int32_t> chosen = std::nullopt);

class KeyObjectResolution {
  public:
    // Runs the ambiguity check; when the user must choose, the dialog is
    // filled (descriptions with their ID_OBJ) and its first entry selected.
    static KeyObjectResolution Begin(db::Database& db, const cObjOleDrag& device);
    bool NeedsChoice() const { return choice_ != nullptr; }
    editor::AmbiguityDialog* Choice() const { return choice_.get(); }
    const std::vector<Candidate>& Candidates() const { return candidates_; }
    // Resolves: with a choice, only when it was confirmed, on the chosen object.
    bool Finish(db::Database& db, cObjOleDrag& device) const;

  private:
    std::vector<Candidate> candidates_;
    std::unique_ptr<editor::AmbiguityDialog> choice_;
};

// What one parameter rule found.
struct Found {
    int64_t key = 0;          // 0: nothing found
    std::string description;  // DESCRI_DOVE, DESCRI_COSA or the level's DESCRI
    std::string code;         // the converted value looked up ("" for levels)
};

// The lookups of one converted value for the device's object and area.
Found LookupWhere(db::Database& db, int32_t idObj, int32_t idArea, const std::string& value);
Found LookupWhat(db::Database& db, int32_t idObj, int32_t idArea, const std::string& value);
// The level of a where key for a bus level (3: the level without LEVEL_OPEN).
Found LookupLevel(db::Database& db, int64_t whereKey, int32_t busLevel);

// One rule of the association, as applied.
struct AppliedRule {
    enum class Property { kWhere, kLevel, kWhat, kInterface, kProbe, kDescription, kOther };
    Property property = Property::kOther;
    std::string name;  // PROPERTY as the catalogue holds it
    int order = 0;
    Found found;                // where, level, what: the key found
    std::optional<int> number;  // interface and probe: the number to select
    std::string text;           // description
};

// The rules of the device's association in rank order, each computed (the
// choice among several rules of one property made), as ApplyParameters
// applies them.
std::vector<AppliedRule> ComputeParameters(db::Database& db, const cObjOleDrag& device);

// Selects what the rules found in the property dialog.
void ApplyRules(editor::PropertyDialog& dialog, const std::vector<AppliedRule>& rules);
// Both: the hook of editor::Placement::ApplyPayload.
void ApplyParameters(db::Database& db, editor::PropertyDialog& dialog, const cObjOleDrag& device);

// The property's kind from its name (compared in upper case).
AppliedRule::Property PropertyOf(std::string_view name);

}  // namespace tessed::configurator
