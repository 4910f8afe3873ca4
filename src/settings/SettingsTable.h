// The table of every settings key: section, key, form and default, in the order in which the
// settings are loaded and saved. One table serves loading, saving and the command line's
// overrides.
#pragma once

#include "Settings.h"

#include <initializer_list>
#include <limits>

namespace tavelkor {

// The allowed values of an integer setting.
struct IntRange {
    int Min;
    int Max;
};
inline constexpr IntRange Int16Range{-32768, 32767};
inline constexpr IntRange Int32Range{std::numeric_limits<int>::min(),
                                     std::numeric_limits<int>::max()};

// A text setting that holds a language code of an ID3v2 frame: three ASCII letters.
struct LanguageCodeForm {};
// A text setting that holds one of `Words` (letter case aside), or with `List` a comma list of
// them.
struct WordChoiceForm {
    std::initializer_list<const char16_t*> Words;
    bool List = false;
};

// Calls `visit(section, key, value, defaultValue[, range or form])` for every key, in table
// order, with the field of `settings` and the same field of `defaults`. Floats are stored as
// single precision numbers, doubles as double precision, ints as decimal integers, bools as
// "True"/"False", QStrings unchanged (one of a form only when it has that form). Init/SlidemSec
// comes last; it is not part of the load and save at start and exit.
template <class S, class D, class Visitor>
void VisitSettings(S& settings, D& defaults, Visitor&& visit) {
#define TAVELKOR_KEY(section, key, ...)                                                            \
    visit(u"" #section, u"" #key, settings.section.key, defaults.section.key, ##__VA_ARGS__)
    TAVELKOR_KEY(Init, SmallSize);
    TAVELKOR_KEY(Init, NowMode, IntRange{0, LastModeIndex});
    TAVELKOR_KEY(Init, Left);
    TAVELKOR_KEY(Init, Top);
    TAVELKOR_KEY(Init, TimeRatio);
    TAVELKOR_KEY(Init, OverWrite);
    TAVELKOR_KEY(Init, SameFolder);
    TAVELKOR_KEY(Init, AnotherFolder);
    TAVELKOR_KEY(Init, PreMode);
    TAVELKOR_KEY(Init, DispResult);
    TAVELKOR_KEY(Init, DispResult2);
    TAVELKOR_KEY(Init, DispCorrect);
    TAVELKOR_KEY(Init, InputEncoding);
    TAVELKOR_KEY(Init, OutputEncoding);
    TAVELKOR_KEY(T2S, ExtOrg, IntRange{0, 2});
    TAVELKOR_KEY(T2S, ExtNew, IntRange{0, 1});
    TAVELKOR_KEY(T2S, Karaoke);
    TAVELKOR_KEY(T2S, Base);
    visit(u"T2S", u"KaraokeHTML0", settings.T2S.KaraokeHTML[0], defaults.T2S.KaraokeHTML[0]);
    visit(u"T2S", u"KaraokeHTML1", settings.T2S.KaraokeHTML[1], defaults.T2S.KaraokeHTML[1]);
    visit(u"T2S", u"KaraokeHTML2", settings.T2S.KaraokeHTML[2], defaults.T2S.KaraokeHTML[2]);
    visit(u"T2S", u"KaraokeHTML3", settings.T2S.KaraokeHTML[3], defaults.T2S.KaraokeHTML[3]);
    TAVELKOR_KEY(T2S, Lines, Int16Range);
    TAVELKOR_KEY(T2S, Ruby);
    TAVELKOR_KEY(S2T, ExtOrg, IntRange{0, 1});
    TAVELKOR_KEY(S2T, ExtNew, IntRange{0, 2});
    TAVELKOR_KEY(S2T, Karaoke);
    TAVELKOR_KEY(T2D, ExtOrg, IntRange{0, 2});
    TAVELKOR_KEY(T2D, ExtNew, IntRange{0, 6});
    TAVELKOR_KEY(T2D, Karaoke);
    TAVELKOR_KEY(T2D, Alignment, Int16Range);
    TAVELKOR_KEY(T2D, Lines, Int16Range);
    TAVELKOR_KEY(D2T, ExtOrg, IntRange{0, 6});
    TAVELKOR_KEY(D2T, ExtNew, IntRange{0, 2});
    TAVELKOR_KEY(D2T, Karaoke);
    TAVELKOR_KEY(T2M, ExtOrg, IntRange{0, 2});
    TAVELKOR_KEY(T2M, Id3v2Lyrics);
    TAVELKOR_KEY(T2M, Id3v2Language, LanguageCodeForm{});
    TAVELKOR_KEY(M2T, ExtNew, IntRange{0, 2});
    TAVELKOR_KEY(M2T, DeleteL3);
    TAVELKOR_KEY(M2T, PreferSylt);
    TAVELKOR_KEY(T2T, ExtOrg, IntRange{0, 2});
    TAVELKOR_KEY(T2T, ExtNew, IntRange{0, 2});
    TAVELKOR_KEY(T2T, mSec);
    TAVELKOR_KEY(T2T, Normalize);
    TAVELKOR_KEY(T2T, KaraokeNormalize);
    TAVELKOR_KEY(T2T, KaraokeNise);
    TAVELKOR_KEY(T2T, KaraokeLineTop);
    TAVELKOR_KEY(T2T, CorrectAdd);
    TAVELKOR_KEY(T2T, CorrectTrans);
    visit(u"T2T", u"TimeRatio0", settings.T2T.TimeRatio[0], defaults.T2T.TimeRatio[0]);
    visit(u"T2T", u"TimeRatio1", settings.T2T.TimeRatio[1], defaults.T2T.TimeRatio[1]);
    visit(u"T2T", u"TimeRatio2", settings.T2T.TimeRatio[2], defaults.T2T.TimeRatio[2]);
    TAVELKOR_KEY(T2T, Name);
    TAVELKOR_KEY(T2T, SilencemSec);
    TAVELKOR_KEY(T2T, AtArtist, IntRange{0, 2});
    TAVELKOR_KEY(T2L, ExtOrg, IntRange{0, 2});
    TAVELKOR_KEY(T2L, ExtNew, IntRange{0, 1});
    TAVELKOR_KEY(T2L, WordStamps);
    TAVELKOR_KEY(T2L, Millis);
    TAVELKOR_KEY(T2L, IdTags);
    TAVELKOR_KEY(L2T, ExtOrg, IntRange{0, 1});
    TAVELKOR_KEY(L2T, ExtNew, IntRange{0, 2});
    TAVELKOR_KEY(L2T, Karaoke);
    TAVELKOR_KEY(Preview, Left, Int32Range);
    TAVELKOR_KEY(Preview, Top, Int32Range);
    TAVELKOR_KEY(Preview, Width, IntRange{0, std::numeric_limits<int>::max()});
    TAVELKOR_KEY(Preview, Height, IntRange{0, std::numeric_limits<int>::max()});
    TAVELKOR_KEY(Timing, JoinSokuon);
    TAVELKOR_KEY(Timing, JoinHatsuon);
    TAVELKOR_KEY(Timing, TapKey);
    TAVELKOR_KEY(Timing, StartKey);
    TAVELKOR_KEY(Timing, MinGapMs, IntRange{0, 5000});
    TAVELKOR_KEY(Timing, TapOffsetMs, IntRange{-2000, 2000});
    TAVELKOR_KEY(Timing, PreRollMs, IntRange{0, 10000});
    TAVELKOR_KEY(Timing, SpeedPercent, IntRange{50, 100});
    TAVELKOR_KEY(Timing, Left, Int32Range);
    TAVELKOR_KEY(Timing, Top, Int32Range);
    TAVELKOR_KEY(Timing, Width, IntRange{0, std::numeric_limits<int>::max()});
    TAVELKOR_KEY(Timing, Height, IntRange{0, std::numeric_limits<int>::max()});
    TAVELKOR_KEY(Timing, LastFile);
    TAVELKOR_KEY(Timing, SnapToOnsets);
    TAVELKOR_KEY(Timing, SnapWindowMs, IntRange{0, 1000});
    TAVELKOR_KEY(Timing, LaneView, WordChoiceForm{{u"waveform", u"spectrogram"}});
    TAVELKOR_KEY(Timing, OnsetKind, WordChoiceForm{{u"voice", u"plain"}});
    TAVELKOR_KEY(T2L, Encoding);
    TAVELKOR_KEY(T2X, ExtOrg, IntRange{0, 2});
    TAVELKOR_KEY(T2X, Formats, WordChoiceForm{{u"ass", u"ttml", u"vtt", u"srt"}, true});
    TAVELKOR_KEY(T2X, AssFont);
    TAVELKOR_KEY(T2X, AssFontSize, IntRange{8, 400});
    TAVELKOR_KEY(T2X, AssKaraoke, WordChoiceForm{{u"kf", u"k", u"ko"}});
    TAVELKOR_KEY(T2X, SungColour, WordChoiceForm{{u"#"}});
    TAVELKOR_KEY(T2X, UnsungColour, WordChoiceForm{{u"#"}});
    TAVELKOR_KEY(T2X, LastLineMs, IntRange{0, 3600000});
    TAVELKOR_KEY(T2X, Language);
    TAVELKOR_KEY(T2X, VttStyle);
    TAVELKOR_KEY(T2X, AssFurigana);
    TAVELKOR_KEY(X2T, ExtNew, IntRange{0, 2});
    TAVELKOR_KEY(X2T, Karaoke);
    TAVELKOR_KEY(Place, ExtNew, IntRange{0, 2});
    TAVELKOR_KEY(Place, Redo);
    TAVELKOR_KEY(T2V, Width, IntRange{16, 7680});
    TAVELKOR_KEY(T2V, Height, IntRange{16, 4320});
    TAVELKOR_KEY(T2V, Fps, IntRange{1, 120});
    TAVELKOR_KEY(T2V, Background);
    TAVELKOR_KEY(T2V, BackgroundColour, WordChoiceForm{{u"#"}});
    TAVELKOR_KEY(T2V, Preset,
                 WordChoiceForm{{u"ultrafast", u"superfast", u"veryfast", u"faster", u"fast",
                                 u"medium", u"slow", u"slower", u"veryslow"}});
    TAVELKOR_KEY(T2V, Crf, IntRange{0, 51});
    TAVELKOR_KEY(T2V, Audio, WordChoiceForm{{u"copy", u"aac"}});
    TAVELKOR_KEY(Init, SlidemSec, Int32Range);
#undef TAVELKOR_KEY
}

} // namespace tavelkor
