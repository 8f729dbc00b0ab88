// The few Windows Runtime interfaces the desktop radio services use, declared here
// because the cross compiler's headers have no windows.devices.radios.h. Each is written
// from the documented binary interface: method order and identifiers must match it.
#pragma once

#include <cstdint>

#include "platform/win32/util.h"

#include <inspectable.h>

namespace velk::win32::winrt {

// HSTRING and the event token, without the runtime's headers.
using HString = struct HStringOpaque*;
struct EventToken {
    std::int64_t value;
};

enum class AsyncStatus : std::int32_t { Started = 0, Completed = 1, Canceled = 2, Error = 3 };
enum class RadioState : std::int32_t { Unknown = 0, On = 1, Off = 2, Disabled = 3 };
enum class RadioKind : std::int32_t {
    Other = 0,
    WiFi = 1,
    MobileBroadband = 2,
    Bluetooth = 3,
    FM = 4
};
enum class RadioAccessStatus : std::int32_t {
    Unspecified = 0,
    Allowed = 1,
    DeniedByUser = 2,
    DeniedBySystem = 3
};

// Windows.Foundation.IAsyncInfo {00000036-0000-0000-C000-000000000046}
struct IAsyncInfo : ::IInspectable {
    virtual ::HRESULT STDMETHODCALLTYPE get_Id(std::uint32_t* id) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE get_Status(AsyncStatus* status) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE get_ErrorCode(::HRESULT* error) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE Cancel() = 0;
    virtual ::HRESULT STDMETHODCALLTYPE Close() = 0;
};
inline constexpr ::GUID kIID_IAsyncInfo = {
    0x00000036, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Windows.Foundation.IAsyncOperation<T>: every instance has this shape; the program never
// asks for one by identifier (it receives them), nor sets a completion handler.
template <typename T>
struct IAsyncOperation : ::IInspectable {
    virtual ::HRESULT STDMETHODCALLTYPE put_Completed(::IUnknown* handler) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE get_Completed(::IUnknown** handler) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE GetResults(T* results) = 0;
};

// Windows.Foundation.Collections.IVectorView<T>, same shape for every T.
template <typename T>
struct IVectorView : ::IInspectable {
    virtual ::HRESULT STDMETHODCALLTYPE GetAt(std::uint32_t index, T* item) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE get_Size(std::uint32_t* size) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE IndexOf(T item, std::uint32_t* index, ::boolean* found) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE GetMany(std::uint32_t start, std::uint32_t capacity,
                                                T* items, std::uint32_t* actual) = 0;
};

// Windows.Devices.Radios.IRadio {252118DF-B33E-416A-875F-1CF38AE2D83E}
struct IRadio : ::IInspectable {
    virtual ::HRESULT STDMETHODCALLTYPE
    SetStateAsync(RadioState value, IAsyncOperation<RadioAccessStatus>** operation) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE add_StateChanged(::IUnknown* handler,
                                                         EventToken* token) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE remove_StateChanged(EventToken token) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE get_State(RadioState* value) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE get_Name(HString* value) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE get_Kind(RadioKind* value) = 0;
};
inline constexpr ::GUID kIID_IRadio = {
    0x252118DF, 0xB33E, 0x416A, {0x87, 0x5F, 0x1C, 0xF3, 0x8A, 0xE2, 0xD8, 0x3E}};

// Windows.Devices.Radios.IRadioStatics {5FB6A12E-67CB-46AE-AAE9-65919F86EFF4}, the
// activation factory's interface of the runtime class "Windows.Devices.Radios.Radio".
struct IRadioStatics : ::IInspectable {
    virtual ::HRESULT STDMETHODCALLTYPE
    GetRadiosAsync(IAsyncOperation<IVectorView<IRadio*>*>** operation) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE GetDeviceSelector(HString* selector) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE FromIdAsync(HString id,
                                                    IAsyncOperation<IRadio*>** operation) = 0;
    virtual ::HRESULT STDMETHODCALLTYPE
    RequestAccessAsync(IAsyncOperation<RadioAccessStatus>** operation) = 0;
};
inline constexpr ::GUID kIID_IRadioStatics = {
    0x5FB6A12E, 0x67CB, 0x46AE, {0xAA, 0xE9, 0x65, 0x91, 0x9F, 0x86, 0xEF, 0xF4}};

inline constexpr wchar_t kRadioClass[] = L"Windows.Devices.Radios.Radio";

// The runtime's entry points in combase.dll, looked up at run time.
enum class RoInitType : std::int32_t { SingleThreaded = 0, MultiThreaded = 1 };
using RoInitializeFn = ::HRESULT(WINAPI*)(RoInitType);
using RoUninitializeFn = void(WINAPI*)();
using RoGetActivationFactoryFn = ::HRESULT(WINAPI*)(HString, const ::GUID&, void**);
using WindowsCreateStringFn = ::HRESULT(WINAPI*)(const wchar_t*, std::uint32_t, HString*);
using WindowsDeleteStringFn = ::HRESULT(WINAPI*)(HString);

// Owns one interface pointer.
template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    explicit ComPtr(T* p) : p_(p) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = o.p_;
            o.p_ = nullptr;
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For an out parameter: releases what is held first.
    T** put() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }

  private:
    T* p_ = nullptr;
};

}  // namespace velk::win32::winrt
