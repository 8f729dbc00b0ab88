#include "device_fixture.h"

#include <cstring>
#include <cwchar>

namespace velk::wintest {

namespace {
constexpr wchar_t kStateKey[] = L"Software\\VelkTestDevice";
}  // namespace

std::wstring SystemDirectory() {
    wchar_t path[MAX_PATH];
    const ::UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
    return std::wstring(path, n) + L"\\";
}

std::wstring DeviceLibraryDirectory() {
    return TestDirectory() + L"device\\";
}

namespace device {

void Reset(const std::wstring& log) {
    reg::DeleteTree(reg::Root::CurrentUser, kStateKey);
    ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, kStateKey, L"Log", REG_SZ, log.c_str(),
                              static_cast<::DWORD>((log.size() + 1) * sizeof(wchar_t))));
}

void Set(const std::wstring& name, ::DWORD value) {
    ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, kStateKey, name, REG_DWORD, &value, 4));
}

bool Get(const std::wstring& name, ::DWORD* value) {
    ::DWORD type = 0;
    std::vector<BYTE> data;
    if (!reg::GetValue(reg::Root::CurrentUser, kStateKey, name, &type, &data) || data.size() != 4)
        return false;
    std::memcpy(value, data.data(), 4);
    return true;
}

}  // namespace device

void OnTheDevice::SetUp() {
    ProgramTest::SetUp();
    device::Reset(log_.Path());
    for (const wchar_t* name : kDeviceLibraries) {
        const std::wstring target = SystemDirectory() + name;
        ASSERT_TRUE(::CopyFileW((DeviceLibraryDirectory() + name).c_str(), target.c_str(), FALSE))
            << "cannot install " << std::string(name, name + std::wcslen(name));
        installed_.push_back(target);
    }
}

void OnTheDevice::TearDown() {
    for (const std::wstring& path : installed_)
        EXPECT_TRUE(::DeleteFileW(path.c_str()));
    installed_.clear();
    reg::DeleteTree(reg::Root::CurrentUser, kStateKey);
    ProgramTest::TearDown();
}

std::vector<std::string> OnTheDevice::Calls(const std::vector<std::string>& prefixes) const {
    std::vector<std::string> calls;
    for (const std::string& line : log_.Lines()) {
        for (const std::string& prefix : prefixes) {
            if (line.compare(0, prefix.size(), prefix) == 0) {
                calls.push_back(line);
                break;
            }
        }
    }
    return calls;
}

}  // namespace velk::wintest
