// How well, and how fast, the decoder tells UTF-8 from CP932.
//
// A generator makes lyrics files (1 to 40 lines of kana, kanji of JIS levels 1 and 2,
// half-width katakana, full-width and ASCII text, many with TimeTag tags) and writes each text
// twice: as CP932 and as UTF-8. Each candidate says which files it takes for UTF-8:
//  - "valid UTF-8": the plain rule, valid UTF-8 with at least one multi-byte sequence;
//  - "Tavelkor": DecodeText with Auto, the plain rule plus the look-alike rules;
//  - "uchardet" and "ICU": the libraries' detectors, when the build found them.
// A CP932 file taken for UTF-8 is a false UTF-8; a UTF-8 file not taken for UTF-8 is a missed
// UTF-8. Short real UTF-8 texts ("café", one emoji) are counted as well, and so is the speed of
// decoding with detection against forced CP932.
//
//   tavelkor-bench-encoding [--files N] [--seed S] [--examples K] [--write DIR]
//                           [--no-libraries]
#include "base/Cp932.h"
#include "base/TextEncoding.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#ifdef TAVELKOR_HAVE_UCHARDET
#include <uchardet/uchardet.h>
#endif
#ifdef TAVELKOR_HAVE_ICU
#include <unicode/ucsdet.h>
#endif

using namespace tavelkor;

