#include "model/edit_history.h"

#include "env/database.h"

namespace tessed {

EditHistory::EditHistory(ScenarioDocument& doc, size_t limit)
    : doc_(&doc), limit_(limit < 1 ? 1 : limit) {
    // One history per document: a second one takes over from the first.
    if (doc.history_) {
        doc.history_->Clear();
        doc.history_->doc_ = nullptr;
    }
    doc.history_ = this;
}

EditHistory::~EditHistory() {
    if (doc_ && doc_->history_ == this) doc_->history_ = nullptr;
}

void EditHistory::Clear() {
    undo_.clear();
    redo_.clear();
    before_.reset();
    beforeFailed_ = false;
}

void EditHistory::stepBegun() {
    before_.reset();
    beforeFailed_ = false;
}

void EditHistory::aboutToChange() {
    if (restoring_ || before_ || beforeFailed_) return;
    try {
        // The previous step's state after is this step's state before, as
        // long as nothing changed in between (every change is in a step).
        if (!undo_.empty() && undo_.back().after &&
            undo_.back().after->revision == doc_->Revision())
            before_ = undo_.back().after;
        else
            before_ = std::make_shared<const ScenarioSnapshot>(doc_->TakeSnapshot());
    } catch (const db::Error&) {
        beforeFailed_ = true;
    }
}

void EditHistory::stepEnded() {
    if (restoring_) return;
    const bool failed = beforeFailed_;
    auto before = std::move(before_);
    before_.reset();
    beforeFailed_ = false;
    if (failed) {
        // A change whose state before is unknown: no undo can lead past it.
        Clear();
        return;
    }
    if (!before || before->revision == doc_->Revision()) return;
    undo_.push_back({std::move(before), nullptr});
    redo_.clear();
    while (undo_.size() > limit_) undo_.pop_front();
}

void EditHistory::documentReset() {
    if (!restoring_) Clear();
}

bool EditHistory::Undo() {
    if (!CanUndo()) return false;
    Entry e = undo_.back();
    try {
        // The state after the step is the current one: every change since
        // it was recorded would have been a step of its own.
        if (!e.after) e.after = std::make_shared<const ScenarioSnapshot>(doc_->TakeSnapshot());
    } catch (const db::Error&) {
        return false;
    }
    restoring_ = true;
    const bool ok = doc_->Restore(*e.before);
    restoring_ = false;
    if (!ok) return false;
    undo_.pop_back();
    redo_.push_back(std::move(e));
    return true;
}

bool EditHistory::Redo() {
    if (!CanRedo()) return false;
    restoring_ = true;
    const bool ok = doc_->Restore(*redo_.back().after);
    restoring_ = false;
    if (!ok) return false;
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
    return true;
}

}  // namespace tessed
