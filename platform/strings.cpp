// The shared string operations. The fold and the white-space test are small fixed
// tables rather than the C library's locale-dependent classification, so that the
// device, the Windows build and the simulator agree on every caption match.

#include "platform/strings.h"

#include <cstddef>

namespace velk {

char16_t FoldChar(char16_t c) {
    // ASCII capitals.
    if (c >= u'A' && c <= u'Z')
        return static_cast<char16_t>(c + 0x20);
    if (c < 0xC0)
        return c;
    // Latin-1 capitals (the multiplication sign is no letter).
    if (c <= 0xDE)
        return c == 0xD7 ? c : static_cast<char16_t>(c + 0x20);
    if (c < 0x100)
        return c;
    // Latin Extended-A: capital and small letters stand in adjacent pairs. U+0130
    // (capital I with dot) has no small partner in this block and stays as it is.
    if (c <= 0x17F) {
        if ((c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
            return (c % 2 == 0) ? static_cast<char16_t>(c + 1) : c;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c % 2 == 1) ? static_cast<char16_t>(c + 1) : c;
        if (c == 0x178)
            return 0xFF;  // capital Y with diaeresis pairs with Latin-1's U+00FF
        return c;
    }
    // Greek capitals (U+03A2 is unassigned).
    if (c >= 0x391 && c <= 0x3A9)
        return c == 0x3A2 ? c : static_cast<char16_t>(c + 0x20);
    // Cyrillic capitals.
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<char16_t>(c + 0x50);
    if (c >= 0x410 && c <= 0x42F)
        return static_cast<char16_t>(c + 0x20);
    return c;
}

void Fold(CString& s) {
    for (char16_t& c : s)
        c = FoldChar(c);
}

// Exactly the code points that the C library's iswspace reports in the C.UTF-8 locale;
// U+0085 and the no-break spaces (U+00A0, U+2007, U+202F) are not among them.
bool IsSpace(char16_t c) {
    if (c == 0x20 || (c >= 0x09 && c <= 0x0D))
        return true;
    if (c < 0x1680)
        return false;
    return c == 0x1680 || (c >= 0x2000 && c <= 0x2006) || (c >= 0x2008 && c <= 0x200A) ||
           c == 0x2028 || c == 0x2029 || c == 0x205F || c == 0x3000;
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
        int more = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        char32_t cp = 0;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            more = 1;
            cp = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            more = 2;
            cp = b0 & 0x0F;
            if (b0 == 0xE0)
                lo = 0xA0;
            if (b0 == 0xED)
                hi = 0x9F;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            more = 3;
            cp = b0 & 0x07;
            if (b0 == 0xF0)
                lo = 0x90;
            if (b0 == 0xF4)
                hi = 0x8F;
        } else {
            out.push_back(static_cast<char16_t>(kReplacement));
            ++i;
            continue;
        }
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

}  // namespace velk