namespace {

// A small, fixed random generator, so that a run repeats exactly on every machine.
class Random {
public:
    explicit Random(quint64 seed) : state_(seed) {}
    quint64 Next() {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return int(Next() % quint64(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); } // both included
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[size_t(Below(int(items.size())))];
    }

private:
    quint64 state_;
};

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

std::vector<QString> Words(const char* utf8List) {
    std::vector<QString> words;
    for (const QString& word : U(utf8List).split(u' ', Qt::SkipEmptyParts)) {
        // Only what CP932 holds, so that both files carry the same text.
        qsizetype replaced = 0;
        EncodeCp932(word, replaced);
        if (replaced == 0)
            words.push_back(word);
    }
    return words;
}

// Every character of the CP932 codes from..to (two-byte codes, or one byte when below 0x100).
std::vector<QString> Characters(int from, int to) {
    std::vector<QString> characters;
    for (int code = from; code <= to; ++code) {
        QByteArray bytes;
        if (code > 0xFF)
            bytes.append(char(code >> 8));
        bytes.append(char(code & 0xFF));
        if (FindUndecodableCp932(bytes.constData(), bytes.size()) >= 0)
            continue;
        const QString text = DecodeCp932(bytes);
        if (text.size() == 1 && EncodeCp932(text) == bytes)
            characters.push_back(text);
    }
    return characters;
}

// The stuff of lyrics lines.
struct Pools {
    std::vector<QString> phrases =
        Words("愛してる 君の笑顔 夢を見ていた さよなら 星空の下で 涙がこぼれる 心の奥に "
              "世界の果てまで 明日へ 風に吹かれて あなたの声 忘れないで ずっと一緒に 抱きしめて "
              "この手を離さない 夜明けの空 遠い約束 桜が舞う 雨上がり 青い海 二人の未来 輝く星 "
              "時を超えて 胸の鼓動 ありがとう 会いたくて 光の中へ 走り出せ 僕らの歌 永遠に "
              "キミが好き ひとりじゃない 帰り道 思い出 花びら 届けたい きらめく 揺れる想い "
              "溢れる涙 真夏の夜 冬の街 初恋 さまよう かけがえのない 笑って 信じてる どこまでも "
              "いつまでも 瞳を閉じて 優しい嘘 もう一度 君に会いたい 歩いていこう 手をつないで");
    // Words with kanji of JIS level 2 (and a few of level 1 that go with them).
    std::vector<QString> level2Words = Words("薔薇 儚い 囁き 煌めき 朧月 眩しい 刹那 叶えたい "
                                             "蒼穹 噛みしめ 滲む 躊躇い 燦めく 綺麗 呟く 彷徨う "
                                             "艶やか 翳り 瞼 睫毛 怯えて 爪痕 淀む 靄");
    std::vector<QString> katakana =
        Words("メロディー ラブソング ドリーム ハート スター キス ダンス ミュージック パーティー "
              "ロマンス エンジェル シャイン ベイビー ララバイ ヒーロー ワンダーランド サマー "
              "ウィンター メモリー ストーリー ギター ドラマ");
    std::vector<QString> halfWidth =
        Words("ｱｲｼﾃﾙ ﾗﾌﾞ ﾒﾛﾃﾞｨｰ ﾊﾟｰﾃｨｰ ﾄﾞﾘｰﾑ ｷｽ ﾊｰﾄ ｽﾀｰ ﾗﾗﾗ ﾎﾟｯﾌﾟ ｶﾗｵｹ ﾃｨｱﾗ ﾃﾞｨｽｺ ﾍﾞｲﾋﾞｰ "
              "ｺｺﾛ ﾐｭｰｼﾞｯｸ ﾏｲｸ ﾘｽﾞﾑ ﾀﾞﾝｽ ｲｪｲ ｵｰｲｪｰ ﾌｧｲﾄ ﾃｨｰ ﾁｬﾝｽ ﾅﾅﾅ ﾊｲ ｵｰ ﾔｰ");
    std::vector<QString> english = Words(
        "love you baby tonight dream heart shine forever dance night star kiss my your the in "
        "on we are all together sky rain hold me tight never let go oh yeah la na hey fly away "
        "one more time sweet memories light world stay with run feel it so good I don't can't "
        "morning Yeah Oh Baby Love Hey");
    std::vector<QString> fullWidth =
        Words("ＬＯＶＥ ＹＥＡＨ １２３ Ａ ＤＪ （Ｒｅｐｅａｔ） ！ ？ ～ … ♪ ☆ ★ 「 」 『 』 、 "
              "。 ・ ー ○ ● → ※ ！！ ♪♪ （ ） ×２ ＃");
    std::vector<QString> hiragana = Characters(0x829F, 0x82F1);
    std::vector<QString> katakanaCharacters = Characters(0x8340, 0x8396);
    std::vector<QString> level1 = Characters(0x889F, 0x9872);
    std::vector<QString> level2 = Characters(0x989F, 0xEAA4);
    std::vector<QString> halfWidthCharacters = Characters(0xA1, 0xDF);
    std::vector<QString> fullWidthCharacters = Characters(0x824F, 0x829A);
    std::vector<QString> symbols = Characters(0x8140, 0x81FC);
    std::vector<QString> nec = Characters(0x8740, 0x879C);
    std::vector<QString> ibm = Characters(0xFA40, 0xFC4B);
};

QString Run(Random& random, const std::vector<QString>& characters, int low, int high) {
    QString text;
    for (int n = random.Between(low, high); n > 0; --n)
        text += random.Pick(characters);
    return text;
}

// One piece of a Japanese lyric line.
QString JapaneseToken(Random& random, const Pools& pools) {
    const int roll = random.Below(100);
    if (roll < 33)
        return random.Pick(pools.phrases);
    if (roll < 43)
        return Run(random, pools.hiragana, 1, 5);
    if (roll < 50)
        return random.Pick(pools.katakana);
    if (roll < 54)
        return Run(random, pools.katakanaCharacters, 2, 5);
    if (roll < 62)
        return Run(random, pools.level1, 1, 2) + Run(random, pools.hiragana, 0, 2);
    if (roll < 66)
        return random.Pick(pools.level2Words);
    if (roll < 70)
        return Run(random, pools.level2, 1, 2) + Run(random, pools.hiragana, 0, 2);
    if (roll < 75)
        return random.Pick(pools.halfWidth);
    if (roll < 78)
        return Run(random, pools.halfWidthCharacters, 1, 5);
    if (roll < 86)
        return random.Pick(pools.english);
    if (roll < 90)
        return random.Pick(pools.fullWidth);
    if (roll < 92)
        return Run(random, pools.fullWidthCharacters, 1, 4);
    if (roll < 95)
        return random.Pick(pools.nec);
    if (roll < 96)
        return random.Pick(pools.ibm);
    return Run(random, pools.symbols, 1, 2);
}

QString Separator(Random& random) {
    const int roll = random.Below(100);
    if (roll < 40)
        return QString();
    if (roll < 80)
        return QStringLiteral(" ");
    if (roll < 90)
        return U("　");
    return U("、");
}

QString Tag(int centiseconds) {
    char tag[16];
    std::snprintf(tag, sizeof tag, "[%02d:%02d:%02d]", centiseconds / 6000 % 100,
                  centiseconds / 100 % 60, centiseconds % 100);
    return QString::fromLatin1(tag);
}

enum class Style { Japanese, MostlyEnglish, Sparse, HalfWidth };
enum class Tags { None, LineHead, Karaoke };

// One lyrics text. The styles: Japanese lyrics; English lyrics with a Japanese word here and
// there; a line or three of ASCII with one to three Japanese words (where CP932 look-alikes
// live); lines of half-width katakana, as old karaoke files have them.
QString MakeLyrics(Random& random, const Pools& pools) {
    const int styleRoll = random.Below(100);
    const Style style = styleRoll < 55   ? Style::Japanese
                        : styleRoll < 75 ? Style::MostlyEnglish
                        : styleRoll < 93 ? Style::Sparse
                                         : Style::HalfWidth;
    const int tagRoll = random.Below(100);
    const Tags tags = tagRoll < 35 ? Tags::None : tagRoll < 75 ? Tags::LineHead : Tags::Karaoke;
    const QString lineEnd = random.Chance(85) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const int lines = style == Style::Sparse ? random.Between(1, 3) : random.Between(1, 40);
    // Sparse texts get their Japanese words on chosen lines only.
    std::vector<int> japaneseWords(size_t(lines), 0);
    if (style == Style::Sparse) {
        for (int n = random.Between(1, 3); n > 0; --n)
            ++japaneseWords[size_t(random.Below(lines))];
    }
    QString text;
    int time = random.Between(0, 3000);
    if (random.Chance(15)) {
        text += QStringLiteral("@Title=");
        text += random.Chance(50) ? random.Pick(pools.phrases) : random.Pick(pools.english);
        text += lineEnd;
    }
    for (int line = 0; line < lines; ++line) {
        QStringList tokens;
        const int count = random.Between(1, style == Style::Sparse ? 6 : 8);
        for (int k = 0; k < count; ++k) {
            switch (style) {
            case Style::Japanese:
                tokens.append(JapaneseToken(random, pools));
                break;
            case Style::MostlyEnglish:
                tokens.append(random.Chance(4) ? JapaneseToken(random, pools)
                                               : random.Pick(pools.english));
                break;
            case Style::Sparse:
                tokens.append(random.Pick(pools.english));
                break;
            case Style::HalfWidth:
                tokens.append(random.Chance(70)
                                  ? (random.Chance(60)
                                         ? random.Pick(pools.halfWidth)
                                         : Run(random, pools.halfWidthCharacters, 1, 6))
                                  : random.Pick(pools.english));
                break;
            }
        }
        for (int n = japaneseWords[size_t(line)]; n > 0; --n)
            tokens.insert(random.Below(int(tokens.size()) + 1), JapaneseToken(random, pools));
        if (tags == Tags::LineHead)
            text += Tag(time);
        for (qsizetype k = 0; k < tokens.size(); ++k) {
            if (tags == Tags::Karaoke)
                text += Tag(time += random.Between(10, 80));
            else if (k > 0)
                text += style == Style::Japanese ? Separator(random) : QStringLiteral(" ");
            text += tokens[k];
        }
        if (tags == Tags::Karaoke)
            text += Tag(time += random.Between(10, 80));
        time += random.Between(150, 600);
        if (line + 1 < lines || random.Chance(70))
            text += lineEnd;
    }
    return text;
}

// Real UTF-8 texts with only a few non-ASCII characters, alone and inside a lyrics line.
QStringList ShortUtf8Texts() {
    const QStringList words =
        U("café naïve Beyoncé déjà_vu Ça_va ¿Qué? año "
          "Straße Zoë façade crème_brûlée über schön Mädchen Åsa Łódź "
          "İstanbul ¡Olé! piñata 😀 🎵 🩷 ❤️ 👍🏽 ♪ ♥ ★ ❤ ✨ ™ ☆彡 "
          "♪♪ "
          "“quoted” it’s wait… yes—no 1–2 25°C ©2024 3×4 5€ "
          "Привет Ελλάδα 안녕 你好 愛 ち ありがとう Ｌｏｖｅ ｱｲｼﾃﾙ")
            .split(u' ', Qt::SkipEmptyParts);
    QStringList texts;
    for (QString word : words) {
        word.replace(u'_', u' ');
        texts.append(word);
        texts.append(QStringLiteral("[00:12:34]") + word + QStringLiteral("\r\n"));
        texts.append(QStringLiteral("I said ") + word + QStringLiteral(" to you\r\n"));
    }
    return texts;
}

QByteArray Utf8(const QString& text) { return EncodeText(text, TextEncoding::Utf8).Bytes; }

bool HasMultiByte(const QByteArray& bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; });
}

