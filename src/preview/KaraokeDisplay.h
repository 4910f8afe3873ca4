// What a SAMI player shows at each moment of a song, as plain data: the caption steps of a
// document in real milliseconds, and for a position the rows on screen with the number of
// characters already sung in each. The preview window only paints what this returns.
#pragma once

#include "../lyrics/LyricsDocument.h"
#include "../lyrics/Ruby.h"

#include <QString>
#include <QVector>
#include <array>

namespace tavelkor {

struct T2SSettings;

// How the rows look, taken from the SAMI style settings: the base style's colour and font,
// the karaoke colour from the markup before the sung part, the colour of the rest from the
// markup before it (else the base colour). Colours are CSS colour texts ("silver", "#ff0",
// "rgb(1,2,3)"); the window turns them into colours.
enum class RowAlignment { Left, Center, Right };
struct DisplayStyle {
    bool Karaoke = true;
    int Lines = 1; // rows on screen: the current line and up to three following ones
    QString BaseColour = QStringLiteral("silver");
    QString SungColour = QStringLiteral("yellow");
    QString UnsungColour = QStringLiteral("silver");
    QString FontFamily;
    double FontSizePt = 12;
    bool Bold = false;
    RowAlignment Alignment = RowAlignment::Center;
};
DisplayStyle ReadDisplayStyle(const T2SSettings& options);

// The value of a CSS property in a style text ("color: red; font-size: 12pt"), or "".
QString CssProperty(const QString& style, const QString& name);
// The colour a piece of markup sets ("<font color=yellow>", "<span style='color:red'>"), or "".
QString MarkupColour(const QString& markup);

// One caption of the SAMI output: from TimeMs on, the first row shows Sung in the karaoke
// colour followed by Unsung; the following rows show the next lines.
struct DisplayStep {
    int TimeMs = 0;
    int Line = 0; // index of the display line (a document line that shows) it belongs to
    QString Sung;
    QString Unsung;
    std::array<QString, 3> Following;
    std::array<int, 3> FollowingMs{{-1, -1, -1}}; // when each following line starts (-1: unknown)
};

struct DisplayRow {
    QString Text;           // the whole row
    int Sung = 0;           // its first Sung characters are in the karaoke colour
    QVector<RubySpan> Ruby; // readings over characters of Text ("@RubyN" of the document)
};

class KaraokeDisplay {
public:
    KaraokeDisplay() = default;
    // `document` in real milliseconds (PreviewTimes); `karaoke` and `lines` as T2S/Karaoke
    // and T2S/Lines. The steps are the captions the SAMI writer writes for it, in its order
    // and with its rules: directive and untimed lines never show, and a caption whose time is
    // not later than the one before is dropped.
    KaraokeDisplay(LyricsDocument document, bool karaoke, int lines);

    const QVector<DisplayStep>& Steps() const { return steps_; }
    int RowCount() const { return rows_; }
    // The step on screen at `positionMs`: the last one whose time has come; -1 before the first.
    int StepAt(qint64 positionMs) const;
    // The rows on screen at `positionMs` (RowCount of them; empty texts before the first step).
    QVector<DisplayRow> RowsAt(qint64 positionMs) const;
    QVector<DisplayRow> RowsOf(int step) const;
    // The time of the next step after `positionMs`, or -1 when none follows.
    qint64 NextChangeAfter(qint64 positionMs) const;

    // Line jumps: the start of the line before / after the one on screen at `positionMs`.
    // Before the first line, the previous line is the song's start (0) and the next one is the
    // first line; after the last line there is no next one (-1).
    qint64 PreviousLineStart(qint64 positionMs) const;
    qint64 NextLineStart(qint64 positionMs) const;
    int LineCount() const { return int(lineStarts_.size()); }
    // The time of the last step (0 without steps).
    qint64 LastTimeMs() const { return steps_.isEmpty() ? 0 : steps_.constLast().TimeMs; }

private:
    QVector<DisplayStep> steps_;
    QVector<int> lineStarts_; // per display line, the index of its first step
    QVector<RubyEntry> ruby_;
    int rows_ = 1;
    bool karaoke_ = true;
};

} // namespace tavelkor
