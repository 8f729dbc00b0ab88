// The shared string operations. The fold and the white-space test are small fixed
// tables rather than the C library's locale-dependent classification, so that the
// device, the Windows build and the simulator agree on every caption match.

#include "platform/strings.h"

#include <cstddef>

namespace velk {

namespace {

// Blocks whose capitals map by a fixed offset, or stand in adjacent capital/small
// pairs, in code point order. Irregular letters are handled before the table.
enum class Map : unsigned char { Offset, EvenPairs, OddPairs };
struct FoldRange {
    char16_t first;
    char16_t last;
    Map map;
    int offset;  // Map::Offset only
};
constexpr FoldRange kFoldRanges[] = {
    {0x00C0, 0x00D6, Map::Offset, 0x20},  // Latin-1 (U+00D7 is the multiplication sign)
    {0x00D8, 0x00DE, Map::Offset, 0x20},  //
    {0x0100, 0x012F, Map::EvenPairs, 0},  // Latin Extended-A
    {0x0132, 0x0137, Map::EvenPairs, 0},  //
    {0x0139, 0x0148, Map::OddPairs, 0},   //
    {0x014A, 0x0177, Map::EvenPairs, 0},  //
    {0x0179, 0x017E, Map::OddPairs, 0},   //
    {0x01CD, 0x01DC, Map::OddPairs, 0},   // Latin Extended-B, regular stretches
    {0x01DE, 0x01EF, Map::EvenPairs, 0},  //
    {0x01F8, 0x021F, Map::EvenPairs, 0},  //
    {0x0222, 0x0233, Map::EvenPairs, 0},  //
    {0x0388, 0x038A, Map::Offset, 0x25},  // Greek capitals with tonos
    {0x038E, 0x038F, Map::Offset, 0x3F},  //
    {0x0391, 0x03A1, Map::Offset, 0x20},  // Greek (U+03A2 is unassigned)
    {0x03A3, 0x03AB, Map::Offset, 0x20},  //
    {0x03D8, 0x03EF, Map::EvenPairs, 0},  // archaic Greek and Coptic letters
    {0x0400, 0x040F, Map::Offset, 0x50},  // Cyrillic
    {0x0410, 0x042F, Map::Offset, 0x20},  //
    {0x0460, 0x0481, Map::EvenPairs, 0},  //
    {0x048A, 0x04BF, Map::EvenPairs, 0},  //
    {0x04C1, 0x04CE, Map::OddPairs, 0},   //
    {0x04D0, 0x052F, Map::EvenPairs, 0},  //
    {0x0531, 0x0556, Map::Offset, 0x30},  // Armenian
    {0x1E00, 0x1E95, Map::EvenPairs, 0},  // Latin Extended Additional
    {0x1EA0, 0x1EFF, Map::EvenPairs, 0},  //
    {0x2160, 0x216F, Map::Offset, 0x10},  // Roman numerals
    {0x24B6, 0x24CF, Map::Offset, 0x1A},  // circled Latin letters
    {0xFF21, 0xFF3A, Map::Offset, 0x20},  // full-width Latin
};

}  // namespace

char16_t FoldChar(char16_t c) {
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
    switch (c) {
        case 0x0178:
            return 0x00FF;  // capital Y with diaeresis pairs with Latin-1's small one
        case 0x0386:
            return 0x03AC;  // Greek capital alpha with tonos
        case 0x038C:
            return 0x03CC;  // Greek capital omicron with tonos
        case 0x04C0:
            return 0x04CF;  // Cyrillic palochka
        default:
            break;
    }
    // U+0130 (capital I with dot) has no single small partner and stays as it is.
    for (const FoldRange& r : kFoldRanges) {
        if (c < r.first)
            return c;
        if (c > r.last)
            continue;
        switch (r.map) {
            case Map::Offset:
                return static_cast<char16_t>(c + r.offset);
            case Map::EvenPairs:
                return (c % 2 == 0) ? static_cast<char16_t>(c + 1) : c;
            case Map::OddPairs:
                return (c % 2 == 1) ? static_cast<char16_t>(c + 1) : c;
        }
    }
    return c;
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
