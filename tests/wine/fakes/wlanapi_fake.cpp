// A wlanapi.dll of the test PC: one WiFi adapter whose PHYs have a software and a
// hardware radio state, and a log of every call.
#include <windows.h>
#include <wlanapi.h>

#include <cstring>

#include "fake_pc.h"

namespace {

const HANDLE kClient = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x57A9));

const char* OnOff(DOT11_RADIO_STATE s) {
    return s == dot11_radio_state_on ? "on" : s == dot11_radio_state_off ? "off" : "unknown";
}

DOT11_RADIO_STATE Bit(const wchar_t* name, DWORD phy) {
    return (fakepc::Get(name) >> phy) & 1 ? dot11_radio_state_on : dot11_radio_state_off;
}

}  // namespace

extern "C" {

DWORD WINAPI WlanOpenHandle(DWORD version, PVOID reserved, PDWORD negotiated, PHANDLE client) {
    fakepc::Log("WlanOpenHandle %lu", version);
    if (reserved || !negotiated || !client || version == 0)
        return ERROR_INVALID_PARAMETER;
    *negotiated = 2;
    *client = kClient;
    return ERROR_SUCCESS;
}

DWORD WINAPI WlanCloseHandle(HANDLE client, PVOID reserved) {
    fakepc::Log("WlanCloseHandle");
    return client == kClient && !reserved ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

VOID WINAPI WlanFreeMemory(PVOID memory) {
    if (memory)
        ::HeapFree(::GetProcessHeap(), 0, memory);
}

DWORD WINAPI WlanEnumInterfaces(HANDLE client, PVOID reserved, PWLAN_INTERFACE_INFO_LIST* list) {
    fakepc::Log("WlanEnumInterfaces");
    if (client != kClient)
        return ERROR_INVALID_HANDLE;
    if (reserved || !list)
        return ERROR_INVALID_PARAMETER;
    const DWORD count = fakepc::Get(L"WifiPhys") ? 1 : 0;
    // The list ends in an array of as many entries as it has.
    auto* out = static_cast<PWLAN_INTERFACE_INFO_LIST>(
        ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY,
                    sizeof(WLAN_INTERFACE_INFO_LIST) + count * sizeof(WLAN_INTERFACE_INFO)));
    if (!out)
        return ERROR_NOT_ENOUGH_MEMORY;
    out->dwNumberOfItems = count;
    if (count) {
        out->InterfaceInfo[0].InterfaceGuid = fakepc::kWifiInterface;
        std::wcscpy(out->InterfaceInfo[0].strInterfaceDescription, L"Test WiFi adapter");
        out->InterfaceInfo[0].isState = wlan_interface_state_disconnected;
    }
    *list = out;
    return ERROR_SUCCESS;
}

DWORD WINAPI WlanQueryInterface(HANDLE client, const GUID* guid, WLAN_INTF_OPCODE opcode,
                                PVOID reserved, PDWORD size, PVOID* data,
                                PWLAN_OPCODE_VALUE_TYPE type) {
    fakepc::Log("WlanQueryInterface %d", static_cast<int>(opcode));
    if (client != kClient)
        return ERROR_INVALID_HANDLE;
    if (reserved || !guid || !size || !data)
        return ERROR_INVALID_PARAMETER;
    const DWORD phys = fakepc::Get(L"WifiPhys");
    if (!phys || *guid != fakepc::kWifiInterface)
        return ERROR_NOT_FOUND;
    if (opcode != wlan_intf_opcode_radio_state)
        return ERROR_NOT_SUPPORTED;
    auto* state = static_cast<PWLAN_RADIO_STATE>(
        ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(WLAN_RADIO_STATE)));
    if (!state)
        return ERROR_NOT_ENOUGH_MEMORY;
    state->dwNumberOfPhys = phys;
    for (DWORD p = 0; p < phys && p < WLAN_MAX_PHY_INDEX; ++p) {
        state->PhyRadioState[p].dwPhyIndex = p;
        state->PhyRadioState[p].dot11SoftwareRadioState = Bit(L"WifiSoftware", p);
        state->PhyRadioState[p].dot11HardwareRadioState = Bit(L"WifiHardware", p);
    }
    *size = sizeof(WLAN_RADIO_STATE);
    *data = state;
    if (type)
        *type = wlan_opcode_value_type_query_only;
    return ERROR_SUCCESS;
}

DWORD WINAPI WlanSetInterface(HANDLE client, const GUID* guid, WLAN_INTF_OPCODE opcode, DWORD size,
                              const PVOID data, PVOID reserved) {
    const auto* wanted = static_cast<const WLAN_PHY_RADIO_STATE*>(data);
    if (wanted && size == sizeof(WLAN_PHY_RADIO_STATE))
        fakepc::Log("WlanSetInterface %d phy %lu software %s", static_cast<int>(opcode),
                    wanted->dwPhyIndex, OnOff(wanted->dot11SoftwareRadioState));
    else
        fakepc::Log("WlanSetInterface %d size %lu", static_cast<int>(opcode), size);
    if (client != kClient)
        return ERROR_INVALID_HANDLE;
    if (reserved || !guid || !wanted || size != sizeof(WLAN_PHY_RADIO_STATE) ||
        opcode != wlan_intf_opcode_radio_state)
        return ERROR_INVALID_PARAMETER;
    if (*guid != fakepc::kWifiInterface || wanted->dwPhyIndex >= fakepc::Get(L"WifiPhys"))
        return ERROR_NOT_FOUND;
    if (const DWORD error = fakepc::Get(L"WlanSetError"))
        return error;
    fakepc::SetBit(L"WifiSoftware", wanted->dwPhyIndex,
                   wanted->dot11SoftwareRadioState == dot11_radio_state_on);
    return ERROR_SUCCESS;
}

}  // extern "C"
