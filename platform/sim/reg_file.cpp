#include "platform/sim/reg_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/registry.h"
#include "platform/strings.h"

namespace velk::sim {

namespace {

constexpr std::u16string_view kCurrentUser = u"HKEY_CURRENT_USER";
constexpr std::u16string_view kLocalMachine = u"HKEY_LOCAL_MACHINE";
// A save's temporary file: the file's own name, this, and mkstemp's six characters.
constexpr char kTemporarySuffix[] = ".saving-";

// ---------------------------------------------------------------- writing

std::string QuotedForFile(std::u16string_view s) {
    std::string out = "\"";
    for (char c : ToUtf8(s)) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// The text of a REG_SZ when its data is exactly characters plus one final null and the
// text survives a trip through a quoted UTF-8 line; nothing otherwise.
bool TextOfWellFormedString(const std::vector<BYTE>& data, std::u16string& text) {
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    text = RegSzText(data.data(), static_cast<DWORD>(data.size()));
    // The first null must be the last character: nothing after it, nothing lost.
    if ((text.size() + 1) * 2 != data.size() || data[data.size() - 2] != 0 ||
        data[data.size() - 1] != 0)
        return false;
    if (text.find_first_of(u"\r\n") != std::u16string::npos)
        return false;
    return FromUtf8(ToUtf8(text)) == text;  // unpaired surrogates would not come back
}

void AppendHexBytes(std::string& out, std::size_t lineStart, const std::vector<BYTE>& data) {
    std::size_t column = out.size() - lineStart;
    for (std::size_t i = 0; i < data.size(); ++i) {
        char b[3];
        std::snprintf(b, sizeof b, "%02x", data[i]);
        out += b;
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++column;
            if (column > 76) {
                out += "\\\n  ";
                column = 2;
            }
        }
    }
}

void AppendValue(std::string& out, const RegKey::StoredValue& v) {
    const std::size_t lineStart = out.size();
    out += v.name.empty() ? std::string("@") : QuotedForFile(v.name);
    out += '=';
    std::u16string text;
    if (v.type == REG_SZ && TextOfWellFormedString(v.data, text)) {
        out += QuotedForFile(text);
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        const DWORD d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                        (static_cast<DWORD>(v.data[3]) << 24);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(d));
        out += buf;
    } else {
        if (v.type == REG_BINARY) {
            out += "hex:";
        } else {
            char buf[24];
            std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
            out += buf;
        }
        AppendHexBytes(out, lineStart, v.data);
    }
    out += '\n';
}

void AppendKey(std::string& out, const std::string& path, const RegKey& key, bool isRoot) {
    if (!isRoot || !key.values.empty()) {
        out += '[' + path + "]\n";
        for (const auto& [folded, value] : key.values)
            AppendValue(out, value);
        out += '\n';
    }
    for (const auto& [folded, child] : key.subkeys)
        AppendKey(out, path + '\\' + ToUtf8(child->name), *child, false);
}

// ---------------------------------------------------------------- reading

class Parser {
  public:
    Parser(std::vector<std::u16string> lines, const std::string& file)
        : lines_(std::move(lines)), file_(file) {}

    RegTrees Run();

  private:
    [[noreturn]] void Fail(const std::string& message) const {
        throw RegFileError(file_, static_cast<int>(index_ + 1), message);
    }

    void Section(std::u16string_view t);
    void ValueLine(std::u16string_view t);
    std::u16string QuotedString(std::u16string_view t, std::size_t& pos);
    std::vector<BYTE> HexBytes(std::u16string_view rest);

