// Dialogs 100, 130 and 138 control by control: the one template both homes build from,
// and the dialog the simulated handheld builds from it, against the expected table.

#include <gtest/gtest.h>

#include <string>

#include "platform/resources.h"
#include "platform/sim/handheld.h"
#include "platform/strings.h"
#include "tests/unit/support/expected_dialogs.h"

namespace velk {
namespace {

std::string Name(const expected::Dialog& d, std::size_t i) {
    return "dialog " + std::to_string(d.id) + ", control " + std::to_string(i + 1);
}

class DialogTemplates : public ::testing::TestWithParam<expected::Dialog> {};

TEST_P(DialogTemplates, TheTemplateMatchesTheTable) {
    const expected::Dialog& want = GetParam();
    const DialogTemplate* t = FindDialogTemplate(want.id);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::u16string(t->caption), want.caption);
    EXPECT_EQ(t->style, want.style) << std::hex << (t->style ^ want.style);
    EXPECT_EQ(t->exStyle, want.exStyle);
    EXPECT_EQ(t->cx, want.cx);
    EXPECT_EQ(t->cy, want.cy);
    EXPECT_EQ(std::u16string(t->fontName), want.fontName);
    EXPECT_EQ(t->pointSize, want.pointSize);
    ASSERT_EQ(t->items.size(), want.controls.size());
    for (std::size_t i = 0; i < want.controls.size(); ++i) {
        const DialogItemTemplate& item = t->items[i];
        const expected::Control& c = want.controls[i];
        SCOPED_TRACE(Name(want, i));
        EXPECT_EQ(item.id, c.id);
        EXPECT_TRUE(FoldedEquals(item.windowClass, c.windowClass)) << ToUtf8(item.windowClass);
        EXPECT_EQ(std::u16string(item.text ? item.text : u""), c.text);
        EXPECT_EQ(item.x, c.x);
        EXPECT_EQ(item.y, c.y);
        EXPECT_EQ(item.cx, c.cx);
        EXPECT_EQ(item.cy, c.cy);
        EXPECT_EQ(item.style, c.style) << std::hex << (item.style ^ c.style);
        EXPECT_EQ(item.iconResource, c.iconResource);
    }
}

// The simulated dialog manager makes one child window per control, in template order,
// at the template's place, with its class, text, id and style.
TEST_P(DialogTemplates, TheSimulatedDialogIsBuiltControlByControl) {
    const expected::Dialog& want = GetParam();
    sim::SimHandheld hh;
    const DWORD pid = hh.CreateProcess(u"\\Windows\\Velk.exe");
    sim::World& world = hh.GetWorld();
    const HWND dialog = world.CreateDialog(pid, *FindDialogTemplate(want.id), HWND{}, nullptr);
    ASSERT_TRUE(dialog);
    const sim::SimWindow& d = world.Get(dialog);
    EXPECT_EQ(d.caption, want.caption);
    EXPECT_EQ(d.style & ~WS_VISIBLE, want.style & ~WS_VISIBLE);
    EXPECT_EQ((d.style & WS_VISIBLE) != 0, (want.style & WS_VISIBLE) != 0);
    EXPECT_EQ(d.exStyle, want.exStyle);
    EXPECT_EQ(d.doneButton, (want.exStyle & WS_EX_CAPTIONOKBTN) != 0);
    RECT size{0, 0, want.cx, want.cy};
    hh.WindowsFor(pid).MapDialogRect(dialog, &size);
    EXPECT_EQ(d.rect.right - d.rect.left, size.right);
    EXPECT_EQ(d.rect.bottom - d.rect.top, size.bottom);

    ASSERT_EQ(d.children.size(), want.controls.size());
    for (std::size_t i = 0; i < want.controls.size(); ++i) {
        const expected::Control& c = want.controls[i];
        const sim::SimWindow& w = world.Get(d.children[i]);
        SCOPED_TRACE(Name(want, i));
        EXPECT_EQ(w.id, c.id);
        EXPECT_TRUE(FoldedEquals(w.className, c.windowClass)) << ToUtf8(w.className);
        EXPECT_EQ(w.caption, c.text);
        EXPECT_EQ(w.style, c.style) << std::hex << (w.style ^ c.style);
        EXPECT_EQ(w.iconResource, c.iconResource);
        // Origin and size are each mapped from dialog units, as the dialog manager does.
        RECT place{c.x, c.y, c.cx, c.cy};
        hh.WindowsFor(pid).MapDialogRect(dialog, &place);
        EXPECT_EQ(w.rect.left - d.rect.left, place.left);
        EXPECT_EQ(w.rect.top - d.rect.top, place.top);
        EXPECT_EQ(w.rect.right - w.rect.left, place.right);
        EXPECT_EQ(w.rect.bottom - w.rect.top, place.bottom);
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogTemplates, ::testing::ValuesIn(expected::kDialogs),
                         [](const ::testing::TestParamInfo<expected::Dialog>& info) {
                             return "Dialog" + std::to_string(info.param.id);
                         });

}  // namespace
}  // namespace velk
