// The shared string operations. The fold (the Unicode simple lower-case mapping, from a
// generated table) and the white-space test are fixed tables rather than the C
// library's locale-dependent classification, so that the device, the Windows build and
// the simulator agree on every caption match.

#include "platform/strings.h"

#include <cstddef>

#include "platform/fold_table.h"

namespace velk {

char16_t FoldChar(char16_t c) {
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
    using namespace fold_table;
    return static_cast<char16_t>(c + kFoldDeltas[kFoldIndex[c >> kFoldShift]][c & kFoldMask]);
}

void Fold(CString& s) {
    for (char16_t& c : s)
        c = FoldChar(c);
}

CString Folded(std::u16string_view s) {
    CString out(s);
    Fold(out);
    return out;
}

bool FoldedEquals(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldChar(a[i]) != FoldChar(b[i]))
            return false;
    return true;
}

bool FoldedBeginsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && FoldedEquals(s.substr(0, prefix.size()), prefix);
}

BYTE StringsDiffer(const CString& a, const CString& b) {
    return a == b ? 0 : 1;
}

// The Unicode White_Space characters: what the C library's iswspace reports, and also
// the no-break spaces and U+0085, which the device's classification counts as space
// too, so a pasted no-break space at either end of a list is trimmed like a blank.
bool IsSpace(char16_t c) {
    if (c == 0x20 || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0)
        return true;
    if (c < 0x1680)
        return false;
    return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

void TrimLeft(CString& s) {
    std::size_t i = 0;
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    s.erase(0, i);
}

void TrimRight(CString& s) {
    std::size_t n = s.size();
    while (n > 0 && IsSpace(s[n - 1]))
        --n;
    s.resize(n);
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

}  // namespace

std::string ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (IsHighSurrogate(c) && i + 1 < s.size() && IsLowSurrogate(s[i + 1])) {
            char32_t cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                          (static_cast<char32_t>(s[i + 1]) - 0xDC00);
            AppendUtf8(out, cp);
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

// Each maximal ill-formed subsequence becomes one U+FFFD, as Unicode recommends:
// overlong forms, encoded surrogates and values above U+10FFFF are all ill-formed.
namespace {

// The well-formed lead bytes of UTF-8 and the range their first continuation byte may
// take, which shuts out overlong forms, surrogates and code points past U+10FFFF.
struct Utf8Lead {
    unsigned char first, last;
    int more;  // continuation bytes
    unsigned char mask;
    unsigned char lo, hi;
};
constexpr Utf8Lead kUtf8Leads[] = {
    {0xC2, 0xDF, 1, 0x1F, 0x80, 0xBF}, {0xE0, 0xE0, 2, 0x0F, 0xA0, 0xBF},
    {0xE1, 0xEC, 2, 0x0F, 0x80, 0xBF}, {0xED, 0xED, 2, 0x0F, 0x80, 0x9F},
    {0xEE, 0xEF, 2, 0x0F, 0x80, 0xBF}, {0xF0, 0xF0, 3, 0x07, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x07, 0x80, 0xBF}, {0xF4, 0xF4, 3, 0x07, 0x80, 0x8F},
};

}  // namespace

std::u16string FromUtf8(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        if (b0 < 0x80) {
            out.push_back(b0);
            ++i;
            continue;
        }
        const Utf8Lead* lead = nullptr;
        for (const Utf8Lead& l : kUtf8Leads)
            if (b0 >= l.first && b0 <= l.last)
                lead = &l;
        if (lead == nullptr) {
            out.push_back(static_cast<char16_t>(kReplacement));
            ++i;
            continue;
        }
        const int more = lead->more;
        const unsigned char lo = lead->lo, hi = lead->hi;
        char32_t cp = b0 & lead->mask;
        ++i;
        bool ok = true;
        for (int k = 0; k < more; ++k) {
            if (i >= n) {
                ok = false;
                break;
            }
            const auto b = static_cast<unsigned char>(s[i]);
            const unsigned char min = k == 0 ? lo : 0x80;
            const unsigned char max = k == 0 ? hi : 0xBF;
            if (b < min || b > max) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
            ++i;
        }
        AppendUtf16(out, ok ? cp : kReplacement);
    }
    return out;
}

INT CopyTruncated(std::u16string_view text, char16_t* buf, long long capacity) {
    if (!buf || capacity <= 0)
        return 0;
    const auto room = static_cast<unsigned long long>(capacity - 1);
    const std::size_t n = text.size() < room ? text.size() : static_cast<std::size_t>(room);
    text.copy(buf, n);
    buf[n] = u'\0';
    return static_cast<INT>(n);
}

std::string QuotedUtf8(std::u16string_view s) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "literal" + string.
    std::string out = "\"";
    out += ToUtf8(s);
    out += '"';
    return out;
}

std::string HandleText(std::uintptr_t value) {
    if (value == 0)
        return "null";
    // By hand: the formatted-print family would weigh on the shipped program.
    std::string digits;
    for (; value != 0; value >>= 4)
        digits.insert(digits.begin(), "0123456789ABCDEF"[value & 0xF]);
    return "0x" + digits;
}

}  // namespace velk
