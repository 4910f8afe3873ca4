#include "KanjiShares.h"

#include "KanjiReadings.h"

#include <QFile>

#include <iconv.h>

namespace tavelkor {

namespace {

// Where Debian's kanjidic package installs KANJIDIC.
const char kKanjidicPath[] = "/usr/share/edict/kanjidic";

// The file's EUC-JP as UTF-8 by the C library's iconv; empty when it cannot be decoded.
QByteArray EucJpToUtf8(const QByteArray& euc) {
    iconv_t cd = iconv_open("UTF-8", "EUC-JP");
    if (cd == iconv_t(-1))
        return {};
    QByteArray out(euc.size() * 2 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(euc.constData());
    size_t inLeft = size_t(euc.size());
    char* to = out.data();
    size_t outLeft = size_t(out.size());
    const size_t done = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (done == size_t(-1))
        return {};
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

bool IsKana(QChar c) { return c.unicode() >= 0x3041 && c.unicode() <= 0x30FA; }

// The kana `c` becomes after another kanji: か-row to が, は-row to ば and ぱ, ち and つ also
// to じ and ず as they are written today.
QString VoicedForms(QChar c) {
    const char16_t u = c.unicode();
    QString forms;
    const bool plusOne = (u >= u'か' && u <= u'ぢ' && (u - u'か') % 2 == 0) ||
                         (u >= u'つ' && u <= u'と' && (u - u'つ') % 2 == 0);
    if (plusOne)
        forms += QChar(u + 1);
    if (u >= u'は' && u <= u'ほ' && (u - u'は') % 3 == 0) {
        forms += QChar(u + 1);
        forms += QChar(u + 2);
    }
    if (u == u'ち')
        forms += u'じ';
    if (u == u'つ')
        forms += u'ず';
    return forms;
}

// The a-sound a final e-sound becomes before another kanji (あめ → あま).
QChar ASoundOf(QChar c) {
    static const QString e = QStringLiteral(u"えけげせぜてでねへべめれ");
    static const QString a = QStringLiteral(u"あかがさざただなはばまら");
    const qsizetype at = e.indexOf(c);
    return at < 0 ? QChar() : a[at];
}

void AddOnce(QStringList& list, const QString& form) {
    if (!form.isEmpty() && !list.contains(form))
        list.append(form);
}

} // namespace

KanjiTable KanjiTable::FromKanjidic(const QString& text) {
    KanjiTable table;
    for (QStringView line : QStringView(text).split(u'\n')) {
        const QList<QStringView> fields = line.trimmed().split(u' ', Qt::SkipEmptyParts);
        if (fields.size() < 2 || fields[0].size() != 1 || !IsKanji(fields[0][0]))
            continue;
        QStringList readings;
        for (qsizetype k = 1; k < fields.size(); ++k) {
            const QStringView field = fields[k];
            if (field == u"T1" || field == u"T2" || field.startsWith(u'{'))
                break; // name readings and meanings follow
            if (!IsKana(field[0]))
                continue; // codes and indexes, and readings used only after another kanji
            QString reading = ToHiragana(field);
            if (reading.endsWith(u'-'))
                reading.chop(1); // used before another kanji, as it is
            const qsizetype dot = reading.indexOf(u'.');
            if (dot > 0)
                AddOnce(readings, reading.left(dot));
            AddOnce(readings, reading.remove(u'.'));
        }
        if (!readings.isEmpty())
            table.readings_.insert(fields[0][0].unicode(), readings);
    }
    return table;
}

const KanjiTable& KanjiTable::Installed() {
    static const KanjiTable table = [] {
        QFile file(QString::fromLatin1(kKanjidicPath));
        if (!file.open(QIODevice::ReadOnly))
            return KanjiTable();
        return FromKanjidic(QString::fromUtf8(EucJpToUtf8(file.readAll())));
    }();
    return table;
}

QStringList KanjiTable::Forms(QStringView base, int at) const {
    int of = at; // 々 reads as the kanji before it
    while (of > 0 && base[of] == u'々')
        --of;
    QStringList forms;
    const bool afterKanji = at > 0 && IsKanji(base[at - 1]);
    const bool beforeKanji = at + 1 < base.size() && IsKanji(base[at + 1]);
    for (const QString& reading : ReadingsOf(base[of])) {
        QStringList heads{reading};
        if (afterKanji) {
            for (QChar voiced : VoicedForms(reading[0]))
                heads.append(voiced + reading.mid(1));
        }
        for (const QString& head : heads) {
            AddOnce(forms, head);
            if (!beforeKanji || head.size() < 2)
                continue;
            const QChar last = head.back();
            if (QStringLiteral(u"つちくきる").contains(last))
                AddOnce(forms, head.chopped(1) + u'っ');
            if (const QChar a = ASoundOf(last); !a.isNull())
                AddOnce(forms, head.chopped(1) + a);
        }
    }
    return forms;
}

bool KanjiTable::ShareFrom(QStringView base, QStringView reading, int at,
                           QStringList& parts) const {
    if (at == base.size())
        return reading.isEmpty();
    if (!IsKanji(base[at])) {
        const QString written = ToHiragana(base.mid(at, 1));
        if (!reading.startsWith(written))
            return false;
        parts.append(written);
        if (ShareFrom(base, reading.mid(written.size()), at + 1, parts))
            return true;
        parts.removeLast();
        return false;
    }
    for (const QString& form : Forms(base, at)) {
        if (!reading.startsWith(form))
            continue;
        parts.append(form);
        if (ShareFrom(base, reading.mid(form.size()), at + 1, parts))
            return true;
        parts.removeLast();
    }
    return false;
}

QStringList KanjiTable::Share(QStringView base, QStringView reading) const {
    QStringList parts;
    const QString hiragana = ToHiragana(reading);
    if (Empty() || base.isEmpty() || !ShareFrom(base, hiragana, 0, parts))
        return {};
    return parts;
}

} // namespace tavelkor
