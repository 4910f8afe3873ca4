// The lyrics frames go into ID3v2 tags of every version and form: TagLib reads them back as
// written, every other frame keeps its value, the tag keeps its version and, where they fit,
// its size; frames of ours are replaced, never stacked, and can be taken out again.
#include "audio/Id3Lyrics.h"
#include "SongFileBuilders.h"
#include "base/Cp932.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <vector>

using namespace tavelkor;
using namespace tavelkor::test;
namespace Id3 = TagLib::ID3v2;

namespace {

// A tag as TagLib reads it, in front of one MPEG frame.
class TagLibTag {
public:
    explicit TagLibTag(const QByteArray& tag)
        : bytes_(tag + Frame()),
          stream_(TagLib::ByteVector(bytes_.constData(), unsigned(bytes_.size()))),
          file_(&stream_, Id3::FrameFactory::instance(), false) {}
    Id3::Tag* Tag() { return file_.ID3v2Tag(false); }

    // Every frame but the lyrics frames in Japanese without description, rendered, sorted.
    std::vector<std::string> OtherFrames() {
        std::vector<std::string> frames;
        for (Id3::Frame* frame : Tag()->frameList()) {
            if (Ours<Id3::SynchronizedLyricsFrame>(frame) ||
                Ours<Id3::UnsynchronizedLyricsFrame>(frame))
                continue;
            const TagLib::ByteVector rendered = frame->render();
            frames.emplace_back(rendered.data(), rendered.size());
        }
        std::sort(frames.begin(), frames.end());
        return frames;
    }

    template <class FrameType>
    static FrameType* Ours(Id3::Frame* frame) {
        auto* lyrics = dynamic_cast<FrameType*>(frame);
        return lyrics != nullptr && lyrics->language() == "jpn" && lyrics->description().isEmpty()
                   ? lyrics
                   : nullptr;
    }
    template <class FrameType>
    std::vector<FrameType*> All(const char* id) {
        std::vector<FrameType*> found;
        for (Id3::Frame* frame : Tag()->frameList(id)) {
            if (FrameType* lyrics = Ours<FrameType>(frame))
                found.push_back(lyrics);
        }
        return found;
    }

private:
    QByteArray bytes_;
    TagLib::ByteVectorStream stream_;
    TagLib::MPEG::File file_;
};

QString Text(const TagLib::String& text) { return QString::fromUtf8(text.toCString(true)); }

QByteArray Unsynchronised(const QByteArray& bytes) {
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (uchar(bytes[i]) == 0xFF &&
            (i + 1 == bytes.size() || uchar(bytes[i + 1]) >= 0xE0 || bytes[i + 1] == 0))
            out += '\0';
    }
    return out;
}

// The frames of the test tags: texts, a comment, a picture whose bytes need unsynchronising,
// a frame no reader knows, lyrics of ours to be replaced and lyrics of others to be kept.
QByteArray OtherFrames(int version) {
    if (version == 2)
        return Id3Frame(2, "TT2", '\1' + Utf16WithBom(U("曲名"))) +
               Id3Frame(2, "XYZ", "\x01\x02\xFF\xFB raw") +
               Id3Frame(2, "SLT", QByteArray("\0eng\x02\x01\0kept\0", 12) + Be32(700));
    QByteArray frames =
        Id3Frame(version, "TIT2", '\1' + Utf16WithBom(U("曲名"))) +
        Id3Frame(version, "COMM", QByteArray("\0engshort\0comment", 17)) +
        Id3Frame(version, "XYZW", "\x01\x02\xFF\xFB raw") +
        Id3Frame(version, "SYLT", QByteArray("\0eng\x02\x01\0kept\0", 12) + Be32(700)) +
        Id3Frame(version, "USLT", QByteArray("\0jpnother\0kept lyrics", 21));
    if (version == 3)
        frames += Id3Frame(3, "RVAD", QByteArray("\x03\x10\x01\x00\x01\x00\0\0\0\0", 10)) +
                  Id3Frame(3, "APIC", QByteArray("\0image/png\0\x03\0\x89PNG\xFF\xE0\xFF\0x", 22));
    return frames;
}

QByteArray OldLyrics(int version) {
    const QByteArray sylt = QByteArray("\0jpn\x02\x01\0old\0", 11) + Be32(500);
    if (version == 2)
        return Id3Frame(2, "SLT", sylt);
    return Id3Frame(version, "SYLT", sylt) +
           Id3Frame(version, "USLT", QByteArray("\0jpn\0old lyrics", 15));
}

