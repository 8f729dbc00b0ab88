#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <clocale>
#include <cwctype>
#include <string>

#include "platform/strings.h"

namespace velk {
namespace {

TEST(Fold, MapsCapitalsOfEachCoveredBlockAndLeavesTheRest) {
    struct Case {
        char16_t in, out;
    };
    const Case cases[] = {
        {u'A', u'a'},     {u'Z', u'z'},     {u'a', u'a'},     {u'@', u'@'},     {u'[', u'['},
        {0xC0, 0xE0},     {0xDE, 0xFE},     {0xD7, 0xD7},     {0xDF, 0xDF},     {0xFF, 0xFF},
        {0x100, 0x101},   {0x101, 0x101},   {0x12E, 0x12F},   {0x130, 0x130},   {0x131, 0x131},
        {0x132, 0x133},   {0x138, 0x138},   {0x139, 0x13A},   {0x147, 0x148},   {0x149, 0x149},
        {0x14A, 0x14B},   {0x176, 0x177},   {0x178, 0xFF},    {0x179, 0x17A},   {0x17D, 0x17E},
        {0x17F, 0x17F},   {0x391, 0x3B1},   {0x3A2, 0x3A2},   {0x3A3, 0x3C3},   {0x3A9, 0x3C9},
        {0x400, 0x450},   {0x40F, 0x45F},   {0x410, 0x430},   {0x42F, 0x44F},   {0x430, 0x430},
        {0xD800, 0xD800}, {0xDC00, 0xDC00}, {0x1E9E, 0x1E9E}, {0xFF21, 0xFF41}, {0xFF3A, 0xFF5A},
        {0xFF3B, 0xFF3B}, {0x386, 0x3AC},   {0x388, 0x3AD},   {0x38C, 0x3CC},   {0x38F, 0x3CE},
        {0x1CD, 0x1CE},   {0x1DE, 0x1DF},   {0x460, 0x461},   {0x4C0, 0x4CF},   {0x4C1, 0x4C2},
        {0x4D0, 0x4D1},   {0x531, 0x561},   {0x556, 0x586},   {0x1E00, 0x1E01}, {0x1EA0, 0x1EA1},
        {0x1F08, 0x1F08}, {0x2160, 0x2170}, {0x24B6, 0x24D0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(FoldChar(c.in)), static_cast<int>(c.out))
            << std::hex << "U+" << static_cast<int>(c.in);
}

TEST(Fold, IsIdempotentAndAgreesWithTheCLibraryWhereverItMaps) {
    const bool haveLocale = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
        const auto c = static_cast<char16_t>(u);
        const char16_t f = FoldChar(c);
        ASSERT_EQ(FoldChar(f), f) << std::hex << u;
        // Every mapping the table makes is a real lower-case mapping.
        if (haveLocale && f != c) {
            ASSERT_EQ(static_cast<unsigned>(std::towlower(static_cast<wint_t>(u))), f)
                << std::hex << u;
        }
    }
    std::setlocale(LC_CTYPE, "C");
}

TEST(Fold, FoldsAWholeStringIncludingSurrogatePairsUntouched) {
    CString s = u"Hello ÀÉ Ωmega Привет \U0001F600 X";
    Fold(s);
    EXPECT_EQ(s, u"hello àé ωmega привет \U0001F600 x");
}

TEST(IsSpace, CoversTheCLibrarysSpacesAndTheNoBreakSpaces) {
    const char16_t extra[] = {0x85, 0xA0, 0x2007, 0x202F};
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr)
        GTEST_SKIP() << "no C.UTF-8 locale";
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
        const auto c = static_cast<char16_t>(u);
        const bool isExtra = std::find(std::begin(extra), std::end(extra), c) != std::end(extra);
        ASSERT_EQ(IsSpace(c), isExtra || std::iswspace(static_cast<wint_t>(u)) != 0)
            << std::hex << u;
    }
    std::setlocale(LC_CTYPE, "C");
    EXPECT_FALSE(IsSpace(0x200B));  // zero width space is no white space
    EXPECT_FALSE(IsSpace(0xFEFF));
}

TEST(Trim, RemovesOnlyTheEnds) {
    struct Case {
        std::u16string in, left, right;
    };
    const Case cases[] = {
        {u"", u"", u""},
        {u" \t\r\n\v\f", u"", u""},
        {u"  a b  ", u"a b  ", u"  a b"},
        {u"\x3000x\x2028", u"x\x2028", u"\x3000x"},
        {u"\xA0x\xA0", u"x\xA0", u"\xA0x"},  // no-break spaces count as white space
        {u"\x200Bx\x200B", u"\x200Bx\x200B", u"\x200Bx\x200B"},  // zero width ones do not
    };
    for (const auto& c : cases) {
        CString l = c.in, r = c.in, both = c.in;
        TrimLeft(l);
        TrimRight(r);
        Trim(both);
        EXPECT_EQ(l, c.left);
        EXPECT_EQ(r, c.right);
        CString expect = c.left;
        TrimRight(expect);
        EXPECT_EQ(both, expect);
    }
}

TEST(Utf8, RoundTripsEveryWellFormedText) {
    const std::u16string text(u"a\u00e9\u20ac\U0001F600\uFFFD\u0000z", 8);
    EXPECT_EQ(ToUtf8(text),
              std::string("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD\0z", 15));
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
}

TEST(Utf8, UnpairedSurrogatesBecomeTheReplacementCharacter) {
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(ToUtf8(std::u16string(1, 0xD800)), r);
    EXPECT_EQ(ToUtf8(std::u16string(1, 0xDC00)), r);
    EXPECT_EQ(ToUtf8(u"a" + std::u16string(1, 0xDC00) + std::u16string(1, 0xD800) + u"b"),
              "a" + r + r + "b");
}

TEST(Utf8, MalformedInputBecomesOneReplacementPerBadSequence) {
    struct Case {
        std::string in;
        std::u16string out;
    };
    const char16_t R = 0xFFFD;
    const Case cases[] = {
        {"a\xFF"
         "b",
         {u'a', R, u'b'}},
        {"\xC0\xAF", {R, R}},                // overlong
        {"\xE2\x82", {R}},                   // cut short
        {"\xE2\x82x", {R, u'x'}},            // cut short inside the text
        {"\xED\xA0\x80", {R, R, R}},         // an encoded surrogate
        {"\xF4\x90\x80\x80", {R, R, R, R}},  // above U+10FFFF
        {"\x80", {R}},
        {"\xF0\x9F\x98", {R}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FromUtf8(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace velk
