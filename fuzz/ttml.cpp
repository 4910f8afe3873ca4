// Reading TTML documents, the music players' dialect and plain TTML (see CaptionFuzz.h).
#include "CaptionFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return tavelkor::FuzzCaptionReader(tavelkor::WordFormat::Ttml, data, size);
}
