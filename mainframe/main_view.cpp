#include "mainframe/main_view.h"

namespace velk {

BEGIN_MESSAGE_MAP(CMainView, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CMainView::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!CWnd::PreCreateWindow(cs))
        return 0;
    cs.style &= ~WS_BORDER;
    cs.lpszClass = AfxRegisterWndClass(Windows(), CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS,
                                       SYS_COLOR_INDEX_FLAG | (COLOR_WINDOW + 1));
    return 1;
}

void CMainView::OnPaint() {
    PAINTSTRUCT ps;
    Windows().BeginPaint(m_hWnd, &ps);
    Windows().EndPaint(m_hWnd, &ps);
}

}  // namespace velk
