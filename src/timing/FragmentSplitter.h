// Splitting a line of lyrics into fragments, the pieces that each get one time: one per kana
// or kanji, small kana and the long-vowel mark with the character before them, punctuation
// and spaces with the fragment before them (an opening bracket with the one after it), a run
// of Latin letters or digits one fragment per word.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace tavelkor {

struct SplitRules {
    bool JoinSokuon = false;  // っ/ッ join the fragment before them
    bool JoinHatsuon = false; // ん/ン join the fragment before them
};

// The fragments of `text`, in order; their concatenation is `text`. An empty text has none.
QStringList SplitIntoFragments(QStringView text, const SplitRules& rules);

} // namespace tavelkor
