
export default class VelkWindowsExtension extends Extension {
    enable() {
        this._windows = new VelkWindows();
        this._windows.enable();
    }

    disable() {
        this._windows.disable();
        this._windows = null;
    }
}
