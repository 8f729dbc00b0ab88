#include "platform/linux/view/model_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <exception>

#include "platform/linux/view/dialog_layout.h"
#include "platform/strings.h"

// Resources built into a static library are registered by name.
static void InitViewResources() {
    Q_INIT_RESOURCE(velk_view_icons);
}

namespace velk::linux {

namespace {

constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_PASSWORD = 0x0020;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr UINT MB_ICONMASK = 0x00F0;
constexpr UINT MB_ICONHAND = 0x0010;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONASTERISK = 0x0040;
constexpr int kEditHeight = 14;  // the templates' edit boxes, in dialog units

QString Q(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string U(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

// A static's text as it reads: without SS_NOPREFIX "&" marks a mnemonic and "&&" is an
// "&", which a label without a buddy would show as they are.
QString LabelText(const model::Window& w) {
    if (w.style & SS_NOPREFIX)
        return Q(w.caption);
    std::u16string out;
    const std::u16string& s = w.caption;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 >= s.size())
                break;
            ++i;
        }
        out += s[i];
    }
    return Q(out);
}

// Every icon resource of the program is one picture drawn at several sizes (one .ico), as
// on Windows; the size is picked where the icon is drawn.
QIcon IconOf(WORD resource) {
    return resource ? QIcon(QStringLiteral(":/velk/icons/velk.ico")) : QIcon();
}

// The width a drop-down needs to show its widest item whole, in the widget's style.
int DropDownWidth(const QComboBox& combo) {
    const QFontMetrics metrics(combo.font());
    int widest = 0;
    for (int i = 0; i < combo.count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(combo.itemText(i)));
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    const QSize contents(widest, metrics.height());
    return combo.style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, &combo).width();
}

bool HasTabStop(const model::Window& w) {
    return (w.style & WS_TABSTOP) != 0;
}

}  // namespace

// The Qt dialog of a model dialog: it never closes itself; Escape and its close button
// ask the model, which hides or destroys it.
//
// Showing and hiding follow the model's state once per turn of the event loop, so that a
// hide and a show in the same turn leave the window as it is. A hidden dialog gives up
// its native window: shown again soon after, the old one would be focused by the window
// manager while Qt, having seen no change of the focus window, still counted the dialog
// as inactive.
class ModelDialog : public QDialog {
  public:
    // cancel: the user's Escape or close button; showing: before each time it is shown.
    ModelDialog(std::function<void()> cancel, std::function<void()> showing)
        : cancel_(std::move(cancel)), showing_(std::move(showing)) {}

    void reject() override { cancel_(); }

    void SetShown(bool shown) {
        wanted_ = shown;
        if (queued_)
            return;
        queued_ = true;
        QTimer::singleShot(0, this, [this] {
            queued_ = false;
            if (wanted_ && !isVisible()) {
                showing_();
                show();
                Activate();
                // The focus lands on an edit box with its text selected, as the dialog
                // manager leaves it.
                if (auto* edit = qobject_cast<QLineEdit*>(focusWidget()))
                    edit->selectAll();
            } else if (!wanted_ && isVisible()) {
                hide();
                destroy();
            }
        });
    }

    // Brings a shown dialog to the front, with the keyboard.
    void Activate() {
        raise();
        activateWindow();
    }

  protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        cancel_();
    }

  private:
    std::function<void()> cancel_;
    std::function<void()> showing_;
    bool wanted_ = false;
    bool queued_ = false;
};

// A multi-line edit box that, like the one-line box, selects its text when tabbed into.
class MultiLineEdit : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;

  protected:
    void focusInEvent(QFocusEvent* event) override {
        QPlainTextEdit::focusInEvent(event);
        if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
            selectAll();
    }
};

struct ModelView::Dialog {
    std::unique_ptr<ModelDialog> widget;
    DialogUnits units;
    std::vector<HWND> controls;  // in template order
    bool placed = false;
};

