// Long lines of an ASS script broken into rows that fit the picture.
#pragma once

#include <QString>

namespace tavelkor {

// The Dialogue text `text` with hard breaks "\N" so that no row is wider than `width` (in
// script pixels) at the font size `fontSize`, the rows as even as that allows. Widths are
// estimated from the characters: a wide one (kana, kanji, full-width forms, emoji) one font
// size, any other six tenths of it. A row breaks at its last blank when it has one (the blank
// becomes the break), else between two characters; override blocks "{...}" are kept whole
// and take no width. Every row starts with a karaoke tag: a break at a syllable's start goes
// before its tag, one inside cuts the syllable in two that start and end as it did.
QString WrappedAssText(const QString& text, int fontSize, int width);

} // namespace tavelkor
