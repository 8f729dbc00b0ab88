#include "platform/win32/desktop_bluetooth.h"

namespace velk::win32 {
namespace {

constexpr DWORD kOff = 0;
constexpr DWORD kConnectable = 1;
constexpr DWORD kDiscoverable = 2;

INT Code(::DWORD error) {
    return static_cast<INT>(error);
}

}  // namespace

INT DesktopBluetooth::BthGetMode(DWORD* mode) {
    if (!mode)
        return Code(ERROR_INVALID_PARAMETER);
    switch (radios_.Power(RadioKind::Bluetooth)) {
        case RadioPower::On:
            // A powered radio counts as on even when it takes no connections.
            *mode = Load() && isDiscoverable_(nullptr) ? kDiscoverable : kConnectable;
            return 0;
        case RadioPower::Off:
        case RadioPower::HeldOff:
            *mode = kOff;
            return 0;
        case RadioPower::Unknown:
            break;
    }
    if (!Load())
        return Code(ERROR_CALL_NOT_IMPLEMENTED);
    if (!RadioPresent())
        return Code(ERROR_DEV_NOT_EXIST);
    *mode = isDiscoverable_(nullptr)  ? kDiscoverable
            : isConnectable_(nullptr) ? kConnectable
                                      : kOff;
    return 0;
}

INT DesktopBluetooth::BthSetMode(DWORD mode) {
    if (mode > kDiscoverable)
        return Code(ERROR_INVALID_PARAMETER);
    const RadioPower power = radios_.Power(RadioKind::Bluetooth);
    if (power != RadioPower::Unknown) {
        if (mode == kOff)
            return Code(radios_.SetPower(RadioKind::Bluetooth, false));
        // Off by its switch or by the system: left as it is.
        if (power == RadioPower::HeldOff)
            return Code(ERROR_NOT_READY);
        if (const ::DWORD rc = radios_.SetPower(RadioKind::Bluetooth, true))
            return Code(rc);
        return Load() ? Visibility(mode) : 0;
    }
    if (!Load())
        return Code(ERROR_CALL_NOT_IMPLEMENTED);
    if (!RadioPresent())
        return Code(ERROR_DEV_NOT_EXIST);
    return Visibility(mode);
}

INT DesktopBluetooth::Visibility(DWORD mode) {
    const bool connectable = mode >= kConnectable;
    const bool discoverable = mode == kDiscoverable;
    bool ok = true;
    // A discoverable radio must take connections: discovery goes first when lowering,
    // connections first when raising.
    if (!discoverable && isDiscoverable_(nullptr))
        ok = enableDiscovery_(nullptr, FALSE) && ok;
    if (connectable != (isConnectable_(nullptr) != FALSE))
        ok = enableIncoming_(nullptr, connectable ? TRUE : FALSE) && ok;
    if (discoverable && !isDiscoverable_(nullptr))
        ok = enableDiscovery_(nullptr, TRUE) && ok;
    return ok ? 0 : Code(ERROR_GEN_FAILURE);
}

bool DesktopBluetooth::Load() {
    if (!loadTried_) {
        loadTried_ = true;
        // Newer systems have the API in its own library; older ones only in the control
        // panel's.
        for (const wchar_t* name : {L"bluetoothapis.dll", L"bthprops.cpl"}) {
            library_ = LoadRadioLibrary(name);
            findFirstRadio_ = FindFunction<FindFirstRadioFn>(library_, "BluetoothFindFirstRadio");
            findRadioClose_ = FindFunction<FindRadioCloseFn>(library_, "BluetoothFindRadioClose");
            isConnectable_ = FindFunction<IsStateFn>(library_, "BluetoothIsConnectable");
            isDiscoverable_ = FindFunction<IsStateFn>(library_, "BluetoothIsDiscoverable");
            enableIncoming_ =
                FindFunction<EnableFn>(library_, "BluetoothEnableIncomingConnections");
            enableDiscovery_ = FindFunction<EnableFn>(library_, "BluetoothEnableDiscovery");
            if (findFirstRadio_ && findRadioClose_ && isConnectable_ && isDiscoverable_ &&
                enableIncoming_ && enableDiscovery_)
                break;
            library_.reset();
        }
    }
    return static_cast<bool>(library_);
}

bool DesktopBluetooth::RadioPresent() {
    const FindParams params{sizeof(FindParams)};
    ::HANDLE radio = nullptr;
    const ::HANDLE find = findFirstRadio_(&params, &radio);
    if (!find)
        return false;
    UniqueHandle owned(radio);
    findRadioClose_(find);
    return static_cast<bool>(owned);
}

}  // namespace velk::win32
