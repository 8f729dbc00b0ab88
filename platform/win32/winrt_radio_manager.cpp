#include <atomic>
#include <cwchar>

#include "platform/win32/radio_manager.h"

namespace velk::win32 {
namespace {

::ULONGLONG SystemClock() {
    return ::GetTickCount64();
}

// How much longer than the bound the window thread waits, so that the radio thread's own
// answer after it gave up an operation at the bound (and cancelled it) still arrives.
constexpr ::ULONGLONG kAnswerSlackMs = 100;

std::optional<RadioKind> KindOf(winrt::RadioKind kind) {
    switch (kind) {
        case winrt::RadioKind::WiFi:
            return RadioKind::WiFi;
        case winrt::RadioKind::Bluetooth:
            return RadioKind::Bluetooth;
        default:
            return std::nullopt;
    }
}

class Guard {
  public:
    explicit Guard(::SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~Guard() { ::ReleaseSRWLockExclusive(&lock_); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

  private:
    ::SRWLOCK& lock_;
};

enum class Outcome { Done, TimedOut, Failed };

}  // namespace

// The runtime and its objects, on the radio thread. Nothing is loaded until the first
// question; the radios are looked up once, and again after a failure.
class WinRtRadioManager::Runtime {
  public:
    explicit Runtime(Clock clock) : clock_(clock) {}
    ~Runtime() {
        access_.reset();
        radios_.clear();
        statics_.reset();
        if (initialized_ && roUninitialize_)
            roUninitialize_();
    }
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    Answer Serve(const Request& r) {
        if (r.set)
            return {RadioPower::Unknown, SetPower(r.kind, r.on, r.deadline)};
        return {Power(r.kind, r.deadline), ERROR_SUCCESS};
    }

  private:
    struct KnownRadio {
        winrt::ComPtr<winrt::IRadio> radio;
        RadioKind kind;
    };
    enum class Access { Unasked, Allowed, Refused };

    RadioPower Power(RadioKind kind, ::ULONGLONG deadline);
    ::DWORD SetPower(RadioKind kind, bool on, ::ULONGLONG deadline);
    bool Ready(::ULONGLONG deadline);
    bool Activate();
    bool LookUp(::ULONGLONG deadline);
    // False when the switch should not be tried now: the question of access is open.
    bool SettleAccess(::ULONGLONG deadline);
    void Forget() {
        radios_.clear();
        lookedUp_ = false;
    }
    // Waits for an operation until the deadline; one that did not finish is cancelled
    // when asked for, else left running.
    Outcome Wait(::IInspectable* operation, ::ULONGLONG deadline, bool cancel);
    std::vector<winrt::IRadio*> Radios(RadioKind kind) const;

