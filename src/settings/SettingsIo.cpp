#include "SettingsIo.h"

#include "../base/NumberText.h"
#include "SettingsTable.h"

#include <QList>
#include <algorithm>

namespace tavelkor {

QString DefaultSamiBaseStyle() {
    return QStringLiteral(u"font-size: 12pt; font-family: ＭＳ Ｐゴシック; font-weight: normal; "
                          u"text-align: center; color: silver;");
}

const std::array<QString, 4>& KaraokeHtmlDefaults() {
    static const std::array<QString, 4> pieces = {QStringLiteral("<font color=yellow>"),
                                                  QStringLiteral("</font>"), QString(), QString()};
    return pieces;
}

QString OutputEncodingChoiceName(OutputEncodingChoice choice) {
    if (choice == OutputEncodingChoice::Source)
        return QStringLiteral("Source");
    return EncodingName(OutputEncodingOf(choice, TextEncoding::Cp932));
}

std::optional<OutputEncodingChoice> ParseOutputEncodingChoice(QStringView text) {
    for (OutputEncodingChoice choice :
         {OutputEncodingChoice::Source, OutputEncodingChoice::Cp932, OutputEncodingChoice::Utf8,
          OutputEncodingChoice::Utf8Bom}) {
        if (text.trimmed().compare(OutputEncodingChoiceName(choice), Qt::CaseInsensitive) == 0)
            return choice;
    }
    return std::nullopt;
}

TextEncoding OutputEncodingOf(OutputEncodingChoice choice, TextEncoding source) {
    switch (choice) {
    case OutputEncodingChoice::Cp932:
        return TextEncoding::Cp932;
    case OutputEncodingChoice::Utf8:
        return TextEncoding::Utf8;
    case OutputEncodingChoice::Utf8Bom:
        return TextEncoding::Utf8Bom;
    case OutputEncodingChoice::Source:
        break;
    }
    return source;
}

QString BooleanToText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> BooleanFromText(const QString& text) {
    const QString word = text.trimmed();
    if (word.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    // A number is accepted too: 0 is False, anything else True.
    if (const auto number = ParseNumber(word))
        return *number != 0;
    return std::nullopt;
}

namespace {

QString ToText(bool value) { return BooleanToText(value); }
QString ToText(int value) { return QString::number(value); }
QString ToText(float value) { return FormatNumber(value, 7); }
QString ToText(double value) { return FormatNumber(value, 15); }
QString ToText(const QString& value) { return value; }
QString ToText(EncodingChoice value) { return EncodingChoiceName(value); }
QString ToText(OutputEncodingChoice value) { return OutputEncodingChoiceName(value); }

std::optional<bool> FromText(const QString& text, const bool*) { return BooleanFromText(text); }

std::optional<int> FromText(const QString& text, const int*, IntRange range = Int16Range) {
    const auto number = ParseInt32(text);
    if (!number || *number < range.Min || *number > range.Max)
        return std::nullopt;
    return number;
}

std::optional<float> FromText(const QString& text, const float*) {
    const auto number = ParseNumber(text);
    if (!number)
        return std::nullopt;
    return float(*number);
}

std::optional<double> FromText(const QString& text, const double*) { return ParseNumber(text); }

std::optional<QString> FromText(const QString& text, const QString*) { return text; }
std::optional<EncodingChoice> FromText(const QString& text, const EncodingChoice*) {
    return ParseEncodingChoice(text);
}
std::optional<OutputEncodingChoice> FromText(const QString& text, const OutputEncodingChoice*) {
    return ParseOutputEncodingChoice(text);
}

std::optional<QString> FromText(const QString& text, const QString*, LanguageCodeForm) {
    if (text.size() != 3 || !std::all_of(text.begin(), text.end(), [](QChar c) {
            return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        }))
        return std::nullopt;
    return text;
}

// "#" alone among the words stands for a colour "#RRGGBB".
bool IsChoiceWord(QStringView word, const WordChoiceForm& form) {
    for (const char16_t* allowed : form.Words) {
        if (QStringView(allowed) == u"#") {
            bool ok = false;
            const uint value = word.mid(1).toUInt(&ok, 16);
            if (word.size() == 7 && word.startsWith(u'#') && ok && value <= 0xffffff)
                return true;
        } else if (word.compare(QStringView(allowed), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

std::optional<QString> FromText(const QString& text, const QString*, WordChoiceForm form) {
    const QList<QStringView> words =
        form.List ? QStringView(text).split(u',') : QList<QStringView>{QStringView(text)};
    for (const QStringView word : words) {
        if (!IsChoiceWord(word.trimmed(), form))
            return std::nullopt;
    }
    return text;
}

bool IsShiftAmount(const char16_t* section, const char16_t* key) {
    return QStringView(section) == u"Init" && QStringView(key) == u"SlidemSec";
}

} // namespace

void LoadSettings(const SettingsStore& store, Settings& settings) {
    Settings defaults;
    defaults.Init.Left = settings.Init.Left;
    defaults.Init.Top = settings.Init.Top;
    VisitSettings(settings, defaults,
                  [&store](const char16_t* section, const char16_t* key, auto& value,
                           const auto& fallback, auto... range) {
                      if (IsShiftAmount(section, key))
                          return;
                      const QString text = store.Read(QString::fromUtf16(section),
                                                      QString::fromUtf16(key), ToText(fallback));
                      value = FromText(text, &value, range...).value_or(fallback);
                  });
    if (settings.T2S.Base.isEmpty())
        settings.T2S.Base = DefaultSamiBaseStyle();
}

void SaveSettings(SettingsStore& store, const Settings& settings) {
    VisitSettings(settings, settings,
                  [&store](const char16_t* section, const char16_t* key, const auto& value,
                           const auto&, auto...) {
                      if (!IsShiftAmount(section, key))
                          store.Write(QString::fromUtf16(section), QString::fromUtf16(key),
                                      ToText(value));
                  });
}

int LoadShiftAmount(const SettingsStore& store) {
    const QString text =
        store.Read(QStringLiteral("Init"), QStringLiteral("SlidemSec"), QStringLiteral("0"));
    return FromText(text, static_cast<const int*>(nullptr), Int32Range).value_or(0);
}

void SaveShiftAmount(SettingsStore& store, int amountMs) {
    store.Write(QStringLiteral("Init"), QStringLiteral("SlidemSec"), ToText(amountMs));
}

bool SetSettingFromText(Settings& settings, const QString& section, const QString& key,
                        const QString& value, QString& error) {
    bool known = false;
    bool valid = false;
    VisitSettings(
        settings, settings,
        [&](const char16_t* s, const char16_t* k, auto& field, const auto&, auto... range) {
            if (known || section != QStringView(s) || key != QStringView(k))
                return;
            known = true;
            if (const auto parsed = FromText(value, &field, range...)) {
                field = *parsed;
                valid = true;
            }
        });
    if (!known)
        error = QStringLiteral("unknown setting %1/%2").arg(section, key);
    else if (!valid)
        error = QStringLiteral("invalid value for %1/%2: %3").arg(section, key, value);
    return known && valid;
}

} // namespace tavelkor