struct ModelView::Tray {
    std::unique_ptr<QSystemTrayIcon> icon;
};

struct ModelView::Box {
    std::unique_ptr<QMessageBox> widget;
};

ModelView::ModelView(model::WindowModel& model) : model_(model), input_(model) {
    InitViewResources();
    // Dialogs come and go while the program runs on; only the model ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    model_.AddObserver(this);
}

ModelView::~ModelView() {
    model_.RemoveObserver(this);
    menu_.reset();
    boxes_.clear();
    icons_.clear();
    dialogs_.clear();
}

void ModelView::Act(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        qWarning("velk: %s", e.what());
    }
}

QWidget* ModelView::Widget(HWND hwnd) const {
    if (auto d = dialogs_.find(hwnd.value); d != dialogs_.end())
        return d->second->widget.get();
    if (auto c = controls_.find(hwnd.value); c != controls_.end())
        return c->second.widget.data();
    return nullptr;
}

QMessageBox* ModelView::MessageBox() const {
    const model::MessageBoxRecord* inner = model_.InnermostMessageBox();
    auto it = boxes_.find(inner);
    return it == boxes_.end() ? nullptr : it->second->widget.get();
}

QSystemTrayIcon* ModelView::TrayIcon(HWND hwnd, UINT id) const {
    auto it = icons_.find(std::pair(hwnd.value, id));
    return it == icons_.end() ? nullptr : it->second->icon.get();
}

// --- dialogs ---------------------------------------------------------------------------

void ModelView::WindowCreated(HWND hwnd) {
    const model::Window* w = model_.Find(hwnd);
    if (!w)
        return;
    if (w->isDialog && !w->isMessageBox && w->dialogTemplate) {
        MakeDialog(*w);
        return;
    }
    if (w->IsChild() && w->itemTemplate)
        if (auto d = dialogs_.find(w->parent.value); d != dialogs_.end())
            MakeControl(*w, *d->second);
}

void ModelView::MakeDialog(const model::Window& w) {
    const DialogTemplate& tmpl = *w.dialogTemplate;
    const HWND hwnd = w.hwnd;
    auto d = std::make_unique<Dialog>();
    d->widget = std::make_unique<ModelDialog>([this, hwnd] { Cancel(hwnd); },
                                              [this, hwnd] { Showing(hwnd); });
    ModelDialog& q = *d->widget;
    q.setWindowTitle(Q(w.caption));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tmpl.style & WS_SYSMENU)
        flags |= Qt::WindowCloseButtonHint;
    q.setWindowFlags(flags);
    const QFont font = DialogFont(tmpl);
    q.setFont(font);
    d->units = UnitsOf(font);
    q.setFixedSize(d->units.X(tmpl.cx), d->units.Y(tmpl.cy));
    dialogs_[hwnd.value] = std::move(d);
}