    Clock clock_;
    UniqueLibrary combase_;
    winrt::RoUninitializeFn roUninitialize_ = nullptr;
    bool tried_ = false;        // the runtime was looked for
    bool available_ = false;    // ... and its radio factory found
    bool initialized_ = false;  // this thread's apartment was joined here
    ::ULONGLONG lookupRestUntil_ = 0;
    ::ULONGLONG switchRestUntil_ = 0;
    winrt::ComPtr<winrt::IRadioStatics> statics_;
    std::vector<KnownRadio> radios_;
    bool lookedUp_ = false;
    Access accessState_ = Access::Unasked;
    ::ULONGLONG accessAskedAt_ = 0;
    winrt::ComPtr<winrt::IAsyncOperation<winrt::RadioAccessStatus>> access_;  // unanswered
};

RadioPower WinRtRadioManager::Runtime::Power(RadioKind kind, ::ULONGLONG deadline) {
    if (!Ready(deadline))
        return RadioPower::Unknown;
    bool any = false, on = false, switchable = false;
    for (winrt::IRadio* radio : Radios(kind)) {
        winrt::RadioState state = winrt::RadioState::Unknown;
        if (FAILED(radio->get_State(&state))) {
            Forget();
            return RadioPower::Unknown;
        }
        any = true;
        on = on || state == winrt::RadioState::On;
        switchable = switchable || state == winrt::RadioState::Off;
    }
    if (!any)
        return RadioPower::Unknown;
    return on ? RadioPower::On : switchable ? RadioPower::Off : RadioPower::HeldOff;
}

::DWORD WinRtRadioManager::Runtime::SetPower(RadioKind kind, bool on, ::ULONGLONG deadline) {
    if (!Ready(deadline))
        return ERROR_DEV_NOT_EXIST;
    const std::vector<winrt::IRadio*> radios = Radios(kind);
    if (radios.empty())
        return ERROR_DEV_NOT_EXIST;
    const winrt::RadioState target = on ? winrt::RadioState::On : winrt::RadioState::Off;
    bool switchable = false;
    ::DWORD rc = ERROR_SUCCESS;
    for (winrt::IRadio* radio : radios) {
        winrt::RadioState state = winrt::RadioState::Unknown;
        if (FAILED(radio->get_State(&state))) {
            Forget();
            return ERROR_GEN_FAILURE;
        }
        // A radio off by its switch or by the system (flight mode) is left as it is.
        if (state != winrt::RadioState::On && state != winrt::RadioState::Off)
            continue;
        switchable = true;
        if (state == target)
            continue;
        if (clock_() < switchRestUntil_ || !SettleAccess(deadline))
            return ERROR_TIMEOUT;
        winrt::ComPtr<winrt::IAsyncOperation<winrt::RadioAccessStatus>> operation;
        if (FAILED(radio->SetStateAsync(target, operation.put())) || !operation) {
            Forget();
            return ERROR_GEN_FAILURE;
        }
        switch (Wait(operation.get(), deadline, true)) {
            case Outcome::Done:
                break;
            case Outcome::TimedOut:
                // It may still happen: the next question reads the radio's state again.
                switchRestUntil_ = clock_() + kRestMs;
                return ERROR_TIMEOUT;
            case Outcome::Failed:
                Forget();
                return ERROR_GEN_FAILURE;
        }
        winrt::RadioAccessStatus status = winrt::RadioAccessStatus::Unspecified;
        if (FAILED(operation->GetResults(&status)))
            return ERROR_GEN_FAILURE;
        // Each switch's answer says again whether access is granted.
        if (status == winrt::RadioAccessStatus::Allowed) {
            accessState_ = Access::Allowed;
        } else {
            accessState_ = Access::Refused;
            rc = ERROR_ACCESS_DENIED;
        }
    }
    if (rc != ERROR_SUCCESS)
        return rc;
    // Switching on radios that are all held off fails; they are off as asked otherwise.
    return switchable || !on ? ERROR_SUCCESS : ERROR_NOT_READY;
}

bool WinRtRadioManager::Runtime::SettleAccess(::ULONGLONG deadline) {
    if (accessState_ == Access::Allowed)
        return true;
    const ::ULONGLONG now = clock_();
    const bool due = accessState_ == Access::Unasked || now - accessAskedAt_ >= kAccessRetryMs;
    bool waitForAnswer = false;
    if (access_ && due) {
        // Asked a minute ago and never answered: the question is put anew.
        winrt::ComPtr<winrt::IAsyncInfo> info;
        if (SUCCEEDED(access_->QueryInterface(winrt::kIID_IAsyncInfo,
                                              reinterpret_cast<void**>(info.put()))) &&
            info)
            info->Cancel();
        access_.reset();
    }
    if (!access_ && due) {
        accessAskedAt_ = now;
        accessState_ = Access::Refused;  // until an answer says otherwise
        if (FAILED(statics_->RequestAccessAsync(access_.put())) || !access_) {
            access_.reset();
            return true;  // the switch itself will tell
        }
        waitForAnswer = true;
    }
    if (!access_)
        return true;
    // A question asked earlier and still open is only looked at: the user may be
    // answering it, and each tick would otherwise wait a bound.
    switch (Wait(access_.get(), waitForAnswer ? deadline : 0, false)) {
        case Outcome::TimedOut:
            return false;
        case Outcome::Failed:
            access_.reset();
            return true;
        case Outcome::Done:
            break;
    }
    winrt::RadioAccessStatus status = winrt::RadioAccessStatus::Unspecified;
    if (SUCCEEDED(access_->GetResults(&status)) && status == winrt::RadioAccessStatus::Allowed)
        accessState_ = Access::Allowed;
    access_.reset();
    return true;
}

bool WinRtRadioManager::Runtime::Ready(::ULONGLONG deadline) {
    if (clock_() < lookupRestUntil_)
        return false;
    if (!tried_) {
        tried_ = true;
        available_ = Activate();
    }
    if (!available_)
        return false;
    if (!lookedUp_ && !LookUp(deadline)) {
        Forget();
        return false;
    }
    return true;
}

bool WinRtRadioManager::Runtime::Activate() {
    combase_ = LoadSystemLibrary(L"combase.dll");
    // The runtime keeps the thread's apartment and the objects it handed out: once used it
    // stays loaded for the process's life, like a library the program links.
    ::HMODULE pinned = nullptr;
    if (combase_)
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"combase.dll", &pinned);
    const auto roInitialize = FindFunction<winrt::RoInitializeFn>(combase_, "RoInitialize");
    roUninitialize_ = FindFunction<winrt::RoUninitializeFn>(combase_, "RoUninitialize");
    const auto getFactory =
        FindFunction<winrt::RoGetActivationFactoryFn>(combase_, "RoGetActivationFactory");
    const auto createString =
        FindFunction<winrt::WindowsCreateStringFn>(combase_, "WindowsCreateString");
    const auto deleteString =
        FindFunction<winrt::WindowsDeleteStringFn>(combase_, "WindowsDeleteString");
    if (!roInitialize || !roUninitialize_ || !getFactory || !createString || !deleteString) {
        combase_.reset();
        return false;
    }
    // The radio thread is the program's own: it joins the multithreaded apartment for its
    // whole life.
    if (FAILED(roInitialize(winrt::RoInitType::MultiThreaded)))
        return false;
    initialized_ = true;
    winrt::HString name = nullptr;
    if (FAILED(createString(winrt::kRadioClass,
                            static_cast<std::uint32_t>(std::wcslen(winrt::kRadioClass)), &name)))
        return false;
    const ::HRESULT hr =
        getFactory(name, winrt::kIID_IRadioStatics, reinterpret_cast<void**>(statics_.put()));
    deleteString(name);
    return SUCCEEDED(hr) && statics_;
}

bool WinRtRadioManager::Runtime::LookUp(::ULONGLONG deadline) {
    winrt::ComPtr<winrt::IAsyncOperation<winrt::IVectorView<winrt::IRadio*>*>> operation;
    if (FAILED(statics_->GetRadiosAsync(operation.put())) || !operation)
        return false;
    const Outcome outcome = Wait(operation.get(), deadline, true);
    if (outcome == Outcome::TimedOut)
        lookupRestUntil_ = clock_() + kRestMs;
    if (outcome != Outcome::Done)
        return false;
    winrt::ComPtr<winrt::IVectorView<winrt::IRadio*>> list;
    if (FAILED(operation->GetResults(list.put())) || !list)
        return false;
    std::uint32_t size = 0;
    if (FAILED(list->get_Size(&size)))
        return false;
    radios_.clear();
    for (std::uint32_t i = 0; i < size; ++i) {
        winrt::ComPtr<winrt::IRadio> radio;
        winrt::RadioKind kind = winrt::RadioKind::Other;
        if (FAILED(list->GetAt(i, radio.put())) || !radio || FAILED(radio->get_Kind(&kind)))
            return false;
        if (const auto known = KindOf(kind))
            radios_.push_back({std::move(radio), *known});
    }
    lookedUp_ = true;
    return true;
}

Outcome WinRtRadioManager::Runtime::Wait(::IInspectable* operation, ::ULONGLONG deadline,
                                         bool cancel) {
    winrt::ComPtr<winrt::IAsyncInfo> info;
    if (FAILED(operation->QueryInterface(winrt::kIID_IAsyncInfo,
                                         reinterpret_cast<void**>(info.put()))) ||
        !info)
        return Outcome::Failed;
    // Polled: the program never sets a completion handler, whose interface identifiers
    // differ for every result type.
    for (;;) {
        winrt::AsyncStatus status = winrt::AsyncStatus::Error;
        if (FAILED(info->get_Status(&status)))
            return Outcome::Failed;
        if (status == winrt::AsyncStatus::Completed)
            return Outcome::Done;
        if (status != winrt::AsyncStatus::Started)
            return Outcome::Failed;
        if (clock_() >= deadline) {
            if (cancel)
                info->Cancel();
            return Outcome::TimedOut;
        }
        ::Sleep(1);
    }
}

std::vector<winrt::IRadio*> WinRtRadioManager::Runtime::Radios(RadioKind kind) const {
    std::vector<winrt::IRadio*> out;
    for (const KnownRadio& radio : radios_)
        if (radio.kind == kind)
            out.push_back(radio.radio.get());
    return out;
}

// --- the radio thread and the window thread's side ----------------------------------------

struct WinRtRadioManager::Shared {
    explicit Shared(Clock c) : clock(c) {}
    void Release() {
        if (--refs == 0)
            delete this;
    }

