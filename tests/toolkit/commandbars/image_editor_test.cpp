// Tests of the button image editor: strokes, shapes and fills with undo and redo, moves, the
// clipboard, import, the result icon, and the dialog's tools, palette and pickers.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "support/support.h"
#include "toolkit/commandbars/image_editor.h"
#include "toolkit/commandbars/image_pixels.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kClear = TKP_EDITOR_TRANSPARENT;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

class ImageEditor : public ::testing::Test {
protected:
    void SetUp() override { editor.SetPictureSize(16, 16); }
    void TearDown() override { headless::ClearModalAnswers(); }

    CTKPImageEditorPicture& picture() { return editor.m_wndPicture; }
    COLORREF At(int x, int y) const
    {
        const CTKPEditorImage* image = editor.m_wndPicture.GetCurrent();
        return image ? image->GetPixel(x, y) : kClear;
    }
    void Stroke(POINT from, POINT to)
    {
        picture().ToolDown(from);
        picture().ToolMove(to);
        picture().ToolUp();
    }
    void Dot(int x, int y) { Stroke(POINT{x, y}, POINT{x, y}); }

    CTKPButtonImageEditor editor;
};

} // namespace

TEST_F(ImageEditor, StrokesUndoAndRedo) {
    // Seventeen strokes leave sixteen undo steps.
    for (int i = 0; i < 17; ++i)
        Dot(i % 16, i / 16);
    EXPECT_EQ(picture().GetUndoCount(), 16);
    EXPECT_EQ(At(0, 1), kBlack);
    picture().Undo();
    EXPECT_EQ(At(0, 1), kClear);
    EXPECT_EQ(At(15, 0), kBlack);
    EXPECT_TRUE(picture().CanRedo());
    picture().Redo();
    EXPECT_EQ(At(0, 1), kBlack);
    // A new stroke after an undo empties the redo list.
    picture().Undo();
    Dot(5, 5);
    EXPECT_FALSE(picture().CanRedo());
    EXPECT_EQ(At(5, 5), kBlack);
}

TEST_F(ImageEditor, PencilOnItsOwnColourErases) {
    Dot(3, 4);
    ASSERT_EQ(At(3, 4), kBlack);
    Dot(3, 4);
    EXPECT_EQ(At(3, 4), kClear);
    // A stroke that starts on the colour erases along its way.
    Dot(2, 2);
    Stroke(POINT{2, 2}, POINT{2, 2});
    EXPECT_EQ(At(2, 2), kClear);
}

TEST_F(ImageEditor, ShapesAndFillsDrawInTheDrawingColour) {
    editor.SetTool(TKP_ID_EDITOR_LINE);
    Stroke(POINT{0, 0}, POINT{3, 3});
    for (int i = 0; i <= 3; ++i)
        EXPECT_EQ(At(i, i), kBlack) << i;
    EXPECT_EQ(At(1, 0), kClear);

    editor.SelectPicker(&editor.m_wndPalette[10]); // red
    editor.SetTool(TKP_ID_EDITOR_RECTANGLE);
    Stroke(POINT{12, 12}, POINT{8, 8}); // dragged up and to the left: normalised
    EXPECT_EQ(At(8, 8), kRed);
    EXPECT_EQ(At(12, 12), kRed);
    EXPECT_EQ(At(12, 8), kRed);
    EXPECT_EQ(At(10, 10), kClear); // a frame, not filled

    // Moving while dragging redraws the shape from the picture before the drag.
    editor.SetTool(TKP_ID_EDITOR_ELLIPSE);
    picture().ToolDown(POINT{0, 8});
    picture().ToolMove(POINT{6, 15});
    picture().ToolMove(POINT{4, 12});
    picture().ToolUp();
    EXPECT_EQ(At(6, 11), kClear);
    EXPECT_EQ(At(2, 8), kRed);

    // The fill takes the area of the clicked pixel's colour: inside the frame only.
    editor.SelectPicker(&editor.m_wndPalette[12]); // bright green
    editor.SetTool(TKP_ID_EDITOR_FILL);
    picture().ToolDown(POINT{10, 10});
    EXPECT_EQ(At(10, 10), RGB(0, 255, 0));
    EXPECT_EQ(At(9, 11), RGB(0, 255, 0));
    EXPECT_EQ(At(8, 8), kRed);
    EXPECT_EQ(At(14, 14), kClear);
    EXPECT_EQ(picture().GetUndoCount(), 4);
}

