// The reports of a desktop's own script or extension, applied to the table: the desktop
// names windows by strings of its own, the table by numbers.
#pragma once

#include <QHash>
#include <QString>
#include <utility>
#include <vector>

#include "platform/linux/desktop_table.h"

namespace velk {

class ShellWindows {
  public:
    explicit ShellWindows(DesktopTable& table) : table_(table) {}
    // What is no longer followed is not shown as the desktop's.
    ~ShellWindows() { Forget(); }
    ShellWindows(const ShellWindows&) = delete;
    ShellWindows& operator=(const ShellWindows&) = delete;

    // The whole picture: windows not in it are gone; those still there keep their handles.
    void Replace(const std::vector<std::pair<QString, QString>>& windows, const QString& front);
    void Set(const QString& id, const QString& title);
    void Remove(const QString& id);
    // An empty or unknown id: no application window is in front.
    void SetFront(const QString& id);
    // Takes out of the table every window these reports put there.
    void Forget();

  private:
    DesktopTable& table_;
    QHash<QString, DesktopTable::Key> keys_;
    DesktopTable::Key next_ = 1;
};

}  // namespace velk
