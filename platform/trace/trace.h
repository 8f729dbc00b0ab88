// The record of every platform call a home makes, in order, with its arguments: what
// the traced roles (window_system.h, and the simulator's services) write to.
//
// What it keeps is bounded: a count per call name always; the full entries (name and
// readable arguments) only while someone wants them, that is while entries are kept
// (the default, for tests that read them) or a listener is set (velk-sim --trace). A
// long run with neither keeps a few dozen counters, and the arguments are never even
// formatted. A call listener sees every call and asks for the arguments it wants.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velk::trace {

struct TraceEntry {
    unsigned long long time;  // milliseconds on the home's clock
    std::string name;         // the platform operation, e.g. "SetDevicePower"
    std::string args;         // its arguments, readable, e.g. "\"...\\tiacxwln1\", 1, 0"
};

// One call as it happens, for a listener that wants to see every call but the
// arguments of only a few: Args() formats them on demand.
class TraceCall {
  public:
    template <typename Make>
    TraceCall(unsigned long long time, std::string_view name, const Make& make)
        : time(time),
          name(name),
          make_(&make),
          format_([](const void* m) { return std::string((*static_cast<const Make*>(m))()); }) {}
    std::string Args() const { return format_(make_); }

    unsigned long long time;
    std::string_view name;

  private:
    const void* make_;
    std::string (*format_)(const void*);
};

class Trace {
  public:
    // args is the arguments' text, or a callable that makes it; the callable runs only
    // when the entry is wanted.
    template <typename Args>
    void Record(unsigned long long time, std::string_view name, Args&& args) {
        Tally(name);
        if constexpr (std::invocable<Args&>) {
            if (callListener_)
                callListener_(TraceCall(time, name, args));
            if (Wanted())
                Keep(time, name, std::string(args()));
        } else {
            const auto make = [&args] { return std::string_view(args); };
            if (callListener_)
                callListener_(TraceCall(time, name, make));
            if (Wanted())
                Keep(time, name, std::string(std::forward<Args>(args)));
        }
    }

    // Whether full entries are made (kept, or handed to a listener).
    bool Wanted() const { return keepEntries_ || static_cast<bool>(listener_); }

    // Entries are kept by default; a long run turns this off and keeps only the counts.
    void KeepEntries(bool keep) {
        keepEntries_ = keep;
        if (!keep)
            std::vector<TraceEntry>().swap(entries_);
    }
    bool KeepsEntries() const { return keepEntries_; }

    // The kept entries (empty while entries are not kept).
    const std::vector<TraceEntry>& Entries() const { return entries_; }
    // Forgets the entries and the counts.
    void Clear() {
        entries_.clear();
        counts_.clear();
        countByLiteral_.clear();
    }
    // Calls of that name since the start or the last Clear, kept or not.
    std::size_t Count(std::string_view name) const {
        const auto it = counts_.find(name);
        return it == counts_.end() ? 0 : it->second;
    }
    // Called for every new entry (velk-sim --trace prints them as they happen).
    void SetListener(std::function<void(const TraceEntry&)> listener) {
        listener_ = std::move(listener);
    }
    // Called for every call, before any entry is made; costs no formatting by itself.
    void SetCallListener(std::function<void(const TraceCall&)> listener) {
        callListener_ = std::move(listener);
    }

  private:
    void Tally(std::string_view name) {
        // Names are nearly always the same few literals: found by their address first.
        const auto cached = countByLiteral_.find(name.data());
        if (cached != countByLiteral_.end() && cached->second->first == name) {
            ++cached->second->second;
            return;
        }
        auto it = counts_.find(name);
        if (it == counts_.end())
            it = counts_.emplace(std::string(name), 0).first;
        ++it->second;
        countByLiteral_[name.data()] = &*it;
    }
    void Keep(unsigned long long time, std::string_view name, std::string args) {
        TraceEntry entry{time, std::string(name), std::move(args)};
        if (!keepEntries_) {
            listener_(entry);
            return;
        }
        entries_.push_back(std::move(entry));
        if (listener_) {
            const TraceEntry copy = entries_.back();  // the listener may record more
            listener_(copy);
        }
    }

    std::vector<TraceEntry> entries_;
    std::map<std::string, std::size_t, std::less<>> counts_;
    std::unordered_map<const char*, std::pair<const std::string, std::size_t>*> countByLiteral_;
    bool keepEntries_ = true;
    std::function<void(const TraceEntry&)> listener_;
    std::function<void(const TraceCall&)> callListener_;
};

// Where a traced role writes: the trace, the clock each call is stamped with, and
// whether calls are wanted (a home may trace one process of several).
class Recorder {
  public:
    Recorder(Trace& trace, std::function<unsigned long long()> now,
             std::function<bool()> enabled = nullptr)
        : trace_(trace), now_(std::move(now)), enabled_(std::move(enabled)) {}

    template <typename Args>
    void Record(std::string_view name, Args&& args) {
        if (!enabled_ || enabled_())
            trace_.Record(now_(), name, std::forward<Args>(args));
    }

    // The resource an icon handle was loaded from, as the traced LoadIconW saw it, so
    // that other calls can name the icon; 0 when unknown.
    void NameIcon(std::uintptr_t icon, unsigned resourceId) { icons_[icon] = resourceId; }
    unsigned IconResource(std::uintptr_t icon) const {
        const auto it = icons_.find(icon);
        return it == icons_.end() ? 0 : it->second;
    }

  private:
    std::map<std::uintptr_t, unsigned> icons_;
    Trace& trace_;
    std::function<unsigned long long()> now_;
    std::function<bool()> enabled_;
};

}  // namespace velk::trace
