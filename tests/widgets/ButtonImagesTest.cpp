// The flat button's two images: the normal one with its alpha and the grey
// silhouette of the disabled look, and who owns them.

#include "ButtonTesting.h"

#include "widgets/ButtonImages.h"
#include "widgets/GdiPlusBitmap.h"
#include "widgets/ThemedButton.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

using namespace button_testing;

// A pixel of a 32-bit bottom-up DIB section, as stored (premultiplied ARGB).
uint32_t DibPixel(HBITMAP image, int x, int y)
{
    DIBSECTION section{};
    if (::GetObjectW(image, sizeof(section), &section) != sizeof(section) || !section.dsBm.bmBits)
        return 0xDEADBEEF;
    ::GdiFlush();
    const int row = section.dsBm.bmHeight - 1 - y;
    const auto* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
    return reinterpret_cast<const uint32_t*>(bits + row * section.dsBm.bmWidthBytes)[x];
}

bool IsGdiObject(HGDIOBJ object)
{
    return ::GetObjectType(object) != 0;
}

// Wine answers 0 whatever the count, which leaves the handle checks to tell.
DWORD GdiObjectCount()
{
    return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
}

TEST(GreySilhouette, KeepsOnlyPixelsMoreThanAQuarterOpaqueAsOpaqueLuminance)
{
    EXPECT_EQ(GreySilhouettePixel(0x40FF0000u), 0u);
    EXPECT_EQ(GreySilhouettePixel(0x41FF0000u), 0xFF363636u);
    EXPECT_EQ(GreySilhouettePixel(0x00FFFFFFu), 0u);
    // 0.2126, 0.7152 and 0.0722 of 255, cut toward zero.
    EXPECT_EQ(GreySilhouettePixel(0xFFFF0000u), 0xFF363636u);  // 54
    EXPECT_EQ(GreySilhouettePixel(0xFF00FF00u), 0xFFB6B6B6u);  // 182
    EXPECT_EQ(GreySilhouettePixel(0xFF0000FFu), 0xFF121212u);  // 18
    EXPECT_EQ(GreySilhouettePixel(0x80000000u), 0xFF000000u);
    // The weighted sum is cut, not rounded: 0.2126 x 200 = 42.52 gives 42.
    EXPECT_EQ(GreySilhouettePixel(0xC0C80000u), 0xFF2A2A2Au);
}

TEST(ButtonImages, SetImageMakesBottomUp32BitCopiesWithPremultipliedAlphaAndAHardGreySilhouette)
{
    std::unique_ptr<Gdiplus::Bitmap> source = SolidBitmap(0xFFFF0000u);
    source->SetPixel(0, 0, Gdiplus::Color(0x40FF0000u));    // alpha 64
    source->SetPixel(1, 0, Gdiplus::Color(0x41FF0000u));    // alpha 65
    source->SetPixel(2, 0, Gdiplus::Color(0x8000FF00u));    // half green
    source->SetPixel(31, 31, Gdiplus::Color(0xFF0000FFu));  // blue, in the last row

    CThemedButton button;
    button.SetImage(source.get());
    // The caller's bitmap may go at once: the button keeps copies.
    source.reset();
    ASSERT_NE(button.NormalImage(), nullptr);
    ASSERT_NE(button.DisabledImage(), nullptr);
    EXPECT_EQ(button.ImageWidth(), 32u);
    EXPECT_EQ(button.ImageHeight(), 32u);

    for (HBITMAP image : {button.NormalImage(), button.DisabledImage()}) {
        DIBSECTION section{};
        ASSERT_EQ(::GetObjectW(image, sizeof(section), &section), static_cast<int>(sizeof(section)));
        EXPECT_EQ(section.dsBmih.biWidth, 32);
        EXPECT_EQ(section.dsBmih.biHeight, 32);  // positive: bottom-up
        EXPECT_EQ(section.dsBmih.biBitCount, 32);
        EXPECT_EQ(section.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
    }

    HBITMAP normal = button.NormalImage();
    EXPECT_EQ(DibPixel(normal, 5, 5), 0xFFFF0000u);
    EXPECT_EQ(DibPixel(normal, 31, 31), 0xFF0000FFu);
    uint32_t halfGreen = DibPixel(normal, 2, 0);
    EXPECT_NEAR(static_cast<int>(halfGreen >> 24), 128, 1);
    EXPECT_NEAR(static_cast<int>((halfGreen >> 8) & 0xFF), 128, 1);
    EXPECT_EQ(halfGreen & 0x00FF00FFu, 0u);

    HBITMAP grey = button.DisabledImage();
    EXPECT_EQ(DibPixel(grey, 0, 0), 0u);
    EXPECT_EQ(DibPixel(grey, 1, 0), 0xFF363636u);
    EXPECT_EQ(DibPixel(grey, 2, 0), 0xFFB6B6B6u);  // the green's colour, made opaque
    EXPECT_EQ(DibPixel(grey, 5, 5), 0xFF363636u);
    EXPECT_EQ(DibPixel(grey, 31, 31), 0xFF121212u);
}

TEST(ButtonImages, EveryToolbarImageKeepsItsShapeInTheGreyImage)
{
    for (UINT id : {IDB_UNPACK, IDB_OPEN, IDB_SETTINGS, IDB_ABOUT}) {
        SCOPED_TRACE(id);
        CGdiPlusBitmapResource png(id);
        ASSERT_TRUE(png);
        CThemedButton button;
        button.SetImage(png.Get());
        int visible = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                Gdiplus::Color colour;
                png.Get()->GetPixel(x, y, &colour);
                uint32_t grey = DibPixel(button.DisabledImage(), x, y);
                EXPECT_EQ(grey, GreySilhouettePixel(colour.GetValue())) << x << ", " << y;
                visible += grey ? 1 : 0;
            }
        }
        // Something of a picture, and not a full square.
        EXPECT_GT(visible, 100);
        EXPECT_LT(visible, 32 * 32);
    }
}

TEST(ButtonImages, ANewImageReleasesTheOldPairWhileNoImageKeepsIt)
{
    std::unique_ptr<Gdiplus::Bitmap> red = SolidBitmap(0xFFFF0000u);
    std::unique_ptr<Gdiplus::Bitmap> blue = SolidBitmap(0xFF0000FFu);
    HBITMAP normal = nullptr;
    HBITMAP disabled = nullptr;
    {
        CThemedButton button;
        button.SetImage(red.get());
        HBITMAP firstNormal = button.NormalImage();
        HBITMAP firstDisabled = button.DisabledImage();
        const DWORD objects = GdiObjectCount();

        button.SetImage(blue.get());
        EXPECT_FALSE(IsGdiObject(firstNormal));
        EXPECT_FALSE(IsGdiObject(firstDisabled));
        EXPECT_EQ(GdiObjectCount(), objects);
        EXPECT_EQ(DibPixel(button.NormalImage(), 3, 3), 0xFF0000FFu);

        normal = button.NormalImage();
        disabled = button.DisabledImage();
        button.SetImage(nullptr);
        EXPECT_EQ(button.NormalImage(), normal);
        EXPECT_EQ(button.DisabledImage(), disabled);
        EXPECT_TRUE(IsGdiObject(normal));
        EXPECT_TRUE(IsGdiObject(disabled));
        EXPECT_EQ(DibPixel(normal, 3, 3), 0xFF0000FFu);
    }
    // The button owns its images.
    EXPECT_FALSE(IsGdiObject(normal));
    EXPECT_FALSE(IsGdiObject(disabled));
}

}  // namespace
