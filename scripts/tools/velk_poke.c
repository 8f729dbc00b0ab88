/* Posts one message to a top-level window found by caption, so a screenshot script can
   open Velk's menu and dialogs without a tray to click: velk_poke CAPTION MSG WPARAM LPARAM */
#include <stdlib.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 5)
        return 2;
    HWND w = FindWindowW(NULL, argv[1]);
    if (!w)
        return 1;
    return PostMessageW(w, (UINT)wcstoul(argv[2], NULL, 0), (WPARAM)wcstoul(argv[3], NULL, 0),
                        (LPARAM)wcstol(argv[4], NULL, 0))
               ? 0
               : 3;
}