void ModelView::MakeControl(const model::Window& w, Dialog& dialog) {
    const DialogItemTemplate& item = *w.itemTemplate;
    const HWND hwnd = w.hwnd;
    const HWND dlg = w.parent;
    const INT id = w.id;
    QWidget* parent = dialog.widget.get();
    QWidget* widget = nullptr;
    Kind kind;

    if (FoldedEquals(w.className, kClassStatic)) {
        auto* label = new QLabel(parent);
        if ((w.style & SS_TYPEMASK) == SS_ICON) {
            kind = Kind::Icon;
            // The icon at the largest size the item's box holds.
            const QRect box = dialog.units.Box(item.x, item.y, item.cx, item.cy);
            const int side = std::min(box.width(), box.height());
            label->setPixmap(IconOf(w.iconResource).pixmap(side, side));
        } else {
            kind = Kind::Label;
            label->setWordWrap(true);
            const DWORD type = w.style & SS_TYPEMASK;
            Qt::Alignment align = type == SS_CENTER  ? Qt::AlignHCenter
                                  : type == SS_RIGHT ? Qt::AlignRight
                                                     : Qt::AlignLeft;
            label->setAlignment(align | Qt::AlignTop);
        }
        widget = label;
    } else if (FoldedEquals(w.className, kClassEdit)) {
        if (w.style & ES_MULTILINE) {
            kind = Kind::MultiEdit;
            auto* edit = new MultiLineEdit(parent);
            edit->setTabChangesFocus(true);
            edit->setReadOnly((w.style & ES_READONLY) != 0);
            if (!(w.style & WS_BORDER))
                edit->setFrameShape(QFrame::NoFrame);
            QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this, edit, dlg, id] {
                const QString text = edit->toPlainText();
                Act([&] { input_.TypeText(dlg, id, U(text)); });
            });
            widget = edit;
        } else {
            kind = Kind::Edit;
            auto* edit = new QLineEdit(parent);
            edit->setFrame((w.style & WS_BORDER) != 0);
            edit->setReadOnly((w.style & ES_READONLY) != 0);
            if (w.style & ES_PASSWORD)
                edit->setEchoMode(QLineEdit::Password);
            // Only what the user typed: the model's own changes come back through Sync.
            QObject::connect(edit, &QLineEdit::textEdited, edit, [this, dlg, id](const QString& t) {
                Act([&] { input_.TypeText(dlg, id, U(t)); });
            });
            widget = edit;
        }
    } else if (FoldedEquals(w.className, kClassButton)) {
        const DWORD type = w.style & BS_TYPEMASK;
        const QString text = Q(w.caption);
        // A tap: the model decides what it does to the state, which comes back through
        // Sync; until then the box keeps showing the model's state.
        auto tap = [this, hwnd, dlg, id] {
            Sync(hwnd);
            Act([&] { input_.Click(dlg, id); });
        };
        if (type == BS_GROUPBOX) {
            kind = Kind::GroupBox;
            auto* box = new QGroupBox(text, parent);
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            widget = box;
        } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                   type == BS_AUTO3STATE) {
            kind = Kind::Check;
            auto* box = new QCheckBox(text, parent);
            box->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
            QObject::connect(box, &QCheckBox::clicked, box, tap);
            widget = box;
        } else if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
            kind = Kind::Radio;
            auto* radio = new QRadioButton(text, parent);
            // The model keeps the group's one checked button.
            radio->setAutoExclusive(false);
            QObject::connect(radio, &QRadioButton::clicked, radio, tap);
            widget = radio;
        } else {
            kind = Kind::Push;
            auto* push = new QPushButton(text, parent);
            push->setDefault(type == BS_DEFPUSHBUTTON);
            QObject::connect(push, &QPushButton::clicked, push,
                             [this, dlg, id] { Act([&] { input_.Click(dlg, id); }); });
            widget = push;
        }
    } else if (FoldedEquals(w.className, kClassComboBox)) {
        kind = Kind::DropDown;
        auto* combo = new QComboBox(parent);
        QObject::connect(combo, &QComboBox::activated, combo, [this, dlg, id](int index) {
            Act([&] { input_.Select(dlg, id, index); });
        });
        widget = combo;
    } else {
        return;  // a class the desktop has no control for
    }

    QRect box = dialog.units.Box(item.x, item.y, item.cx, item.cy);
    int room = 0;
    if (kind == Kind::DropDown) {
        // The template's height is the open list's; closed, it is one line high, and no
        // taller than an edit box so that it keeps off the row below.
        box.setHeight(
            std::min({box.height(), widget->sizeHint().height(), dialog.units.Y(kEditHeight)}));
        room = dialog.units.X(DropDownRoom(*model_.Get(dlg).dialogTemplate, item));
    }
    widget->setGeometry(box);
    if (kind == Kind::Label || kind == Kind::Icon || kind == Kind::GroupBox)
        widget->setFocusPolicy(Qt::NoFocus);
    else if (!HasTabStop(w))
        widget->setFocusPolicy(Qt::ClickFocus);
    // The template's first control lies on top, as on the platform: each new one goes
    // under those before it (a label's box reaching under a drop-down, a group box under
    // its contents).
    widget->lower();
    widget->setVisible((w.style & WS_VISIBLE) != 0);
    controls_[hwnd.value] = {widget, kind, dlg, id, box, room};
    dialog.controls.push_back(hwnd);
    Sync(hwnd);
}

