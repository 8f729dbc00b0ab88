#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/sim/reg_file.h"
#include "platform/sim/registry.h"
#include "tests/unit/support/module_process.h"

namespace velk::sim {
namespace {

using testing_support::Utf16Bytes;

class SimRegistryTest : public ::testing::Test {
  protected:
    Trace trace;
    Clock clock;
    SimRegistry reg{trace, clock};
};

TEST_F(SimRegistryTest, KeysOpenAndCreateLikeWin32IgnoringCase) {
    HKEY k;
    EXPECT_EQ(reg.RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Widcomm", 0, KEY_ALL_ACCESS, &k),
              ERROR_FILE_NOT_FOUND);
    DWORD disposition = 0;
    ASSERT_EQ(reg.RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Widcomm\\BtConfig\\General", 0,
                                  KEY_ALL_ACCESS, &k, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    HKEY again;
    ASSERT_EQ(reg.RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"software\\widcomm\\btconfig\\GENERAL", 0,
                                  KEY_ALL_ACCESS, &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_NE(k, again);  // every opening gets a handle of its own

    HKEY sub;
    ASSERT_EQ(reg.RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Widcomm", 0, 0, &sub),
              ERROR_SUCCESS);
    HKEY rel;
    EXPECT_EQ(reg.RegOpenKeyExW(sub, u"BTCONFIG\\general", 0, 0, &rel), ERROR_SUCCESS);
    EXPECT_FALSE(reg.KeyExists(HKEY_CURRENT_USER, u"SOFTWARE"));  // the trees are apart
    EXPECT_TRUE(reg.KeyExists(HKEY_LOCAL_MACHINE, u"software\\widcomm\\btconfig"));
    EXPECT_EQ(reg.OpenHandleCount(), 4u);
    for (HKEY h : {k, again, sub, rel})
        EXPECT_EQ(reg.RegCloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
    EXPECT_EQ(reg.RegCloseKey(k), ERROR_INVALID_HANDLE);
    EXPECT_EQ(reg.RegCloseKey(HKEY{12345}), ERROR_INVALID_HANDLE);
    EXPECT_EQ(reg.RegOpenKeyExW(k, u"x", 0, 0, &rel), ERROR_INVALID_HANDLE);
}

TEST_F(SimRegistryTest, QueriesReportSizesTypesAndMissingValues) {
    reg.SetValue(HKEY_CURRENT_USER, u"a", u"Blob", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8});
    HKEY k;
    ASSERT_EQ(reg.RegOpenKeyExW(HKEY_CURRENT_USER, u"A", 0, 0, &k), ERROR_SUCCESS);

    DWORD type = 0, size = 0;
    EXPECT_EQ(reg.RegQueryValueExW(k, u"BLOB", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 8u);

    BYTE buf[8] = {};
    size = 4;
    EXPECT_EQ(reg.RegQueryValueExW(k, u"blob", &type, buf, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    size = 8;
    EXPECT_EQ(reg.RegQueryValueExW(k, u"blob", nullptr, buf, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::vector<BYTE>(buf, buf + 8), (std::vector<BYTE>{1, 2, 3, 4, 5, 6, 7, 8}));

    EXPECT_EQ(reg.RegQueryValueExW(k, u"nope", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg.RegQueryValueExW(k, u"blob", &type, buf, nullptr), ERROR_INVALID_PARAMETER);

    // The value name keeps the spelling it was first written with; the data is replaced.
    const BYTE one[] = {9};
    EXPECT_EQ(reg.RegSetValueExW(k, u"bLoB", REG_NONE, one, 1), ERROR_SUCCESS);
    EXPECT_EQ(reg.GetValue(HKEY_CURRENT_USER, u"a", u"blob"), (SimRegistry::Value{REG_NONE, {9}}));
    EXPECT_EQ(reg.Trees().currentUser.Find(u"a")->values.begin()->second.name, u"Blob");
    reg.RegCloseKey(k);
}

TEST_F(SimRegistryTest, EveryCallIsTracedWithReadableArguments) {
    clock.Advance(1500);
    HKEY k;
    DWORD disposition;
    reg.RegCreateKeyExW(HKEY_CURRENT_USER, u"software", 0, KEY_READ_WRITE, &k, &disposition);
    const BYTE d[] = {0xFF, 0xFF, 0xFF, 0xFF};
    reg.RegSetValueExW(k, u"N", REG_DWORD, d, 4);
    const auto text = Utf16Bytes(u"Hi", true);
    reg.RegSetValueExW(k, nullptr, REG_SZ, text.data(), 6);
    DWORD size = 4;
    BYTE buf[4];
    reg.RegQueryValueExW(k, u"N", nullptr, buf, &size);
    reg.RegQueryValueExW(k, u"N", nullptr, nullptr, &size);
    reg.RegCloseKey(k);

    std::vector<std::string> got;
    for (const auto& e : trace.Entries()) {
        EXPECT_EQ(e.time, 1500u);
        got.push_back(e.name + "(" + e.args + ")");
    }
    EXPECT_EQ(got, (std::vector<std::string>{
                       "RegCreateKeyExW(HKEY_CURRENT_USER, \"software\", 0, 0x2001F)",
                       "RegSetValueExW(0x1000, \"N\", REG_DWORD, 0xFFFFFFFF, 4)",
                       "RegSetValueExW(0x1000, null, REG_SZ, \"Hi\", 6)",
                       "RegQueryValueExW(0x1000, \"N\", buffer, 4)",
                       "RegQueryValueExW(0x1000, \"N\", null, 4)",
                       "RegCloseKey(0x1000)",
                   }));
    // The direct API is not traced.
    reg.SetDword(HKEY_CURRENT_USER, u"x", u"y", 1);
    (void)reg.GetValue(HKEY_CURRENT_USER, u"x", u"y");
    EXPECT_EQ(trace.Entries().size(), 6u);
}

TEST_F(SimRegistryTest, InjectedFailuresHaveNoEffect) {
    reg.FailNext("RegCreateKeyExW", ERROR_ACCESS_DENIED);
    HKEY k;
    DWORD disposition;
    EXPECT_EQ(reg.RegCreateKeyExW(HKEY_CURRENT_USER, u"a", 0, 0, &k, &disposition),
              ERROR_ACCESS_DENIED);
    EXPECT_FALSE(reg.KeyExists(HKEY_CURRENT_USER, u"a"));
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
    EXPECT_EQ(reg.RegCreateKeyExW(HKEY_CURRENT_USER, u"a", 0, 0, &k, &disposition), ERROR_SUCCESS);
    reg.RegCloseKey(k);
}

TEST_F(SimRegistryTest, AHandleWhoseKeyWasReloadedAwayReportsIt) {
    HKEY k;
    DWORD disposition;
    reg.RegCreateKeyExW(HKEY_CURRENT_USER, u"gone", 0, 0, &k, &disposition);
    reg.LoadRegText("Windows Registry Editor Version 5.00\n", "t.reg");
    DWORD size = 0;
    EXPECT_EQ(reg.RegQueryValueExW(k, u"v", nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(reg.RegCloseKey(k), ERROR_SUCCESS);
}

// ---------------------------------------------------------------- .reg files

void ExpectSameTree(const RegKey& a, const RegKey& b, const std::string& where) {
    EXPECT_EQ(a.name, b.name) << where;
    ASSERT_EQ(a.values.size(), b.values.size()) << where;
    for (auto ia = a.values.begin(), ib = b.values.begin(); ia != a.values.end(); ++ia, ++ib) {
        EXPECT_EQ(ia->second.name, ib->second.name) << where;
        EXPECT_EQ(ia->second.type, ib->second.type) << where << " " << ia->first.size();
        EXPECT_EQ(ia->second.data, ib->second.data) << where;
    }
    ASSERT_EQ(a.subkeys.size(), b.subkeys.size()) << where;
    for (auto ia = a.subkeys.begin(), ib = b.subkeys.begin(); ia != a.subkeys.end(); ++ia, ++ib)
        ExpectSameTree(*ia->second, *ib->second, where + "\\" + std::to_string(ia->first.size()));
}

TEST_F(SimRegistryTest, EveryKindOfValueSurvivesASaveAndLoad) {
    const char16_t* s = u"software\\Velk\\Velk\\Settings";
    reg.SetDword(HKEY_CURRENT_USER, s, u"DefControl", 0xFFFFFFFF);
    reg.SetString(HKEY_CURRENT_USER, s, u"OnList", u"#bBluetooth;C:\\a \"q\" ;é€\U0001F600\t");
    reg.SetString(HKEY_CURRENT_USER, s, u"Empty", u"");
    reg.SetString(HKEY_CURRENT_USER, s, u"", u"default");
    reg.SetString(HKEY_CURRENT_USER, s, u"Name \"with\" \\ quotes", u"x");
    std::vector<BYTE> big(200);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<BYTE>(i * 7);
    reg.SetValue(HKEY_CURRENT_USER, s, u"Big", REG_BINARY, big);
    reg.SetValue(HKEY_CURRENT_USER, s, u"NoData", REG_BINARY, {});
    reg.SetValue(HKEY_CURRENT_USER, s, u"Multi", REG_MULTI_SZ, Utf16Bytes(u"a\0b\0\0", false));
    reg.SetValue(HKEY_CURRENT_USER, s, u"Type77", 0x77, {1});
    reg.SetValue(HKEY_CURRENT_USER, s, u"ShortDword", REG_DWORD, {1, 2, 3});
    // Texts that are no well-formed string must come back byte for byte.
    reg.SetValue(HKEY_CURRENT_USER, s, u"Odd", REG_SZ, {0x41, 0, 0x42});
    reg.SetValue(HKEY_CURRENT_USER, s, u"Unterminated", REG_SZ, Utf16Bytes(u"abc", false));
    reg.SetValue(HKEY_CURRENT_USER, s, u"Nulls", REG_SZ, Utf16Bytes(u"a\0b", true));
    reg.SetValue(HKEY_CURRENT_USER, s, u"Lines", REG_SZ, Utf16Bytes(u"a\r\nb", true));
    reg.SetValue(HKEY_CURRENT_USER, s, u"Surrogate", REG_SZ,
                 Utf16Bytes(std::u16string(1, 0xD800) + u"x", true));
    reg.SetValue(HKEY_CURRENT_USER, s, u"NoBytes", REG_SZ, {});
    reg.CreateKey(HKEY_CURRENT_USER, u"Empty\\Key With Spaces \\[brackets]");
    reg.SetDword(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Widcomm\\BtConfig\\General", u"StackMode", 1);

    const std::string text = reg.ToRegText();
    SimRegistry copy(trace, clock);
    copy.LoadRegText(text, "copy.reg");
    ExpectSameTree(copy.Trees().currentUser, reg.Trees().currentUser, "HKCU");
    ExpectSameTree(copy.Trees().localMachine, reg.Trees().localMachine, "HKLM");
    EXPECT_EQ(copy.ToRegText(), text);

    EXPECT_NE(text.find("\"Odd\"=hex(1):41,00,42\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"ShortDword\"=hex(4):01,02,03\n"), std::string::npos);
    EXPECT_NE(text.find("\"DefControl\"=dword:ffffffff\n"), std::string::npos);
    EXPECT_NE(text.find("\"Empty\"=\"\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"Name \\\"with\\\" \\\\ quotes\"=\"x\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"OnList\"=\"#bBluetooth;C:\\\\a \\\"q\\\" ;é€\U0001F600\t\"\n"),
              std::string::npos);
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        EXPECT_LE(end - start, 80u) << "long line";
}

TEST_F(SimRegistryTest, WritesTheStandardLayout) {
    reg.SetDword(HKEY_CURRENT_USER, u"software\\Velk", u"A", 10);
    reg.SetString(HKEY_CURRENT_USER, u"software\\Velk", u"", u"x");
    reg.SetValue(HKEY_LOCAL_MACHINE, u"S", u"B", REG_BINARY, {0xAB, 0x01});
    EXPECT_EQ(reg.ToRegText(),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER\\software]\n"
              "\n"
              "[HKEY_CURRENT_USER\\software\\Velk]\n"
              "@=\"x\"\n"
              "\"A\"=dword:0000000a\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\S]\n"
              "\"B\"=hex:ab,01\n"
              "\n");
}

TEST_F(SimRegistryTest, ReadsHandEditedFiles) {
    const std::string text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; my settings\r\n"
        "  [hkey_current_user\\Software\\Velk\\Velk\\Settings]  \r\n"
        "\"DefControl\" = DWORD:1\r\n"
        "\"OnList\"=\"#wWord;C:\\\\x\"\r\n"
        "\"Bytes\"=hex:01, 02,\\\r\n"
        "    0a,\\\r\n"
        "    ff\r\n"
        "\"Gone\"=dword:5\r\n"
        "\"Gone\"=-\r\n"
        "[HKEY_CURRENT_USER\\Doomed\\Child]\n"
        "[-HKEY_CURRENT_USER\\Doomed]\n"
        "[HKEY_LOCAL_MACHINE\\x]\n"
        "@=hex(2):41,00,00,00\n";
    reg.LoadRegText(text, "hand.reg");
    const char16_t* s = u"software\\velk\\velk\\settings";
    EXPECT_EQ(reg.GetValue(HKEY_CURRENT_USER, s, u"defcontrol"),
              (SimRegistry::Value{REG_DWORD, {1, 0, 0, 0}}));
    EXPECT_EQ(reg.GetValue(HKEY_CURRENT_USER, s, u"OnList"),
              (SimRegistry::Value{REG_SZ, Utf16Bytes(u"#wWord;C:\\x", true)}));
    EXPECT_EQ(reg.GetValue(HKEY_CURRENT_USER, s, u"Bytes"),
              (SimRegistry::Value{REG_BINARY, {1, 2, 10, 0xFF}}));
    EXPECT_FALSE(reg.GetValue(HKEY_CURRENT_USER, s, u"Gone"));
    EXPECT_FALSE(reg.KeyExists(HKEY_CURRENT_USER, u"Doomed"));
    EXPECT_EQ(reg.GetValue(HKEY_LOCAL_MACHINE, u"x", u""),
              (SimRegistry::Value{REG_EXPAND_SZ, {0x41, 0, 0, 0}}));

    // The same file saved by a Windows editor: UTF-16LE with BOM.
    std::u16string wide =
        u"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\"
        u"W]\r\n\"T\"=\"Привет\"\r\n";
    std::string bytes;
    for (char16_t c : wide) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    reg.LoadRegText(bytes, "wide.reg");
    EXPECT_EQ(reg.GetValue(HKEY_CURRENT_USER, u"w", u"t"),
              (SimRegistry::Value{REG_SZ, Utf16Bytes(u"Привет", true)}));
    EXPECT_FALSE(reg.KeyExists(HKEY_CURRENT_USER, u"software"));  // a load replaces

    reg.LoadRegText("", "empty.reg");
    EXPECT_TRUE(reg.Trees().currentUser.subkeys.empty());
}

// A file as a Windows editor saves it: UTF-16LE with BOM.
std::string Utf16LeFile(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

TEST_F(SimRegistryTest, ParseErrorsNameTheLineAndChangeNothing) {
    struct Case {
        std::string text;
        int line;
        std::string says;
    };
    const std::string h = "Windows Registry Editor Version 5.00\n";
    const Case cases[] = {
        {"REGEDIT4\n", 1, "first line"},
        {h + "\"A\"=dword:1\n", 2, "before the first [key]"},
        {h + "[HKEY_CLASSES_ROOT\\x]\n", 2, "unknown root key"},
        {h + "[HKEY_CURRENT_USER\\x\n", 2, "must end with \"]\""},
        {h + "\n[HKEY_CURRENT_USER\\x]\nnonsense\n", 4, "expected a [key] line"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=dword:123456789\n", 3, "1 to 8 hexadecimal"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=dword:xyz\n", 3, "1 to 8 hexadecimal"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=\"C:\\Windows\"\n", 3, "unknown escape \\W"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=\"open\n", 3, "missing closing quote"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=\"a\" b\n", 3, "after the closing quote"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\" dword:1\n", 3, "expected \"=\""},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=qword:1\n", 3, "unrecognised value data"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=hex:01,\\\n  02,zz\n", 4, "\"zz\" is not"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=hex:01,,02\n", 3, "empty byte"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=hex:01,02,\n", 3, "comma after the last byte"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=hex:123\n", 3, "not a hexadecimal byte"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=hex(g):00\n", 3, "hex(N)"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=hex:01,\\\n", 3, "past the end of the file"},
        {h + "[-HKEY_CURRENT_USER\\x]\n\"A\"=dword:1\n", 3, "deleted key"},
        {h + "[HKEY_CURRENT_USER\\x]\n\"A\"=\"\xC3\x28\"\n", 3, "not valid UTF-8"},
        // Unpaired surrogates, which a saved UTF-8 file could not give back.
        {Utf16LeFile(u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\x" +
                     std::u16string(1, 0xD800) + u"]\r\n"),
         2, "not valid UTF-16"},
        {Utf16LeFile(u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\x]\r\n\"" +
                     std::u16string(1, 0xDC00) + u"\"=dword:1\r\n"),
         3, "not valid UTF-16"},
    };
    reg.SetDword(HKEY_CURRENT_USER, u"keep", u"me", 7);
    const std::string before = reg.ToRegText();
    for (const auto& c : cases) {
        try {
            reg.LoadRegText(c.text, "bad.reg");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const RegFileError& e) {
            EXPECT_EQ(e.file, "bad.reg");
            EXPECT_EQ(e.line, c.line) << c.text;
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos)
                << e.what() << " -- " << c.text;
        }
        EXPECT_EQ(reg.ToRegText(), before);
    }
}

class RegFileOnDisk : public SimRegistryTest {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/velk-reg-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
        path = (dir / "registry.reg").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    static std::string Read(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::filesystem::path dir;
    std::string path;
};

TEST_F(RegFileOnDisk, SavesAtomicallyAndLoadsBack) {
    reg.SetString(HKEY_CURRENT_USER, u"software\\Velk\\Velk\\Settings", u"OnList", u"Word;");
    reg.SaveFile(path);
    reg.SetDword(HKEY_CURRENT_USER, u"software", u"Later", 1);
    reg.SaveFile(path);  // replaces the file
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 1u) << "a temporary file was left behind";
    EXPECT_EQ(Read(path), reg.ToRegText());

    SimRegistry loaded(trace, clock);
    loaded.LoadFile(path);
    EXPECT_EQ(loaded.ToRegText(), reg.ToRegText());
}

TEST_F(RegFileOnDisk, AFileThatDoesNotParseIsNeitherLoadedNorTouched) {
    const std::string bad =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\a]\noops\n";
    std::ofstream(path, std::ios::binary) << bad;
    reg.SetDword(HKEY_CURRENT_USER, u"x", u"y", 1);
    try {
        reg.LoadFile(path);
        FAIL() << "accepted";
    } catch (const RegFileError& e) {
        EXPECT_EQ(e.file, path);
        EXPECT_EQ(e.line, 4);
    }
    EXPECT_TRUE(reg.GetValue(HKEY_CURRENT_USER, u"x", u"y"));
    EXPECT_EQ(Read(path), bad);

    try {
        reg.LoadFile((dir / "missing.reg").string());
        FAIL() << "accepted a missing file";
    } catch (const RegFileError& e) {
        EXPECT_EQ(e.line, 0);
    }
    EXPECT_THROW(reg.SaveFile((dir / "no-such-dir" / "r.reg").string()), RegFileError);
}

// A disk that fills while the new file is written: the write fails, the message says
// so and that nothing was saved, and the previous file and folder are as they were.
TEST_F(RegFileOnDisk, AFailedWriteKeepsThePreviousFileWhole) {
    reg.SetString(HKEY_CURRENT_USER, u"software\\Velk\\Velk\\Settings", u"OnList", u"Word;");
    reg.SaveFile(path);
    const std::string before = Read(path);
    reg.SetString(HKEY_CURRENT_USER, u"software\\Velk\\Velk\\Settings", u"OnRunList",
                  std::u16string(20000, u'x'));

    // Past this many bytes a write fails (EFBIG), as on a full disk.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = before.size() + 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string message;
    try {
        reg.SaveFile(path);
    } catch (const RegFileError& e) {
        message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);

    EXPECT_NE(message.find("cannot write"), std::string::npos) << message;
    EXPECT_NE(message.find("previous file is unchanged"), std::string::npos) << message;
    EXPECT_EQ(Read(path), before);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 1u) << "the temporary file was left behind";
}

// A file keeps what it was: its encoding (a regedit export stays UTF-16LE with its mark
// and CRLF), its permissions, and a symbolic link stays a link whose target is replaced.
TEST_F(RegFileOnDisk, ASaveKeepsTheFilesEncodingModeAndLink) {
    const std::string body = std::string(kRegFileHeader) +
                             "\n\n[HKEY_CURRENT_USER\\software]\n\"Name\"=\"\xC3\x9Cn\xC3\xAF\"\n";
    struct Case {
        RegEncoding encoding;
        std::string lead;
    } cases[] = {{RegEncoding::kUtf8, "Wind"},
                 {RegEncoding::kUtf8Bom, "\xEF\xBB\xBFW"},
                 {RegEncoding::kUtf16Le, std::string("\xFF\xFEW\0", 4)}};
    for (const Case& c : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << EncodeRegText(body, c.encoding);
        SimRegistry reg2(trace, clock);
        reg2.LoadFile(path);
        reg2.SetString(HKEY_CURRENT_USER, u"software", u"More", u"\u00e9");
        reg2.SaveFile(path);
        const std::string saved = Read(path);
        EXPECT_EQ(saved.substr(0, c.lead.size()), c.lead);
        EXPECT_EQ(saved, EncodeRegText(reg2.ToRegText(), c.encoding));
        SimRegistry again(trace, clock);
        again.LoadFile(path);
        EXPECT_EQ(again.GetValue(HKEY_CURRENT_USER, u"software", u"Name"),
                  reg2.GetValue(HKEY_CURRENT_USER, u"software", u"Name"));
    }
    EXPECT_NE(Read(path).find(std::string("\r\0\n\0", 4)), std::string::npos);

    // A private file stays private; a link stays a link, through a relative chain.
    std::filesystem::create_directory(dir / "dotfiles");
    const std::string real = (dir / "dotfiles" / "settings.reg").string();
    std::filesystem::rename(path, real);
    std::filesystem::permissions(
        real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink("dotfiles/settings.reg", dir / "hop.reg");
    std::filesystem::create_symlink("hop.reg", path);
    reg.SetDword(HKEY_CURRENT_USER, u"software", u"Linked", 1);
    reg.SaveFile(path);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "hop.reg"));
    EXPECT_EQ(Read(real), EncodeRegText(reg.ToRegText(), RegEncoding::kUtf8));
    EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    std::filesystem::remove(path);
    std::filesystem::create_symlink("loop.reg", dir / "loop.reg");
    EXPECT_THROW(reg.SaveFile((dir / "loop.reg").string()), RegFileError);
}

// A save killed midway leaves its temporary file; the next load removes it, but not the
// temporary file of a save that another copy is still writing (it holds a lock).
TEST_F(RegFileOnDisk, LoadingRemovesWhatAKilledSaveLeft) {
    reg.SaveFile(path);
    const std::string abandoned = path + ".saving-Ab12Cd";
    const std::string inProgress = path + ".saving-Ef34Gh";
    const std::string unrelated = path + ".saving-notmine";
    for (const std::string& p : {abandoned, inProgress, unrelated})
        std::ofstream(p) << "partial";
    const int held = ::open(inProgress.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    reg.LoadFile(path);
    ::close(held);
    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_TRUE(std::filesystem::exists(inProgress));
    EXPECT_TRUE(std::filesystem::exists(unrelated));
}

}  // namespace
}  // namespace velk::sim
