#include "engine/rule_lists.h"

#include <cstddef>

#include "platform/scoped_busy.h"
#include "platform/strings.h"

namespace velk {

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
                radio = kRadioWiFi;
            } else if (p == u'b' || p == u'B') {
                first += 2;
                radio = kRadioBluetooth;
            }
        }
        if (first == end)
            continue;
        (radio == kRadioWiFi ? wf : bt).emplace_back(text, first, end - first);
    }
}

void LoadRuleLists(RegistryProfile& profile, EngineState& state) {
    const ScopedBusy busy(state.EngineBusy);
    SettingValues values;
    ReadSettings(profile, values);
    state.DefaultAction = values.DefaultAction;
    state.WFDefaultAction = values.WFDefaultAction;
    state.BTControl = values.BTControl;
    state.DefControl = values.DefControl;
    state.OffTakesPrecedence = values.OffTakesPrecedence;
    state.KeepPDAOn = values.KeepPDAOn;

    RuleLists& lists = state.Lists;
    CompileList(values.OnList, state.DefControl, lists.BTOnList, lists.WFOnList);
    CompileList(values.OffList, state.DefControl, lists.BTOffList, lists.WFOffList);
    CompileList(values.OnRunList, state.DefControl, lists.BTOnRunList, lists.WFOnRunList);
}

}  // namespace velk
