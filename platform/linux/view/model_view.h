// The Linux home's face: the window model's windows shown with Qt Widgets, and what the
// user does to them fed back through the model's one input API.
//
// How a program puts it together (all on one thread, the model's):
//
//   QApplication app(argc, argv);               // first, as Qt wants
//   velk::linux::QtHostLoop loop;                // Qt's events become the model's wait
//   velk::model::RealTimeSource time(loop);
//   velk::model::WindowModel model(time);        // plus the program's clients
//   velk::linux::ModelView view(model);          // observes the model from now on
//   view.OnNoTray([] { std::fputs("velk: ...\n", stderr); });
//   ... run the program's message loop (GetMessage on the model) ...
//
// No QApplication::exec: the program's own message loop waits in the model, whose real
// clock hands the wait to QtHostLoop. Never call QCoreApplication::quit either; the
// program ends its loop through the model (PostQuit). The view turns off "quit on last
// window closed" for the same reason.
//
// What is shown:
// - Dialogs made from a template (window_model CreateDialog): a Qt dialog laid out from
//   the template in dialog units of the template's font (dialog_layout.h), centred on the
//   screen when first shown; static texts, edit boxes, check boxes, radio buttons, group
//   boxes, push buttons (the default one per BS_DEFPUSHBUTTON) and drop-down lists. Tab
//   goes through the WS_TABSTOP controls in template order; a dialog shown comes to the
//   front with the focus on the model's focus window, or else on its first tab stop.
//   Escape or the window's close button presses Cancel (or the OK button in the caption
//   of a dialog without Cancel); Return presses the default button.
// - The pop-up menu being tracked, at the pointer; choosing an item or dismissing it ends
//   the model's tracking.
// - Message boxes, not modal, with the model's text, caption and icon and an OK button.
// - Notification icons (res/icons, built into the library), with their tool tip. A left
//   or right click taps the icon (WM_LBUTTONDOWN then WM_LBUTTONUP): the program opens
//   its menu on the tap, the handheld having no other button.
// Every other window of the model (the program's hidden frame, view, menu bar) gets no
// Qt window.
//
// The view never changes the model itself: a user's action goes through model::UserInput,
// which wakes the model's wait. A UsageError from it (a control the model does not let
// the user reach) is written to Qt's warning log and dropped.
#pragma once

#include <QPointer>
#include <QRect>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "platform/model/input.h"
#include "platform/model/observer.h"
#include "platform/model/window_model.h"

class QMenu;
class QMessageBox;
class QSystemTrayIcon;
class QWidget;

namespace velk::linux {

class ModelDialog;

class ModelView : public model::IModelObserver {
  public:
    // A QApplication must exist. Windows the model already holds are not shown: make the
    // view before the program's first window.
    explicit ModelView(model::WindowModel& model);
    ~ModelView() override;
    ModelView(const ModelView&) = delete;
    ModelView& operator=(const ModelView&) = delete;

    // Called once, when the program adds a notification icon and the desktop has no
    // notification area to show it in (the icon is still made, should one appear).
    void OnNoTray(std::function<void()> report) { noTray_ = std::move(report); }
    bool TrayMissing() const { return trayMissing_; }

    // What is shown, for tests and screenshots: the Qt widget of a dialog or control, the
    // open menu, the innermost message box, an icon; null when none.
    QWidget* Widget(HWND hwnd) const;
    QMenu* OpenMenu() const { return menu_.get(); }
    QMessageBox* MessageBox() const;
    QSystemTrayIcon* TrayIcon(HWND hwnd, UINT id) const;

    // --- IModelObserver ------------------------------------------------------------
    void WindowCreated(HWND hwnd) override;
    void WindowShown(HWND hwnd) override;
    void WindowHidden(HWND hwnd) override;
    void WindowDestroyed(HWND hwnd) override;
    void TextChanged(HWND hwnd) override;
    void CheckChanged(HWND hwnd) override;
    void SelectionChanged(HWND hwnd) override;
    void FocusChanged(HWND from, HWND to) override;
    void FrontChanged(HWND from, HWND to) override;
    void MenuOpened(const model::TrackedMenu& menu) override;
    void MenuClosed(const model::TrackedMenu& menu) override;
    void IconAdded(HWND hwnd, UINT id) override;
    void IconChanged(HWND hwnd, UINT id) override;
    void IconRemoved(HWND hwnd, UINT id) override;
    void MessageBoxShown(const model::MessageBoxRecord& box) override;
    void MessageBoxClosed(const model::MessageBoxRecord& box) override;

  private:
    enum class Kind { Label, Icon, Edit, MultiEdit, Check, Radio, GroupBox, Push, DropDown };
    struct Control {
        QPointer<QWidget> widget;
        Kind kind;
        HWND dialog;
        INT id = 0;
        QRect box;     // the template's, in pixels
        int room = 0;  // pixels a drop-down may grow by to show its widest item
    };
    struct Dialog;
    struct Tray;
    struct Box;

    void MakeDialog(const model::Window& w);
    void MakeControl(const model::Window& w, Dialog& dialog);
    // Brings the control's widget in line with the model's record.
    void Sync(HWND control);
    // Tab order, first placement and focus, each time a dialog is shown.
    void Shown(HWND hwnd);
    void Cancel(HWND dialog);
    void SyncIcon(HWND hwnd, UINT id, Tray& tray);
    // Runs a user's action, logging what the model refused.
    void Act(const std::function<void()>& action);

    model::WindowModel& model_;
    model::UserInput input_;
    std::map<std::uintptr_t, std::unique_ptr<Dialog>> dialogs_;
    std::map<std::uintptr_t, Control> controls_;
    std::unique_ptr<QMenu> menu_;
    const model::TrackedMenu* tracked_ = nullptr;
    std::map<const model::MessageBoxRecord*, std::unique_ptr<Box>> boxes_;
    std::map<std::pair<std::uintptr_t, UINT>, std::unique_ptr<Tray>> icons_;
    std::function<void()> noTray_;
    bool trayMissing_ = false;
};

}  // namespace velk::linux
