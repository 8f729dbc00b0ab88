#include "platform/regfile/registry.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "platform/strings.h"

namespace velk::regfile {

namespace {

// Names go into a line-oriented text file; a line break inside one could not be saved.
bool HasLineBreak(std::u16string_view s) {
    return s.find(u'\n') != std::u16string_view::npos || s.find(u'\r') != std::u16string_view::npos;
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

FileRegistry::FileRegistry() = default;

FileRegistry::~FileRegistry() = default;

RegKey* FileRegistry::Root(HKEY root) {
    if (root == HKEY_CURRENT_USER)
        return &trees_.currentUser;
    if (root == HKEY_LOCAL_MACHINE)
        return &trees_.localMachine;
    return nullptr;
}

const RegKey* FileRegistry::Root(HKEY root) const {
    return const_cast<FileRegistry*>(this)->Root(root);
}

RegKey* FileRegistry::Resolve(HKEY key, OpenKey& where, LONG& error) {
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

HKEY FileRegistry::NewHandle(OpenKey where) {
    const std::uintptr_t v = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(v, std::move(where));
    return HKEY{v};
}

void FileRegistry::FailNext(std::string operation, LONG error, int count) {
    failures_[std::move(operation)] = {error, count};
}

RegKey* FileRegistry::Enter(const char* operation, HKEY key, OpenKey& where, LONG& error) {
    if (ShouldFail(operation, error))
        return nullptr;
    return Resolve(key, where, error);
}

bool FileRegistry::ShouldFail(const char* operation, LONG& error) {
    auto it = failures_.find(std::string_view(operation));
    if (it == failures_.end() || it->second.second <= 0)
        return false;
    error = it->second.first;
    if (--it->second.second == 0)
        failures_.erase(it);
    return true;
}

LONG FileRegistry::RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD, DWORD, HKEY* result) {
    LONG error = ERROR_SUCCESS;
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    OpenKey where;
    RegKey* k = Enter("RegOpenKeyExW", key, where, error);
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

LONG FileRegistry::RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD, DWORD, HKEY* result,
                                   DWORD* disposition) {
    LONG error = ERROR_SUCCESS;
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    OpenKey where;
    RegKey* k = Enter("RegCreateKeyExW", key, where, error);
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

LONG FileRegistry::RegQueryValueExW(HKEY key, const char16_t* valueName, DWORD* type, BYTE* data,
                                    DWORD* cbData) {
    LONG error = ERROR_SUCCESS;
    if (data != nullptr && cbData == nullptr)
        return ERROR_INVALID_PARAMETER;
    OpenKey where;
    RegKey* k = Enter("RegQueryValueExW", key, where, error);
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

LONG FileRegistry::RegSetValueExW(HKEY key, const char16_t* valueName, DWORD type, const BYTE* data,
                                  DWORD cbData) {
    LONG error = ERROR_SUCCESS;
    if (data == nullptr && cbData != 0)
        return ERROR_INVALID_PARAMETER;
    const std::u16string_view name = valueName ? valueName : u"";
    if (HasLineBreak(name))
        return ERROR_INVALID_PARAMETER;
    OpenKey where;
    RegKey* k = Enter("RegSetValueExW", key, where, error);
    if (k == nullptr)
        return error;
    auto& slot = k->values[Folded(name)];
    if (slot.name.empty())
        slot.name = std::u16string(name);
    slot.type = type;
    slot.data.assign(data, data + cbData);
    return ERROR_SUCCESS;
}

LONG FileRegistry::RegCloseKey(HKEY key) {
    LONG error = ERROR_SUCCESS;
    if (ShouldFail("RegCloseKey", error))
        return error;
    if (Root(key) != nullptr)
        return ERROR_SUCCESS;  // the predefined keys stay open
    return handles_.erase(key.value) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

const RegKey* FileRegistry::FindKey(HKEY root, std::u16string_view path) const {
    const RegKey* k = Root(root);
    for (const auto& n : SplitKeyPath(path)) {
        if (k == nullptr)
            break;
        k = k->Find(n);
    }
    return k;
}

RegKey* FileRegistry::FindKey(HKEY root, std::u16string_view path) {
    return const_cast<RegKey*>(std::as_const(*this).FindKey(root, path));
}

RegKey& FileRegistry::CreateKeyPath(HKEY root, std::u16string_view path,
                                    std::u16string_view valueName) {
    RegKey* k = Root(root);
    if (k == nullptr)
        throw std::invalid_argument("FileRegistry: not a root key");
    const auto names = SplitKeyPath(path);
    for (const auto& n : names)
        if (HasLineBreak(n))
            throw std::invalid_argument("FileRegistry: line break in key name");
    if (HasLineBreak(valueName))
        throw std::invalid_argument("FileRegistry: line break in value name");
    for (const auto& n : names)
        k = &k->FindOrCreate(n);
    return *k;
}

void FileRegistry::SetValue(HKEY root, std::u16string_view path, std::u16string_view name,
                            DWORD type, std::vector<BYTE> data) {
    RegKey& k = CreateKeyPath(root, path, name);
    auto& slot = k.values[Folded(name)];
    if (slot.name.empty())
        slot.name = std::u16string(name);
    slot.type = type;
    slot.data = std::move(data);
}

void FileRegistry::SetDword(HKEY root, std::u16string_view path, std::u16string_view name,
                            DWORD value) {
    SetValue(root, path, name, REG_DWORD,
             {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
              static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)});
}

void FileRegistry::SetString(HKEY root, std::u16string_view path, std::u16string_view name,
                             std::u16string_view text) {
    SetValue(root, path, name, REG_SZ, RegSzData(text));
}

std::optional<FileRegistry::Value> FileRegistry::GetValue(HKEY root, std::u16string_view path,
                                                          std::u16string_view name) const {
    const RegKey* k = FindKey(root, path);
    if (k == nullptr)
        return std::nullopt;
    auto it = k->values.find(Folded(name));
    if (it == k->values.end())
        return std::nullopt;
    return Value{it->second.type, it->second.data};
}

bool FileRegistry::KeyExists(HKEY root, std::u16string_view path) const {
    return FindKey(root, path) != nullptr;
}

void FileRegistry::CreateKey(HKEY root, std::u16string_view path) {
    CreateKeyPath(root, path);
}

bool FileRegistry::DeleteValue(HKEY root, std::u16string_view path, std::u16string_view name) {
    RegKey* k = FindKey(root, path);
    return k != nullptr && k->values.erase(Folded(name)) > 0;
}

void FileRegistry::Clear() {
    trees_.currentUser = RegKey{};
    trees_.localMachine = RegKey{};
}

}  // namespace velk::regfile
