// The simulated handheld's registry: HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE trees
// with typed values of any length, reached through the seam's Win32-shaped calls (each
// one traced) and, for the simulator, its peers and tests, through a direct API that is
// not traced. Key and value names compare without regard to letter case and keep the
// spelling they were created with. The trees load from and save to a `.reg` text file
// (reg_file.h).
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "platform/sim/clock.h"
#include "platform/sim/trace.h"
#include "platform/types.h"

namespace velk::sim {

// What an operation on a key returns when the key behind an open handle is gone
// (the registry was reloaded from a file that does not have it).
constexpr LONG ERROR_KEY_DELETED = 1018;

// One key of a tree. Children and values are held by their folded names, so lookups
// ignore case and a saved file lists them in a stable order.
struct RegKey {
    struct StoredValue {
        std::u16string name;  // as first written
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };

    std::u16string name;  // as first created; empty for a root
    std::map<std::u16string, std::unique_ptr<RegKey>> subkeys;
    std::map<std::u16string, StoredValue> values;

    RegKey* Find(std::u16string_view name);
    const RegKey* Find(std::u16string_view name) const;
    RegKey& FindOrCreate(std::u16string_view name, bool* created = nullptr);
};

// How a `.reg` file's bytes encode its text (reg_file.h). UTF-16LE files are regedit's own
// exports and take its "\r\n" line ends.
enum class RegEncoding { kUtf8, kUtf8Bom, kUtf16Le };

// The two trees of the handheld.
struct RegTrees {
    RegKey currentUser;
    RegKey localMachine;
};

class SimRegistry : public IRegistry {
  public:
    struct Value {
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        friend bool operator==(const Value&, const Value&) = default;
    };

    SimRegistry(Trace& trace, const Clock& clock);
    ~SimRegistry() override;

    // The seam. Each call is traced with its arguments. A null or empty sub-key names the
    // key itself (a new handle to it); a null or empty value name is the default value.
    LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                       HKEY* result) override;
    LONG RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                         HKEY* result, DWORD* disposition) override;
    LONG RegQueryValueExW(HKEY key, const char16_t* valueName, DWORD* type, BYTE* data,
                          DWORD* cbData) override;
    LONG RegSetValueExW(HKEY key, const char16_t* valueName, DWORD type, const BYTE* data,
                        DWORD cbData) override;
    LONG RegCloseKey(HKEY key) override;

    // The direct API (not traced). root is HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE
    // (std::invalid_argument otherwise); path is "\"-separated, a leading "\" optional.
    // Setting a value creates the keys of its path.
    void SetValue(HKEY root, std::u16string_view path, std::u16string_view name, DWORD type,
                  std::vector<BYTE> data);
    void SetDword(HKEY root, std::u16string_view path, std::u16string_view name, DWORD value);
    // Stored as REG_SZ with its terminating null.
    void SetString(HKEY root, std::u16string_view path, std::u16string_view name,
                   std::u16string_view text);
    std::optional<Value> GetValue(HKEY root, std::u16string_view path,
                                  std::u16string_view name) const;
    bool KeyExists(HKEY root, std::u16string_view path) const;
    void CreateKey(HKEY root, std::u16string_view path);
    bool DeleteValue(HKEY root, std::u16string_view path, std::u16string_view name);
    // Empties both trees (open handles then find their keys gone).
    void Clear();
    // Handles opened through the seam and not yet closed.
    std::size_t OpenHandleCount() const { return handles_.size(); }

    // The next `count` calls of the seam operation `operation` (e.g. "RegCreateKeyExW")
    // fail with `error` and have no effect; they are still traced. For failure tests.
    void FailNext(std::string operation, LONG error, int count = 1);

    // The `.reg` text of both trees (UTF-8, no BOM), and loading one. Loading parses the
    // whole text first and replaces the trees only when it succeeded; on a fault it
    // throws RegFileError (reg_file.h) and the registry is unchanged. text may be UTF-8
    // (with or without BOM) or UTF-16LE with BOM.
    std::string ToRegText() const;
    void LoadRegText(std::string_view text, const std::string& fileNameForErrors);
    // LoadFile throws RegFileError when the file cannot be read or parsed, or is no
    // regular file; it never writes. SaveFile writes a temporary file beside path,
    // flushes it to disk, renames it over path and flushes the folder, so the old file
    // stays whole until the new one is complete; on any failure it throws RegFileError,
    // removes the temporary file and leaves the old one. It never replaces anything but
    // a regular file. A symbolic link is followed: its target is replaced and the link
    // stays. The file keeps the encoding and the permissions it had; one that did not
    // exist is written as UTF-8, readable by its owner and others (0644, less the umask).
    // LoadFile also removes temporary files an interrupted save left.
    void LoadFile(const std::string& path);
    void SaveFile(const std::string& path) const;
    RegEncoding FileEncoding() const { return encoding_; }

    const RegTrees& Trees() const { return trees_; }

  private:
    struct OpenKey {
        HKEY root;
        std::vector<std::u16string> path;  // folded names
    };

    RegKey* Root(HKEY root);
    const RegKey* Root(HKEY root) const;
    // The key at path under a root; null when root is no root or a key is missing.
    const RegKey* FindKey(HKEY root, std::u16string_view path) const;
    RegKey* FindKey(HKEY root, std::u16string_view path);
    // Creates the keys of path; std::invalid_argument for a root that is none or a line
    // break in a key name or in valueName (checked before anything is created).
    RegKey& CreateKeyPath(HKEY root, std::u16string_view path, std::u16string_view valueName = {});
    // The key a handle stands for, with the handle's root and folded path; error set.
    RegKey* Resolve(HKEY key, OpenKey& where, LONG& error);
    HKEY NewHandle(OpenKey where);
    bool ShouldFail(const char* operation, LONG& error);
    template <typename Args>
    void Record(const char* operation, Args&& args) {
        trace_.Record(clock_.Now(), operation, std::forward<Args>(args));
    }

    Trace& trace_;
    const Clock& clock_;
    RegTrees trees_;
    std::map<std::uintptr_t, OpenKey> handles_;
    std::uintptr_t nextHandle_ = 0x1000;
    std::map<std::string, std::pair<LONG, int>, std::less<>> failures_;
    RegEncoding encoding_ = RegEncoding::kUtf8;
};

// Splits a "\"-separated key path into its names, skipping empty ones (so a leading,
// trailing or doubled "\" is harmless).
std::vector<std::u16string> SplitKeyPath(std::u16string_view path);

}  // namespace velk::sim
