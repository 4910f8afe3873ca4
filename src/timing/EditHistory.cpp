#include "EditHistory.h"

namespace tavelkor {

void EditHistory::Push(TimingDocument& document, EditStep step) {
    if (step.WholeAfter)
        document = *step.WholeAfter;
    for (const LineChange& change : step.Changes)
        document.Lines[change.Line] = change.After;
    if (step.RubyChanged)
        document.Header.Ruby = step.RubyAfter;
    steps_.resize(index_);
    if (clean_ > index_)
        clean_ = -1;
    steps_.append(std::move(step));
    ++index_;
}

bool EditHistory::AmendLast(TimingDocument& document, int line, const TimingLine& after) {
    if (index_ == 0 || index_ != steps_.size())
        return false;
    for (LineChange& change : steps_.last().Changes) {
        if (change.Line == line) {
            change.After = after;
            document.Lines[line] = after;
            if (clean_ == index_)
                clean_ = -1;
            return true;
        }
    }
    return false;
}

FragmentPlace EditHistory::Undo(TimingDocument& document) {
    if (!CanUndo())
        return {};
    const EditStep& step = steps_[--index_];
    if (step.WholeBefore)
        document = *step.WholeBefore;
    for (const LineChange& change : step.Changes)
        document.Lines[change.Line] = change.Before;
    if (step.RubyChanged)
        document.Header.Ruby = step.RubyBefore;
    return step.SelectionBefore;
}

FragmentPlace EditHistory::Redo(TimingDocument& document) {
    if (!CanRedo())
        return {};
    const EditStep& step = steps_[index_++];
    if (step.WholeAfter)
        document = *step.WholeAfter;
    for (const LineChange& change : step.Changes)
        document.Lines[change.Line] = change.After;
    if (step.RubyChanged)
        document.Header.Ruby = step.RubyAfter;
    return step.SelectionAfter;
}

void EditHistory::Clear() {
    steps_.clear();
    index_ = 0;
    clean_ = 0;
}

} // namespace tavelkor
