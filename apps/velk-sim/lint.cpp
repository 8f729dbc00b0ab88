#include "apps/velk-sim/lint.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "engine/rule_lists.h"
#include "platform/framework/profile.h"
#include "platform/strings.h"

namespace velk::simrun {
namespace {

struct CompiledList {
    const char* name;
    const char* meaning;
    CStringArray bt;
    CStringArray wf;
};

const char* RadioName(bool wifi) {
    return wifi ? "WiFi" : "Bluetooth";
}

std::string Quoted(const CString& entry) {
    return "\"" + ToUtf8(entry) + "\"";
}

bool BeginsWith(const CString& s, const CString& prefix) {
    return std::u16string_view(s).starts_with(prefix);
}

class Linter {
  public:
    explicit Linter(std::ostream& out) : out_(out) {}

    void Warn(const std::string& what) {
        ++warnings_;
        out_ << "warning: " << what << "\n";
    }

    // Warnings about one entry on its own and about its repetitions in its array.
    void CheckEntries(const CompiledList& list, const CStringArray& entries, bool wifi) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const CString& e = entries[i];
            const std::string where =
                std::string(list.name) + " " + Quoted(e) + " (" + RadioName(wifi) + ")";
            if (IsSpace(e.front()))
                Warn(where +
                     " begins with white space: it matches only captions that begin with a blank");
            // The text is folded, so a letter after "#" is a lower-case one here.
            if (e.size() >= 2 && e[0] == u'#' && e[1] >= u'a' && e[1] <= u'z' && e[1] != u'b' &&
                e[1] != u'w')
                Warn(where + ": \"#" + static_cast<char>(e[1]) +
                     "\" is no radio prefix (only #b and #w are), so the entry goes whole to " +
                     RadioName(wifi) + " and matches captions that begin with " + Quoted(e));
            // Warned at the second copy only, however many there are.
            if (std::count(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(i), e) ==
                1)
                Warn(where + " is written more than once in the list");
        }
    }

    // An active on entry and an off entry of the same radio where one begins with the
    // other: every caption that begins with the longer one matches both, and the order of
    // the lists, that is OffTakesPrecedence, decides.
    void CheckOverlap(const CStringArray& on, const CStringArray& off, bool wifi,
                      INT offTakesPrecedence) {
        for (const CString& a : on) {
            for (const CString& o : off) {
                if (!BeginsWith(a, o) && !BeginsWith(o, a))
                    continue;
                const CString& longer = a.size() >= o.size() ? a : o;
                Warn(std::string("OnList ") + Quoted(a) + " and OffList " + Quoted(o) + " (" +
                     RadioName(wifi) + ") both match captions that begin with " + Quoted(longer) +
                     ": OffTakesPrecedence decides (now " + std::to_string(offTakesPrecedence) +
                     ": " + (offTakesPrecedence != 0 ? "off" : "on") + " wins)");
            }
        }
    }

    int Warnings() const { return warnings_; }

  private:
    std::ostream& out_;
    int warnings_ = 0;
};

}  // namespace

SettingValues ReadStoredSettings(sim::SimHandheld& handheld, const std::u16string& modulePath) {
    const DWORD pid = handheld.CreateProcess(modulePath);
    const Platform platform = handheld.PlatformFor(pid);
    RegistryProfile profile(platform.registry, platform.process);
    profile.SetRegistryKey(kRegistryKeyWord);
    SettingValues values;
    ReadSettings(profile, values);
    handheld.ExitProcess(pid, 0);
    return values;
}

int Lint(const SettingValues& values, std::ostream& out) {
    std::array<CompiledList, 3> lists{{
        {"OnList", "if window is Active: turns on", {}, {}},
        {"OffList", "turn off: turns off", {}, {}},
        {"OnRunList", "if window is Running: turns on", {}, {}},
    }};
    CompileList(values.OnList, values.DefControl, lists[0].bt, lists[0].wf);
    CompileList(values.OffList, values.DefControl, lists[1].bt, lists[1].wf);
    CompileList(values.OnRunList, values.DefControl, lists[2].bt, lists[2].wf);

    out << "unprefixed entries go to " << RadioName(values.DefControl == kRadioWiFi)
        << " (DefControl " << values.DefControl << "); OffTakesPrecedence "
        << values.OffTakesPrecedence << "\n";
    for (const CompiledList& list : lists) {
        const std::size_t n = list.bt.size() + list.wf.size();
        out << list.name << " (" << list.meaning << "): " << n << (n == 1 ? " entry" : " entries")
            << "\n";
        for (const CString& e : list.bt)
            out << "  " << Quoted(e) << "  Bluetooth\n";
        for (const CString& e : list.wf)
            out << "  " << Quoted(e) << "  WiFi\n";
    }

    Linter linter(out);
    for (const CompiledList& list : lists) {
        linter.CheckEntries(list, list.bt, false);
        linter.CheckEntries(list, list.wf, true);
    }
    linter.CheckOverlap(lists[0].bt, lists[1].bt, false, values.OffTakesPrecedence);
    linter.CheckOverlap(lists[0].wf, lists[1].wf, true, values.OffTakesPrecedence);
    const int n = linter.Warnings();
    out << n << (n == 1 ? " warning" : " warnings") << "\n";
    return n;
}

}  // namespace velk::simrun
