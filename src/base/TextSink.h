// Composing a long text out of many short pieces: the pieces are copied through a pointer into
// room made once, instead of one QString::append (with its checks and possible growth) each.
// The QString holds the room (its size runs ahead of the text) until Finish cuts it to what
// was written; read it only after that.
#pragma once

#include <QString>
#include <QStringView>
#include <algorithm>

namespace tavelkor {

class TextSink {
public:
    // Writes behind the text already in `out`; `expected` characters are made room for at once.
    TextSink(QString& out, qsizetype expected) : out_(out), used_(out.size()) {
        out_.resize(used_ + std::max<qsizetype>(expected, 64));
        at_ = Begin() + used_;
    }
    // Cuts `out` to what was written; nothing more may be written after it.
    void Finish() {
        if (at_ != nullptr)
            out_.truncate(Used());
        at_ = nullptr;
    }
    ~TextSink() { Finish(); }
    TextSink(const TextSink&) = delete;
    TextSink& operator=(const TextSink&) = delete;

    // Makes sure `count` more characters fit without another check.
    void Reserve(qsizetype count) {
        if (End() - at_ >= count)
            return;
        used_ = Used();
        out_.resize(std::max(2 * out_.size(), used_ + count));
        at_ = Begin() + used_;
    }
    void Append(QStringView text) {
        Reserve(text.size());
        AppendReserved(text);
    }
    // For pieces that the last Reserve made room for.
    void AppendReserved(QStringView text) {
        at_ = std::copy(text.utf16(), text.utf16() + text.size(), at_);
    }
    void AppendReserved(char16_t c) { *at_++ = c; }
    qsizetype Used() const { return at_ - Begin(); }

private:
    char16_t* Begin() { return reinterpret_cast<char16_t*>(out_.data()); }
    const char16_t* Begin() const { return reinterpret_cast<const char16_t*>(out_.constData()); }
    char16_t* End() { return Begin() + out_.size(); }

    QString& out_;
    qsizetype used_;
    char16_t* at_ = nullptr;
};

} // namespace tavelkor
