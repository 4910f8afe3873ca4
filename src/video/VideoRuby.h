// Readings drawn as furigana in a karaoke video: libass knows no ruby, so each reading becomes
// an event of its own, placed over its base where libass lays the base out.
#pragma once

#include "../formats/TimedLyrics.h"

#include <QByteArray>

namespace tavelkor {

// `script` (the ASS the captions mode writes of `lyrics`, one Dialogue per line in order, no
// furigana syntax) with the readings of the lines added: each over the middle of its base at
// half the lyrics' size (`fontSize`), shown while its line shows and turning colour while its
// base is sung, with the lyrics' karaoke tag (`karaoke`: "kf", "k" or "ko"). The base is found by laying out its line with libass, the rest of the line
// made invisible, so a wrapped line and lines shown ahead get their readings where their bases
// stand. A script whose events do not match the lines is given back as it is.
QByteArray WithFurigana(const QByteArray& script, const TimedLyrics& lyrics, int fontSize,
                        const QString& karaoke);

} // namespace tavelkor