struct Candidate {
    const char* name;
    std::function<bool(const QByteArray&)> takesForUtf8;
    long long falseUtf8 = 0;   // CP932 files taken for UTF-8
    long long missedUtf8 = 0;  // UTF-8 files not taken for UTF-8
    long long missedShort = 0; // short UTF-8 texts not taken for UTF-8
    double seconds = 0;        // time spent deciding, over both sets of files
    std::vector<QByteArray> falseExamples, missedExamples;
};

#ifdef TAVELKOR_HAVE_UCHARDET
bool UchardetSaysUtf8(const QByteArray& bytes) {
    static uchardet_t detector = uchardet_new();
    uchardet_reset(detector);
    uchardet_handle_data(detector, bytes.constData(), size_t(bytes.size()));
    uchardet_data_end(detector);
    return std::strcmp(uchardet_get_charset(detector), "UTF-8") == 0;
}
#endif

#ifdef TAVELKOR_HAVE_ICU
bool IcuSaysUtf8(const QByteArray& bytes) {
    static UCharsetDetector* detector = [] {
        UErrorCode status = U_ZERO_ERROR;
        return ucsdet_open(&status);
    }();
    UErrorCode status = U_ZERO_ERROR;
    ucsdet_setText(detector, bytes.constData(), int32_t(bytes.size()), &status);
    const UCharsetMatch* match = ucsdet_detect(detector, &status);
    if (U_FAILURE(status) || match == nullptr)
        return false;
    return std::strcmp(ucsdet_getName(match, &status), "UTF-8") == 0;
}
#endif

