#pragma once

#include "framework/Handles.h"
#include "framework/GdiPlus.h"

#include <cstdint>
#include <memory>

// The disabled look of one straight-alpha ARGB pixel: opaque grey of the
// pixel's luminance when its alpha is above 64, else fully transparent.
uint32_t GreySilhouettePixel(uint32_t argb) noexcept;

// A bottom-up 32-bit DIB section with every pixel 0; empty on failure.
UniqueBitmap CreateArgbDibSection(UINT width, UINT height);

// Draws the whole image at (0, 0) at width x height into `target`, which then
// holds premultiplied colour with per-pixel alpha, ready for AlphaBlend.
void RenderInto(HBITMAP target, Gdiplus::Image& image, UINT width, UINT height);

// A new ARGB bitmap of the given size holding the grey silhouette of
// `source`; null when GDI+ cannot make one. A pixel that cannot be read
// counts as opaque black.
std::unique_ptr<Gdiplus::Bitmap> MakeGreySilhouette(Gdiplus::Bitmap& source, UINT width, UINT height);
