// The choices of the option dialog's lists that its pages show and its values are read from
// and stored as, in the order of their combo boxes and check boxes.
#pragma once

#include "../../settings/Settings.h"

#include <QStringList>

namespace tavelkor {

// The encodings of T2L/Encoding in the order of its combo box.
inline constexpr OutputEncodingChoice LrcEncodings[] = {
    OutputEncodingChoice::Utf8, OutputEncodingChoice::Utf8Bom, OutputEncodingChoice::Cp932,
    OutputEncodingChoice::Source};

inline QStringList LrcEncodingNames() {
    QStringList names;
    for (const OutputEncodingChoice choice : LrcEncodings)
        names.append(choice == OutputEncodingChoice::Source ? QStringLiteral(u"元ファイルと同じ")
                                                            : OutputEncodingChoiceName(choice));
    return names;
}

inline const QStringList& CaptionFormatNames() {
    static const QStringList names = {QStringLiteral("ass"), QStringLiteral("ttml"),
                                      QStringLiteral("vtt"), QStringLiteral("srt")};
    return names;
}

} // namespace tavelkor
