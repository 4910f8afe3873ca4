// The DSMP reader and writer on arbitrary text.
#include "base/Cp932.h"
#include "formats/DsmpReader.h"
#include "formats/DsmpWriter.h"

using namespace tavelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = DecodeCp932(reinterpret_cast<const char*>(data), qsizetype(size));
    LyricsDocument document = ReadDsmpText(text);
    MakeDsmpText(document, size % 2 == 0, int(size % 4), int(size % 5));
    return 0;
}
