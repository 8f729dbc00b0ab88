// The Qt view on a real desktop (Xvfb, openbox, a private session bus, trayer): dialogs
// laid out from their templates, what the user does with keyboard and mouse (through the
// X server, by xdotool) reaching the model, the model's changes reaching the widgets, the
// icon and its menu, message boxes, and the host loop's wait.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "platform/linux/view/dialog_layout.h"
#include "platform/linux/view/model_view.h"
#include "platform/linux/view/qt_host_loop.h"
#include "platform/model/real_time.h"
#include "platform/strings.h"
#include "tests/linux/view_support.h"

namespace velk::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

class DesktopEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        desktop_ = std::make_unique<Desktop>();
        if (const std::string missing = desktop_->Missing(); !missing.empty()) {
            // A failure here would only skip the tests.
            std::fprintf(stderr, "velk_view_tests: %s did not start\n", missing.c_str());
            std::exit(1);
        }
        static int argc = 1;
        static char name[] = "velk_view_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        const auto end = steady_clock::now() + std::chrono::seconds(10);
        while (!QSystemTrayIcon::isSystemTrayAvailable() && steady_clock::now() < end)
            std::this_thread::sleep_for(milliseconds(50));
    }
    void TearDown() override {
        app_.reset();
        desktop_.reset();
    }

  private:
    std::unique_ptr<Desktop> desktop_;
    std::unique_ptr<QApplication> app_;
};

// What a user does, step by step, each once its condition holds: looked at every 20 ms
// from Qt's events, so also while the model runs a nested loop (a menu being tracked, a
// message box).
class Steps {
  public:
    Steps() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (steps_.empty() || !steps_.front().first())
                return;
            const auto act = std::move(steps_.front().second);
            steps_.pop_front();
            act();
        });
        timer_.start(20);
    }
    Steps& Then(std::function<bool()> when, std::function<void()> act) {
        steps_.emplace_back(std::move(when), std::move(act));
        return *this;
    }
    bool Done() const { return steps_.empty(); }

  private:
    QTimer timer_;
    std::deque<std::pair<std::function<bool()>, std::function<void()>>> steps_;
};

class View : public ::testing::Test {
  protected:
    linux::QtHostLoop loop;
    model::RealTimeSource time{loop};
    model::WindowModel model{time};
    linux::ModelView view{model};
    DemoClient client{model};

    QWidget* Item(HWND dialog, INT id) { return view.Widget(model.GetDlgItem(dialog, id)); }
    bool Pump(const std::function<bool()>& done) { return client.RunUntil(done, 30000, 20); }
    // The dialog open, in front and with the keyboard.
    QWidget* Opened(WORD templateId, HWND* dialog) {
        *dialog = client.Open(templateId);
        QWidget* widget = view.Widget(*dialog);
        EXPECT_TRUE(widget && Pump([&] { return widget->isActiveWindow(); }));
        return widget;
    }
    static void Key(const std::string& keys) { RunTool({"xdotool", "key", "--delay", "30", keys}); }
    static void ClickAt(const QWidget* w, QPoint at, int button = 1) {
        const QPoint p = w->mapToGlobal(at);
        RunTool({"xdotool", "mousemove", std::to_string(p.x()), std::to_string(p.y()), "click",
                 std::to_string(button)});
    }
    static void Click(const QWidget* w) { ClickAt(w, w->rect().center()); }
};

