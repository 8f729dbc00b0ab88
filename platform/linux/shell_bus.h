// What the KWin and GNOME providers share about the session bus: bounded calls, the owner of
// a name, the installed data files, and the delivery of reports already received.
#pragma once

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

namespace velk {

// Every call to the desktop is bounded: a hung shell must not hang Velk.
inline constexpr int kShellCallTimeoutMs = 2000;

// The reply, or nullopt with the error in *error.
std::optional<QDBusMessage> CallShell(const QDBusConnection& bus, const QDBusMessage& call,
                                      QString* error);
// The unique name that owns name; empty when none does.
QString OwnerOf(const QDBusConnection& bus, const QString& name);
// A file Velk installs under share/velk/ (relative path such as "kwin/velk.js"): in the XDG
// data directories, then where this build installs, then in the build tree. Empty if none.
QString VelkDataFile(const QString& relative);
// The strings of an array argument as QtDBus hands it over: as, or av of strings.
std::optional<QStringList> StringArray(const QVariant& argument);

// A desktop component's provider, started: null, with the reason in whyNot, when there is
// no Qt application to receive the component's reports (whose is the component's name)
// or when the provider's Start refuses.
template <typename Provider, typename Table>
std::unique_ptr<Provider> StartShellProvider(Table& table, const char* whose, std::string* whyNot) {
    QString why;
    std::unique_ptr<Provider> provider;
    if (!QCoreApplication::instance())
        why = QString("no Qt application to receive ") + whose + " reports";
    else if (provider = std::make_unique<Provider>(table); provider->Start(&why))
        return provider;
    if (whyNot)
        *whyNot = why.toStdString();
    return nullptr;
}

}  // namespace velk