TEST_F(ImageEditor, PickColourHandsBackThePreviousTool) {
    editor.SelectPicker(&editor.m_wndPalette[14]); // blue
    Dot(7, 7);
    editor.SetTool(TKP_ID_EDITOR_RECTANGLE);
    editor.SetTool(TKP_ID_EDITOR_PICKCOLOR);
    picture().ToolDown(POINT{7, 7});
    EXPECT_EQ(editor.GetTool(), TKP_TOOL_RECTANGLE);
    EXPECT_EQ(editor.m_wndFreeColor.m_clr, RGB(0, 0, 255));
    EXPECT_TRUE(editor.m_wndFreeColor.m_bSelected);
    EXPECT_FALSE(editor.m_wndPalette[14].m_bSelected);
    EXPECT_EQ(editor.GetDrawColor(), RGB(0, 0, 255));
    // Choosing a tool while picking keeps the tool before the picking.
    editor.SetTool(TKP_ID_EDITOR_PICKCOLOR);
    editor.SetTool(TKP_ID_EDITOR_FILL);
    editor.SetTool(TKP_ID_EDITOR_PICKCOLOR);
    picture().ToolDown(POINT{0, 0});
    EXPECT_EQ(editor.GetTool(), TKP_TOOL_FILL);
}

TEST_F(ImageEditor, MovesShiftThePictureAndLoseWhatLeaves) {
    for (int x = 0; x < 16; ++x)
        Dot(x, x % 3);
    // Left four times, then right four times: the four columns at the left come back empty.
    for (int i = 0; i < 4; ++i)
        picture().MoveBy(-1, 0);
    for (int i = 0; i < 4; ++i)
        picture().MoveBy(1, 0);
    for (int x = 0; x < 16; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(At(x, x % 3), x < 4 ? kClear : kBlack);
    }
    // Each move is one undo step back to the picture it moved: three moves right, one column short.
    picture().Undo();
    EXPECT_EQ(At(14, 0), kBlack);
    EXPECT_EQ(At(15, 0), kClear);
    picture().MoveBy(0, 1);
    EXPECT_EQ(At(14, 1), kBlack);
    picture().MoveBy(0, -1);
    EXPECT_EQ(At(14, 0), kBlack);
}

TEST_F(ImageEditor, ClearCopyAndPaste) {
    Dot(1, 1);
    Dot(2, 1);
    ASSERT_TRUE(picture().CopyToClipboard());
    picture().Clear();
    EXPECT_EQ(picture().GetCurrent(), nullptr);
    EXPECT_EQ(At(1, 1), kClear);
    // Transparent pixels travel as the button face and come back transparent.
    ASSERT_TRUE(picture().PasteFromClipboard());
    EXPECT_EQ(At(1, 1), kBlack);
    EXPECT_EQ(At(2, 1), kBlack);
    EXPECT_EQ(At(0, 0), kClear);
    EXPECT_EQ(At(15, 15), kClear);
    picture().Undo();
    EXPECT_EQ(picture().GetCurrent(), nullptr);
    picture().Undo();
    EXPECT_EQ(At(1, 1), kBlack);
}

TEST_F(ImageEditor, ImportTakesBitmapsAndRefusesWhatCannotBeRead) {
    const std::string dir = testsupport::ScratchDir();
    auto pathOf = [&](const char* name) { return dir + "/" + name; };
    // A 2 x 2 24-bit bitmap, drawn at the picture's size: each pixel becomes an 8 x 8 block.
    const unsigned char bmp[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
                                 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,
                                 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 // bottom row: blue, white; top row: red, black
                                 255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0};
    const std::string path = pathOf("four.bmp");
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bmp, 1, sizeof(bmp), f);
    std::fclose(f);
    ASSERT_TRUE(picture().ImportFile(CString(path.c_str())));
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(15, 0), kBlack);
    EXPECT_EQ(At(0, 15), RGB(0, 0, 255));
    EXPECT_EQ(At(15, 15), RGB(255, 255, 255));
    EXPECT_EQ(picture().GetUndoCount(), 1);

    const std::string bad = pathOf("bad.bmp");
    f = std::fopen(bad.c_str(), "wb");
    std::fputs("not a picture", f);
    std::fclose(f);
    for (const std::string& p : {bad, pathOf("missing.ico"), pathOf("missing.gif")})
        EXPECT_FALSE(picture().ImportFile(CString(p.c_str()))) << p;
    EXPECT_EQ(picture().GetUndoCount(), 1);
    EXPECT_EQ(At(0, 0), kRed);
}

