#include "ByteRuns.h"

#include <algorithm>
#include <cstring>

namespace tavelkor {

namespace {

constexpr qsizetype Block = 256;

} // namespace

std::pair<qsizetype, qsizetype> DifferingSpan(const char* a, const char* b, qsizetype size) {
    qsizetype begin = 0;
    while (begin + Block <= size && std::memcmp(a + begin, b + begin, Block) == 0)
        begin += Block;
    while (begin < size && a[begin] == b[begin])
        ++begin;
    qsizetype end = size;
    while (end - Block >= begin && std::memcmp(a + end - Block, b + end - Block, Block) == 0)
        end -= Block;
    while (end > begin && a[end - 1] == b[end - 1])
        --end;
    return {begin, end};
}

qsizetype EndBeforeFill(const char* data, qsizetype size, char fill) {
    char filled[Block];
    std::fill(filled, filled + Block, fill);
    qsizetype end = size;
    while (end >= Block && std::memcmp(data + end - Block, filled, Block) == 0)
        end -= Block;
    while (end > 0 && data[end - 1] == fill)
        --end;
    return end;
}

} // namespace tavelkor
