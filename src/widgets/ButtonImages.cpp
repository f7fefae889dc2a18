#include "widgets/ButtonImages.h"

#include <cstring>

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;
constexpr uint32_t kMinimumVisibleAlpha = 64;

}  // namespace

uint32_t GreySilhouettePixel(uint32_t argb) noexcept
{
    uint32_t alpha = argb >> 24;
    if (alpha <= kMinimumVisibleAlpha)
        return 0;
    double red = (argb >> 16) & 0xFF;
    double green = (argb >> 8) & 0xFF;
    double blue = argb & 0xFF;
    uint32_t grey = static_cast<uint32_t>(static_cast<int>(0.2126 * red + 0.7152 * green + 0.0722 * blue) & 0xFF);
    return kOpaqueBlack | grey << 16 | grey << 8 | grey;
}

UniqueBitmap CreateArgbDibSection(UINT width, UINT height)
{
    const DWORD stride = ((width * 32 + 31) / 8) & ~3u;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = static_cast<LONG>(height);  // positive: bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = height * stride;
    void* bits = nullptr;
    UniqueBitmap section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (section && bits)
        std::memset(bits, 0, static_cast<size_t>(height) * stride);
    return section;
}

void RenderInto(HBITMAP target, Gdiplus::Image& image, UINT width, UINT height)
{
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc || !target)
        return;
    ScopedSelectObject select(dc.get(), target);
    Gdiplus::Graphics graphics(dc.get());
    graphics.DrawImage(&image, 0, 0, static_cast<INT>(width), static_cast<INT>(height));
}

std::unique_ptr<Gdiplus::Bitmap> MakeGreySilhouette(Gdiplus::Bitmap& source, UINT width, UINT height)
{
    std::unique_ptr<Gdiplus::Bitmap> grey(
        new Gdiplus::Bitmap(static_cast<INT>(width), static_cast<INT>(height), PixelFormat32bppARGB));
    if (!grey || grey->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            Gdiplus::Color colour;
            uint32_t argb = source.GetPixel(static_cast<INT>(x), static_cast<INT>(y), &colour) == Gdiplus::Ok
                                ? colour.GetValue()
                                : kOpaqueBlack;
            uint32_t silhouette = GreySilhouettePixel(argb);
            if (silhouette)
                grey->SetPixel(static_cast<INT>(x), static_cast<INT>(y), Gdiplus::Color(silhouette));
        }
    }
    return grey;
}
