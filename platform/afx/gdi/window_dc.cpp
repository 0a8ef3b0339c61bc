// CPaintDC, CClientDC and CWindowDC: DCs that live as long as the object on the stack.
#include "afx/window_dc.h"
#include "afx/wnd.h"

IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

// A DC the system refused is a resource failure, as drawing code has no other way to learn of it.
CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    HDC hdc = m_hWnd ? ::BeginPaint(m_hWnd, &m_ps) : nullptr;
    if (!hdc || !Attach(hdc)) {
        if (hdc)
            ::EndPaint(m_hWnd, &m_ps);
        AfxThrowResourceException();
    }
}

CPaintDC::~CPaintDC() {
    if (m_hDC) {
        Detach();
        ::EndPaint(m_hWnd, &m_ps);
    }
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    HDC hdc = ::GetDC(m_hWnd);
    if (!hdc || !Attach(hdc)) {
        if (hdc)
            ::ReleaseDC(m_hWnd, hdc);
        AfxThrowResourceException();
    }
}

CClientDC::~CClientDC() {
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    HDC hdc = ::GetWindowDC(m_hWnd);
    if (!hdc || !Attach(hdc)) {
        if (hdc)
            ::ReleaseDC(m_hWnd, hdc);
        AfxThrowResourceException();
    }
}

CWindowDC::~CWindowDC() {
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}
