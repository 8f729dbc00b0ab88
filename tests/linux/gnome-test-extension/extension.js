// Test only. The headless shell starts in the overview, where no window takes focus: once
// the shell has started and left it, the bus name org.velk.TestSession tells the test so.
// Its method Activate(xid) focuses a window as the shell's own switcher does; mutter 43
// left some pagers' requests (_NET_ACTIVE_WINDOW) from the test's X client unanswered.
// Screenshot(path) writes the screen as a PNG file, for a look at what a user sees.
const { Gio, GLib, Shell } = imports.gi;
const Main = imports.ui.main;

const INTERFACE = `<node><interface name="org.velk.TestSession">
  <method name="Activate"><arg type="u" name="xid" direction="in"/></method>
  <method name="Screenshot"><arg type="s" name="path" direction="in"/></method>
</interface></node>`;

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
            this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this);
            this._object.export(Gio.DBus.session, '/org/velk/TestSession');
            this._name = Gio.bus_own_name_on_connection(Gio.DBus.session, 'org.velk.TestSession',
                Gio.BusNameOwnerFlags.NONE, null, null);
            this._poll = 0;
            return GLib.SOURCE_REMOVE;
        });
    }

    Activate(xid) {
        // An X11 window describes itself by its id.
        const description = `0x${xid.toString(16)}`;
        const actor = global.get_window_actors().find(
            a => a.meta_window.get_description() === description);
        if (actor)
            Main.activateWindow(actor.meta_window);
    }

    ScreenshotAsync([path], invocation) {
        const stream = Gio.File.new_for_path(path).replace(null, false,
            Gio.FileCreateFlags.NONE, null);
        new Shell.Screenshot().screenshot(false, stream, (screenshot, result) => {
            try {
                screenshot.screenshot_finish(result);
                stream.close(null);
                invocation.return_value(null);
            } catch (e) {
                invocation.return_error_literal(Gio.IOErrorEnum, Gio.IOErrorEnum.FAILED,
                    e.message);
            }
        });
    }

    disable() {
        if (this._poll)
            GLib.source_remove(this._poll);
        if (this._name)
            Gio.bus_unown_name(this._name);
        if (this._object)
            this._object.unexport();
        this._poll = this._name = 0;
        this._object = null;
    }
}

function init() {
    return new Extension();
}
