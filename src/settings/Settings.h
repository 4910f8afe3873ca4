// Every user choice of the program, one field per key of the settings store.
#pragma once

#include "../base/TextEncoding.h"

#include <QString>
#include <array>
#include <optional>

namespace tavelkor {

inline constexpr double DefaultRatio = 0.9953125;
// The highest mode number Init/NowMode may hold (the mode table has one more mode than this).
inline constexpr int LastModeIndex = 14;

// The encoding a text output is written in: the one its source was read in, or one for all.
enum class OutputEncodingChoice { Source, Cp932, Utf8, Utf8Bom };
// "Source", "CP932", "UTF-8", "UTF-8-BOM": the stored texts of the choices.
QString OutputEncodingChoiceName(OutputEncodingChoice choice);
std::optional<OutputEncodingChoice> ParseOutputEncodingChoice(QStringView text);
// The encoding an output is written in when its source was read in `source`.
TextEncoding OutputEncodingOf(OutputEncodingChoice choice, TextEncoding source);

// Style of the lyrics paragraph class when T2S/Base is empty.
QString DefaultSamiBaseStyle();
// The karaoke markup pieces of the SAMI writer by default: before and after the sung part,
// before and after the part still to sing.
const std::array<QString, 4>& KaraokeHtmlDefaults();

struct InitSettings {
    bool SmallSize = false;
    int NowMode = 0;
    float Left = 0; // twips; the front end puts the window's position here before loading
    float Top = 0;
    double TimeRatio = DefaultRatio;
    bool OverWrite = true;
    bool SameFolder = true;
    QString AnotherFolder;
    bool PreMode = false;
    bool DispResult = false;
    bool DispResult2 = false;
    bool DispCorrect = false;
    EncodingChoice InputEncoding = EncodingChoice::Auto; // stored "Auto", "CP932", "UTF-8"
    OutputEncodingChoice OutputEncoding = OutputEncodingChoice::Source; // "Source", "CP932", ...
    int SlidemSec = 0; // read and written by the time-shift run only
};

struct T2SSettings {
    int ExtOrg = 0;
    int ExtNew = 0;
    bool Karaoke = true;
    QString Base = DefaultSamiBaseStyle();
    std::array<QString, 4> KaraokeHTML = KaraokeHtmlDefaults();
    int Lines = 1;
    // Readings ("@Ruby" lines) as <RUBY>base<RT>reading</RT></RUBY>; old players show them
    // as text.
    bool Ruby = false;
};

struct S2TSettings {
    int ExtOrg = 0;
    int ExtNew = 0;
    bool Karaoke = true;
};

struct T2DSettings {
    int ExtOrg = 0;
    int ExtNew = 0;
    bool Karaoke = true;
    int Alignment = 0;
    int Lines = 1;
};

struct D2TSettings {
    int ExtOrg = 0;
    int ExtNew = 0;
    bool Karaoke = true;
};

struct T2MSettings {
    int ExtOrg = 0;
    bool Id3v2Lyrics = true; // also write the lyrics as ID3v2 USLT and SYLT frames
    QString Id3v2Language = QStringLiteral("jpn"); // their language: three ASCII letters
};

struct M2TSettings {
    int ExtNew = 0;
    bool DeleteL3 = false;
    bool PreferSylt = false; // a SYLT frame wins over a Lyrics3 block
};

struct T2TSettings {
    int ExtOrg = 0;
    int ExtNew = 0;
    bool mSec = true;
    bool Normalize = false;
    bool KaraokeNormalize = false;
    bool KaraokeNise = false;
    bool KaraokeLineTop = false;
    bool CorrectAdd = false;
    bool CorrectTrans = false;
    std::array<double, 3> TimeRatio = {DefaultRatio, DefaultRatio, DefaultRatio};
    QString Name;
    bool SilencemSec = true;
    int AtArtist = 1;
};

// TimeTag -> LRC.
struct T2LSettings {
    int ExtOrg = 0;         // TimeTagExtensions
    int ExtNew = 0;         // LrcExtensions
    bool WordStamps = true; // karaoke lines get enhanced-LRC word stamps
    bool Millis = false;    // stamps in milliseconds instead of hundredths
    bool IdTags = true;     // title, artist, album and tagger as ID tags
    // What the .lrc is written in; Source writes it as Init/OutputEncoding says for the source.
    OutputEncodingChoice Encoding = OutputEncodingChoice::Utf8;
};

// LRC -> TimeTag.
struct L2TSettings {
    int ExtOrg = 0;      // LrcExtensions
    int ExtNew = 0;      // TimeTagExtensions
    bool Karaoke = true; // word stamps become karaoke tags
};

// TimeTag -> the word-timed caption formats (ASS, TTML, WebVTT, SRT).
struct T2XSettings {
    int ExtOrg = 0;                                   // TimeTagExtensions
    QString Formats = QStringLiteral("ass,ttml,vtt"); // any of ass, ttml, vtt, srt
    QString AssFont = QStringLiteral("IPAGothic");
    int AssFontSize = 48;
    QString AssKaraoke = QStringLiteral("kf");        // kf, k or ko
    QString SungColour = QStringLiteral("#FFFF00");   // the SAMI mode's sung colour, yellow
    QString UnsungColour = QStringLiteral("#C0C0C0"); // its base colour, silver
    int LastLineMs = 3000;                   // how long the last line stays when nothing ends it
    QString Language = QStringLiteral("ja"); // TTML's xml:lang
    // The WebVTT STYLE block that colours the sung part; FFmpeg (5.1 at least) reads no cue
    // after one, so players built on it need it left out.
    bool VttStyle = true;
    // Readings in ASS as the karaoke templates' furigana ("base|reading" syllables); a plain
    // renderer shows them as text.
    bool AssFurigana = false;
};

// The word-timed caption formats -> TimeTag.
struct X2TSettings {
    int ExtNew = 0;      // TimeTagExtensions
    bool Karaoke = true; // word timing becomes karaoke tags; without, lines keep their start
};

// Placing the fragments of line-timed lyrics on their song's voice.
struct PlaceSettings {
    int ExtNew = 0; // TimeTagExtensions
    bool Redo = false; // lines timed inside already are placed again (else kept as they are)
};

// TimeTag (and the caption formats) -> a karaoke video of the song: the picture's size and
// rate, its background, the H.264 encoder's preset and quality, and the sound ("copy": the
// song's MP3 data as it is; "aac": encoded anew).
struct T2VSettings {
    int Width = 1280;
    int Height = 720;
    int Fps = 30;
    QString Background;                             // an image file; "" for the colour
    QString BackgroundColour = QStringLiteral("#000000");
    QString Preset = QStringLiteral("veryfast");    // libx264's preset
    int Crf = 20;                                   // libx264's constant quality
    QString Audio = QStringLiteral("copy");         // copy or aac
};

// The preview window's place on the screen, in twips like the main window's; a width of 0
// means it was never shown, and it opens in its default size in the middle of the screen.
struct PreviewSettings {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// The timing editor: how lines split into fragments, the keys that tap, the gap that is no
// pause, the tap latency, the replay's lead-in, and the window's place, speed and last file.
struct TimingSettings {
    bool JoinSokuon = false;
    bool JoinHatsuon = false;
    QString TapKey = QStringLiteral("J");
    QString StartKey = QStringLiteral("F");
    int MinGapMs = 200;
    int TapOffsetMs = 0;
    int PreRollMs = 1000;
    int SpeedPercent = 100; // 100, 75 or 50
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    QString LastFile;
    // A stamp within SnapWindowMs of a detected onset takes the onset's time.
    bool SnapToOnsets = false;
    int SnapWindowMs = 60;
    // What the lane draws: "waveform" or "spectrogram".
    QString LaneView = QStringLiteral("waveform");
    // Which onsets the lane shows and stamps snap to: "voice", the starts of the sung voice
    // brought forward from the mix; "plain", the start of every sound.
    QString OnsetKind = QStringLiteral("voice");
};

struct Settings {
    InitSettings Init;
    T2SSettings T2S;
    S2TSettings S2T;
    T2DSettings T2D;
    D2TSettings D2T;
    T2MSettings T2M;
    M2TSettings M2T;
    T2TSettings T2T;
    T2LSettings T2L;
    L2TSettings L2T;
    PreviewSettings Preview;
    TimingSettings Timing;
    T2XSettings T2X;
    X2TSettings X2T;
    PlaceSettings Place;
    T2VSettings T2V;
};

} // namespace tavelkor
