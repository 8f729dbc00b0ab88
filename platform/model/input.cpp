#include "platform/model/input.h"

#include <cstdio>
#include <functional>

#include "platform/strings.h"

namespace velk::model {

namespace {

// The text of a menu item as the user reads it: "&" marks the mnemonic, "&&" is an "&".
std::u16string WithoutMnemonic(std::u16string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        else if (text[i] == u'&')
            continue;
        out += text[i];
    }
    return out;
}

std::string Number(long long n) {
    return std::to_string(n);
}

}  // namespace

HWND ControlOf(const WindowModel& model, HWND dialog, INT id) {
    HWND c = model.GetDlgItem(dialog, id);
    if (!c) {
        const Window* d = model.Find(dialog);
        const std::string name = d ? QuotedUtf8(d->caption) : HandleText(dialog.value);
        throw UsageError("dialog " + name + " has no control " + Number(id));
    }
    return c;
}

void UserInput::Woken() {
    model_.Time().Wake();
}

Window& UserInput::Reachable(HWND dialog, INT id) {
    HWND c = ControlOf(model_, dialog, id);
    Window& w = model_.Get(c);
    if (!model_.IsVisible(c) || (w.style & WS_DISABLED))
        throw UsageError("control " + Number(id) + " of dialog " +
                         QuotedUtf8(model_.Get(w.parent).caption) +
                         " is hidden or disabled: the user cannot reach it");
    return w;
}

void UserInput::TypeText(HWND dialog, INT id, const std::u16string& text) {
    Window& w = Reachable(dialog, id);
    if (!FoldedEquals(w.className, kClassEdit))
        throw UsageError("control " + Number(id) + " is no edit box");
    model_.SetText(w.hwnd, text);
    Woken();
}

void UserInput::Check(HWND dialog, INT id, int state) {
    Window& w = Reachable(dialog, id);
    DWORD type = w.style & BS_TYPEMASK;
    bool radio = type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON;
    bool box = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_3STATE ||
               type == BS_AUTO3STATE;
    if (!FoldedEquals(w.className, kClassButton) || (!radio && !box))
        throw UsageError("control " + Number(id) + " is no check box or radio button");
    if (w.check == state)
        return;
    if (radio && state == 0)
        throw UsageError("radio button " + Number(id) +
                         " cannot be cleared by a tap; check another one of its group");
    model_.Post(0, w.hwnd, WM_LBUTTONUP, 0, 0);
    Woken();
}

void UserInput::Select(HWND dialog, INT id, int index) {
    Window& w = Reachable(dialog, id);
    if (!FoldedEquals(w.className, kClassComboBox))
        throw UsageError("control " + Number(id) + " is no combo box");
    if (index < 0 || index >= static_cast<int>(w.items.size()))
        throw UsageError("combo box " + Number(id) + " has no item " + Number(index) + " (it has " +
                         Number(static_cast<long long>(w.items.size())) + ")");
    model_.SetSelection(w, index);
    model_.Post(0, w.parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), CBN_SELCHANGE),
                static_cast<LPARAM>(w.hwnd.value));
    Woken();
}

void UserInput::Click(HWND dialog, INT id) {
    if (id == IDOK && !model_.GetDlgItem(dialog, id) && model_.Get(dialog).doneButton) {
        PressDone(dialog);
        return;
    }
    Window& w = Reachable(dialog, id);
    model_.Post(0, w.hwnd, WM_LBUTTONUP, 0, 0);
    Woken();
}

void UserInput::PressDone(HWND dialog) {
    if (!model_.Get(dialog).doneButton)
        throw UsageError("dialog " + QuotedUtf8(model_.Get(dialog).caption) +
                         " has no OK button in its caption");
    model_.Post(0, dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    Woken();
}

void UserInput::ChooseMenuItem(const std::u16string& text) {
    TrackedMenu* open = model_.InnermostMenu();
    if (!open)
        throw UsageError("no menu is open to choose " + QuotedUtf8(text) + " from");

    // Searches the shown menu and its pop-ups, in order.
    std::function<const MenuItem*(HMENU)> search = [&](HMENU h) -> const MenuItem* {
        const Menu* m = model_.FindMenu(h);
        if (!m)
            return nullptr;
        for (const MenuItem& item : m->items) {
            if (item.separator)
                continue;
            if (FoldedEquals(item.text, text) ||
                FoldedEquals(WithoutMnemonic(item.text), WithoutMnemonic(text)))
                return &item;
            if (item.popup)
                if (const MenuItem* inner = search(item.popup))
                    return inner;
        }
        return nullptr;
    };
    const MenuItem* item = search(open->menu);
    if (!item) {
        std::string shown;
        for (const std::u16string& t : open->items)
            shown += (shown.empty() ? "" : ", ") + QuotedUtf8(t);
        throw UsageError("the open menu has no item " + QuotedUtf8(text) + "; it shows " + shown);
    }
    if (item->popup)
        throw UsageError("menu item " + QuotedUtf8(text) +
                         " opens a sub-menu; choose one of its items");
    open->chosen = item->id;
    open->closed = true;
    Woken();
}

void UserInput::CancelMenu() {
    TrackedMenu* open = model_.InnermostMenu();
    if (!open)
        throw UsageError("no menu is open to cancel");
    open->closed = true;
    Woken();
}

void UserInput::DismissMessageBox() {
    MessageBoxRecord* box = model_.InnermostMessageBox();
    if (!box)
        throw UsageError("no message box is shown");
    box->dismissed = true;
    Woken();
}

void UserInput::ClickIcon(HWND hwnd, UINT id, UINT mouseMessage) {
    for (const IconRecord& r : model_.Icons())
        if (r.data.hWnd == hwnd && r.data.uID == id) {
            if (!model_.Post(0, hwnd, r.data.uCallbackMessage, id, mouseMessage))
                throw UsageError("the notification icon's window is gone");
            Woken();
            return;
        }
    throw UsageError("no notification icon " + Number(id) + " of window " + HandleText(hwnd.value));
}

void UserInput::TapIcon(HWND hwnd, UINT id) {
    ClickIcon(hwnd, id, WM_LBUTTONDOWN);
    ClickIcon(hwnd, id, WM_LBUTTONUP);
}

void UserInput::TapIcon() {
    const auto& icons = model_.Icons();
    if (icons.size() != 1)
        throw UsageError("cannot tap \"the\" notification icon: " +
                         Number(static_cast<long long>(icons.size())) + " icons are shown");
    TapIcon(icons.front().data.hWnd, icons.front().data.uID);
}

void UserInput::KeyDown(UINT vk) {
    model_.ButtonDown(vk);
    Woken();
}

void UserInput::KeyUp(UINT vk) {
    model_.ButtonUp(vk);
    Woken();
}

void UserInput::PressKey(UINT vk) {
    KeyDown(vk);
    KeyUp(vk);
}

}  // namespace velk::model