void ModelView::Sync(HWND control) {
    auto it = controls_.find(control.value);
    const model::Window* w = model_.Find(control);
    if (it == controls_.end() || !w || !it->second.widget)
        return;
    QWidget* widget = it->second.widget.data();
    const QSignalBlocker block(widget);
    widget->setEnabled(!(w->style & WS_DISABLED));
    const QString text = Q(w->caption);
    switch (it->second.kind) {
        case Kind::Label:
            static_cast<QLabel*>(widget)->setText(LabelText(*w));
            break;
        case Kind::Icon:
            break;
        case Kind::Edit: {
            auto* edit = static_cast<QLineEdit*>(widget);
            if (edit->text() != text)
                edit->setText(text);
            break;
        }
        case Kind::MultiEdit: {
            auto* edit = static_cast<QPlainTextEdit*>(widget);
            if (edit->toPlainText() != text)
                edit->setPlainText(text);
            break;
        }
        case Kind::Check: {
            auto* box = static_cast<QCheckBox*>(widget);
            box->setText(text);
            box->setCheckState(w->check == 0   ? Qt::Unchecked
                               : w->check == 2 ? Qt::PartiallyChecked
                                               : Qt::Checked);
            break;
        }
        case Kind::Radio: {
            auto* radio = static_cast<QRadioButton*>(widget);
            radio->setText(text);
            radio->setChecked(w->check != 0);
            break;
        }
        case Kind::GroupBox:
            static_cast<QGroupBox*>(widget)->setTitle(text);
            break;
        case Kind::Push:
            static_cast<QPushButton*>(widget)->setText(text);
            break;
        case Kind::DropDown: {
            auto* combo = static_cast<QComboBox*>(widget);
            bool same = combo->count() == static_cast<int>(w->items.size());
            for (int i = 0; same && i < combo->count(); ++i)
                same = combo->itemText(i) == Q(w->items[static_cast<std::size_t>(i)]);
            if (!same) {
                combo->clear();
                for (const std::u16string& item : w->items)
                    combo->addItem(Q(item));
                // As wide as its widest item needs, within the room it has.
                const Control& c = it->second;
                const int wanted =
                    std::clamp(DropDownWidth(*combo), c.box.width(), c.box.width() + c.room);
                combo->resize(wanted, c.box.height());
            }
            combo->setCurrentIndex(w->selection);
            break;
        }
    }
}

void ModelView::Showing(HWND hwnd) {
    auto d = dialogs_.find(hwnd.value);
    if (d == dialogs_.end())
        return;
    Dialog& dialog = *d->second;
    ModelDialog& q = *dialog.widget;
    // Tab order: the tab stops in template order.
    QWidget* previous = nullptr;
    QWidget* first = nullptr;
    for (HWND c : dialog.controls) {
        const model::Window* w = model_.Find(c);
        auto it = controls_.find(c.value);
        if (!w || it == controls_.end() || !it->second.widget || !HasTabStop(*w))
            continue;
        QWidget* widget = it->second.widget.data();
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
        if (!first && model_.IsVisible(c) && !(w->style & WS_DISABLED))
            first = widget;
    }
    if (!dialog.placed) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect box(QPoint(), q.size());
            box.moveCenter(screen->availableGeometry().center());
            q.move(box.topLeft());
        }
        dialog.placed = true;
    }
    // The focus the program gave, else the first tab stop, as the dialog manager does.
    QWidget* focus = first;
    if (const HWND f = model_.Focus(); f && model_.TopLevelOf(f) == hwnd)
        if (QWidget* widget = Widget(f); widget && widget != &q)
            focus = widget;
    if (focus)
        focus->setFocus(Qt::TabFocusReason);
}

