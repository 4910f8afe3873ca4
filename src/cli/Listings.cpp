#include "Listings.h"

#include "../modes/ModeTable.h"
#include "../settings/SettingsTable.h"
#include "CommandLine.h"

#include <type_traits>

namespace tavelkor {

QStringList ListingNames() {
    return {QStringLiteral("modes"), QStringLiteral("keys"), QStringLiteral("options")};
}

QString ListingText(const QString& what) {
    QString text;
    if (what == u"modes") {
        for (const ModeInfo& mode : ModeTable())
            text += mode.CommandName + u'\t' + QString::number(mode.Index) + u'\t' + mode.Caption +
                    u'\n';
    } else if (what == u"keys") {
        Settings settings;
        VisitSettings(
            settings, settings,
            [&text](const char16_t* section, const char16_t* key, const auto& field, auto&&...) {
                text += QString::fromUtf16(section) + u'/' + QString::fromUtf16(key);
                if constexpr (std::is_same_v<std::decay_t<decltype(field)>, bool>)
                    text += QStringLiteral("\tTrue False");
                text += u'\n';
            });
    } else if (what == u"options") {
        for (const QCommandLineOption& option : CommandLineOptions()) {
            for (const QString& name : option.names()) {
                if (name.size() > 1)
                    text += QStringLiteral("--") + name +
                            (option.valueName().isEmpty() ? QString() : u' ' + option.valueName()) +
                            u'\n';
            }
        }
    }
    return text;
}

} // namespace tavelkor
