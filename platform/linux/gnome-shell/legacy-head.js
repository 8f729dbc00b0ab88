// Velk's window reporter for GNOME Shell 43 and 44 (built from windows.js).
const { Gio, GLib, Meta } = imports.gi;

