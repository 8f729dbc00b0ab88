#include "platform/linux/desktop_table.h"

#include <algorithm>

#include "platform/strings.h"

namespace velk {

HWND DesktopTable::SetWindow(Key key, std::u16string_view title) {
    auto it = entries_.find(key);
    if (it == entries_.end()) {
        // Even numbers only: a handle's lowest bit is a flag where the platform strips it.
        const HWND handle{kHandleBit | (nextHandle_++ << 1)};
        it = entries_.emplace(key, Entry{handle, {}, {}, nextOrder_++}).first;
        keys_.emplace(handle.value, key);
    } else if (it->second.title == title) {
        return it->second.handle;
    } else {
        auto range = byFolded_.equal_range(it->second.folded);
        for (auto f = range.first; f != range.second; ++f) {
            if (f->second == key) {
                byFolded_.erase(f);
                break;
            }
        }
    }
    it->second.title.assign(title);
    it->second.folded = Folded(title);
    byFolded_.emplace(it->second.folded, key);
    ++generation_;
    return it->second.handle;
}

void DesktopTable::RemoveWindow(Key key) {
    const auto it = entries_.find(key);
    if (it == entries_.end())
        return;
    auto range = byFolded_.equal_range(it->second.folded);
    for (auto f = range.first; f != range.second; ++f) {
        if (f->second == key) {
            byFolded_.erase(f);
            break;
        }
    }
    keys_.erase(it->second.handle.value);
    entries_.erase(it);
    if (active_ == key)
        active_.reset();
    ++generation_;
}

void DesktopTable::SetActive(std::optional<Key> key) {
    if (active_ == key)
        return;
    active_ = key;
    ++generation_;
}

void DesktopTable::Clear() {
    entries_.clear();
    keys_.clear();
    byFolded_.clear();
    active_.reset();
    ++generation_;
}

HWND DesktopTable::Front() const {
    return active_ ? HandleOf(*active_) : HWND{};
}

HWND DesktopTable::HandleOf(Key key) const {
    const auto it = entries_.find(key);
    return it == entries_.end() ? HWND{} : it->second.handle;
}

std::optional<DesktopTable::Key> DesktopTable::KeyOf(HWND hwnd) const {
    const auto it = keys_.find(hwnd.value);
    if (it == keys_.end())
        return std::nullopt;
    return it->second;
}

const std::u16string* DesktopTable::Title(HWND hwnd) const {
    const auto key = KeyOf(hwnd);
    return key ? &entries_.at(*key).title : nullptr;
}

HWND DesktopTable::Find(std::u16string_view caption) const {
    // Equal titles are rare; among them the oldest window answers, as a stable choice.
    auto range = byFolded_.equal_range(Folded(caption));
    const Entry* best = nullptr;
    for (auto f = range.first; f != range.second; ++f) {
        const Entry& e = entries_.at(f->second);
        if (!best || e.order < best->order)
            best = &e;
    }
    return best ? best->handle : HWND{};
}

void DesktopTable::ForEach(const std::function<bool(HWND, const std::u16string&)>& visit) const {
    std::vector<const Entry*> ordered;
    ordered.reserve(entries_.size());
    for (const auto& [key, e] : entries_)
        ordered.push_back(&e);
    std::sort(ordered.begin(), ordered.end(),
              [](const Entry* a, const Entry* b) { return a->order < b->order; });
    for (const Entry* e : ordered) {
        if (!visit(e->handle, e->title))
            return;
    }
}

std::size_t DesktopTable::size() const {
    return entries_.size();
}

}  // namespace velk