// The lines of an example that hold non-ASCII bytes, with both readings.
void PrintExample(const char* what, const QByteArray& bytes) {
    std::printf("    %s\n", what);
    for (const QByteArray& line : bytes.split('\n')) {
        if (!HasMultiByte(line))
            continue;
        std::printf("     ");
        for (qsizetype i = 0; i < std::min<qsizetype>(line.size(), 40); ++i)
            std::printf(" %02X", uchar(line[i]));
        std::printf("%s\n      CP932: %s\n      UTF-8: %s\n", line.size() > 40 ? " ..." : "",
                    DecodeCp932(line).trimmed().left(60).toUtf8().constData(),
                    DecodeUtf8(line).trimmed().left(60).toUtf8().constData());
    }
}

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One decoding of every file with the given choice, in seconds.
double DecodeSeconds(const std::vector<QByteArray>& files, EncodingChoice choice) {
    const double start = Now();
    qsizetype characters = 0;
    for (const QByteArray& bytes : files)
        characters += DecodeText(bytes, choice).Text.size();
    const double seconds = Now() - start;
    if (characters < 0)
        std::printf("?");
    return seconds;
}

// The files of the 10,000-file batch of bench/run: about 2 KB of karaoke lines each.
std::vector<QByteArray> BatchFiles() {
    std::vector<QByteArray> files;
    for (int i = 0; i < 10000; ++i) {
        QByteArray out;
        int ms = 0, n = 0;
        while (out.size() < 2000) {
            const int m = ms / 60000, s = ms / 1000 % 60, c = ms / 10 % 100;
            out += EncodeCp932(QString(Tag(m * 6000 + s * 100 + c) + U("歌") +
                                       Tag(m * 6000 + s * 100 + std::min(c + 20, 99)) +
                                       U("詞のテキスト line ") + QString::number(n) +
                                       QStringLiteral("\r\n")));
            ms += 2300;
            ++n;
        }
        out += "@Title=Song " + QByteArray::number(i) + "\r\n";
        files.push_back(out);
    }
    return files;
}

