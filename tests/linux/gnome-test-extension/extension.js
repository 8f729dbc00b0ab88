// Test only: the headless shell starts in the overview, where no window takes focus. Once
// the shell has started and left it, the bus name org.velk.TestSession tells the test so.
const { Gio, GLib } = imports.gi;
const Main = imports.ui.main;

class Extension {
    enable() {
        // The overview opens with an animation after start; a hide asked for meanwhile is lost.
        this._poll = GLib.timeout_add(GLib.PRIORITY_DEFAULT, 100, () => {
            if (Main.layoutManager._startingUp || Main.overview.animationInProgress)
                return GLib.SOURCE_CONTINUE;
            if (Main.overview.visible) {
                Main.overview.hide();
                return GLib.SOURCE_CONTINUE;
            }
            this._name = Gio.bus_own_name_on_connection(Gio.DBus.session, 'org.velk.TestSession',
                Gio.BusNameOwnerFlags.NONE, null, null);
            this._poll = 0;
            return GLib.SOURCE_REMOVE;
        });
    }

    disable() {
        if (this._poll)
            GLib.source_remove(this._poll);
        if (this._name)
            Gio.bus_unown_name(this._name);
        this._poll = this._name = 0;
    }
}

function init() {
    return new Extension();
}