TEST_F(View, SettingsDialogIsLaidOutFromItsTemplateInTheFontsDialogUnits) {
    HWND dialog;
    QWidget* q = Opened(IDD_SETTINGS, &dialog);
    ASSERT_TRUE(q);
    const DialogTemplate& tmpl = *FindDialogTemplate(IDD_SETTINGS);
    EXPECT_EQ(q->windowTitle(), "Velk Settings");
    EXPECT_EQ(q->font().pointSize(), 7);
    const linux::DialogUnits units = linux::UnitsOf(q->font());
    EXPECT_EQ(q->size(), QSize(units.X(159), units.Y(189)));

    int shown = 0;
    for (const DialogItemTemplate& item : tmpl.items) {
        if (FoldedEquals(item.windowClass, kClassSipPref))
            continue;  // no control on the desktop
        QWidget* w = nullptr;
        for (HWND h : model.Get(dialog).children)
            if (model.Get(h).itemTemplate == &item)
                w = view.Widget(h);
        ASSERT_TRUE(w) << ToUtf8(item.text ? item.text : item.windowClass);
        EXPECT_EQ(w->isVisible(), (item.style & WS_VISIBLE) != 0) << item.id;
        const QRect box = units.Box(item.x, item.y, item.cx, item.cy);
        EXPECT_EQ(w->pos(), box.topLeft()) << item.id;
        if (FoldedEquals(item.windowClass, kClassComboBox)) {
            // Closed, as high as an edit box at most; wider only into free room.
            EXPECT_LE(w->height(), units.Y(14)) << item.id;
            EXPECT_GE(w->width(), box.width()) << item.id;
            EXPECT_LE(w->width(), box.width() + units.X(linux::DropDownRoom(tmpl, item)));
        } else {
            EXPECT_EQ(w->size(), box.size()) << item.id;
        }
        shown += w->isVisible();
    }
    EXPECT_EQ(shown, 21);

    // "Bluetooth" fits the drop-down's text field whole.
    auto* control = static_cast<QComboBox*>(Item(dialog, IDC_DEF_CONTROL));
    EXPECT_EQ(control->currentText(), "Bluetooth");
    QStyleOptionComboBox option;
    option.initFrom(control);
    const QRect field = control->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, control);
    EXPECT_LE(control->fontMetrics().horizontalAdvance("Bluetooth"), field.width());
    EXPECT_TRUE(static_cast<QPushButton*>(Item(dialog, IDOK))->isDefault());
}

TEST_F(View, KeyboardAndMouseReachTheModel) {
    HWND dialog;
    QWidget* q = Opened(IDD_SETTINGS, &dialog);
    ASSERT_TRUE(q);
    // The first tab stop has the focus; Tab goes on to the edit box and selects its text.
    EXPECT_EQ(QApplication::focusWidget(), Item(dialog, IDC_KEEP_PDA_ON));
    const HWND onList = model.GetDlgItem(dialog, IDC_ON_LIST);
    model.SetText(onList, u"Notes");
    auto* edit = static_cast<QLineEdit*>(view.Widget(onList));
    EXPECT_EQ(edit->text(), "Notes");
    Key("Tab");
    ASSERT_TRUE(Pump([&] { return edit->hasFocus(); }));
    EXPECT_EQ(edit->selectedText(), "Notes");
    RunTool({"xdotool", "type", "--delay", "30", "Mail;Chat"});
    EXPECT_TRUE(Pump([&] { return model.Get(onList).caption == u"Mail;Chat"; }));

    // Shift+Tab back to the check box, Space checks it; a click checks the other one.
    Key("shift+Tab");
    Key("space");
    EXPECT_TRUE(Pump([&] { return model.Get(model.GetDlgItem(dialog, IDC_KEEP_PDA_ON)).check; }));
    auto* precedence = static_cast<QCheckBox*>(Item(dialog, IDC_OFF_TAKES_PRECEDENCE));
    Click(precedence);
    const HWND precedenceBox = model.GetDlgItem(dialog, IDC_OFF_TAKES_PRECEDENCE);
    EXPECT_TRUE(Pump([&] { return model.Get(precedenceBox).check == 1; }));
    EXPECT_TRUE(precedence->isChecked());

    // A drop-down opened with the mouse, an item chosen with the keyboard.
    const HWND stack = model.GetDlgItem(dialog, IDC_BT_CONTROL);
    auto* combo = static_cast<QComboBox*>(view.Widget(stack));
    Click(combo);
    ASSERT_TRUE(Pump([&] { return combo->view()->isVisible(); }));
    Key("Down");
    Key("Return");
    EXPECT_TRUE(Pump([&] { return model.Get(stack).selection == 2; }));

    // Escape cancels: the client's Cancel closes the dialog.
    Key("Escape");
    EXPECT_TRUE(Pump([&] { return view.Widget(dialog) == nullptr; }));
    EXPECT_EQ(client.commands.back(), static_cast<UINT>(IDCANCEL));
}

