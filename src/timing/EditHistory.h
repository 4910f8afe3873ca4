// The undo history of the timing editor: each step is the lines one change replaced, before
// and after, with the selection on either side. Qt's QUndoStack lives in Qt GUI; the timing
// room links Qt Core only, so the history is this small stack of its own.
#pragma once

#include "TimingDocument.h"

#include <QString>
#include <QVector>
#include <memory>

namespace tavelkor {

struct LineChange {
    int Line = 0;
    TimingLine Before;
    TimingLine After;
};

struct EditStep {
    QString Caption; // what the change was, as the history menu shows it
    QVector<LineChange> Changes;
    FragmentPlace SelectionBefore;
    FragmentPlace SelectionAfter;
    // The readings ("@RubyN" entries) before and after, when the step changed them.
    bool RubyChanged = false;
    QVector<RubyEntry> RubyBefore{};
    QVector<RubyEntry> RubyAfter{};
    // A step that puts a whole document in place (a restored autosave, whose lines and header
    // need not match the file's): both documents, set whole before the changes apply.
    std::shared_ptr<const TimingDocument> WholeBefore{};
    std::shared_ptr<const TimingDocument> WholeAfter{};
};

class EditHistory {
public:
    // Applies the step to `document` and records it; steps that could be redone are dropped.
    void Push(TimingDocument& document, EditStep step);
    // Replaces the After of the last step's change of `line` (a held tap's end joins its
    // tap), applying it to `document`. False when the last step has no change of that line.
    bool AmendLast(TimingDocument& document, int line, const TimingLine& after);

    bool CanUndo() const { return index_ > 0; }
    bool CanRedo() const { return index_ < steps_.size(); }
    // Undoes / redoes one step and gives the selection that belongs to the result.
    FragmentPlace Undo(TimingDocument& document);
    FragmentPlace Redo(TimingDocument& document);

    const QVector<EditStep>& Steps() const { return steps_; }
    // Steps applied: Steps()[0 .. Index()-1] are done, the rest can be redone.
    int Index() const { return index_; }
    // True when the document differs from what was last saved (or read).
    bool Modified() const { return index_ != clean_; }
    void MarkClean() { clean_ = index_; }
    void Clear();

private:
    QVector<EditStep> steps_;
    int index_ = 0;
    int clean_ = 0; // -1 when the saved state can no longer be reached
};

} // namespace tavelkor