// Detection against the forced encoding: the two take turns nine times, so that a passing
// disturbance of the machine hits both alike, and the best time of each counts.
void PrintSpeed(const char* what, const std::vector<QByteArray>& files, EncodingChoice other) {
    qsizetype bytes = 0;
    for (const QByteArray& file : files)
        bytes += file.size();
    double automatic = 1e9, forced = 1e9;
    for (int turn = 0; turn < 9; ++turn) {
        automatic = std::min(automatic, DecodeSeconds(files, EncodingChoice::Auto));
        forced = std::min(forced, DecodeSeconds(files, other));
    }
    std::printf("  %-32s %6.1f MB  auto %8.2f ms  %-5s %8.2f ms  %+6.1f%%\n", what,
                double(bytes) / 1e6, automatic * 1e3,
                other == EncodingChoice::Cp932 ? "CP932" : "UTF-8", forced * 1e3,
                (automatic / forced - 1) * 100);
}

} // namespace

int main(int argc, char** argv) {
    int fileCount = 100000;
    quint64 seed = 20261207;
    int examples = 0;
    QString writeFolder;
    bool libraries = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--files" && i + 1 < argc)
            fileCount = std::atoi(argv[++i]);
        else if (arg == "--seed" && i + 1 < argc)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--examples" && i + 1 < argc)
            examples = std::atoi(argv[++i]);
        else if (arg == "--no-libraries")
            libraries = false;
        else if (arg == "--write" && i + 1 < argc)
            writeFolder = QString::fromLocal8Bit(argv[++i]);
        else {
            std::fprintf(stderr,
                         "usage: %s [--files N] [--seed S] [--examples K] [--write DIR] "
                         "[--no-libraries]\n",
                         argv[0]);
            return 2;
        }
    }

    // The files, each text in both encodings.
    const Pools pools;
    Random random(seed);
    std::vector<QByteArray> cp932Files, utf8Files;
    cp932Files.reserve(size_t(fileCount));
    utf8Files.reserve(size_t(fileCount));
    qsizetype cp932Bytes = 0, asciiOnly = 0;
    for (int i = 0; i < fileCount; ++i) {
        const QString text = MakeLyrics(random, pools);
        cp932Files.push_back(EncodeCp932(text));
        utf8Files.push_back(Utf8(text));
        cp932Bytes += cp932Files.back().size();
        asciiOnly += HasMultiByte(cp932Files.back()) ? 0 : 1;
    }
    if (!writeFolder.isEmpty()) {
        QDir().mkpath(writeFolder + QStringLiteral("/cp932"));
        QDir().mkpath(writeFolder + QStringLiteral("/utf8"));
        for (int i = 0; i < fileCount; ++i) {
            const QString name = QStringLiteral("/%1.txt").arg(i, 6, 10, QLatin1Char('0'));
            QFile cp932(writeFolder + QStringLiteral("/cp932") + name);
            QFile utf8(writeFolder + QStringLiteral("/utf8") + name);
            if (!cp932.open(QIODevice::WriteOnly) || !utf8.open(QIODevice::WriteOnly) ||
                cp932.write(cp932Files[size_t(i)]) < 0 || utf8.write(utf8Files[size_t(i)]) < 0) {
                std::fprintf(stderr, "cannot write the files into %s\n", argv[i]);
                return 1;
            }
        }
    }
    std::vector<QByteArray> shortTexts;
    for (const QString& text : ShortUtf8Texts())
        shortTexts.push_back(Utf8(text));

    std::vector<Candidate> candidates;
    candidates.push_back({"valid UTF-8", [](const QByteArray& bytes) {
                              return HasMultiByte(bytes) && IsValidUtf8(bytes);
                          }});
    candidates.push_back({"Tavelkor", [](const QByteArray& bytes) {
                              return DecodeText(bytes).Encoding == TextEncoding::Utf8;
                          }});
    // Each library alone, and as the judge of valid UTF-8 only (the best use it could have
    // here: the plain rule, with the library to weed out look-alikes).
    const auto validThen = [](bool (*library)(const QByteArray&)) {
        return [library](const QByteArray& bytes) {
            return HasMultiByte(bytes) && IsValidUtf8(bytes) && library(bytes);
        };
    };
