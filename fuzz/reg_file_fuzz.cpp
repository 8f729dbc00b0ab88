// The `.reg` reader and writer: any text the reader accepts, once written out, reads
// back as the same trees (names in their spelling, every value's type and bytes), and
// writing those trees again gives the same text. A text the reader refuses must be
// refused with RegFileError; any other exception or a sanitizer report is a fault.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/regfile/reg_file.h"
#include "platform/strings.h"

namespace {

using velk::regfile::RegKey;

// The first difference between two keys and everything under them, as "path: what";
// empty when they are the same.
std::string Difference(const RegKey& a, const RegKey& b, const std::string& path) {
    if (a.name != b.name)
        return path + ": key name " + velk::fuzz::Shown(a.name) + " became " +
               velk::fuzz::Shown(b.name);
    if (a.values.size() != b.values.size())
        return path + ": " + std::to_string(a.values.size()) + " values became " +
               std::to_string(b.values.size());
    for (auto ia = a.values.begin(), ib = b.values.begin(); ia != a.values.end(); ++ia, ++ib) {
        const std::string where = path + " value " + velk::fuzz::Shown(ia->second.name);
        if (ia->first != ib->first || ia->second.name != ib->second.name)
            return where + " became " + velk::fuzz::Shown(ib->second.name);
        if (ia->second.type != ib->second.type)
            return where + ": type " + std::to_string(ia->second.type) + " became " +
                   std::to_string(ib->second.type);
        if (ia->second.data != ib->second.data)
            return where + ": " + std::to_string(ia->second.data.size()) + " bytes became " +
                   std::to_string(ib->second.data.size()) + " other bytes";
    }
    if (a.subkeys.size() != b.subkeys.size())
        return path + ": " + std::to_string(a.subkeys.size()) + " sub-keys became " +
               std::to_string(b.subkeys.size());
    for (auto ia = a.subkeys.begin(), ib = b.subkeys.begin(); ia != a.subkeys.end(); ++ia, ++ib) {
        if (ia->first != ib->first)
            return path + ": sub-key " + velk::fuzz::Shown(ia->first) + " became " +
                   velk::fuzz::Shown(ib->first);
        std::string d =
            Difference(*ia->second, *ib->second, path + "\\" + velk::ToUtf8(ia->second->name));
        if (!d.empty())
            return d;
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velk::regfile;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RegTrees loaded;
    try {
        loaded = ParseRegText(text, "input.reg");
    } catch (const RegFileError&) {
        return 0;  // refused with a line and a reason: what a user is shown
    }
    const std::string saved = FormatRegText(loaded);
    RegTrees reloaded;
    try {
        reloaded = ParseRegText(saved, "saved.reg");
    } catch (const RegFileError& e) {
        velk::fuzz::Fail("a saved registry loads again",
                         "line " + std::to_string(e.line) + ": " + e.what() + "\n" + saved);
    }
    std::string d = Difference(loaded.currentUser, reloaded.currentUser, "HKEY_CURRENT_USER");
    if (d.empty())
        d = Difference(loaded.localMachine, reloaded.localMachine, "HKEY_LOCAL_MACHINE");
    if (!d.empty())
        velk::fuzz::Fail("load, save, load gives the same trees", d + "\n" + saved);
    if (FormatRegText(reloaded) != saved)
        velk::fuzz::Fail("saving the reloaded trees gives the same text", saved);
    return 0;
}
