#include "platform/linux/shell_windows.h"

#include <QSet>
#include <string_view>
#include <utility>

namespace velk {
namespace {

std::u16string_view View(const QString& s) {
    return {reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size())};
}

}  // namespace

void ShellWindows::Replace(const std::vector<std::pair<QString, QString>>& windows,
                           const QString& front) {
    QSet<QString> present;
    for (const auto& [id, title] : windows)
        present.insert(id);
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (present.contains(it.key())) {
            ++it;
        } else {
            table_.RemoveWindow(it.value());
            it = keys_.erase(it);
        }
    }
    for (const auto& [id, title] : windows)
        Set(id, title);
    SetFront(front);
}

void ShellWindows::Set(const QString& id, const QString& title) {
    if (id.isEmpty())
        return;
    auto it = keys_.find(id);
    if (it == keys_.end())
        it = keys_.insert(id, next_++);
    table_.SetWindow(it.value(), View(title));
}

void ShellWindows::Remove(const QString& id) {
    const auto it = keys_.find(id);
    if (it == keys_.end())
        return;
    table_.RemoveWindow(it.value());
    keys_.erase(it);
}

void ShellWindows::SetFront(const QString& id) {
    const auto it = keys_.find(id);
    table_.SetActive(it == keys_.end() ? std::nullopt : std::optional{it.value()});
}

void ShellWindows::Forget() {
    for (const DesktopTable::Key key : std::as_const(keys_))
        table_.RemoveWindow(key);
    keys_.clear();
}

}  // namespace velk