#ifdef TAVELKOR_HAVE_UCHARDET
    if (libraries) {
        candidates.push_back({"uchardet 0.0.7", UchardetSaysUtf8});
        candidates.push_back({"valid, then uchardet", validThen(UchardetSaysUtf8)});
    }
#endif
#ifdef TAVELKOR_HAVE_ICU
    if (libraries) {
        candidates.push_back({"ICU 72 CharsetDetector", IcuSaysUtf8});
        candidates.push_back({"valid, then ICU", validThen(IcuSaysUtf8)});
    }
#endif

    for (Candidate& candidate : candidates) {
        const double start = Now();
        for (const QByteArray& bytes : cp932Files) {
            if (candidate.takesForUtf8(bytes)) {
                ++candidate.falseUtf8;
                if (int(candidate.falseExamples.size()) < examples)
                    candidate.falseExamples.push_back(bytes);
            }
        }
        for (const QByteArray& bytes : utf8Files) {
            if (HasMultiByte(bytes) && !candidate.takesForUtf8(bytes)) {
                ++candidate.missedUtf8;
                if (int(candidate.missedExamples.size()) < examples)
                    candidate.missedExamples.push_back(bytes);
            }
        }
        candidate.seconds = Now() - start;
        for (const QByteArray& bytes : shortTexts) {
            if (!candidate.takesForUtf8(bytes)) {
                ++candidate.missedShort;
                if (int(candidate.missedExamples.size()) < 2 * examples)
                    candidate.missedExamples.push_back(bytes);
            }
        }
    }

    std::printf("CP932 or UTF-8: %d generated lyrics texts (seed %llu), each written as CP932 "
                "and as UTF-8\n",
                fileCount, static_cast<unsigned long long>(seed));
    std::printf("  %lld of them pure ASCII; CP932 files %.1f MB; %zu short UTF-8 texts "
                "besides\n",
                static_cast<long long>(asciiOnly), double(cp932Bytes) / 1e6, shortTexts.size());
    std::printf("  %-22s %12s %12s %14s %10s\n", "candidate", "false UTF-8", "missed UTF-8",
                "missed short", "time");
    for (const Candidate& candidate : candidates) {
        std::printf("  %-22s %12lld %12lld %10lld/%-3zu %8.2f s\n", candidate.name,
                    candidate.falseUtf8, candidate.missedUtf8, candidate.missedShort,
                    shortTexts.size(), candidate.seconds);
    }
    for (const Candidate& candidate : candidates) {
        if (candidate.falseExamples.empty() && candidate.missedExamples.empty())
            continue;
        std::printf("  examples for %s:\n", candidate.name);
        for (const QByteArray& bytes : candidate.falseExamples)
            PrintExample("false UTF-8", bytes);
        for (const QByteArray& bytes : candidate.missedExamples)
            PrintExample("missed UTF-8", bytes);
    }

    std::printf("\ndecoding speed: detection (auto) against a forced encoding, best of 9 "
                "turns\n");
    PrintSpeed("bench/run batch (10,000 CP932)", BatchFiles(), EncodingChoice::Cp932);
    PrintSpeed("generated CP932 files", cp932Files, EncodingChoice::Cp932);
    PrintSpeed("generated UTF-8 files", utf8Files, EncodingChoice::Utf8);
    std::vector<QByteArray> ascii;
    for (const QByteArray& bytes : cp932Files) {
        if (!HasMultiByte(bytes))
            ascii.push_back(bytes);
    }
    PrintSpeed("pure ASCII files among them", ascii, EncodingChoice::Cp932);
    return 0;
}
