// The settings dialog on the simulated handheld: a program process with its
// application object and main frame (no window of its own), and a script of user
// actions that runs one step whenever the program's message loop waits.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "config/settings_command.h"
#include "config/settings_dlg.h"
#include "mainframe/main_frame.h"
#include "platform/framework/win_app.h"
#include "platform/sim/handheld.h"
#include "res/resource_ids.h"
#include "tests/unit/support/program_fixture.h"

namespace velk::test {

inline constexpr char16_t kSettingsPath[] = u"software\\Velk\\Velk\\Settings";

class SettingsFixture : public ProgramFixture<CWinApp> {
  protected:
    SettingsFixture() {
        app.SetRegistryKey(u"Velk");
        frame = std::make_unique<CMainFrame>(app);
    }

    void RunSettings() { RunSettingsCommand(frame->SettingsHost()); }

    HWND SettingsWindow() const { return hh.FindDialog(u"Velk Settings"); }
    bool SettingsShown() const { return hh.GetWorld().IsVisible(SettingsWindow()); }

    std::optional<sim::SimRegistry::Value> Stored(const char16_t* name) const {
        return hh.Registry().GetValue(HKEY_CURRENT_USER, kSettingsPath, name);
    }
    void StoreInt(const char16_t* name, DWORD value) {
        hh.Registry().SetDword(HKEY_CURRENT_USER, kSettingsPath, name, value);
    }
    void StoreText(const char16_t* name, std::u16string_view text) {
        hh.Registry().SetString(HKEY_CURRENT_USER, kSettingsPath, name, text);
    }
    INT StoredInt(const char16_t* name) const {
        const auto v = Stored(name);
        if (!v || v->data.size() != 4)
            return 0x7FFFFFFF;
        return static_cast<INT>(v->data[0] | v->data[1] << 8 | v->data[2] << 16 |
                                static_cast<DWORD>(v->data[3]) << 24);
    }
    std::u16string StoredText(const char16_t* name) const {
        const auto v = Stored(name);
        if (!v)
            return u"<missing>";
        std::u16string s;
        for (std::size_t i = 0; i + 1 < v->data.size(); i += 2)
            s.push_back(static_cast<char16_t>(v->data[i] | v->data[i + 1] << 8));
        while (!s.empty() && s.back() == u'\0')
            s.pop_back();
        return s;
    }

    // Names of the values set through the seam, in order.
    std::vector<std::string> ValuesWritten() const {
        std::vector<std::string> names;
        for (const auto& e : hh.GetTrace().Entries())
            if (e.name == "RegSetValueExW") {
                const auto first = e.args.find('"');
                const auto last = e.args.find('"', first + 1);
                names.push_back(e.args.substr(first + 1, last - first - 1));
            }
        return names;
    }
    std::size_t Calls(std::string_view name) const { return hh.GetTrace().Count(name); }

    std::unique_ptr<CMainFrame> frame;
};

}  // namespace velk::test
