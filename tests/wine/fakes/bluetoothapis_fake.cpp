// A bluetoothapis.dll of the test PC: one radio that can be connectable and discoverable
// while it is powered, and a log of every call.
#include <windows.h>

// After <windows.h>, which it needs.
#include <bluetoothapis.h>

#include "fake_pc.h"

namespace {

bool Powered() {
    return fakepc::Get(L"BtPresent") && fakepc::Get(L"BtPower") && !fakepc::Get(L"BtHeld");
}

// The radio handle the program is given: a real handle, so that closing it is checked.
struct Find {
    DWORD magic = 0xB7F1;
};

}  // namespace

extern "C" {

HBLUETOOTH_RADIO_FIND WINAPI BluetoothFindFirstRadio(BLUETOOTH_FIND_RADIO_PARAMS* params,
                                                     HANDLE* radio) {
    fakepc::Log("BluetoothFindFirstRadio");
    if (!params || !radio || params->dwSize != sizeof(BLUETOOTH_FIND_RADIO_PARAMS)) {
        ::SetLastError(ERROR_REVISION_MISMATCH);
        return nullptr;
    }
    if (!fakepc::Get(L"BtPresent")) {
        ::SetLastError(ERROR_NO_MORE_ITEMS);
        return nullptr;
    }
    *radio = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return reinterpret_cast<HBLUETOOTH_RADIO_FIND>(new Find);
}

BOOL WINAPI BluetoothFindNextRadio(HBLUETOOTH_RADIO_FIND, HANDLE*) {
    fakepc::Log("BluetoothFindNextRadio");
    ::SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
}

BOOL WINAPI BluetoothFindRadioClose(HBLUETOOTH_RADIO_FIND find) {
    fakepc::Log("BluetoothFindRadioClose");
    auto* f = reinterpret_cast<Find*>(find);
    if (!f || f->magic != 0xB7F1)
        return FALSE;
    f->magic = 0;
    delete f;
    return TRUE;
}

BOOL WINAPI BluetoothIsConnectable(HANDLE radio) {
    fakepc::Log("BluetoothIsConnectable %s", radio ? "radio" : "all");
    return Powered() && fakepc::Get(L"BtConnectable");
}

BOOL WINAPI BluetoothIsDiscoverable(HANDLE radio) {
    fakepc::Log("BluetoothIsDiscoverable %s", radio ? "radio" : "all");
    return Powered() && fakepc::Get(L"BtDiscoverable");
}

BOOL WINAPI BluetoothEnableIncomingConnections(HANDLE radio, BOOL enabled) {
    fakepc::Log("BluetoothEnableIncomingConnections %s %d", radio ? "radio" : "all", enabled);
    if (!Powered())
        return FALSE;
    fakepc::Set(L"BtConnectable", enabled ? 1 : 0);
    // A radio that takes no connections cannot be found either.
    if (!enabled)
        fakepc::Set(L"BtDiscoverable", 0);
    return TRUE;
}

BOOL WINAPI BluetoothEnableDiscovery(HANDLE radio, BOOL enabled) {
    fakepc::Log("BluetoothEnableDiscovery %s %d", radio ? "radio" : "all", enabled);
    if (!Powered() || (enabled && !fakepc::Get(L"BtConnectable")))
        return FALSE;
    fakepc::Set(L"BtDiscoverable", enabled ? 1 : 0);
    return TRUE;
}

}  // extern "C"