    std::vector<std::u16string> lines_;
    const std::string& file_;
    std::size_t index_ = 0;  // the line being parsed
    RegTrees trees_;
    RegKey* current_ = nullptr;
    bool inDeletedKey_ = false;
};

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view TrimBlanks(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// 1 to 8 hex digits, nothing else.
bool ParseHex32(std::u16string_view s, DWORD& value) {
    if (s.empty() || s.size() > 8)
        return false;
    value = 0;
    for (char16_t c : s) {
        const int d = HexDigit(c);
        if (d < 0)
            return false;
        value = (value << 4) | static_cast<DWORD>(d);
    }
    return true;
}

std::string Shown(std::u16string_view s) {
    if (s.size() > 40)
        return ToUtf8(s.substr(0, 40)) + "...";
    return ToUtf8(s);
}

RegTrees Parser::Run() {
    if (lines_.empty())
        return std::move(trees_);
    index_ = 0;
    if (TrimBlanks(lines_[0]) != u"Windows Registry Editor Version 5.00")
        Fail(std::string("the first line must be \"") + kRegFileHeader + "\"");
    for (index_ = 1; index_ < lines_.size(); ++index_) {
        std::u16string_view t = lines_[index_];
        while (!t.empty() && IsBlank(t.front()))
            t.remove_prefix(1);
        if (TrimBlanks(t).empty() || t.front() == u';')
            continue;
        if (t.front() == u'[')
            Section(t);
        else if (t.front() == u'"' || t.front() == u'@')
            ValueLine(t);
        else
            Fail("expected a [key] line, a \"name\"=value line or a ; comment, found \"" +
                 Shown(t) + "\"");
    }
    return std::move(trees_);
}

void Parser::Section(std::u16string_view t) {
    t = TrimBlanks(t);
    if (t.back() != u']')
        Fail("a key line must end with \"]\"");
    std::u16string_view inner = t.substr(1, t.size() - 2);
    const bool remove = !inner.empty() && inner.front() == u'-';
    if (remove)
        inner.remove_prefix(1);
    auto names = SplitKeyPath(inner);
    if (names.empty())
        Fail("empty key name in []");
    RegKey* key = nullptr;
    if (FoldedEquals(names[0], kCurrentUser))
        key = &trees_.currentUser;
    else if (FoldedEquals(names[0], kLocalMachine))
        key = &trees_.localMachine;
    else
        Fail("unknown root key \"" + Shown(names[0]) +
             "\" (expected HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE)");
    if (remove) {
        if (names.size() == 1)
            Fail("a root key cannot be deleted");
        RegKey* parent = key;
        for (std::size_t i = 1; parent && i + 1 < names.size(); ++i)
            parent = parent->Find(names[i]);
        if (parent) {
            parent->subkeys.erase(Folded(names.back()));
        }
        current_ = nullptr;
        inDeletedKey_ = true;
        return;
    }
    for (std::size_t i = 1; i < names.size(); ++i)
        key = &key->FindOrCreate(names[i]);
    current_ = key;
    inDeletedKey_ = false;
}

std::u16string Parser::QuotedString(std::u16string_view t, std::size_t& pos) {
    // t[pos] is the opening quote.
    std::u16string out;
    for (++pos; pos < t.size(); ++pos) {
        const char16_t c = t[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\') {
            if (pos + 1 >= t.size())
                break;
            const char16_t e = t[++pos];
            if (e != u'\\' && e != u'"')
                Fail("unknown escape \\" + ToUtf8(std::u16string_view(&e, 1)) +
                     " in a quoted string (write \\\\ for a backslash, \\\" for a quote)");
            out.push_back(e);
            continue;
        }
        out.push_back(c);
    }
    Fail("missing closing quote");
}

void Parser::ValueLine(std::u16string_view t) {
    if (inDeletedKey_)
        Fail("a value under a deleted key");
    if (current_ == nullptr)
        Fail("a value before the first [key] line");
    std::size_t pos = 0;
    std::u16string name;
    if (t[0] == u'@') {
        pos = 1;
    } else {
        name = QuotedString(t, pos);
        if (name.find_first_of(u"\r\n") != std::u16string::npos)
            Fail("a value name cannot hold a line break");
    }
    std::u16string_view rest = TrimBlanks(t.substr(pos));
    if (rest.empty() || rest.front() != u'=')
        Fail("expected \"=\" after the value name");
    rest = TrimBlanks(rest.substr(1));

    const std::u16string folded = Folded(name);
    if (rest == u"-") {
        current_->values.erase(folded);
        return;
    }

    RegKey::StoredValue v;
    v.name = name;
    if (!rest.empty() && rest.front() == u'"') {
        std::size_t p = 0;
        const std::u16string text = QuotedString(rest, p);
        if (!TrimBlanks(rest.substr(p)).empty())
            Fail("text after the closing quote");
        v.type = REG_SZ;
        v.data = RegSzData(text);
    } else if (FoldedBeginsWith(rest, u"dword:")) {
        DWORD d = 0;
        if (!ParseHex32(rest.substr(6), d))
            Fail("dword: needs 1 to 8 hexadecimal digits, found \"" + Shown(rest.substr(6)) + "\"");
        v.type = REG_DWORD;
        v.data = {static_cast<BYTE>(d), static_cast<BYTE>(d >> 8), static_cast<BYTE>(d >> 16),
                  static_cast<BYTE>(d >> 24)};
    } else if (FoldedBeginsWith(rest, u"hex:")) {
        v.type = REG_BINARY;
        v.data = HexBytes(rest.substr(4));
    } else if (FoldedBeginsWith(rest, u"hex(")) {
        const std::size_t close = rest.find(u"):");
        if (close == std::u16string_view::npos)
            Fail("hex( needs a type and \"):\"");
        DWORD type = 0;
        if (!ParseHex32(rest.substr(4, close - 4), type))
            Fail("hex(N): needs a hexadecimal type number, found \"" +
                 Shown(rest.substr(4, close - 4)) + "\"");
        v.type = type;
        v.data = HexBytes(rest.substr(close + 2));
    } else {
        Fail("unrecognised value data \"" + Shown(rest) +
             "\" (expected \"text\", dword:, hex:, hex(N): or -)");
    }
    current_->values[folded] = std::move(v);
}

// Comma-separated bytes; a piece ending in "\" goes on on the next line.
std::vector<BYTE> Parser::HexBytes(std::u16string_view rest) {
    std::vector<BYTE> bytes;
    for (;;) {
        std::u16string_view piece = TrimBlanks(rest);
        const bool continued = !piece.empty() && piece.back() == u'\\';
        if (continued)
            piece = TrimBlanks(piece.substr(0, piece.size() - 1));
        std::size_t start = 0;
        while (start < piece.size()) {
            std::size_t comma = piece.find(u',', start);
            const bool last = comma == std::u16string_view::npos;
            if (last)
                comma = piece.size();
            const std::u16string_view token = TrimBlanks(piece.substr(start, comma - start));
            if (token.empty())
                Fail("an empty byte between commas");
            DWORD b = 0;
            if (token.size() > 2 || !ParseHex32(token, b))
                Fail(std::string(1, '"')
                         .append(Shown(token))
                         .append("\" is not a hexadecimal byte"));
            bytes.push_back(static_cast<BYTE>(b));
            if (last)
                break;
            start = comma + 1;
            // A final comma is fine only where the bytes go on on the next line.
            if (start == piece.size() && !continued)
                Fail("a comma after the last byte");
        }
        if (!continued)
            return bytes;
        if (++index_ >= lines_.size()) {
            --index_;
            Fail("the bytes go on (\"\\\") past the end of the file");
        }
        rest = lines_[index_];
    }
}

[[noreturn]] void FailWhole(const std::string& file, const std::string& message) {
    throw RegFileError(file, 0, message);
}

std::vector<std::u16string> SplitLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos)
            end = text.size();
        std::u16string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::u16string> DecodeLines(std::string_view text, const std::string& file) {
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
        static_cast<unsigned char>(text[1]) == 0xFE) {
        if (text.size() % 2 != 0)
            FailWhole(file, "a UTF-16 file with an odd number of bytes");
        std::u16string wide;
        wide.reserve(text.size() / 2 - 1);
        for (std::size_t i = 2; i + 1 < text.size(); i += 2)
            wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(text[i]) |
                                                 (static_cast<unsigned char>(text[i + 1]) << 8)));
        std::vector<std::u16string> lines = SplitLines(wide);
        // An unpaired surrogate could not be written back into a UTF-8 file unchanged
        // (names have no escape for it), so it is refused as malformed UTF-8 is.
        for (std::size_t n = 0; n < lines.size(); ++n)
            if (FromUtf8(ToUtf8(lines[n])) != lines[n])
                throw RegFileError(file, static_cast<int>(n + 1),
                                   "the line is not valid UTF-16 (an unpaired surrogate)");
        return lines;
    }
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFE &&
        static_cast<unsigned char>(text[1]) == 0xFF)
        FailWhole(file, "UTF-16 big-endian files are not supported; save as UTF-8");
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        std::u16string wide = FromUtf8(line);
        if (ToUtf8(wide) != line)
            throw RegFileError(file, static_cast<int>(lines.size() + 1),
                               "the line is not valid UTF-8");
        if (!wide.empty() && wide.back() == u'\r')
            wide.pop_back();
        lines.push_back(std::move(wide));
        start = end + 1;
    }
    return lines;
}

