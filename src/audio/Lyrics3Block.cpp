#include "Lyrics3Block.h"

#include <algorithm>

namespace tavelkor {

namespace {

// The number written in `count` decimal digits at `from`; -1 when any of them is not a digit.
qint64 DigitsValue(const char* from, int count) {
    qint64 value = 0;
    for (int i = 0; i < count; ++i) {
        if (from[i] < '0' || from[i] > '9')
            return -1;
        value = value * 10 + (from[i] - '0');
    }
    return value;
}

bool IsFieldId(const char* id) {
    for (int i = 0; i < 3; ++i) {
        if (id[i] < 'A' || id[i] > 'Z')
            return false;
    }
    return true;
}

QByteArray Digits(qint64 value, int count) {
    return QByteArray::number(value).rightJustified(count, '0');
}

} // namespace

const Lyrics3Field* Lyrics3Content::Find(const char* id) const {
    for (const Lyrics3Field& field : Fields) {
        if (field.Id == id)
            return &field;
    }
    return nullptr;
}

qint64 Lyrics3v2BlockLength(const QByteArray& trailer) {
    if (trailer.size() != Lyrics3v2TrailerLength || !trailer.endsWith(Lyrics3v2End))
        return -1;
    const qint64 size = DigitsValue(trailer.constData(), 6);
    if (size < Lyrics3KeywordLength)
        return -1;
    return size + Lyrics3v2TrailerLength;
}

bool ParseLyrics3v2(const QByteArray& block, Lyrics3Content& content) {
    content = Lyrics3Content{};
    if (block.size() < Lyrics3KeywordLength + Lyrics3v2TrailerLength ||
        !block.startsWith(Lyrics3Begin) ||
        Lyrics3v2BlockLength(block.right(Lyrics3v2TrailerLength)) != block.size())
        return false;
    const char* data = block.constData();
    const qsizetype fieldsEnd = block.size() - Lyrics3v2TrailerLength;
    qsizetype position = Lyrics3KeywordLength;
    while (position < fieldsEnd) {
        if (fieldsEnd - position < 8 || !IsFieldId(data + position))
            return false;
        const qint64 length = DigitsValue(data + position + 3, 5);
        if (length < 0 || length > fieldsEnd - position - 8)
            return false;
        content.Fields.append(
            {QByteArray(data + position, 3), QByteArray(data + position + 8, qsizetype(length))});
        position += 8 + length;
    }
    content.Version = 2;
    return true;
}

qsizetype FindLyrics3v1Begin(const QByteArray& bytes) {
    if (!bytes.endsWith(Lyrics3v1End))
        return -1;
    const qsizetype textLimit = Lyrics3v1MaxTextBytes + Lyrics3KeywordLength;
    const qsizetype searchFrom =
        std::max<qsizetype>(0, bytes.size() - Lyrics3EndLength - textLimit);
    const qsizetype begin = bytes.lastIndexOf(Lyrics3Begin);
    return begin >= searchFrom ? begin : -1;
}

QByteArray BuildLyrics3v2(const QVector<Lyrics3Field>& fields) {
    QByteArray block(Lyrics3Begin);
    for (const Lyrics3Field& field : fields) {
        if (field.Id.size() != 3 || !IsFieldId(field.Id.constData()) ||
            field.Data.size() > Lyrics3FieldMaxBytes)
            return QByteArray();
        block += field.Id + Digits(field.Data.size(), 5) + field.Data;
    }
    // At most 11 fields of 99999 bytes fit the 6 size digits; callers write far fewer.
    if (block.size() > 999999)
        return QByteArray();
    return block + Digits(block.size(), 6) + Lyrics3v2End;
}

} // namespace tavelkor
