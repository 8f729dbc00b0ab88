#include "process_objects.h"

#include <winternl.h>

#include <vector>

namespace velk::wintest {
namespace {

// The system's handle list (its extended form), as NtQuerySystemInformation gives it.
constexpr ULONG kSystemExtendedHandleInformation = 64;
struct HandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT creatorBackTrace;
    USHORT typeIndex;
    ULONG attributes;
    ULONG reserved;
};
struct HandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

::DWORD HandlesInSystemList(::DWORD pid) {
    std::vector<unsigned char> buffer(1 << 20);
    for (int tries = 0; tries < 8; ++tries) {
        ULONG needed = 0;
        const NTSTATUS status = ::NtQuerySystemInformation(
            static_cast<SYSTEM_INFORMATION_CLASS>(kSystemExtendedHandleInformation), buffer.data(),
            static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
            ::DWORD n = 0;
            for (ULONG_PTR i = 0; i < list->count; ++i)
                n += list->entries[i].processId == pid ? 1 : 0;
            return n;
        }
        buffer.resize(buffer.size() * 2);
    }
    return 0;
}

// One cell of a process's GDI handle table, which its environment block points to.
struct GdiCell {
    unsigned long long object;
    USHORT processId;
    USHORT lock;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    unsigned long long user;
};
static_assert(sizeof(GdiCell) == 24);
constexpr std::size_t kGdiCells = 0x10000;
constexpr std::size_t kPebGdiTableOffset = 0xF8;  // GdiSharedHandleTable in a 64-bit PEB

::DWORD GdiObjectsInTable(::HANDLE process, ::DWORD pid) {
    PROCESS_BASIC_INFORMATION info{};
    if (::NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof(info),
                                    nullptr) != 0) {
        return 0;
    }
    unsigned long long table = 0;
    SIZE_T got = 0;
    if (!::ReadProcessMemory(
            process, reinterpret_cast<const BYTE*>(info.PebBaseAddress) + kPebGdiTableOffset,
            &table, sizeof(table), &got) ||
        table == 0) {
        return 0;
    }
    std::vector<GdiCell> cells(kGdiCells);
    if (!::ReadProcessMemory(process, reinterpret_cast<const void*>(table), cells.data(),
                             cells.size() * sizeof(GdiCell), &got)) {
        return 0;
    }
    ::DWORD n = 0;
    for (std::size_t i = 0; i < got / sizeof(GdiCell); ++i) {
        const GdiCell& cell = cells[i];
        if (cell.type != 0 && (cell.processId == 0 || cell.processId == (pid & 0xFFFF)))
            ++n;
    }
    return n;
}

struct WindowCount {
    ::DWORD pid;
    ::DWORD count;
};

BOOL CALLBACK CountIfOwned(::HWND hwnd, ::LPARAM lParam) {
    auto* c = reinterpret_cast<WindowCount*>(lParam);
    ::DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner == c->pid)
        ++c->count;
    return TRUE;
}

BOOL CALLBACK CountTree(::HWND hwnd, ::LPARAM lParam) {
    CountIfOwned(hwnd, lParam);
    ::EnumChildWindows(hwnd, &CountIfOwned, lParam);
    return TRUE;
}

::DWORD WindowsOf(::DWORD pid) {
    WindowCount c{pid, 0};
    ::EnumWindows(&CountTree, reinterpret_cast<::LPARAM>(&c));
    const auto messageOnly = reinterpret_cast<::HWND>(static_cast<::LONG_PTR>(-3));
    for (::HWND h = ::FindWindowExW(messageOnly, nullptr, nullptr, nullptr); h;
         h = ::FindWindowExW(messageOnly, h, nullptr, nullptr)) {
        CountTree(h, reinterpret_cast<::LPARAM>(&c));
    }
    return c.count;
}

}  // namespace

ObjectCounts CountObjects(::DWORD pid) {
    ObjectCounts counts;
    win32::UniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process)
        return counts;
    ::DWORD handles = 0;
    if (::GetProcessHandleCount(process.get(), &handles) && handles != 0)
        counts.handles = handles;
    else
        counts.handles = HandlesInSystemList(pid);
    counts.gdi = ::GetGuiResources(process.get(), GR_GDIOBJECTS);
    if (counts.gdi == 0)
        counts.gdi = GdiObjectsInTable(process.get(), pid);
    counts.user = ::GetGuiResources(process.get(), GR_USEROBJECTS);
    if (counts.user == 0)
        counts.user = WindowsOf(pid);
    return counts;
}

std::string Describe(const ObjectCounts& counts) {
    return "handles " + std::to_string(counts.handles) + ", GDI " + std::to_string(counts.gdi) +
           ", USER " + std::to_string(counts.user);
}

}  // namespace velk::wintest