std::string ErrnoText() {
    return std::strerror(errno);
}

}  // namespace

std::string FormatRegText(const RegTrees& trees) {
    std::string out = std::string(kRegFileHeader) + "\n\n";
    AppendKey(out, ToUtf8(kCurrentUser), trees.currentUser, true);
    AppendKey(out, ToUtf8(kLocalMachine), trees.localMachine, true);
    return out;
}

RegTrees ParseRegText(std::string_view text, const std::string& fileNameForErrors) {
    return Parser(DecodeLines(text, fileNameForErrors), fileNameForErrors).Run();
}

std::string SimRegistry::ToRegText() const {
    return FormatRegText(trees_);
}

void SimRegistry::LoadRegText(std::string_view text, const std::string& fileNameForErrors) {
    RegTrees parsed = ParseRegText(text, fileNameForErrors);
    trees_.currentUser = std::move(parsed.currentUser);
    trees_.localMachine = std::move(parsed.localMachine);
}

void SimRegistry::LoadFile(const std::string& path) {
    // A device or a pipe is no registry: /dev/zero would be read for ever.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        FailWhole(path, "not a regular file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        FailWhole(path, "cannot open the file: " + ErrnoText());
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        FailWhole(path, "cannot read the file: " + ErrnoText());
    LoadRegText(bytes, path);
    encoding_ = DetectRegEncoding(bytes);
    RemoveAbandonedTemporaries(ResolveSaveTarget(path));
}

