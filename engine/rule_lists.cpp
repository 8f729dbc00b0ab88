#include "engine/rule_lists.h"

#include <cstddef>

#include "platform/strings.h"

namespace velk {

namespace {

constexpr INT kBluetooth = 0;
constexpr INT kWiFi = 1;

}  // namespace

void CompileList(CString text, INT defControl, CStringArray& bt, CStringArray& wf) {
    Fold(text);
    TrimLeft(text);
    TrimRight(text);
    if (!text.empty() && text.back() != u';')
        text.push_back(u';');
    bt.clear();
    wf.clear();

    // Walk the text with an index: cutting each entry off the front would make a long
    // list quadratic.
    std::size_t start = 0;
    for (;;) {
        const std::size_t semicolon = text.find(u';', start);
        if (semicolon == CString::npos)
            break;
        std::size_t first = start;
        const std::size_t end = semicolon;
        start = semicolon + 1;

        INT radio = defControl;
        if (end - first >= 2 && text[first] == u'#') {
            const char16_t p = text[first + 1];
            if (p == u'w' || p == u'W') {
                first += 2;
                radio = kWiFi;
            } else if (p == u'b' || p == u'B') {
                first += 2;
                radio = kBluetooth;
            }
        }
        if (first == end)
            continue;
        (radio == kWiFi ? wf : bt).emplace_back(text, first, end - first);
    }
}

void LoadRuleLists(SettingsStore& store, EngineState& state) {
    state.EngineBusy = 1;
    state.DefaultAction = store.GetProfileInt(kSettingsSection, kDefaultAction, 0);
    state.WFDefaultAction = store.GetProfileInt(kSettingsSection, kWFDefaultAction, 0);
    const CString onList = store.GetProfileString(kSettingsSection, kOnList, kOnListDefault);
    const CString offList = store.GetProfileString(kSettingsSection, kOffList, kOffListDefault);
    const CString onRunList =
        store.GetProfileString(kSettingsSection, kOnRunList, kOnRunListDefault);
    state.BTControl = store.GetProfileInt(kSettingsSection, kBTControl, 0);
    state.DefControl = store.GetProfileInt(kSettingsSection, kDefControl, 0);
    state.OffTakesPrecedence = store.GetProfileInt(kSettingsSection, kOffTakesPrecedence, 0);
    state.KeepPDAOn = store.GetProfileInt(kSettingsSection, kKeepPDAOn, 0);

    RuleLists& lists = state.Lists;
    CompileList(onList, state.DefControl, lists.BTOnList, lists.WFOnList);
    CompileList(offList, state.DefControl, lists.BTOffList, lists.WFOffList);
    CompileList(onRunList, state.DefControl, lists.BTOnRunList, lists.WFOnRunList);
    state.EngineBusy = 0;
}

BYTE StringsDiffer(const CString& a, const CString& b) {
    return a == b ? 0 : 1;
}

}  // namespace velk
