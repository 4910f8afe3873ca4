// Reading SRT captions (see CaptionFuzz.h).
#include "CaptionFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return tavelkor::FuzzCaptionReader(tavelkor::WordFormat::Srt, data, size);
}
