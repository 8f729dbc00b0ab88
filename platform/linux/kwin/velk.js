// Tells Velk the desktop's windows: the active one and the caption of every application
// window, at once and on every activation, caption change, new and closed window.
// Velk loads a copy of this file with its own unique bus name in place of VELK_SERVICE,
// and accepts these calls only from KWin's own connection. Runs on Plasma 5 and 6.
const service = "VELK_SERVICE";
const path = "/org/velk/KWin";
const iface = "org.velk.KWinReports";

// Plasma 6 says window where Plasma 5 said client.
const plasma6 = typeof workspace.windowList === "function";
const allWindows = () => (plasma6 ? workspace.windowList() : workspace.clientList());
const activeWindow = () => (plasma6 ? workspace.activeWindow : workspace.activeClient);
const added = plasma6 ? workspace.windowAdded : workspace.clientAdded;
const removed = plasma6 ? workspace.windowRemoved : workspace.clientRemoved;
const activated = plasma6 ? workspace.windowActivated : workspace.clientActivated;

function report(method, ...args) {
    callDBus(service, path, iface, method, ...args);
}

// Application windows: what a task bar lists, not panels, the desktop or pop-ups.
function relevant(w) {
    return !!w && (w.normalWindow || w.dialog) && !w.skipTaskbar;
}

function idOf(w) {
    return String(w.internalId);
}

// KWin tells windows of equal captions apart by " <2>", " <3>"... (with a left-to-right
// mark), before any window shortcut in braces. Rules name the title the application set.
function titleOf(w) {
    return String(w.caption).replace(/ <\d+>\u200e?( \{[^{}]*\})?$/, "$1");
}

// Windows whose caption changes are followed, so each is connected once.
const followed = new Set();

function follow(w) {
    const id = idOf(w);
    if (followed.has(id))
        return;
    followed.add(id);
    w.captionChanged.connect(() => {
        if (followed.has(id) && relevant(w))
            report("Window", id, titleOf(w));
    });
}

function front() {
    const w = activeWindow();
    return relevant(w) ? w : null;
}

added.connect((w) => {
    if (!relevant(w))
        return;
    follow(w);
    report("Window", idOf(w), titleOf(w));
});

removed.connect((w) => {
    const id = idOf(w);
    if (followed.delete(id))
        report("Closed", id);
});

// Plasma 5 announces each switch twice, first with no window; the second follows at once,
// in the same batch of calls, so no one reads the desktop in between.
activated.connect((w) => {
    if (relevant(w)) {
        follow(w);
        report("Active", idOf(w), titleOf(w));
    } else {
        report("Active", "", "");
    }
});

// The whole picture once at start: id and caption in turn, and the active window.
const snapshot = [];
for (const w of allWindows()) {
    if (!relevant(w))
        continue;
    follow(w);
    snapshot.push(idOf(w), titleOf(w));
}
const first = front();
report("Windows", snapshot, first ? idOf(first) : "");