    std::atomic<int> refs{2};  // the manager's and the thread's
    Clock clock;
    ::SRWLOCK lock = SRWLOCK_INIT;
    UniqueHandle wake{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    UniqueHandle done{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    // Under the lock:
    bool stop = false;
    bool busy = false;  // a request is with the thread
    unsigned sent = 0, answered = 0;
    Request request{};
    Answer answer{};
};

WinRtRadioManager::WinRtRadioManager(::DWORD boundMs, Clock clock)
    : boundMs_(boundMs), clock_(clock ? clock : &SystemClock) {}

WinRtRadioManager::~WinRtRadioManager() {
    if (!shared_)
        return;
    {
        Guard guard(shared_->lock);
        shared_->stop = true;
    }
    ::SetEvent(shared_->wake.get());
    // The thread ends at once, or after the request it serves, within its bound; one that
    // hangs in the runtime is not waited for beyond that, and frees what it shares itself.
    ::WaitForSingleObject(thread_.get(), boundMs_ + 2 * kAnswerSlackMs);
    shared_->Release();
}

::DWORD WINAPI WinRtRadioManager::Run(void* p) {
    auto* shared = static_cast<Shared*>(p);
    {
        Runtime runtime(shared->clock);
        for (;;) {
            ::WaitForSingleObject(shared->wake.get(), INFINITE);
            Request request{};
            unsigned id = 0;
            {
                Guard guard(shared->lock);
                if (shared->stop)
                    break;
                if (!shared->busy)
                    continue;
                request = shared->request;
                id = shared->sent;
            }
            const Answer answer = runtime.Serve(request);
            {
                Guard guard(shared->lock);
                shared->answer = answer;
                shared->answered = id;
                shared->busy = false;
            }
            ::SetEvent(shared->done.get());
        }
    }
    shared->Release();
    return 0;
}

bool WinRtRadioManager::Start() {
    if (thread_)
        return true;
    auto* shared = new Shared(clock_);
    ::HANDLE thread = nullptr;
    if (shared->wake && shared->done)
        thread = ::CreateThread(nullptr, 0, &Run, shared, 0, nullptr);
    if (!thread) {
        delete shared;
        return false;
    }
    shared_ = shared;
    thread_.reset(thread);
    return true;
}

bool WinRtRadioManager::Call(const Request& request, Answer& answer) {
    if (!Start())
        return false;
    unsigned id = 0;
    {
        Guard guard(shared_->lock);
        // Still serving a request the window thread gave up on: this one fails at once.
        if (shared_->busy)
            return false;
        shared_->busy = true;
        shared_->request = request;
        id = ++shared_->sent;
    }
    ::SetEvent(shared_->wake.get());
    const ::ULONGLONG until = request.deadline + kAnswerSlackMs;
    for (;;) {
        const ::ULONGLONG now = clock_();
        const ::DWORD wait =
            now >= until
                ? WAIT_TIMEOUT
                : ::WaitForSingleObject(shared_->done.get(), static_cast<::DWORD>(until - now));
        Guard guard(shared_->lock);
        if (shared_->answered == id) {
            answer = shared_->answer;
            return true;
        }
        if (wait != WAIT_OBJECT_0)
            return false;
    }
}

RadioPower WinRtRadioManager::Power(RadioKind kind) {
    Answer answer{};
    if (!Call({false, kind, false, clock_() + boundMs_}, answer))
        return RadioPower::Unknown;
    return answer.power;
}

::DWORD WinRtRadioManager::SetPower(RadioKind kind, bool on) {
    Answer answer{};
    if (!Call({true, kind, on, clock_() + boundMs_}, answer))
        return ERROR_TIMEOUT;
    return answer.rc;
}

}  // namespace velk::win32