void ModelView::Cancel(HWND dialog) {
    Act([&] {
        const model::Window& d = model_.Get(dialog);
        const HWND cancel = model_.GetDlgItem(dialog, IDCANCEL);
        if (cancel || !d.doneButton)
            input_.Click(dialog, IDCANCEL);
        else
            input_.PressDone(dialog);
    });
}

void ModelView::WindowShown(HWND hwnd) {
    if (auto d = dialogs_.find(hwnd.value); d != dialogs_.end()) {
        d->second->widget->SetShown(true);
        return;
    }
    if (auto c = controls_.find(hwnd.value); c != controls_.end() && c->second.widget)
        c->second.widget->setVisible(true);
}

void ModelView::WindowHidden(HWND hwnd) {
    if (auto d = dialogs_.find(hwnd.value); d != dialogs_.end()) {
        d->second->widget->SetShown(false);
        return;
    }
    if (auto c = controls_.find(hwnd.value); c != controls_.end() && c->second.widget)
        c->second.widget->setVisible(false);
}

void ModelView::WindowDestroyed(HWND hwnd) {
    if (auto c = controls_.find(hwnd.value); c != controls_.end()) {
        delete c->second.widget.data();
        if (auto d = dialogs_.find(c->second.dialog.value); d != dialogs_.end())
            std::erase(d->second->controls, hwnd);
        controls_.erase(c);
        return;
    }
    if (auto d = dialogs_.find(hwnd.value); d != dialogs_.end()) {
        for (HWND c : d->second->controls)
            controls_.erase(c.value);
        dialogs_.erase(d);
    }
}

void ModelView::TextChanged(HWND hwnd) {
    if (auto d = dialogs_.find(hwnd.value); d != dialogs_.end()) {
        if (const model::Window* w = model_.Find(hwnd))
            d->second->widget->setWindowTitle(Q(w->caption));
        return;
    }
    Sync(hwnd);
}

void ModelView::CheckChanged(HWND hwnd) {
    Sync(hwnd);
}

void ModelView::SelectionChanged(HWND hwnd) {
    Sync(hwnd);
}

void ModelView::FocusChanged(HWND, HWND to) {
    auto c = controls_.find(to.value);
    if (c != controls_.end() && c->second.widget)
        c->second.widget->setFocus(Qt::OtherFocusReason);
}

void ModelView::FrontChanged(HWND, HWND to) {
    auto d = dialogs_.find(model_.TopLevelOf(to).value);
    if (d != dialogs_.end() && d->second->widget->isVisible())
        d->second->widget->Activate();
}

// --- menus ---------------------------------------------------------------------------

void ModelView::MenuOpened(const model::TrackedMenu& tracked) {
    menu_.reset();
    tracked_ = &tracked;
    menu_ = std::make_unique<QMenu>();
    // The items of a menu and its pop-ups; "&" marks mnemonics in Qt as in the model.
    std::function<void(QMenu&, HMENU)> fill = [&](QMenu& into, HMENU h) {
        const model::Menu* m = model_.FindMenu(h);
        if (!m)
            return;
        for (const model::MenuItem& item : m->items) {
            if (item.separator) {
                into.addSeparator();
            } else if (item.popup) {
                fill(*into.addMenu(Q(item.text)), item.popup);
            } else {
                const std::u16string text = item.text;
                QObject::connect(into.addAction(Q(item.text)), &QAction::triggered, &into,
                                 [this, text] { Act([&] { input_.ChooseMenuItem(text); }); });
            }
        }
    };
    fill(*menu_, tracked.menu);
    // A menu hides before its chosen item triggers: the dismissal is judged once both
    // have happened, and only while the model still tracks this menu.
    QMenu* shown = menu_.get();
    QObject::connect(shown, &QMenu::aboutToHide, shown, [this, shown] {
        QTimer::singleShot(0, shown, [this] {
            if (tracked_ && model_.InnermostMenu() == tracked_)
                Act([&] { input_.CancelMenu(); });
        });
    });
    menu_->popup(QCursor::pos());
}