struct TagCase {
    const char* name;
    int version;
    QByteArray tag;       // the tag given
    QByteArray reference; // the same frames in a plain tag, as TagLib reads its other frames
    bool fits;
};

QVector<TagCase> TagCases() {
    const auto plain = [](int version, const QByteArray& area) {
        return Id3Tag(version, 0, area, 0);
    };
    const QByteArray v3 = OldLyrics(3) + OtherFrames(3);
    const QByteArray v4 = OtherFrames(4) + OldLyrics(4);
    const QByteArray longTitle = Id3Frame(4, "TIT2", '\0' + QByteArray(200, 't'), true);
    const QByteArray junk = OtherFrames(3) + "JUNK\xFF\xFF not a frame";
    // A SYLT of ours whose size points past the tag's end: in a grown tag it must not turn
    // into a frame.
    const QByteArray cutShort = OtherFrames(3) + "SYLT" + Be32(200) + QByteArray(2, '\0') +
                                QByteArray("\0jpn\x02\x01\0old\0", 11) + Be32(500);
    // A frame whose own bytes end in more zeros than follow a tag's last non-zero byte
    // commonly do, then padding.
    const QByteArray zeros =
        OtherFrames(3) + Id3Frame(3, "PRIV", QByteArray("x\0", 2) + QByteArray(10000, '\0'));
    return {
        {"no tag", 3, {}, plain(3, {}), false},
        {"a frame ending in zeros", 3, Id3Tag(3, 0, zeros, 65536), plain(3, zeros), true},
        {"ID3v2.3 with room", 3, Id3Tag(3, 0, v3, 2048), plain(3, v3), true},
        {"ID3v2.3 without room", 3, Id3Tag(3, 0, v3, 0), plain(3, v3), false},
        {"ID3v2.3 unsynchronised", 3, Id3Tag(3, char(0x80), Unsynchronised(v3), 16), plain(3, v3),
         false},
        {"ID3v2.3 with an extended header", 3,
         Id3Tag(3, 0x40, Be32(6) + QByteArray(6, '\0') + v3, 2048), plain(3, v3), true},
        {"ID3v2.4 with room", 4, Id3Tag(4, 0, v4, 2048), plain(4, v4), true},
        {"ID3v2.4 with plain frame sizes", 4, Id3Tag(4, 0, longTitle + v4, 0),
         plain(4, longTitle + v4), false},
        {"ID3v2.4 with extended header and footer", 4,
         Id3Tag(4, 0x50, Syncsafe(6) + QByteArray("\x01\0", 2) + v4, 0), plain(4, v4), false},
        {"ID3v2.4 unsynchronised", 4, Id3Tag(4, char(0x80), v4, 4096), plain(4, v4), true},
        {"ID3v2.2", 2, Id3Tag(2, 0, OldLyrics(2) + OtherFrames(2), 2048),
         plain(2, OldLyrics(2) + OtherFrames(2)), true},
        {"bytes after the frames that are no frame", 3, Id3Tag(3, 0, junk, 1024), plain(3, junk),
         true},
        {"a frame cut short by the tag's end", 3, Id3Tag(3, 0, cutShort, 0), plain(3, cutShort),
         false},
    };
}

Id3LyricsFrames NewLyrics() {
    // Times cover the 32-bit range; a NUL cannot be part of a text and is left out.
    return {"jpn",
            U("歌詞\n二行目"),
            {{U("歌"), 1000},
             {U("詞"), 1500},
             {QString(), 2000},
             {U("\n二行目 x"), 0xFFFFFFF0ll},
             {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), 4000}}};
}

