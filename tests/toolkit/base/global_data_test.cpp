// Tests of the toolkit global data: version flags, cached colours and metrics, fonts.
#include <gtest/gtest.h>

#include "toolkit/base/color_table.h"
#include "toolkit/base/global_data.h"
#include "win32/user.h"

TEST(GlobalData, CachesColoursMetricsAndFonts) {
    CTKGlobalData& g = GetGlobalData();
    EXPECT_EQ(&g, &GetGlobalData());
    EXPECT_EQ(g.m_bIsWin95 + g.m_bIsWin98 + g.m_bIsWinNT4 + g.m_bIsWin2000 + g.m_bIsWinXP, 1);
    EXPECT_TRUE(g.m_bIsWinXP);
    EXPECT_EQ(g.m_colors[0], GetColorTable().GetColorByIndex(15));
    EXPECT_EQ(g.m_colors[3], GetColorTable().GetColorByIndex(20));
    EXPECT_EQ(g.m_colors[20], GetColorTable().GetColorByIndex(30));
    EXPECT_EQ(g.m_colors[39], GetColorTable().GetColorByIndex(49));
    EXPECT_EQ(g.m_cxSmallIcon, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(g.m_cyMenu, GetSystemMetrics(SM_CYMENU));
    EXPECT_TRUE(g.m_pSettingsFileName->IsEmpty());
    EXPECT_TRUE(g.CreateFonts());
    for (HFONT f : {g.m_fontRegular, g.m_fontBold, g.m_fontUnderline, g.m_fontVert, g.m_fontVertBold, g.m_fontIconTitle,
                    g.m_fontIconTitleBold, g.m_fontMarlett, g.m_fontStatus, g.m_fontSmallCaption})
        EXPECT_NE(f, nullptr);
    LOGFONTW lf{};
    GetObjectW(g.m_fontVert, sizeof(lf), &lf);
    EXPECT_EQ(lf.lfEscapement, 2700);
    GetObjectW(g.m_fontUnderline, sizeof(lf), &lf);
    EXPECT_EQ(lf.lfUnderline, 1);
    // The toolkit cursors are resources the test program does not carry: they and those after stay empty.
    EXPECT_EQ(g.m_cursors[2], nullptr);
    EXPECT_EQ(g.m_cursors[6], nullptr);
}
