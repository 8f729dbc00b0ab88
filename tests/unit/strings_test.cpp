#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <clocale>
#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/strings.h"

namespace velk {
namespace {

// Where the Unicode Character Database lies: Debian's unicode-data package, which the
// setup script installs; VELK_UNICODE_DATA names another copy.
std::string UnicodeDataPath() {
    const char* env = std::getenv("VELK_UNICODE_DATA");
    return env && *env ? env : "/usr/share/unicode/UnicodeData.txt";
}

// Field 13 of every BMP line: the simple lower-case mapping, where there is one.
std::map<unsigned, unsigned> ReadSimpleLowercase(std::ifstream& in) {
    std::map<unsigned, unsigned> lower;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string f; std::getline(split, f, ';');)
            fields.push_back(f);
        if (fields.size() < 14 || fields[13].empty())
            continue;
        const unsigned code = std::stoul(fields[0], nullptr, 16);
        if (code <= 0xFFFF)
            lower[code] = std::stoul(fields[13], nullptr, 16);
    }
    return lower;
}

TEST(Fold, IsTheDatabasesSimpleLowercaseMappingForEveryBmpCodePoint) {
    const std::string path = UnicodeDataPath();
    std::ifstream in(path);
    ASSERT_TRUE(in) << path << " is missing: install the unicode-data package";
    const std::map<unsigned, unsigned> lower = ReadSimpleLowercase(in);
    ASSERT_GT(lower.size(), 1000u) << path << " looks truncated";
    int wrong = 0;
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
        const auto it = lower.find(u);
        const unsigned expected = it == lower.end() ? u : it->second;
        const unsigned got = FoldChar(static_cast<char16_t>(u));
        if (got != expected && ++wrong <= 20)
            ADD_FAILURE() << std::hex << "U+" << u << " folds to U+" << got << ", database says U+"
                          << expected;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(Fold, MapsTheLettersOfEveryCasedScriptAndLeavesTheRest) {
    struct Case {
        char16_t in, out;
    };
    const Case cases[] = {
        {u'A', u'a'},     {u'Z', u'z'},     {u'a', u'a'},     {u'@', u'@'},     {u'[', u'['},
        {0xC0, 0xE0},     {0xD7, 0xD7},     {0xDF, 0xDF},     {0x130, u'i'},    {0x131, 0x131},
        {0x178, 0xFF},    {0x17F, 0x17F},   {0x181, 0x253},   {0x24E, 0x24F},   {0x3A2, 0x3A2},
        {0x3A3, 0x3C3},   {0x3F4, 0x3B8},   {0x4C0, 0x4CF},   {0x10A0, 0x2D00}, {0x10CD, 0x2D2D},
        {0x13A0, 0xAB70}, {0x13F5, 0x13FD}, {0x1C90, 0x10D0}, {0x1E9E, 0xDF},   {0x1F08, 0x1F00},
        {0x1FFC, 0x1FF3}, {0x2126, 0x3C9},  {0x212A, u'k'},   {0x212B, 0xE5},   {0x2C00, 0x2C30},
        {0xA640, 0xA641}, {0xA7F5, 0xA7F6}, {0xFF21, 0xFF41}, {0xFF3B, 0xFF3B}, {0xD800, 0xD800},
        {0xDBFF, 0xDBFF}, {0xDC00, 0xDC00}, {0xDFFF, 0xDFFF}, {0xFFFF, 0xFFFF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(FoldChar(c.in)), static_cast<int>(c.out))
            << std::hex << "U+" << static_cast<int>(c.in);
}

TEST(Fold, IsIdempotentAndCoversEveryMappingOfTheCLibrary) {
    const bool haveLocale = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
        const auto c = static_cast<char16_t>(u);
        const char16_t f = FoldChar(c);
        ASSERT_EQ(FoldChar(f), f) << std::hex << u;
        // An entry typed in capitals matches wherever the C library would lower them.
        const auto lowered = haveLocale ? std::towlower(static_cast<wint_t>(u)) : u;
        if (lowered != u) {
            ASSERT_EQ(static_cast<unsigned>(lowered), f) << std::hex << u;
        }
    }
    std::setlocale(LC_CTYPE, "C");
}

TEST(Fold, FoldsAWholeStringIncludingSurrogatePairsUntouched) {
    CString s = u"Hello ÀÉ Ωmega Привет ᏣᎳᎩ \U0001F600 X" + std::u16string(1, 0xD800);
    Fold(s);
    EXPECT_EQ(s,
              u"hello àé ωmega привет ꮳꮃꭹ \U0001F600 x" + std::u16string(1, 0xD800));
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