void ModelView::MenuClosed(const model::TrackedMenu& tracked) {
    if (&tracked != tracked_)
        return;
    tracked_ = nullptr;
    menu_.reset();
}

// --- message boxes -------------------------------------------------------------------

void ModelView::MessageBoxShown(const model::MessageBoxRecord& record) {
    QMessageBox::Icon icon = QMessageBox::Warning;
    switch (record.type & MB_ICONMASK) {
        case MB_ICONHAND:
            icon = QMessageBox::Critical;
            break;
        case MB_ICONQUESTION:
            icon = QMessageBox::Question;
            break;
        case MB_ICONASTERISK:
            icon = QMessageBox::Information;
            break;
        case MB_ICONEXCLAMATION:
        default:
            break;
    }
    auto box = std::make_unique<Box>();
    box->widget =
        std::make_unique<QMessageBox>(icon, Q(record.caption), Q(record.text), QMessageBox::Ok);
    QMessageBox& q = *box->widget;
    // Not modal: the model runs its own loop for the box, and the program's icon stays
    // usable meanwhile.
    q.setWindowModality(Qt::NonModal);
    const model::MessageBoxRecord* key = &record;
    QObject::connect(&q, &QMessageBox::finished, &q, [this, key] {
        if (model_.InnermostMessageBox() == key) {
            Act([&] { input_.DismissMessageBox(); });
            return;
        }
        // Only the innermost box can be dismissed; this one stays.
        if (auto it = boxes_.find(key); it != boxes_.end())
            it->second->widget->show();
    });
    q.show();
    q.raise();
    q.activateWindow();
    boxes_[key] = std::move(box);
}

void ModelView::MessageBoxClosed(const model::MessageBoxRecord& record) {
    boxes_.erase(&record);
}

// --- notification icons --------------------------------------------------------------

void ModelView::IconAdded(HWND hwnd, UINT id) {
    auto tray = std::make_unique<Tray>();
    tray->icon = std::make_unique<QSystemTrayIcon>();
    QObject::connect(
        tray->icon.get(), &QSystemTrayIcon::activated, tray->icon.get(),
        [this, hwnd, id](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
                Act([&] { input_.TapIcon(hwnd, id); });
        });
    SyncIcon(hwnd, id, *tray);
    if (!QSystemTrayIcon::isSystemTrayAvailable() && !trayMissing_) {
        trayMissing_ = true;
        if (noTray_)
            noTray_();
    }
    tray->icon->show();
    icons_[std::pair(hwnd.value, id)] = std::move(tray);
}

void ModelView::SyncIcon(HWND hwnd, UINT id, Tray& tray) {
    for (const model::IconRecord& r : model_.Icons()) {
        if (r.data.hWnd != hwnd || r.data.uID != id)
            continue;
        tray.icon->setIcon(IconOf(model_.IconResource(r.data.hIcon)));
        const std::u16string_view all(r.data.szTip, std::size(r.data.szTip));
        const std::u16string_view tip = all.substr(0, all.find(u'\0'));
        tray.icon->setToolTip(tip.empty() ? QGuiApplication::applicationDisplayName() : Q(tip));
    }
}

void ModelView::IconChanged(HWND hwnd, UINT id) {
    if (auto it = icons_.find(std::pair(hwnd.value, id)); it != icons_.end())
        SyncIcon(hwnd, id, *it->second);
}

void ModelView::IconRemoved(HWND hwnd, UINT id) {
    icons_.erase(std::pair(hwnd.value, id));
}

}  // namespace velk::linux
