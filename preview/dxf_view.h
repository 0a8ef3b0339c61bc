// CDFXView: the preview view of drawing-exchange files, a canvas painted by the drawing library
// "DXF.dll" (bound at run time through CDxfDrawing), panned with the mouse and zoomed with the wheel.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "preview/dxf_library.h"

class CDxfDrawing {
public:
    CDxfDrawing();
    ~CDxfDrawing();
    CDxfDrawing(const CDxfDrawing&) = delete;
    CDxfDrawing& operator=(const CDxfDrawing&) = delete;

    BOOL IsValid() const { return m_bLoaded && m_hDrawing != 0; }
    BOOL IsLoaded() const { return m_bLoaded; }
    int Create();
    int Destroy();
    int InitView(int x, int y, int width, int height);
    int Paint(HDC hdc);
    double GetZoom();
    int SetZoom(double zoom);
    int GetViewProperties(DrwViewProperties* record);
    int SetViewProperties(const DrwViewProperties* record);
    int ZoomExtents();
    BOOL LoadFile(LPCSTR path, HWND progress);

private:
    HMODULE m_hModule = nullptr;
    DRWHANDLE m_hDrawing = 0;
    BOOL m_bLoaded = FALSE;
    FARPROC m_procs[20] = {};
};

class CDxfCanvas : public CStatic {
public:
    CDxfDrawing* m_pDrawing = nullptr;
    int m_nLastX = 0, m_nLastY = 0;
    BYTE m_bDragging = 0;

protected:
    afx_msg void OnPaint();
    afx_msg void OnButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg LRESULT OnMButtonDown(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMButtonUp(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};

class CDFXView : public CView {
    DECLARE_DYNCREATE(CDFXView)
public:
    CDFXView();
    ~CDFXView() override;

    enum { IDC_CANVAS = 0xF018 };

    void OnDraw(CDC*) override {}

    CDxfDrawing m_drawing;
    CDxfCanvas m_canvas;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    DECLARE_MESSAGE_MAP()
};
