// The text of one time tag, "[mm:ss:cc]", held in place. Every tag is ten characters, so a
// fragment's tag needs no allocation of its own: a document of thousands of fragments is made,
// re-timed and freed without a string per tag.
#pragma once

#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>

namespace tavelkor {

class TagChars {
public:
    static constexpr qsizetype Size = 10;

    TagChars() = default;
    // `text` is a tag of ten characters, or empty (fragment 0 of an untagged line).
    TagChars(QStringView text) { Assign(text); }
    TagChars(const QString& text) { Assign(text); }

    bool isEmpty() const { return !held_; }
    qsizetype size() const { return held_ ? Size : 0; }
    QStringView view() const { return held_ ? QStringView(chars_.data(), Size) : QStringView(); }
    operator QStringView() const { return view(); }
    QString toString() const { return view().toString(); }

    friend bool operator==(const TagChars& a, const TagChars& b) { return a.view() == b.view(); }
    friend bool operator!=(const TagChars& a, const TagChars& b) { return !(a == b); }
    friend bool operator==(const TagChars& a, QStringView b) { return a.view() == b; }
    friend bool operator==(const TagChars& a, const QString& b) { return a.view() == b; }

private:
    void Assign(QStringView text) {
        Q_ASSERT(text.isEmpty() || text.size() == Size);
        held_ = text.size() == Size;
        if (held_)
            std::copy(text.utf16(), text.utf16() + Size, chars_.begin());
    }

    std::array<char16_t, Size> chars_{};
    bool held_ = false;
};

} // namespace tavelkor
