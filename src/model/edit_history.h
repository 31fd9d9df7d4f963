#pragma once
// The edit history of a scenario document: one step per user action, undone
// and redone by swapping snapshots of the whole scenario.
//
// Contract:
// - Attach one history to a document by constructing it; it detaches when it
//   goes, and does nothing once the document is gone.
// - Every change of the document lands in a step: the changes between the
//   outermost BeginStep and EndStep (of the history or the document) form one,
//   a change outside any step is one of its own. A step in which nothing
//   changed is not recorded.
// - Undo restores the state before the last step, Redo the state after it; a
//   new step clears what could be redone. Neither runs inside an open step.
// - The document's revision travels with the snapshots, so undoing back to
//   the saved state reads unmodified and redoing away from it modified again.
// - A new or loaded scenario (NewFile, LoadPrj) starts an empty history.
// - Only the scenario is in it: operations on files (a scenario deleted or
//   renamed on disk by the project window) are not undone.
// - A failed restore leaves document and history as they were; a state that
//   cannot be read before a change makes the history start again empty, since
//   it could no longer lead back.
#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

#include "model/document.h"

namespace tessed {

class EditHistory {
  public:
    static constexpr size_t kDefaultLimit = 100;

    // `limit`: the most steps kept for undo; the oldest go first.
    explicit EditHistory(ScenarioDocument& doc, size_t limit = kDefaultLimit);
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    void BeginStep() {
        if (doc_) doc_->BeginStep();
    }
    void EndStep() {
        if (doc_) doc_->EndStep();
    }

    bool CanUndo() const { return doc_ && !undo_.empty() && !doc_->InStep(); }
    bool CanRedo() const { return doc_ && !redo_.empty() && !doc_->InStep(); }
    // True when a step was undone or redone.
    bool Undo();
    bool Redo();
    void Clear();
    size_t UndoSteps() const { return undo_.size(); }
    size_t RedoSteps() const { return redo_.size(); }

  private:
    friend class ScenarioDocument;
    // Called by the document.
    void stepBegun();
    void aboutToChange();
    void stepEnded();
    void documentReset();

    struct Entry {
        std::shared_ptr<const ScenarioSnapshot> before, after;
    };

    ScenarioDocument* doc_;  // null once the document is gone
    size_t limit_;
    std::deque<Entry> undo_;
    std::vector<Entry> redo_;
    // The state before the open step, taken at its first change.
    std::shared_ptr<const ScenarioSnapshot> before_;
    bool beforeFailed_ = false;
    bool restoring_ = false;
};

}  // namespace tessed
