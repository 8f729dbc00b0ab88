// The simulated handheld's record of every platform call, in order, with its arguments.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velk::sim {

struct TraceEntry {
    unsigned long long time;  // virtual milliseconds
    std::string name;         // the platform operation, e.g. "SetDevicePower"
    std::string args;         // its arguments, readable, e.g. "\"...\\tiacxwln1\", 1, 0"
};

class Trace {
  public:
    void Record(unsigned long long time, std::string name, std::string args) {
        entries_.push_back({time, std::move(name), std::move(args)});
        if (listener_)
            listener_(entries_.back());
    }
    const std::vector<TraceEntry>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }
    std::size_t Count(std::string_view name) const {
        std::size_t n = 0;
        for (const auto& e : entries_)
            if (e.name == name)
                ++n;
        return n;
    }
    // Called for every new entry (velk-sim --trace prints them as they happen).
    void SetListener(std::function<void(const TraceEntry&)> listener) {
        listener_ = std::move(listener);
    }

  private:
    std::vector<TraceEntry> entries_;
    std::function<void(const TraceEntry&)> listener_;
};

}  // namespace velk::sim
