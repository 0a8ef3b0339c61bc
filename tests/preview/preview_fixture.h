// A stand-in for the application around the preview (the main frame's preview words, the
// document's preview path) and a frame holding a preview pane, shared by the preview tests.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "afx/window_dc.h"
#include "backend/headless/driver.h"
#include "preview/main_preview_view.h"
#include "preview/office_converter.h"
#include "preview/preview_host.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

class TestPreviewHost : public CPreviewHostWords {
public:
    void FocusFoundFileList() override { ++focusCalls; }
    void ShowMessage(const CString& text, int type) override {
        lastMessage = text;
        lastMessageType = type;
    }

    LONG& ok = m_nPreviewOk;
    LONG& previewable = m_nPreviewable;
    LONG& noItem = m_nNoPreviewItem;
    CMainPreviewView*& pane = m_pPane;
    CString& path = m_strPreviewPath;
    CString& itemPath = m_strPreviewItemPath;
    CString lastMessage;
    int lastMessageType = 0, focusCalls = 0;
};

class PreviewDoc : public CDocument {
public:
    PreviewDoc() { m_bAutoDelete = FALSE; }
};

// A frame of 640 x 480 with the pane as its only child, as the results page holds it.
class PreviewPaneTest : public ::testing::Test {
public:
    // Writes a file into the test's scratch folder and returns its path.
    static CString WriteFile(const std::string& name, const std::string& bytes);

protected:
    void SetUp() override { CreateFrameAndPane(&doc, &host); }
    // The frame and a pane that previews for this document, for this stand-in of the application.
    void CreateFrameAndPane(CDocument* document, IPreviewHost* previewHost) {
        SetPreviewHost(previewHost);
        // Slides and sheets take the office suite seconds: only the tests of that road use it.
        SetOfficeProgram("/nonexistent/soffice");
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, u"preview", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 640, 480)));
        hFrame = frame->m_hWnd;
        CreatePane(document);
    }
    void CreatePane(CDocument* document = nullptr) {
        pane = new CMainPreviewView;
        CCreateContext context;
        context.m_pCurrentDoc = document ? document : &doc;
        CRect rc;
        frame->GetClientRect(&rc);
        ASSERT_TRUE(pane->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, rc, frame, 0xE901, &context));
    }
    void TearDown() override {
        if (IsWindow(hFrame))
            DestroyWindow(hFrame);
        SetPreviewHost(nullptr);
    }
    // Clears the pane and previews the file as the main frame does.
    void Preview(const CString& path, const CString& extension) {
        pane->CloseChildViews();
        pane->DispatchPreview(path, extension);
        headless::PumpUntilIdle();
    }
    // Saves the frame as a PNG into the build folder for a look by eye.
    void SavePicture(const std::string& name);

    TestPreviewHost host;
    PreviewDoc doc;
    CFrameWnd* frame = nullptr;
    HWND hFrame = nullptr;
    CMainPreviewView* pane = nullptr;
};
