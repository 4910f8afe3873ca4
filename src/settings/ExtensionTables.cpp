#include "ExtensionTables.h"

namespace tavelkor {

const QStringList& TimeTagExtensions() {
    static const QStringList table = {QStringLiteral("txt"), QStringLiteral("lrc"),
                                      QStringLiteral("kra")};
    return table;
}

const QStringList& SamiExtensions() {
    static const QStringList table = {QStringLiteral("smi"), QStringLiteral("sami")};
    return table;
}

const QStringList& DsmpExtensions() {
    static const QStringList table = {QStringLiteral("lyr"),    QStringLiteral("ini"),
                                      QStringLiteral("txt"),    QStringLiteral("lyrics"),
                                      QStringLiteral("words"),  QStringLiteral("dsmplyr"),
                                      QStringLiteral("dsmpwrd")};
    return table;
}

const QStringList& LrcExtensions() {
    static const QStringList table = {QStringLiteral("lrc"), QStringLiteral("txt")};
    return table;
}

QString ExtensionAt(const QStringList& table, int index) { return table.value(index); }

} // namespace tavelkor