TEST_F(View, ReturnPressesTheDefaultButtonAndRadioButtonsFollowTheModelsGroup) {
    HWND dialog;
    ASSERT_TRUE(Opened(IDD_WINDOW_FOUND, &dialog));
    EXPECT_EQ(QApplication::focusWidget(), Item(dialog, IDC_WF_CAPTION));
    auto* on = static_cast<QRadioButton*>(Item(dialog, IDC_WF_ACTIVE_ON));
    auto* running = static_cast<QRadioButton*>(Item(dialog, IDC_WF_RUNNING));
    Click(on);
    EXPECT_TRUE(Pump([&] { return on->isChecked(); }));
    Click(running);
    EXPECT_TRUE(Pump([&] { return running->isChecked() && !on->isChecked(); }));
    EXPECT_EQ(model.Get(model.GetDlgItem(dialog, IDC_WF_ACTIVE_ON)).check, 0);
    EXPECT_EQ(model.Get(model.GetDlgItem(dialog, IDC_WF_RUNNING)).check, 1);
    Key("Return");
    EXPECT_TRUE(Pump([&] { return view.Widget(dialog) == nullptr; }));
    EXPECT_EQ(client.commands.back(), static_cast<UINT>(IDOK));
}

TEST_F(View, ModelChangesReachTheWidgets) {
    HWND dialog;
    QWidget* q = Opened(IDD_SETTINGS, &dialog);
    ASSERT_TRUE(q);
    const auto control = [&](INT id) { return model.GetDlgItem(dialog, id); };
    model.SetText(dialog, u"Velk Settings (2)");
    model.Send(control(IDC_KEEP_PDA_ON), BM_SETCHECK, 1, 0);
    model.Send(control(IDC_DEF_CONTROL), CB_SETCURSEL, 1, 0);
    model.SetText(control(IDC_OFF_LIST), u"Game");
    model.ShowWindow(control(IDC_FIND_WINDOW), SW_HIDE);
    model.ShowWindow(control(IDC_TEST), SW_SHOW);
    model.SetFocus(control(IDC_OFF_LIST));
    EXPECT_EQ(q->windowTitle(), "Velk Settings (2)");
    EXPECT_TRUE(static_cast<QCheckBox*>(Item(dialog, IDC_KEEP_PDA_ON))->isChecked());
    EXPECT_EQ(static_cast<QComboBox*>(Item(dialog, IDC_DEF_CONTROL))->currentText(), "WiFi");
    EXPECT_EQ(static_cast<QLineEdit*>(Item(dialog, IDC_OFF_LIST))->text(), "Game");
    EXPECT_FALSE(Item(dialog, IDC_FIND_WINDOW)->isVisible());
    EXPECT_TRUE(Item(dialog, IDC_TEST)->isVisible());
    EXPECT_TRUE(Pump([&] { return QApplication::focusWidget() == Item(dialog, IDC_OFF_LIST); }));
    // Hidden and shown again in one turn, the dialog stays; hidden for a while, as the
    // Find Window mode does, it comes back to the front.
    model.ShowWindow(dialog, SW_HIDE);
    model.ShowWindow(dialog, SW_SHOW);
    EXPECT_TRUE(Pump([&] { return q->isActiveWindow(); }));
    model.ShowWindow(dialog, SW_HIDE);
    EXPECT_TRUE(Pump([&] { return !q->isVisible(); }));
    model.ShowWindow(dialog, SW_SHOW);
    EXPECT_TRUE(Pump([&] { return q->isActiveWindow(); }));
}

