// The timing editor's model on arbitrary lyrics and arbitrary operations: the splitter's
// fragments put together are the line; taps, holds, moves, merges, splits and untiming never
// change the text and keep every line's times in order; text edits change only the line they
// edit; undoing every step gives the first text back, redoing them the last; the autosave of
// the last brings it back exactly, and no bytes read as an autosave bring anything down.
#include "timing/SessionAutosave.h"
#include "timing/TimingSession.h"

#include <cstdlib>
#include <cstring>

using namespace tavelkor;

namespace {

QString AllText(const TimingDocument& document) {
    QString text;
    for (const TimingLine& line : document.Lines)
        text += line.Text() + u'\n';
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte says how long the lyrics are; the rest drives the operations.
    if (size < 2)
        return 0;
    DecodeAutosave(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), nullptr);
    const size_t textSize = std::min<size_t>(data[0] * 4, size - 1);
    const QString lyrics =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(textSize));
    const uint8_t* ops = data + 1 + textSize;
    const size_t opCount = size - 1 - textSize;

    const SplitRules rules{(data[0] & 1) != 0, (data[0] & 2) != 0};
    TimingDocument document = TimingFromPlainText(lyrics, rules);
    for (const TimingLine& line : document.Lines) {
        if (SplitIntoFragments(line.Text(), rules).join(QString()) != line.Text())
            std::abort(); // the splitter lost or added characters
    }
    TimingSession session(document, rules, TapRules{int(data[0]), 0});
    const QString first = session.ComposeText();
    int songMs = 0;
    for (size_t i = 0; i + 1 < opCount; i += 2) {
        const int value = ops[i + 1];
        const QString before = AllText(session.Document());
        const int lines = int(session.Document().Lines.size());
        bool editsText = false;
        switch (ops[i] % 10) {
        case 0:
            songMs += value * 7;
            session.TapDown(songMs, value & 1);
            break;
        case 1:
            session.TapUp(songMs + value);
            break;
        case 2:
            if (lines > 0)
                session.Select({value % lines, value / 16});
            songMs = value * 97;
            break;
        case 3:
            session.MoveSelected((value & 1 ? 10 : -10) * (value & 2 ? 10 : 1));
            break;
        case 4:
            session.MergeSelected();
            break;
        case 5:
            session.SplitSelected(value % 4);
            break;
        case 6:
            if (lines > 0) {
                QString text = session.Document().Lines[value % lines].Text();
                text.insert(value % (text.size() + 1), QChar(0x3041 + value % 90));
                editsText = session.EditLineText(value % lines, text);
            }
            break;
        case 7:
            session.UntimeLine(lines > 0 ? value % lines : 0);
            break;
        case 8:
            editsText = session.Undo();
            break;
        case 9:
            editsText = session.Redo();
            break;
        }
        for (const TimingLine& line : session.Document().Lines) {
            if (!TimesInOrder(line))
                std::abort(); // times out of order inside a line
        }
        if (!editsText && AllText(session.Document()) != before)
            std::abort(); // a timing operation changed the text
    }
    // Steps undone last may still wait to be redone: the end is where the session stood.
    const QString last = session.ComposeText();
    const int lastIndex = session.History().Index();
    while (session.Undo()) {
    }
    if (session.ComposeText() != first)
        std::abort(); // undo did not lead back to the start
    while (session.History().Index() < lastIndex && session.Redo()) {
    }
    if (session.ComposeText() != last)
        std::abort(); // redo did not lead to where the session stood
    const std::optional<SessionAutosave> back = DecodeAutosave(
        EncodeAutosave(AutosaveOf(QStringLiteral("/a.txt"), TextEncoding::Utf8, session,
                                  QDateTime::fromMSecsSinceEpoch(0, Qt::UTC))),
        nullptr);
    if (!back || back->Text != last || !(back->Document.Lines == session.Document().Lines) ||
        !(back->Selection == session.Selection()))
        std::abort(); // the autosave did not bring the session back
    return 0;
}