void SimRegistry::SaveFile(const std::string& path) const {
    const std::string text = EncodeRegText(ToRegText(), encoding_);
    const std::string target = ResolveSaveTarget(path);
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    // Every failure leaves the previous file as it was: the new text goes to a file of
    // its own beside it, which replaces the old one only once it is complete on disk.
    auto failed = [&](const std::string& what, int error) {
        FailWhole(path, "not saved, the previous file is unchanged: " + what + ": " +
                            std::strerror(error));
    };
    // Renaming over a device or a folder would replace it: only a regular file (or
    // none yet) is ever replaced.
    struct stat st {};
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed && !S_ISREG(st.st_mode))
        FailWhole(path, "not saved: not a regular file");
    std::string tmp = target + kTemporarySuffix + "XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        failed("cannot create a temporary file beside it", errno);
    auto abandon = [&](const std::string& what) {
        const int error = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        failed(what, error);
    };
    // Held until the file is closed, so that another copy's start does not take this
    // file for one a killed save left behind.
    if (::flock(fd, LOCK_EX) != 0)
        abandon("cannot lock the temporary file");
    // A settings file made private stays private; a new one gets the usual mode.
    mode_t mode = 0644;
    if (existed) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (::fchmod(fd, mode) != 0)
        abandon("cannot set the temporary file's permissions");
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            abandon("cannot write the temporary file");
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        abandon("cannot flush the temporary file");
    if (::rename(tmp.c_str(), target.c_str()) != 0)
        abandon("cannot replace the file");
    ::close(fd);
    RemoveAbandonedTemporaries(target);
    // Make the rename itself durable.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

RegEncoding DetectRegEncoding(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return RegEncoding::kUtf16Le;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return RegEncoding::kUtf8Bom;
    return RegEncoding::kUtf8;
}

std::string EncodeRegText(std::string_view utf8Text, RegEncoding encoding) {
    switch (encoding) {
        case RegEncoding::kUtf8:
            return std::string(utf8Text);
        case RegEncoding::kUtf8Bom:
            return "\xEF\xBB\xBF" + std::string(utf8Text);
        case RegEncoding::kUtf16Le:
            break;
    }
    std::string out = "\xFF\xFE";
    out.reserve(2 + utf8Text.size() * 2);
    auto put = [&out](char16_t c) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    };
    for (char16_t c : FromUtf8(utf8Text)) {
        if (c == u'\n')
            put(u'\r');
        put(c);
    }
    return out;
}

std::string ResolveSaveTarget(const std::string& path) {
    std::string current = path;
    // As many hops as the kernel itself follows before it reports a loop.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size())
            FailWhole(path, "cannot read the symbolic link " + current + ": " + ErrnoText());
        link.resize(static_cast<std::size_t>(n));
        if (link.front() != '/') {
            const std::size_t slash = current.rfind('/');
            if (slash != std::string::npos)
                link = current.substr(0, slash + 1) + link;
        }
        current = std::move(link);
    }
    FailWhole(path, "too many levels of symbolic links");
}

void RemoveAbandonedTemporaries(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash);
    const std::string prefix =
        (slash == std::string::npos ? target : target.substr(slash + 1)) + kTemporarySuffix;
    DIR* folder = ::opendir(dir.empty() ? "/" : dir.c_str());
    if (!folder)
        return;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string full = dir + "/" + name;
        const int fd = ::open(full.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        // Only a regular file nobody is writing: a save in progress holds its lock.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(full.c_str());
        ::close(fd);
    }
    ::closedir(folder);
}

}  // namespace velk::sim
