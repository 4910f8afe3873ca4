#include "Id3Tags.h"

#include "../base/Cp932.h"
#include "../base/Cp932Bytes.h"

#include <QString>
#include <QStringDecoder>
#include <taglib/commentsframe.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>

namespace tavelkor {

namespace {

QByteArray FromTagLib(const TagLib::String& text) {
    return EncodeCp932(QString::fromUtf8(text.toCString(true)));
}

// A text field up to its first NUL, without trailing blanks.
QByteArray FieldText(const QByteArray& bytes) {
    QByteArray text = bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
    while (text.endsWith(' '))
        text.chop(1);
    return text;
}

// True when the bytes are valid UTF-8 holding at least one character beyond ASCII.
bool IsUtf8BeyondAscii(const QByteArray& bytes) {
    bool beyondAscii = false;
    for (const char byte : bytes)
        beyondAscii = beyondAscii || (uchar(byte) & 0x80) != 0;
    if (!beyondAscii)
        return false;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError() && !text.contains(QChar::ReplacementCharacter);
}

// The text of the first frame with this ID. A text frame or comment stored as ISO-8859-1
// gives its bytes unchanged (Japanese taggers put CP932 bytes there), unless they are UTF-8.
QByteArray FrameText(const TagLib::ID3v2::Tag& tag, const char* id) {
    const TagLib::ID3v2::FrameList& frames = tag.frameListMap()[id];
    if (frames.isEmpty())
        return QByteArray();
    TagLib::ID3v2::Frame* frame = frames.front();
    int encoding = TagLib::String::UTF8;
    if (const auto* text = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame))
        encoding = static_cast<int>(text->textEncoding());
    else if (const auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame))
        encoding = static_cast<int>(comment->textEncoding());
    const TagLib::String value = frame->toString();
    if (encoding == TagLib::String::Latin1) {
        const TagLib::ByteVector data = value.data(TagLib::String::Latin1);
        const QByteArray bytes(data.data(), qsizetype(data.size()));
        if (!IsUtf8BeyondAscii(bytes))
            return FieldText(bytes);
    }
    return FieldText(EncodeCp932(Id3FieldText(value, encoding)));
}

void PutField(QByteArray& tag, int offset, int width, const QByteArray& text) {
    const QByteArray bytes = Cp932Prefix(text, width);
    tag.replace(offset, bytes.size(), bytes);
}

} // namespace

QString Id3FieldText(const TagLib::String& text, int encoding) {
    if (encoding == TagLib::String::Latin1) {
        const TagLib::ByteVector data = text.data(TagLib::String::Latin1);
        const QByteArray bytes(data.data(), qsizetype(data.size()));
        return IsUtf8BeyondAscii(bytes) ? QString::fromUtf8(bytes) : DecodeCp932(bytes);
    }
    return QString::fromUtf8(text.toCString(true));
}

qint64 Id3v2TagLength(const QByteArray& head) {
    if (head.size() < 10 || !head.startsWith("ID3"))
        return -1;
    const auto* b = reinterpret_cast<const uchar*>(head.constData());
    if (b[3] == 0xFF || b[4] == 0xFF || ((b[6] | b[7] | b[8] | b[9]) & 0x80) != 0)
        return -1;
    const qint64 size = qint64(b[6]) << 21 | qint64(b[7]) << 14 | qint64(b[8]) << 7 | b[9];
    const bool footer = b[3] >= 4 && (b[5] & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

bool ReadId3v2Tags(const QByteArray& tagBytes, SongTags& tags) {
    if (Id3v2TagLength(tagBytes) < 0)
        return false;
    TagLib::ByteVectorStream stream(
        TagLib::ByteVector(tagBytes.constData(), static_cast<unsigned int>(tagBytes.size())));
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    TagLib::ID3v2::Tag* tag = file.isValid() ? file.ID3v2Tag(false) : nullptr;
    if (tag == nullptr || tag->isEmpty())
        return false;
    tags = SongTags{};
    tags.Found = true;
    tags.Title = FrameText(*tag, "TIT2");
    tags.Artist = FrameText(*tag, "TPE1");
    tags.Album = FrameText(*tag, "TALB");
    tags.Comment = FrameText(*tag, "COMM");
    if (tag->year() != 0)
        tags.Year = QByteArray::number(tag->year());
    const TagLib::String genre = tag->genre();
    tags.GenreText = FieldText(FromTagLib(genre));
    tags.Genre = genre.isEmpty() ? Id3v1NoGenre : TagLib::ID3v1::genreIndex(genre);
    return true;
}

bool IsId3v1(const QByteArray& bytes) {
    return bytes.size() == Id3v1Length && bytes.startsWith("TAG");
}

bool IsTagPlus(const QByteArray& bytes) {
    return bytes.size() == TagPlusLength && bytes.startsWith("TAG+");
}

SongTags ReadId3v1(const QByteArray& tag, const QByteArray& tagPlus) {
    SongTags tags;
    if (!IsId3v1(tag))
        return tags;
    const bool extended = IsTagPlus(tagPlus);
    // A full ID3v1 field (no NUL) goes on in the TAG+ field of 60 bytes.
    const auto text = [&](int offset, int plusOffset) {
        QByteArray field = tag.mid(offset, 30);
        if (extended && !field.contains('\0'))
            field += tagPlus.mid(plusOffset, 60);
        return FieldText(field);
    };
    tags.Found = true;
    tags.Title = text(3, 4);
    tags.Artist = text(33, 64);
    tags.Album = text(63, 124);
    tags.Year = FieldText(tag.mid(93, 4));
    tags.Comment = FieldText(tag.mid(97, 30)); // ID3v1.1 ends the comment with a NUL
    tags.Genre = static_cast<unsigned char>(tag[127]);
    tags.GenreText = FieldText(FromTagLib(TagLib::ID3v1::genre(tags.Genre)));
    return tags;
}

QByteArray BuildId3v1(const SongTags& tags) {
    QByteArray tag(Id3v1Length, '\0');
    tag.replace(0, 3, "TAG");
    PutField(tag, 3, 30, tags.Title);
    PutField(tag, 33, 30, tags.Artist);
    PutField(tag, 63, 30, tags.Album);
    PutField(tag, 93, 4, tags.Year);
    tag[127] = char(Id3v1NoGenre);
    return tag;
}

} // namespace tavelkor