TEST_F(ImageEditor, ResultIconsKeepTransparency) {
    Dot(4, 4);
    CTKPIconHandle icon;
    ASSERT_TRUE(editor.GetResultIcon(icon));
    EXPECT_FALSE(icon.IsAlpha());
    tkp_pixels::IconImages parts;
    ASSERT_TRUE(tkp_pixels::ReadIcon(icon.GetIcon(), parts));
    ASSERT_EQ(parts.mask.width, 16);
    EXPECT_EQ(parts.mask.At(4, 4) & 0xFFFFFF, 0u); // opaque
    EXPECT_NE(parts.mask.At(0, 0) & 0xFFFFFF, 0u); // transparent

    // An alpha icon comes back as an alpha icon; its transparent pixels carry no colour.
    tkp_pixels::Image pixels;
    pixels.width = pixels.height = 16;
    pixels.pixels.assign(256, 0);
    pixels.At(1, 1) = 0xFF00FF00;
    HBITMAP alpha = tkp_pixels::MakeBitmap(pixels);
    CTKPIconHandle source;
    source.SetAlphaBitmap(alpha);
    CTKPButtonImageEditor alphaEditor;
    alphaEditor.SetImage(source);
    EXPECT_EQ(alphaEditor.m_wndPicture.GetCurrent()->GetPixel(0, 0), kClear);
    EXPECT_EQ(alphaEditor.m_wndPicture.GetCurrent()->GetPixel(1, 1), RGB(0, 255, 0));
    // Drawing on an alpha picture makes the new pixels opaque.
    alphaEditor.m_wndPicture.ToolDown(POINT{3, 3});
    alphaEditor.m_wndPicture.ToolUp();
    EXPECT_EQ(alphaEditor.m_wndPicture.GetCurrent()->GetAlphaAt(3, 3), 255);
    CTKPIconHandle result;
    ASSERT_TRUE(alphaEditor.GetResultIcon(result));
    ASSERT_TRUE(result.IsAlpha());
    tkp_pixels::Image back;
    ASSERT_TRUE(tkp_pixels::ReadBitmap(result.GetAlphaBitmap(), back));
    EXPECT_EQ(back.At(0, 0), 0u);
    EXPECT_EQ(back.At(1, 1), 0xFF00FF00u);
    EXPECT_EQ(back.At(3, 3), 0xFF000000u);
}

TEST_F(ImageEditor, DialogLaysOutToolsPaletteAndPicture) {
    bool shown = false;
    headless::AnswerNextModal([&](HWND dlg) {
        shown = true;
        // Sixteen palette cells, 11 pixels on a 13-pixel pitch, named by their colours.
        HWND black = ::GetDlgItem(dlg, 9450), white = ::GetDlgItem(dlg, 9489), purple = ::GetDlgItem(dlg, 9472);
        ASSERT_TRUE(black && white && purple);
        RECT b, w, p;
        ::GetWindowRect(black, &b);
        ::GetWindowRect(white, &w);
        ::GetWindowRect(purple, &p);
        EXPECT_EQ(b.right - b.left, 11);
        EXPECT_EQ(w.top - b.top, 13);
        EXPECT_EQ(w.left, b.left);
        EXPECT_EQ(p.left - b.left, 7 * 13);
        EXPECT_TRUE(editor.m_wndPalette[0].m_bSelected);
        // The picture is whole cells of the picture plus its frame.
        RECT pic;
        ::GetClientRect(::GetDlgItem(dlg, TKP_ID_EDITOR_PICTURE), &pic);
        EXPECT_EQ((pic.right - 1) % 16, 0);
        EXPECT_EQ((pic.bottom - 1) % 16, 0);
        // Two tool bars of twelve and four buttons; undo is off until something is drawn.
        EXPECT_EQ(editor.m_wndTools.GetButtonCount(), 12);
        EXPECT_EQ(editor.m_wndMoves.GetButtonCount(), 4);
        EXPECT_FALSE(editor.m_wndTools.IsButtonEnabled(TKP_ID_EDITOR_UNDO));
        EXPECT_TRUE(editor.m_wndTools.IsButtonChecked(TKP_ID_EDITOR_PENCIL));
        // A click on the picture draws, a click on the red cell selects it, undo becomes possible.
        NMHDR nm{::GetDlgItem(dlg, 9466), 9466, UINT(NM_CLICK)};
        ::SendMessageW(dlg, WM_NOTIFY, nm.idFrom, LPARAM(&nm));
        EXPECT_EQ(editor.GetDrawColor(), kRed);
        ::SendMessageW(dlg, WM_COMMAND, TKP_ID_EDITOR_RECTANGLE, 0);
        EXPECT_TRUE(editor.m_wndTools.IsButtonChecked(TKP_ID_EDITOR_RECTANGLE));
        ::SendMessageW(dlg, WM_COMMAND, TKP_ID_EDITOR_PENCIL, 0);
        HWND pictureWnd = ::GetDlgItem(dlg, TKP_ID_EDITOR_PICTURE);
        headless::Click(pictureWnd, POINT{pic.right / 16 * 2 + 1, pic.bottom / 16 * 3 + 1});
        headless::PumpUntilIdle();
        EXPECT_EQ(At(2, 3), kRed);
        EXPECT_TRUE(editor.m_wndTools.IsButtonEnabled(TKP_ID_EDITOR_UNDO));
        // The transparent cell draws transparent pixels.
        NMHDR clear{::GetDlgItem(dlg, TKP_ID_EDITOR_TRANSPARENTPICKER), TKP_ID_EDITOR_TRANSPARENTPICKER,
                    UINT(NM_CLICK)};
        ::SendMessageW(dlg, WM_NOTIFY, clear.idFrom, LPARAM(&clear));
        EXPECT_EQ(editor.GetDrawColor(), kClear);
        ::SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    ASSERT_EQ(editor.DoModal(), IDOK);
    EXPECT_TRUE(shown);
    EXPECT_EQ(At(2, 3), kRed);
}
