#include "platform/sim/registry.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "platform/sim/trace_format.h"
#include "platform/strings.h"

namespace velk::sim {

namespace {

// Names go into a line-oriented text file; a line break inside one could not be saved.
bool HasLineBreak(std::u16string_view s) {
    return s.find(u'\n') != std::u16string_view::npos || s.find(u'\r') != std::u16string_view::npos;
}

std::string HandleText(HKEY key) {
    if (key == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (key == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    return TraceHex(key.value);
}

std::string TypeText(DWORD type) {
    switch (type) {
        case REG_NONE:
            return "REG_NONE";
        case REG_SZ:
            return "REG_SZ";
        case REG_EXPAND_SZ:
            return "REG_EXPAND_SZ";
        case REG_BINARY:
            return "REG_BINARY";
        case REG_DWORD:
            return "REG_DWORD";
        case REG_MULTI_SZ:
            return "REG_MULTI_SZ";
        default:
            return std::to_string(type);
    }
}

// The data of a set call, readable: a REG_DWORD as its number, a REG_SZ as its text,
// anything else (or anything odd) as bytes, cut short when long.
std::string DataText(DWORD type, const BYTE* data, DWORD cb) {
    if (data == nullptr)
        return "null";
    if (type == REG_DWORD && cb == 4) {
        const DWORD v = data[0] | (data[1] << 8) | (data[2] << 16) | (DWORD{data[3]} << 24);
        return TraceHex(v);
    }
    if (type == REG_SZ && cb % 2 == 0) {
        // Shown as text only when the data is the text and its one terminating null.
        const CString text = RegSzText(data, cb);
        if ((text.size() + 1) * 2 == cb && data[cb - 2] == 0 && data[cb - 1] == 0)
            return TraceString(text);
    }
    std::string out = "hex:";
    const DWORD shown = cb > 32 ? 32 : cb;
    for (DWORD i = 0; i < shown; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02x", data[i]);
        if (i)
            out += ',';
        out += b;
    }
    if (shown < cb)
        out += ",...";
    return out;
}

}  // namespace

RegKey* RegKey::Find(std::u16string_view n) {
    auto it = subkeys.find(Folded(n));
    return it == subkeys.end() ? nullptr : it->second.get();
}

const RegKey* RegKey::Find(std::u16string_view n) const {
    auto it = subkeys.find(Folded(n));
    return it == subkeys.end() ? nullptr : it->second.get();
}

RegKey& RegKey::FindOrCreate(std::u16string_view n, bool* created) {
    auto& slot = subkeys[Folded(n)];
    if (created)
        *created = !slot;
    if (!slot) {
        slot = std::make_unique<RegKey>();
        slot->name = std::u16string(n);
    }
    return *slot;
}

std::vector<std::u16string> SplitKeyPath(std::u16string_view path) {
    std::vector<std::u16string> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos)
            end = path.size();
        if (end > start)
            names.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

SimRegistry::SimRegistry(Trace& trace, const Clock& clock) : trace_(trace), clock_(clock) {}

SimRegistry::~SimRegistry() = default;

RegKey* SimRegistry::Root(HKEY root) {
    if (root == HKEY_CURRENT_USER)
        return &trees_.currentUser;
    if (root == HKEY_LOCAL_MACHINE)
        return &trees_.localMachine;
    return nullptr;
}

const RegKey* SimRegistry::Root(HKEY root) const {
    return const_cast<SimRegistry*>(this)->Root(root);
}

RegKey* SimRegistry::Resolve(HKEY key, OpenKey& where, LONG& error) {
    if (RegKey* root = Root(key)) {
        where = {key, {}};
        return root;
    }
    auto it = handles_.find(key.value);
    if (it == handles_.end()) {
        error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    where = it->second;
    RegKey* k = Root(where.root);
    for (const auto& name : where.path) {
        k = k->Find(name);
        if (k == nullptr) {
            error = ERROR_KEY_DELETED;
            return nullptr;
        }
    }
    return k;
}

HKEY SimRegistry::NewHandle(OpenKey where) {
    const std::uintptr_t v = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(v, std::move(where));
    return HKEY{v};
}

void SimRegistry::FailNext(std::string operation, LONG error, int count) {
    failures_[std::move(operation)] = {error, count};
}

bool SimRegistry::ShouldFail(const char* operation, LONG& error) {
    auto it = failures_.find(std::string_view(operation));
    if (it == failures_.end() || it->second.second <= 0)
        return false;
    error = it->second.first;
    if (--it->second.second == 0)
        failures_.erase(it);
    return true;
}

LONG SimRegistry::RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                                HKEY* result) {
    Record("RegOpenKeyExW", [&] {
        return HandleText(key) + ", " + TraceString(subKey) + ", " + std::to_string(options) +
               ", " + TraceHex(samDesired);
    });
    LONG error = ERROR_SUCCESS;
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (ShouldFail("RegOpenKeyExW", error))
        return error;
    OpenKey where;
    RegKey* k = Resolve(key, where, error);
    if (k == nullptr)
        return error;
    for (auto& name : SplitKeyPath(subKey ? subKey : u"")) {
        k = k->Find(name);
        if (k == nullptr)
            return ERROR_FILE_NOT_FOUND;
        where.path.push_back(Folded(name));
    }
    *result = NewHandle(std::move(where));
    return ERROR_SUCCESS;
}

LONG SimRegistry::RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                                  HKEY* result, DWORD* disposition) {
    Record("RegCreateKeyExW", [&] {
        return HandleText(key) + ", " + TraceString(subKey) + ", " + std::to_string(options) +
               ", " + TraceHex(samDesired);
    });
    LONG error = ERROR_SUCCESS;
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (ShouldFail("RegCreateKeyExW", error))
        return error;
    OpenKey where;
    RegKey* k = Resolve(key, where, error);
    if (k == nullptr)
        return error;
    const auto names = SplitKeyPath(subKey ? subKey : u"");
    for (const auto& name : names)
        if (HasLineBreak(name))
            return ERROR_INVALID_PARAMETER;
    bool created = false;
    for (const auto& name : names) {
        k = &k->FindOrCreate(name, &created);
        where.path.push_back(Folded(name));
    }
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(std::move(where));
    return ERROR_SUCCESS;
}

LONG SimRegistry::RegQueryValueExW(HKEY key, const char16_t* valueName, DWORD* type, BYTE* data,
                                   DWORD* cbData) {
    Record("RegQueryValueExW", [&] {
        return HandleText(key) + ", " + TraceString(valueName) + ", " + (data ? "buffer" : "null") +
               ", " + (cbData ? std::to_string(*cbData) : "null");
    });
    LONG error = ERROR_SUCCESS;
    if (data != nullptr && cbData == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (ShouldFail("RegQueryValueExW", error))
        return error;
    OpenKey where;
    RegKey* k = Resolve(key, where, error);
    if (k == nullptr)
        return error;
    auto it = k->values.find(Folded(valueName ? valueName : u""));
    if (it == k->values.end())
        return ERROR_FILE_NOT_FOUND;
    const auto& v = it->second;
    const auto size = static_cast<DWORD>(v.data.size());
    if (type)
        *type = v.type;
    if (data != nullptr) {
        if (*cbData < size) {
            *cbData = size;
            return ERROR_MORE_DATA;
        }
        std::copy(v.data.begin(), v.data.end(), data);
    }
    if (cbData)
        *cbData = size;
    return ERROR_SUCCESS;
}

LONG SimRegistry::RegSetValueExW(HKEY key, const char16_t* valueName, DWORD type, const BYTE* data,
                                 DWORD cbData) {
    Record("RegSetValueExW", [&] {
        return HandleText(key) + ", " + TraceString(valueName) + ", " + TypeText(type) + ", " +
               DataText(type, data, cbData) + ", " + std::to_string(cbData);
    });
    LONG error = ERROR_SUCCESS;
    if (data == nullptr && cbData != 0)
        return ERROR_INVALID_PARAMETER;
    const std::u16string_view name = valueName ? valueName : u"";
    if (HasLineBreak(name))
        return ERROR_INVALID_PARAMETER;
    if (ShouldFail("RegSetValueExW", error))
        return error;
    OpenKey where;
    RegKey* k = Resolve(key, where, error);
    if (k == nullptr)
        return error;
    auto& slot = k->values[Folded(name)];
    if (slot.name.empty())
        slot.name = std::u16string(name);
    slot.type = type;
    slot.data.assign(data, data + cbData);
    return ERROR_SUCCESS;
}

LONG SimRegistry::RegCloseKey(HKEY key) {
    Record("RegCloseKey", [&] { return HandleText(key); });
    LONG error = ERROR_SUCCESS;
    if (ShouldFail("RegCloseKey", error))
        return error;
    if (Root(key) != nullptr)
        return ERROR_SUCCESS;  // the predefined keys stay open
    return handles_.erase(key.value) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

const RegKey* SimRegistry::FindKey(HKEY root, std::u16string_view path) const {
    const RegKey* k = Root(root);
    for (const auto& n : SplitKeyPath(path)) {
        if (k == nullptr)
            break;
        k = k->Find(n);
    }
    return k;
}

RegKey* SimRegistry::FindKey(HKEY root, std::u16string_view path) {
    return const_cast<RegKey*>(std::as_const(*this).FindKey(root, path));
}

RegKey& SimRegistry::CreateKeyPath(HKEY root, std::u16string_view path,
                                   std::u16string_view valueName) {
    RegKey* k = Root(root);
    if (k == nullptr)
        throw std::invalid_argument("SimRegistry: not a root key");
    const auto names = SplitKeyPath(path);
    for (const auto& n : names)
        if (HasLineBreak(n))
            throw std::invalid_argument("SimRegistry: line break in key name");
    if (HasLineBreak(valueName))
        throw std::invalid_argument("SimRegistry: line break in value name");
    for (const auto& n : names)
        k = &k->FindOrCreate(n);
    return *k;
}

void SimRegistry::SetValue(HKEY root, std::u16string_view path, std::u16string_view name,
                           DWORD type, std::vector<BYTE> data) {
    RegKey& k = CreateKeyPath(root, path, name);
    auto& slot = k.values[Folded(name)];
    if (slot.name.empty())
        slot.name = std::u16string(name);
    slot.type = type;
    slot.data = std::move(data);
}

void SimRegistry::SetDword(HKEY root, std::u16string_view path, std::u16string_view name,
                           DWORD value) {
    SetValue(root, path, name, REG_DWORD,
             {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
              static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)});
}

void SimRegistry::SetString(HKEY root, std::u16string_view path, std::u16string_view name,
                            std::u16string_view text) {
    SetValue(root, path, name, REG_SZ, RegSzData(text));
}

std::optional<SimRegistry::Value> SimRegistry::GetValue(HKEY root, std::u16string_view path,
                                                        std::u16string_view name) const {
    const RegKey* k = FindKey(root, path);
    if (k == nullptr)
        return std::nullopt;
    auto it = k->values.find(Folded(name));
    if (it == k->values.end())
        return std::nullopt;
    return Value{it->second.type, it->second.data};
}

bool SimRegistry::KeyExists(HKEY root, std::u16string_view path) const {
    return FindKey(root, path) != nullptr;
}

void SimRegistry::CreateKey(HKEY root, std::u16string_view path) {
    CreateKeyPath(root, path);
}

bool SimRegistry::DeleteValue(HKEY root, std::u16string_view path, std::u16string_view name) {
    RegKey* k = FindKey(root, path);
    return k != nullptr && k->values.erase(Folded(name)) > 0;
}

void SimRegistry::Clear() {
    trees_.currentUser = RegKey{};
    trees_.localMachine = RegKey{};
}

}  // namespace velk::sim
