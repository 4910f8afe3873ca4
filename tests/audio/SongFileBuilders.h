// Byte builders for the song files of the MP3 library tests: MPEG frames, ID3 tags, APE tags,
// Lyrics3 blocks, RMP files and MacBinary wrappers, written out byte by byte from the formats
// rather than with the library's own writers.
#pragma once

#include "TestFiles.h"
#include "audio/Vbmp3.h"

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QVector>
#include <algorithm>
#include <gtest/gtest.h>
#include <utility>

namespace tavelkor::test {

// One MPEG-1 Layer III frame, 128 kbit/s, 44100 Hz, stereo, no CRC: 417 bytes. The side
// information is zero, so it decodes as silence; `fill` marks the main data so that tests can
// tell frames apart.
inline QByteArray Frame(char fill = 0) {
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0x00);
    frame.replace(36, 381, QByteArray(381, fill));
    return frame;
}

inline QByteArray Frames(int count) {
    QByteArray frames;
    for (int i = 0; i < count; ++i)
        frames += Frame(char(i + 1));
    return frames;
}

inline QByteArray Le32(quint32 value) {
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes += char((value >> shift) & 0xFF);
    return bytes;
}

inline QByteArray Be32(quint32 value) {
    QByteArray bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += char((value >> shift) & 0xFF);
    return bytes;
}

// An ID3v2.3 text frame: encoding byte 0 (ISO-8859-1, CP932 in practice) or 1 (UTF-16 with
// BOM), then the text.
inline QByteArray Id3v23TextFrame(const char* id, char encoding, const QByteArray& text) {
    const QByteArray data = char(encoding) + text;
    return QByteArray(id) + Be32(quint32(data.size())) + QByteArray(2, '\0') + data;
}

