// The settings dialog and the Settings command on the simulated handheld: what the
// dialog shows for what is stored, what OK and Cancel store, and the open-dialog
// pointer of the main frame.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/strings.h"
#include "tests/unit/support/settings_fixture.h"

namespace velk::test {
namespace {

using ::testing::ElementsAre;

class SettingsDialogTest : public SettingsFixture {};

TEST_F(SettingsDialogTest, FirstUseShowsTheDefaultsAndOkStoresAllNineInTheStoreOrder) {
    steps.Then([&] {
        EXPECT_EQ(hh.FrontCaption(), u"Velk Settings");
        EXPECT_EQ(frame->SettingsDlg->m_hWnd, hh.FrontDialog());
        EXPECT_EQ(hh.ControlText(IDC_ON_LIST), u"#bBluetooth;");
        EXPECT_EQ(hh.ControlText(IDC_OFF_LIST), u"HR: ;");
        EXPECT_EQ(hh.ControlText(IDC_ON_RUN_LIST), u"Internet explorer;#bBluetooth;");
        EXPECT_THAT(hh.ControlItems(IDC_DEFAULT_ACTION),
                    ElementsAre(u"Leave", u"Turn On", u"Turn Off"));
        EXPECT_THAT(hh.ControlItems(IDC_WF_DEFAULT_ACTION),
                    ElementsAre(u"Leave", u"Turn On", u"Turn Off"));
        EXPECT_THAT(hh.ControlItems(IDC_BT_CONTROL),
                    ElementsAre(u"Widcomm", u"Microsoft (conn.)", u"Microsoft (disc.)"));
        EXPECT_THAT(hh.ControlItems(IDC_DEF_CONTROL), ElementsAre(u"Bluetooth", u"WiFi"));
        for (INT combo :
             {IDC_DEFAULT_ACTION, IDC_WF_DEFAULT_ACTION, IDC_BT_CONTROL, IDC_DEF_CONTROL})
            EXPECT_EQ(hh.ControlSelected(combo), 0) << combo;
        EXPECT_EQ(hh.ControlChecked(IDC_OFF_TAKES_PRECEDENCE), 0);
        EXPECT_EQ(hh.ControlChecked(IDC_KEEP_PDA_ON), 0);
        hh.GetTrace().Clear();
        hh.Click(IDOK);
    });
    RunSettings();

    EXPECT_THAT(ValuesWritten(),
                ElementsAre("DefaultAction", "WFDefaultAction", "OnList", "OffList", "OnRunList",
                            "BTControl", "DefControl", "OffTakesPrecedence", "KeepPDAOn"));
    EXPECT_EQ(StoredText(kOnList), u"#bBluetooth;");
    EXPECT_EQ(StoredText(kOffList), u"HR: ;");
    EXPECT_EQ(StoredText(kOnRunList), u"Internet explorer;#bBluetooth;");
    for (const char16_t* name : {kDefaultAction, kWFDefaultAction, kBTControl, kDefControl,
                                 kOffTakesPrecedence, kKeepPDAOn})
        EXPECT_EQ(StoredInt(name), 0);
    EXPECT_EQ(frame->SettingsDlg, nullptr);
    EXPECT_FALSE(hh.WindowExists(u"Velk Settings"));
}

TEST_F(SettingsDialogTest, OkStoresWhatTheUserChoseAndReloadsTheRuleLists) {
    steps.Then([&] {
        hh.TypeText(IDC_ON_LIST, u"#wNotes;Calendar");
        hh.TypeText(IDC_OFF_LIST, u"");
        hh.Select(IDC_DEFAULT_ACTION, 2);
        hh.Select(IDC_WF_DEFAULT_ACTION, 1);
        hh.Select(IDC_BT_CONTROL, 2);
        hh.Select(IDC_DEF_CONTROL, 1);
        hh.Check(IDC_OFF_TAKES_PRECEDENCE, 1);
        hh.Check(IDC_KEEP_PDA_ON, 1);
        hh.Click(IDOK);
    });
    RunSettings();

    EXPECT_EQ(StoredText(kOnList), u"#wNotes;Calendar");
    EXPECT_EQ(StoredText(kOffList), u"");
    EXPECT_EQ(StoredInt(kDefaultAction), 2);
    EXPECT_EQ(StoredInt(kWFDefaultAction), 1);
    EXPECT_EQ(StoredInt(kBTControl), 2);
    EXPECT_EQ(StoredInt(kDefControl), 1);
    EXPECT_EQ(StoredInt(kOffTakesPrecedence), 1);
    EXPECT_EQ(StoredInt(kKeepPDAOn), 1);
    // The frame's copies follow the store: the unprefixed entry went to WiFi.
    EXPECT_THAT(frame->Engine.Lists.WFOnList, ElementsAre(u"notes", u"calendar"));
    EXPECT_EQ(frame->Engine.KeepPDAOn, 1);
    EXPECT_EQ(frame->Engine.BTControl, 2);
}

TEST_F(SettingsDialogTest, StoredValuesOutsideTheirRangeShowNothingAndOkStoresWhatIsShown) {
    StoreInt(kBTControl, 3);
    StoreInt(kDefaultAction, 0xFFFFFFFF);
    StoreInt(kDefControl, 7);
    StoreInt(kOffTakesPrecedence, 5);
    steps.Then([&] {
        EXPECT_EQ(hh.ControlSelected(IDC_BT_CONTROL), -1);
        EXPECT_EQ(hh.ControlSelected(IDC_DEFAULT_ACTION), -1);
        EXPECT_EQ(hh.ControlSelected(IDC_DEF_CONTROL), -1);
        EXPECT_EQ(hh.ControlChecked(IDC_OFF_TAKES_PRECEDENCE), 0);
        hh.Click(IDOK);
    });
    RunSettings();

    EXPECT_EQ(StoredInt(kBTControl), -1);
    EXPECT_EQ(StoredInt(kDefaultAction), -1);
    EXPECT_EQ(StoredInt(kDefControl), -1);
    EXPECT_EQ(StoredInt(kOffTakesPrecedence), 0);
}

TEST_F(SettingsDialogTest, CancelStoresNothingAndReloadsNothing) {
    StoreText(kOnList, u"Mail");
    const std::string before = hh.Registry().ToRegText();
    frame->Engine.Lists.BTOnList = {u"untouched"};
    steps.Then([&] {
        hh.TypeText(IDC_ON_LIST, u"Other");
        hh.Select(IDC_BT_CONTROL, 1);
        hh.GetTrace().Clear();
        hh.Click(IDCANCEL);
    });
    RunSettings();

    EXPECT_EQ(Calls("RegSetValueExW"), 0u);
    EXPECT_EQ(Calls("RegQueryValueExW"), 0u);
    EXPECT_EQ(hh.Registry().ToRegText(), before);
    EXPECT_THAT(frame->Engine.Lists.BTOnList, ElementsAre(u"untouched"));
    EXPECT_EQ(frame->SettingsDlg, nullptr);
}

TEST_F(SettingsDialogTest, ARepeatedSettingsCommandBringsTheOpenDialogForward) {
    hh.OpenAppWindow(u"Notes");
    CSettingsDlg* first = nullptr;
    steps.Then([&] {
        first = frame->SettingsDlg;
        hh.Front(u"Notes");
        RunSettings();  // chosen again from the icon's menu
    });
    steps.Then([&] {
        EXPECT_EQ(frame->SettingsDlg, first);
        EXPECT_EQ(hh.FrontCaption(), u"Velk Settings");
        hh.Click(IDCANCEL);
    });
    RunSettings();

    EXPECT_TRUE(steps.Done());
    EXPECT_EQ(Calls("CreateDialogIndirectW"), 1u);
}

// The command reads the nine settings in the store's order before the dialog exists; the
// exchange then takes the controls in its own fixed order, the same way in and out.
TEST_F(SettingsDialogTest, TheNineReadsAndTheExchangeGoInTheirOrders) {
    StoreText(kOnList, u"Mail");
    hh.GetTrace().Clear();
    steps.Then([&] { hh.Click(IDOK); });
    RunSettings();

    std::vector<std::string> reads;
    std::vector<INT> controls;  // GetDlgItem's ids once the dialog exists
    bool dialog = false;
    for (const auto& e : hh.GetTrace().Entries()) {
        if (e.name == "CreateDialogIndirectW")
            dialog = true;
        if (!dialog && e.name == "RegQueryValueExW") {
            const auto first = e.args.find('"');
            const std::string name =
                e.args.substr(first + 1, e.args.find('"', first + 1) - first - 1);
            if (reads.empty() || reads.back() != name)  // a text is read twice: size, data
                reads.push_back(name);
        }
        if (dialog && e.name == "GetDlgItem")
            controls.push_back(std::stoi(e.args.substr(e.args.find(", ") + 2)));
    }
    std::vector<std::string> storeOrder;
    for (const Setting& setting : kSettings)
        storeOrder.push_back(ToUtf8(setting.name));
    EXPECT_EQ(reads, storeOrder);

    const std::vector<INT> fill = {IDC_DEFAULT_ACTION, IDC_WF_DEFAULT_ACTION, IDC_BT_CONTROL,
                                   IDC_DEF_CONTROL};
    const std::vector<INT> exchange = {
        IDC_OFF_LIST,    IDC_ON_LIST,        IDC_OFF_TAKES_PRECEDENCE,
        IDC_BT_CONTROL,  IDC_ON_RUN_LIST,    IDC_KEEP_PDA_ON,
        IDC_DEF_CONTROL, IDC_DEFAULT_ACTION, IDC_WF_DEFAULT_ACTION};
    std::vector<INT> expected = fill;
    expected.insert(expected.end(), exchange.begin(), exchange.end());  // load
    expected.insert(expected.end(), exchange.begin(), exchange.end());  // save on OK
    EXPECT_EQ(controls, expected);
}

TEST_F(SettingsDialogTest, ThePointerIsClearedWhenTheDialogLeavesByAnException) {
    // No user action comes: the simulation halts inside the dialog's loop.
    EXPECT_THROW(RunSettings(), sim::Halted);
    EXPECT_EQ(frame->SettingsDlg, nullptr);
}

}  // namespace
}  // namespace velk::test
