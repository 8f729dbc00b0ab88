// Velk's view of the desktop's windows, on the session bus: the titles of the application
// windows with their ids, the one in front, and a signal on every change. Shared by the
// builds for GNOME 43-44 (legacy extension) and 45 on (ES module); each adds the imports of
// Gio, GLib and Meta and its own entry point around it.
const VELK_BUS_NAME = 'org.velk.ShellWindows';
const VELK_OBJECT_PATH = '/org/velk/ShellWindows';
const VELK_INTERFACE = `<node>
  <interface name="org.velk.ShellWindows">
    <method name="Get">
      <arg type="t" name="serial" direction="out"/>
      <arg type="a(ss)" name="windows" direction="out"/>
      <arg type="s" name="front" direction="out"/>
    </method>
    <signal name="WindowChanged">
      <arg type="t" name="serial"/><arg type="s" name="id"/><arg type="s" name="title"/>
    </signal>
    <signal name="WindowClosed">
      <arg type="t" name="serial"/><arg type="s" name="id"/>
    </signal>
    <signal name="FrontChanged">
      <arg type="t" name="serial"/><arg type="s" name="id"/><arg type="s" name="title"/>
    </signal>
  </interface>
</node>`;

// Application windows: what a task bar lists, not the shell's own or pop-ups.
function velkRelevant(window) {
    const type = window.get_window_type();
    return (type === Meta.WindowType.NORMAL || type === Meta.WindowType.DIALOG ||
            type === Meta.WindowType.MODAL_DIALOG) && !window.is_skip_taskbar();
}

class VelkWindows {
    enable() {
        // Every change has a serial, growing also across a disable and enable, so that Velk
        // can drop a signal that the picture it last fetched already holds.
        this._serial = GLib.get_monotonic_time();
        this._windows = new Map(); // window -> ids of its handlers
        this._front = '';
        this._object = Gio.DBusExportedObject.wrapJSObject(VELK_INTERFACE, this);
        this._object.export(Gio.DBus.session, VELK_OBJECT_PATH);
        for (const actor of global.get_window_actors())
            this._track(actor.meta_window, false);
        this._created = global.display.connect('window-created', (display, window) => {
            this._track(window, true);
        });
        this._focus = global.display.connect('notify::focus-window', () => this._focusChanged());
        this._front = this._frontId();
        // The name last: once it is there, so is everything Velk asks for.
        this._name = Gio.bus_own_name_on_connection(Gio.DBus.session, VELK_BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);
    }

    disable() {
        Gio.bus_unown_name(this._name);
        global.display.disconnect(this._created);
        global.display.disconnect(this._focus);
        for (const [window, handlers] of this._windows)
            handlers.forEach(handler => window.disconnect(handler));
        this._windows.clear();
        this._object.unexport();
        this._object = null;
    }

    // The bus method: the serial of the last change, every window, the one in front.
    Get() {
        const windows = [];
        for (const window of this._windows.keys())
            windows.push([String(window.get_id()), window.get_title() ?? '']);
        return [this._serial, windows, this._front];
    }

    _emit(signal, signature, ...args) {
        this._serial += 1;
        this._object.emit_signal(signal, new GLib.Variant(signature, [this._serial, ...args]));
    }

    _track(window, announce) {
        if (!window || this._windows.has(window) || !velkRelevant(window))
            return;
        const id = String(window.get_id());
        this._windows.set(window, [
            window.connect('notify::title', () => {
                this._emit('WindowChanged', '(tss)', id, window.get_title() ?? '');
            }),
            window.connect('unmanaged', () => {
                this._windows.get(window).forEach(handler => window.disconnect(handler));
                this._windows.delete(window);
                this._emit('WindowClosed', '(ts)', id);
                this._focusChanged();
            }),
        ]);
        if (announce)
            this._emit('WindowChanged', '(tss)', id, window.get_title() ?? '');
    }

    _frontId() {
        const window = global.display.focus_window;
        return window && this._windows.has(window) ? String(window.get_id()) : '';
    }

    _focusChanged() {
        const window = global.display.focus_window;
        // A window may take focus before the shell has announced it.
        this._track(window, true);
        const id = this._frontId();
        if (id === this._front)
            return;
        this._front = id;
        this._emit('FrontChanged', '(tss)', id, id ? window.get_title() ?? '' : '');
    }
}
