// What a run asks the user, and how the front ends answer: dialogs in the window, options on
// the command line, scripted answers in tests. The core never opens a window.
#pragma once

#include <QString>

namespace tavelkor {

class RunQuestions {
public:
    virtual ~RunQuestions() = default;

    struct ShiftAnswer {
        bool Cancelled = true;
        int ShiftMs = 0;         // the amount, when not cancelled
        bool SameForAll = false; // use this answer for the rest of the run without asking
    };
    // The time-shift amount for a recognised lyrics file; `currentMs` is the amount shown.
    virtual ShiftAnswer AskShift(const QString& path, int currentMs) = 0;

    // Which of two files gives its name to the other: 0 the first (upper), 1 the second
    // (lower), -1 cancelled.
    virtual int AskWhichNameWins(const QString& first, const QString& second) = 0;
};

// Cancels every question: for runs that nobody can be asked in.
class NoQuestions : public RunQuestions {
public:
    ShiftAnswer AskShift(const QString&, int) override { return {}; }
    int AskWhichNameWins(const QString&, const QString&) override { return -1; }
};

} // namespace tavelkor
