#include "apps/velk-sim/control_names.h"

#include <array>

#include "apps/velk-sim/scenario.h"
#include "platform/resources.h"
#include "platform/types.h"
#include "res/resource_ids.h"

namespace velk::simrun {
namespace {

#define VELK_NAME(id) \
    { #id, id }
constexpr std::array kNames = std::to_array<ControlName>({
    VELK_NAME(IDOK),
    VELK_NAME(IDCANCEL),
    VELK_NAME(IDR_MAINFRAME),
    VELK_NAME(IDD_ABOUTBOX),
    VELK_NAME(IDD_SETTINGS),
    VELK_NAME(IDD_WINDOW_FOUND),
    VELK_NAME(IDI_APPLICATION_ICON),
    VELK_NAME(IDI_TRAY_LARGE),
    VELK_NAME(IDI_TRAY_SMALL),
    VELK_NAME(IDC_ON_LIST),
    VELK_NAME(IDC_OFF_LIST),
    VELK_NAME(IDC_DEFAULT_ACTION),
    VELK_NAME(IDC_ON_RUN_LIST),
    VELK_NAME(IDC_FIND_WINDOW),
    VELK_NAME(IDC_BT_CONTROL),
    VELK_NAME(IDC_DEF_CONTROL),
    VELK_NAME(IDC_WF_DEFAULT_ACTION),
    VELK_NAME(IDC_OFF_TAKES_PRECEDENCE),
    VELK_NAME(IDC_KEEP_PDA_ON),
    VELK_NAME(IDC_CHECK_INTERVAL),
    VELK_NAME(IDC_TEST),
    VELK_NAME(IDC_WF_CAPTION),
    VELK_NAME(IDC_WF_ACTIVE_ON),
    VELK_NAME(IDC_WF_ACTIVE_OFF),
    VELK_NAME(IDC_WF_CONTINUE),
    VELK_NAME(IDC_WF_RUNNING),
    VELK_NAME(ID_SETTINGS),
    VELK_NAME(ID_APP_ABOUT),
    VELK_NAME(ID_APP_EXIT),
    VELK_NAME(ID_HELP_MENU),
});
#undef VELK_NAME

}  // namespace

std::span<const ControlName> ControlNames() {
    return kNames;
}

std::optional<int> ControlId(std::string_view word) {
    long long n = 0;
    if (ParseInteger(std::string(word), n))
        return static_cast<int>(n);
    for (const ControlName& c : kNames)
        if (word == c.name)
            return c.id;
    return std::nullopt;
}

}  // namespace velk::simrun
