// Finding where runs of bytes differ or end, a block at a time: tags and lyrics fields are
// hundreds of kilobytes of padding around a few changed bytes.
#pragma once

#include <QtGlobal>
#include <utility>

namespace tavelkor {

// The bytes [begin, end) outside of which two runs of `size` bytes are equal (begin == end
// when they are equal).
std::pair<qsizetype, qsizetype> DifferingSpan(const char* a, const char* b, qsizetype size);

// Where the bytes [0, size) end once the `fill` bytes at their end are left out.
qsizetype EndBeforeFill(const char* data, qsizetype size, char fill);

} // namespace tavelkor
