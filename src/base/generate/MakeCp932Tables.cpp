// Writes the CP932 conversion tables of the program as C++ data, read from the C library's
// iconv when the program is built. glibc's iconv holds the real Microsoft CP932 table (81 60 <->
// U+FF5E, 87 40 <-> U+2460, 5C <-> U+005C, and the best-fit encodings Windows uses, such as
// U+00A5 -> 5C). Building the tables here, once, rather than at every start of the program
// saves the thousands of iconv calls each start used to make, and the program no longer needs
// the C library's conversion modules where it runs.
//
// Usage: make-cp932-tables OUTPUT
#include <cerrno>
#include <cstdio>
#include <iconv.h>
#include <vector>

namespace {

constexpr unsigned NoChar = 0xFFFF;
constexpr unsigned NoBytes = 0xFFFF;

struct Converter {
    iconv_t handle;
    Converter(const char* to, const char* from) : handle(iconv_open(to, from)) {}
    ~Converter() {
        if (handle != reinterpret_cast<iconv_t>(-1))
            iconv_close(handle);
    }
    bool Usable() const { return handle != reinterpret_cast<iconv_t>(-1); }
    // Converts the whole input; returns the errno that stopped it, or 0.
    int Convert(const char* input, size_t size, char* output, size_t& outputSize) {
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input);
        char* out = output;
        size_t outLeft = outputSize;
        const size_t result = iconv(handle, &in, &size, &out, &outLeft);
        outputSize -= outLeft;
        return result == static_cast<size_t>(-1) ? errno : 0;
    }
};

void WriteArray(FILE* out, const char* declaration, const std::vector<unsigned>& values) {
    std::fprintf(out, "%s = {", declaration);
    for (size_t i = 0; i < values.size(); ++i)
        std::fprintf(out, "%s0x%X,", i % 16 == 0 ? "\n" : "", values[i]);
    std::fprintf(out, "\n};\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-cp932-tables OUTPUT\n");
        return 2;
    }
    Converter decoder("UTF-16LE", "CP932");
    Converter encoder("CP932", "UTF-16LE");
    if (!decoder.Usable() || !encoder.Usable()) {
        std::fprintf(stderr, "make-cp932-tables: iconv cannot convert between CP932 and UTF-16\n");
        return 1;
    }
    std::vector<unsigned> single(256, NoChar), leadRow(256, 0xFF), rows, encode(65536, NoBytes);
    char out[8];
    for (int b = 0; b < 256; ++b) {
        const char in[1] = {char(b)};
        size_t size = sizeof out;
        const int error = decoder.Convert(in, 1, out, size);
        if (error == 0 && size == 2)
            single[b] = unsigned(static_cast<unsigned char>(out[0]) |
                                 static_cast<unsigned char>(out[1]) << 8);
        else if (error == EINVAL) // a lead byte: it waits for its trail byte
            leadRow[b] = unsigned(rows.size() / 256);
        if (leadRow[b] != 0xFF) {
            for (int t = 0; t < 256; ++t) {
                const char pair[2] = {char(b), char(t)};
                size = sizeof out;
                rows.push_back(decoder.Convert(pair, 2, out, size) == 0 && size == 2
                                   ? unsigned(static_cast<unsigned char>(out[0]) |
                                              static_cast<unsigned char>(out[1]) << 8)
                                   : NoChar);
            }
        }
    }
    for (unsigned c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const char in[2] = {char(c & 0xFF), char(c >> 8)};
        size_t size = sizeof out;
        if (encoder.Convert(in, 2, out, size) != 0)
            continue;
        if (size == 1)
            encode[c] = static_cast<unsigned char>(out[0]);
        else if (size == 2)
            encode[c] = unsigned(static_cast<unsigned char>(out[0]) << 8 |
                                 static_cast<unsigned char>(out[1]));
    }
    bool asciiIdentity = true;
    for (unsigned c = 0; c < 0x80; ++c)
        asciiIdentity = asciiIdentity && single[c] == c && encode[c] == c;

    FILE* file = std::fopen(argv[1], "w");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(file, "// Made by make-cp932-tables from the C library's iconv. Do not edit.\n");
    WriteArray(file, "constexpr char16_t Cp932Single[256]", single);
    WriteArray(file, "constexpr quint8 Cp932LeadRow[256]", leadRow);
    std::fprintf(file, "constexpr int Cp932LeadRows = %zu;\n", rows.size() / 256);
    WriteArray(file, "constexpr char16_t Cp932Pairs[Cp932LeadRows * 256]", rows);
    WriteArray(file, "constexpr quint16 Cp932Encode[65536]", encode);
    std::fprintf(file, "constexpr bool Cp932AsciiIdentity = %s;\n",
                 asciiIdentity ? "true" : "false");
    return std::fclose(file) == 0 ? 0 : 1;
}
