// The model as a whole: its home's settings, its observers and its clients.
#include "platform/model/window_model.h"

#include <algorithm>

namespace velk::model {

WindowModel::WindowModel(ITimeSource& time)
    : time_(time), menuSource_([](WORD id) { return FindMenuTemplate(id); }) {}

void WindowModel::AddObserver(IModelObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void WindowModel::RemoveObserver(IModelObserver* observer) {
    std::erase(observers_, observer);
}

// --- clients -----------------------------------------------------------------------

void WindowModel::AddClient(DWORD pid) {
    clients_[pid].pid = pid;
}

void WindowModel::RemoveClient(DWORD pid) {
    Client& c = ClientOf(pid);
    if (!c.running)
        return;
    c.running = false;
    c.quitPending = false;
    // The client's code is gone: its windows go without telling their handlers.
    for (auto& [value, w] : windows_)
        if (w->pid == pid)
            w->handler = nullptr;
    std::vector<HWND> own;
    for (HWND h : zOrder_)
        if (Find(h) && Find(h)->pid == pid)
            own.push_back(h);
    for (HWND h : own)
        DestroyWindow(h);
    std::vector<IconRecord> gone;
    for (const IconRecord& r : icons_)
        if (r.pid == pid)
            gone.push_back(r);
    std::erase_if(icons_, [&](const IconRecord& r) { return r.pid == pid; });
    for (const IconRecord& r : gone)
        Notify([&](IModelObserver& o) { o.IconRemoved(r.data.hWnd, r.data.uID); });
    std::erase_if(posted_, [&](const Posted& m) { return m.pid == pid; });
}

Client& WindowModel::ClientOf(DWORD pid) {
    auto it = clients_.find(pid);
    if (it == clients_.end())
        throw UsageError("no process with id " + std::to_string(pid));
    return it->second;
}

const Client* WindowModel::FindClient(DWORD pid) const {
    auto it = clients_.find(pid);
    return it == clients_.end() ? nullptr : &it->second;
}

}  // namespace velk::model