inline QByteArray Utf16WithBom(const QString& text) {
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes += char(c.unicode() & 0xFF);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

// A whole ID3v2.3 tag around the frames, with `padding` zero bytes after them.
inline QByteArray Id3v23Tag(const QByteArray& frames, int padding = 0) {
    const int size = int(frames.size()) + padding;
    QByteArray tag("ID3\x03\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        tag += char((size >> shift) & 0x7F);
    return tag + frames + QByteArray(padding, '\0');
}

inline QByteArray Syncsafe(quint32 value) {
    QByteArray bytes;
    for (int shift = 21; shift >= 0; shift -= 7)
        bytes += char((value >> shift) & 0x7F);
    return bytes;
}

// A frame of an ID3v2 tag of `version`: 2 has a 3-letter ID and a 3-byte size, 3 a plain
// 4-byte size, 4 a syncsafe one (or a plain one with `plainSize`, as some writers store it).
inline QByteArray Id3Frame(int version, const QByteArray& id, const QByteArray& data,
                           bool plainSize = false) {
    const quint32 size = quint32(data.size());
    if (version == 2)
        return id + char(size >> 16) + char(size >> 8 & 0xFF) + char(size & 0xFF) + data;
    return id + (version == 4 && !plainSize ? Syncsafe(size) : Be32(size)) + QByteArray(2, '\0') +
           data;
}

// A whole ID3v2 tag: header with `flags`, the bytes given (extended header and frames), zero
// padding, and for flag 0x10 a footer.
inline QByteArray Id3Tag(int version, char flags, const QByteArray& area, int padding) {
    const QByteArray size = Syncsafe(quint32(area.size() + padding));
    const QByteArray head = QByteArray("ID3") + char(version) + '\0' + flags + size;
    QByteArray tag = head + area + QByteArray(padding, '\0');
    if ((flags & 0x10) != 0)
        tag += QByteArray("3DI") + head.mid(3);
    return tag;
}

inline QByteArray Id3v1Tag(const QByteArray& title, const QByteArray& artist = "",
                           const QByteArray& album = "", const QByteArray& year = "1999",
                           char genre = 12) {
    QByteArray tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, title.size(), title);
    tag.replace(33, artist.size(), artist);
    tag.replace(63, album.size(), album);
    tag.replace(93, year.size(), year);
    tag[127] = genre;
    return tag;
}

inline QByteArray TagPlusBlock(const QByteArray& title) {
    QByteArray block(227, '\0');
    block.replace(0, 4, "TAG+");
    block.replace(4, title.size(), title);
    return block;
}

// An APEv2 tag with one text item, footer and (optionally) header.
inline QByteArray ApeTag(const QByteArray& key, const QByteArray& value, bool withHeader) {
    const QByteArray item = Le32(quint32(value.size())) + Le32(0) + key + '\0' + value;
    const auto frame = [&](quint32 flags) {
        return QByteArray("APETAGEX") + Le32(2000) + Le32(quint32(item.size() + 32)) + Le32(1) +
               Le32(flags) + QByteArray(8, '\0');
    };
    const quint32 headerFlag = withHeader ? 0x80000000u : 0;
    return (withHeader ? frame(headerFlag | 0x20000000u) : QByteArray()) + item + frame(headerFlag);
}

// A Lyrics3 v2.00 block from (ID, data) fields, sizes written out by hand.
inline QByteArray Lyrics3v2(const QVector<std::pair<QByteArray, QByteArray>>& fields) {
    QByteArray block("LYRICSBEGIN");
    for (const auto& [id, data] : fields)
        block += id + QByteArray::number(data.size()).rightJustified(5, '0') + data;
    return block + QByteArray::number(block.size()).rightJustified(6, '0') + "LYRICS200";
}

inline QByteArray Lyrics3v1(const QByteArray& text) { return "LYRICSBEGIN" + text + "LYRICSEND"; }

inline QByteArray RiffChunk(const char* id, const QByteArray& data) {
    QByteArray chunk = QByteArray(id) + Le32(quint32(data.size())) + data;
    if (data.size() % 2 != 0)
        chunk += '\0';
    return chunk;
}

// An RMP file: "RIFF" size "RMP3", the data chunk, then the given chunks.
inline QByteArray RmpFile(const QByteArray& mp3, const QByteArray& chunksAfter = QByteArray()) {
    const QByteArray body = "RMP3" + RiffChunk("data", mp3) + chunksAfter;
    return "RIFF" + Le32(quint32(body.size())) + body;
}

inline QByteArray InfoList(const QByteArray& subChunks) {
    return RiffChunk("LIST", "INFO" + subChunks);
}

inline quint16 XmodemCrc(const QByteArray& bytes) {
    quint16 crc = 0;
    for (const char byte : bytes) {
        crc ^= quint16(quint8(byte)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16(crc << 1 ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

// A MacBinary II file (CRC set) or III ("mBIN") around the forks; `declaredDataLength`
// overrides the data fork length written in the header when not negative.
inline QByteArray MacBinaryFile(const QByteArray& dataFork, const QByteArray& resourceFork,
                                int version = 2, qint64 declaredDataLength = -1) {
    QByteArray header(128, '\0');
    header[1] = 8;
    header.replace(2, 8, "song.mp3");
    header.replace(65, 8, "MPG3TVKR");
    header.replace(83, 4,
                   Be32(quint32(declaredDataLength < 0 ? dataFork.size() : declaredDataLength)));
    header.replace(87, 4, Be32(quint32(resourceFork.size())));
    if (version == 3)
        header.replace(102, 4, "mBIN");
    header[122] = char(version == 3 ? 130 : 129);
    header[123] = char(129);
    if (version >= 2) {
        const quint16 crc = XmodemCrc(header.left(124));
        header[124] = char(crc >> 8);
        header[125] = char(crc & 0xFF);
    }
    const auto padded = [](QByteArray fork) {
        return fork + QByteArray((128 - fork.size() % 128) % 128, '\0');
    };
    return header + padded(dataFork) + padded(resourceFork);
}

// The buffers the mode drivers pass: the lyrics bytes filled up with blanks to 60000 bytes.
inline QByteArray BlankFilled(const QByteArray& lyrics) {
    return lyrics + QByteArray(std::max<qsizetype>(0, LyricsBufferBytes - lyrics.size()), ' ');
}

inline short Embed(const QString& path, const QByteArray& lyrics,
                   const Lyrics3InfoRecord* record = nullptr) {
    Lyrics3InfoRecord info;
    info.Indication1 = '1';
    info.Indication2 = '1';
    const QByteArray empty(LyricsBufferBytes, '\0');
    return vbmp3_setFileLyrics3InfoVB(path, record != nullptr ? *record : info, BlankFilled(lyrics),
                                      empty, empty);
}

// The embedded lyrics as the extraction mode takes them: the buffer up to its first NUL; a
// null array when the library reports none.
inline QByteArray Extract(const QString& path, Lyrics3InfoRecord* record = nullptr) {
    Lyrics3InfoRecord info;
    QByteArray lyrics(LyricsBufferBytes, '\0'), buffer2(LyricsBufferBytes, '\0'),
        buffer3(LyricsBufferBytes, '\0');
    if (vbmp3_getFileLyrics3InfoVB(path, record != nullptr ? *record : info, lyrics, buffer2,
                                   buffer3) == 0)
        return QByteArray();
    EXPECT_EQ(lyrics.size(), LyricsBufferBytes);
    const qsizetype end = lyrics.indexOf('\0');
    const QByteArray text = end < 0 ? lyrics : lyrics.left(end);
    return text.isNull() ? QByteArray("") : text;
}

// Runs an outside tool; the exit code, standard output in `out`; -2 when it is not installed.
inline int RunTool(const QString& program, const QStringList& arguments, QByteArray* out = nullptr,
                   QByteArray* err = nullptr) {
    if (QStandardPaths::findExecutable(program).isEmpty())
        return -2;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return -1;
    if (out != nullptr)
        *out = process.readAllStandardOutput();
    if (err != nullptr)
        *err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace tavelkor::test