TEST(Id3Lyrics, TheFramesGoIntoEveryKindOfTagAndComeOutAgain) {
    for (const TagCase& c : TagCases()) {
        SCOPED_TRACE(c.name);
        QByteArray tag;
        ASSERT_EQ(PutLyricsFrames(c.tag, NewLyrics(), tag), Id3TagEdit::Changed);
        EXPECT_EQ(tag[3], char(c.version));
        EXPECT_EQ(tag.size() == c.tag.size(), c.fits) << tag.size() << " bytes";
        qsizetype padding = 0; // the longest run of zeros
        for (qsizetype i = 0, run = 0; i < tag.size(); ++i)
            padding = std::max(padding, run = tag[i] == '\0' ? run + 1 : 0);
        if (!c.fits)
            EXPECT_GE(padding, 4096) << "room to grow";

        TagLibTag read(tag);
        ASSERT_NE(read.Tag(), nullptr);
        EXPECT_EQ(read.OtherFrames(), TagLibTag(c.reference).OtherFrames());
        const auto synced = read.All<Id3::SynchronizedLyricsFrame>("SYLT");
        ASSERT_EQ(synced.size(), 1u);
        EXPECT_EQ(synced[0]->type(), Id3::SynchronizedLyricsFrame::Lyrics);
        EXPECT_EQ(synced[0]->timestampFormat(), Id3::SynchronizedLyricsFrame::AbsoluteMilliseconds);
        SyncedLyrics entries;
        for (const auto& entry : synced[0]->synchedText())
            entries.append({Text(entry.text), entry.time});
        SyncedLyrics expected = NewLyrics().Synced;
        expected.last().Text = QStringLiteral("ab");
        EXPECT_EQ(entries, expected);
        if (c.version > 2) {
            const auto text = read.All<Id3::UnsynchronizedLyricsFrame>("USLT");
            ASSERT_EQ(text.size(), 1u);
            EXPECT_EQ(Text(text[0]->text()), NewLyrics().Unsynced);
        }
        const FoundId3Lyrics found = ReadLyricsFrames(tag, "jpn");
        EXPECT_EQ(found.Synced, expected);
        EXPECT_EQ(found.Unsynced, NewLyrics().Unsynced);

        QByteArray again;
        EXPECT_EQ(PutLyricsFrames(tag, NewLyrics(), again), Id3TagEdit::Unchanged);
        QByteArray removed;
        ASSERT_EQ(RemoveLyricsFrame(tag, found.SyncedFrame, removed), Id3TagEdit::Changed);
        EXPECT_EQ(removed.size(), tag.size());
        TagLibTag after(removed);
        EXPECT_TRUE(after.All<Id3::SynchronizedLyricsFrame>("SYLT").empty());
        EXPECT_EQ(ReadLyricsFrames(removed, "jpn").Unsynced, NewLyrics().Unsynced);
    }
}

// A reader takes our frame, else a SYLT of content type lyrics, else the first; texts stored
// as ISO-8859-1 are CP932 or UTF-8.
TEST(Id3Lyrics, AReaderChoosesOursThenLyricsThenTheFirst) {
    const auto sylt = [](const char* language, char type, const QByteArray& text) {
        return Id3Frame(3, "SYLT",
                        QByteArray(1, '\0') + language + '\x02' + type + '\0' + text + '\0' +
                            Be32(10));
    };
    const QByteArray cp932 = EncodeCp932(U("歌詞"));
    const struct {
        QByteArray frames;
        QString text;
    } cases[] = {
        {sylt("eng", 0, "other") + sylt("eng", 1, "lyrics") + sylt("jpn", 1, cp932), U("歌詞")},
        {sylt("eng", 0, "other") + sylt("fra", 1, U("歌詞").toUtf8()), U("歌詞")},
        {sylt("eng", 5, "chords") + sylt("fra", 6, "trivia"), QStringLiteral("chords")},
    };
    for (const auto& c : cases) {
        const FoundId3Lyrics found = ReadLyricsFrames(Id3Tag(3, 0, c.frames, 0), "jpn");
        ASSERT_TRUE(found.HasSynced);
        EXPECT_EQ(found.Synced, SyncedLyrics({{c.text, 10}}));
    }
}

TEST(Id3Lyrics, TagsThatCannotBeTakenApartAreLeftAlone) {
    QByteArray tag;
    for (const QByteArray& bad : {Id3Tag(5, 0, OtherFrames(4), 10), Id3Tag(2, 0x40, "x", 10),
                                  Id3Tag(3, 0x40, Be32(600) + OtherFrames(3), 10)})
        EXPECT_EQ(PutLyricsFrames(bad, NewLyrics(), tag), Id3TagEdit::Unusable);
    Id3LyricsFrames badLanguage = NewLyrics();
    badLanguage.Language = "ja";
    EXPECT_EQ(PutLyricsFrames({}, badLanguage, tag), Id3TagEdit::Unusable);
    // Nothing to put in and nothing of ours to take out: not even the extended header goes.
    const QByteArray extended = Id3Tag(3, 0x40, Be32(6) + QByteArray(6, '\0') + OtherFrames(3), 9);
    EXPECT_EQ(PutLyricsFrames(extended, {"jpn", {}, {}}, tag), Id3TagEdit::Unchanged);
    EXPECT_EQ(tag, extended);
}

} // namespace
