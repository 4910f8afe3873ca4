// Measuring the silence at the start of a song: the number of silent MPEG frames before the
// first frame that carries sound.
#pragma once

#include <QString>

namespace tavelkor {

// The count of leading silent frames of an MP3 or RMP file (at most 32767); 0 also stands for
// every failure (missing file, a file kind that is not scanned, read errors, no sound at all).
// The caller passes tolerance 5.
int CountLeadingSilentFrames(const QString& path, int tolerance);

} // namespace tavelkor
