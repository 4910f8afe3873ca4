// The lines a SAMI or DSMP display shows for a document. With karaoke, every tag of a tagged
// line is one step that shows the text sung so far (the pseudo-karaoke expansion); without,
// every line is shown as it is. The writers walk these steps directly instead of building the
// expanded document, which keeps large batches free of a copy of every line.
#pragma once

#include "Adjustments.h"
#include "LyricsDocument.h"

#include <QStringView>
#include <algorithm>

namespace tavelkor {

struct DisplayLine {
    const LyricsLine& Source; // the document line the display line comes from
    bool Timed;               // it carries a time tag
    int TimeMs;               // its start time (the step's tag, or the line's first tag)
    QStringView Text;         // the text shown (for a step: sung so far)
    QStringView Unsung;       // for a step: the rest of the line; otherwise empty
};

// A display of this many characters is not a lyrics display: a hostile file (a line of a
// hundred thousand tags and long text) would otherwise make a SAMI or DSMP text of many
// gigabytes. Real lyrics stay far below it.
inline constexpr qint64 MaxDisplayTextChars = qint64(128) * 1024 * 1024;

// The number of characters the display lines and `followingSlots` following texts of each
// take; fills that many of the document's FollowingTexts.
qint64 DisplayTextSize(LyricsDocument& document, bool karaoke, int followingSlots);

// Fills the first `followingSlots` of the document's FollowingTexts (those the display shows),
// then calls `show` for every display line in order.
template <class Show>
void ForEachDisplayLine(LyricsDocument& document, bool karaoke, Show&& show,
                        int followingSlots = 3);

inline bool SameText(QStringView a, QStringView b) {
    return a.size() == b.size() && std::equal(a.utf16(), a.utf16() + a.size(), b.utf16());
}

template <class Show>
void ForEachDisplayLine(LyricsDocument& document, bool karaoke, Show&& show, int followingSlots) {
    FillFollowingTexts(document, followingSlots);
    QString built; // a step's text when the fragments do not simply cut the plain text
    for (const LyricsLine& line : std::as_const(document.Lines)) {
        if (!karaoke || !line.HasTimeTag || line.Fragments.size() < 2) {
            const int time = line.Fragments.isEmpty() ? 0 : line.Fragments[0].TimeMs;
            show(DisplayLine{line, line.HasTimeTag, time, line.PlainText, {}});
            continue;
        }
        // A step shows the texts of fragments 0 to l joined, which is normally the start of
        // the plain text; the rest of the plain text is still to sing.
        const QStringView plain(line.PlainText);
        qsizetype sung = 0;
        bool cuts = true;
        for (int l = 0; l <= line.FragmentCount(); ++l) {
            const KaraokeFragment& fragment = line.Fragments[l];
            if (cuts && !SameText(plain.mid(sung, fragment.Text.size()), fragment.Text)) {
                cuts = false;
                built = plain.left(sung).toString();
            }
            if (!cuts)
                built += fragment.Text;
            sung += fragment.Text.size();
            if (l == 0)
                continue;
            const QStringView text = cuts ? plain.left(sung) : QStringView(built);
            const QStringView unsung =
                text.size() < plain.size() ? plain.mid(text.size()) : QStringView();
            show(DisplayLine{line, true, fragment.TimeMs, text, unsung});
        }
    }
}

} // namespace tavelkor