TEST_F(View, IconClickOpensTheMenuWhoseChoiceOrDismissalEndsTheTracking) {
    EXPECT_FALSE(view.TrayMissing());
    QSystemTrayIcon* icon = view.TrayIcon(client.frame, 1);
    ASSERT_TRUE(icon && icon->isVisible());
    EXPECT_FALSE(icon->icon().isNull());
    // A click where the notification area put the icon (Qt knows only its size).
    const auto clickIcon = [&](const char* button) {
        const std::string window = EmbeddedIconWindow("velk_view_tests");
        ASSERT_FALSE(window.empty());
        RunTool({"xdotool", "mousemove", "--window", window, "8", "8", "click", button});
    };

    const auto menuShown = [&] { return view.OpenMenu() && view.OpenMenu()->isVisible(); };
    // The menu is tracked in a loop nested in the client's icon handler; the user's steps
    // run inside it. A left click opens it and its mnemonic chooses About.
    QStringList texts;
    Steps user;
    user.Then([] { return true; }, [&] { clickIcon("1"); }).Then(menuShown, [&] {
        for (QAction* a : view.OpenMenu()->actions())
            texts << (a->isSeparator() ? "-" : a->text());
        Key("a");
    });
    EXPECT_TRUE(Pump([&] {
        return user.Done() && static_cast<bool>(model.FindWindow(nullptr, u"About Velk"));
    }));
    EXPECT_EQ(client.iconMessages, (std::vector<LPARAM>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_EQ(texts, (QStringList{"Settings...", "&About Velk...", "-", "E&xit"}));
    EXPECT_EQ(client.commands, std::vector<UINT>{ID_APP_ABOUT});
    EXPECT_EQ(view.OpenMenu(), nullptr);

    // A right click opens it too; Escape dismisses it with no command.
    user.Then([] { return true; }, [&] { clickIcon("3"); }).Then(menuShown, [] { Key("Escape"); });
    EXPECT_TRUE(Pump([&] {
        return user.Done() && model.OpenMenus().empty() && client.iconMessages.size() == 4;
    }));
    EXPECT_EQ(client.commands, std::vector<UINT>{ID_APP_ABOUT});
    EXPECT_EQ(view.OpenMenu(), nullptr);
}

TEST_F(View, MessageBoxShowsTheModelsTextAndItsButtonDismissesIt) {
    // The box runs a loop nested in the client's handler; the user's steps run inside it.
    QMessageBox* box = nullptr;
    Steps user;
    user.Then([&] { return view.MessageBox() && view.MessageBox()->isActiveWindow(); },
              [&] {
                  box = view.MessageBox();
                  EXPECT_EQ(box->text(), "Cannot find the window.");
                  EXPECT_EQ(box->windowTitle(), "Velk");
                  EXPECT_EQ(box->icon(), QMessageBox::Warning);
                  EXPECT_EQ(box->windowModality(), Qt::NonModal);
                  Click(box->button(QMessageBox::Ok));
              });
    model.Post(DemoClient::kPid, client.frame, DemoClient::kShowMessageBox, 0, 0);
    EXPECT_TRUE(Pump([&] { return client.messageBoxResult == IDOK; }));
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(view.MessageBox(), nullptr);
}

TEST_F(View, HostLoopWaitEndsAtTheTimerOrOnInput) {
    MSG msg;
    // The timer: not before its time (the model's clock counts whole milliseconds).
    model.SetTimer(client.frame, 5, 150);
    auto start = steady_clock::now();
    ASSERT_TRUE(model.GetMessage(DemoClient::kPid, &msg));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_GE(steady_clock::now() - start, milliseconds(149));
    model.KillTimer(client.frame, 5);

    // A wake from another thread ends a wait with a far deadline.
    model.SetTimer(client.frame, 6, 60000);
    start = steady_clock::now();
    std::thread waker([&] {
        std::this_thread::sleep_for(milliseconds(100));
        time.Wake();
    });
    ASSERT_TRUE(model.GetMessage(DemoClient::kPid, &msg));
    waker.join();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_NULL));
    EXPECT_LT(steady_clock::now() - start, milliseconds(30000));

    // So does a click on a button, through the X server.
    HWND dialog;
    ASSERT_TRUE(Opened(IDD_SETTINGS, &dialog));
    QWidget* find = Item(dialog, IDC_FIND_WINDOW);
    const QPoint p = find->mapToGlobal(find->rect().center());
    Child click(
        {"xdotool", "mousemove", std::to_string(p.x()), std::to_string(p.y()), "click", "1"});
    start = steady_clock::now();
    do
        ASSERT_TRUE(model.GetMessage(DemoClient::kPid, &msg));
    while (msg.message != WM_LBUTTONUP);
    EXPECT_EQ(msg.hwnd, model.GetDlgItem(dialog, IDC_FIND_WINDOW));
    EXPECT_LT(steady_clock::now() - start, milliseconds(30000));
}

}  // namespace
}  // namespace velk::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new velk::test::DesktopEnvironment);
    return RUN_ALL_TESTS();
}
