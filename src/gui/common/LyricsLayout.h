// Where the preview draws its rows: every row fits the view. The font grows with the room (up
// to four times the style's size), shrinks for long rows down to a readable least size, and a
// row still too wide wraps at a character boundary (after a space where the text has one), so
// that a long line shows as several rows, coloured in order. Readings (ruby) stand over their
// base in a font half its size, in a row of their own that only lines with readings take,
// coloured as the base is: the sung part sweeps over a reading as it sweeps over its base.
#pragma once

#include "../../preview/KaraokeDisplay.h"

#include <QFont>
#include <QRectF>
#include <QSize>
#include <QVector>

namespace tavelkor {

enum class PieceColour { Sung, Unsung, Base };

// One run of text drawn in one colour, with its baseline origin and the box its glyphs take.
struct DrawnPiece {
    QString Text;
    QPointF Origin;
    QRectF Box;
    PieceColour Colour = PieceColour::Base;
    int Row = 0; // the display row it belongs to
    bool Reading = false; // a reading (in RubyFont) over the base text
};

struct LyricsLayout {
    QFont Font;
    QFont RubyFont; // the readings' font: half the size of Font
    QVector<DrawnPiece> Pieces;
};

// The size of the readings' font against the text's.
inline constexpr double RubyScale = 0.5;

// The least size the preview shrinks its text to, in points.
inline constexpr double LeastReadablePt = 10;

// Lays `rows` out in a view of `size` with the style's font (`font` carries the family and
// weight; its size is chosen here).
LyricsLayout LayOutLyrics(const QVector<DisplayRow>& rows, const DisplayStyle& style, QFont font,
                          QSize size);

} // namespace tavelkor
