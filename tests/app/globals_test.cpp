#include "mdl_karwen.h"

#include <gtest/gtest.h>

#include <bit>

using namespace karwen;

TEST(Globals, StartValues)
{
    // Scribble over the state first: start-up must not depend on it.
    hSrc = 7;
    hDst = -1;
    Interp = 2;
    SrcPrm.R = 123.0;
    RefX = 5.0f;
    SrcFile = "x.bmp";
    AreaOn = true;
    GridOn = false;
    initGlobals();

    EXPECT_EQ(hSrc, 0);
    EXPECT_EQ(hDst, 0);
    EXPECT_EQ(Interp, 0);
    EXPECT_EQ(SrcW, 0);
    EXPECT_EQ(SrcH, 0);
    EXPECT_EQ(DstW, 512);
    EXPECT_EQ(DstH, 512);
    EXPECT_EQ(SrcBound.Left | SrcBound.Top | SrcBound.Right | SrcBound.Bottom, 0);
    EXPECT_EQ(SrcPrm.Cx, 0.0);
    EXPECT_EQ(SrcPrm.R, 0.0);
    EXPECT_EQ(SrcPrm.Proj, 0);
    EXPECT_EQ(DstPrm.Cx, 256.0);
    EXPECT_EQ(DstPrm.Cy, 256.0);
    EXPECT_EQ(DstPrm.R, 256.0);
    EXPECT_EQ(DstPrm.Alpha, 0.0);
    EXPECT_EQ(DstPrm.Beta, 0.0);
    EXPECT_EQ(DstPrm.Rot, 0.0);
    EXPECT_EQ(DstPrm.Proj, kOrthographic);
    EXPECT_EQ(RefX, 0.0f);
    EXPECT_EQ(RefY, 0.0f);
    EXPECT_EQ(SrcFile, "");
    EXPECT_EQ(DstFile, "");
    EXPECT_EQ(AreaFile, "");
    EXPECT_FALSE(AreaOn);
    EXPECT_TRUE(GridOn);
    EXPECT_EQ(GridR, 3);
    EXPECT_EQ(GridTheta, 3);
    EXPECT_EQ(AreaFileTag, 0);

    // The tables are filled, the grid after the coefficients.
    EXPECT_EQ(ProjName[kEquidistant], "Equidistant");
    EXPECT_EQ(CoefB[1][kEquidistant], std::bit_cast<float>(0x3F9BE6DDu));
    EXPECT_NEAR(GridRadius[9][kEquidistant], 0.5f, 1e-6);
    EXPECT_EQ(GridStep[6], 18);
}
