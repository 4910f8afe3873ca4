// The SAMI reader and writer on arbitrary text.
#include "base/Cp932.h"
#include "formats/SamiReader.h"
#include "formats/SamiWriter.h"

using namespace tavelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = DecodeCp932(reinterpret_cast<const char*>(data), qsizetype(size));
    LyricsDocument document = ReadSamiText(text);
    const std::array<QString, 4> pieces = {QStringLiteral("<b>"), QStringLiteral("</b>"), QString(),
                                           QString()};
    MakeSamiText(document, size % 2 == 0, QStringLiteral("color: red;"), pieces, int(size % 6));
    return 0;
}
