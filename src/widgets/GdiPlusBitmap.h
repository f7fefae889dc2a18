#pragma once

#include "framework/GdiPlus.h"
#include "framework/Handles.h"

#include <optional>

#include <memory>

// Owns one GDI+ bitmap, or none.
class CGdiPlusBitmap {
public:
    CGdiPlusBitmap() noexcept = default;
    virtual ~CGdiPlusBitmap() = default;
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    // Valid while this object lives and holds it.
    Gdiplus::Bitmap* Get() const noexcept { return bitmap.get(); }
    explicit operator bool() const noexcept { return bitmap != nullptr; }

protected:
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
};

// A PNG image from the program's own resources (type "PNG"), decoded by GDI+.
// The PNG's bytes stay in a locked global block while the bitmap lives,
// because GDI+ may read a stream-backed image lazily.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
public:
    CGdiPlusBitmapResource() noexcept = default;
    // Tries to load; whether it worked shows in Get().
    explicit CGdiPlusBitmapResource(UINT id);
    ~CGdiPlusBitmapResource() override;

    // Replaces whatever was held. True when a decoded image is now held;
    // on false the object is empty.
    bool LoadPng(UINT id);
    void Clear() noexcept;

    // The block holding the PNG's bytes, or null.
    HGLOBAL Buffer() const noexcept { return buffer.get(); }

private:
    UniqueGlobal buffer;
    std::optional<ScopedGlobalLock> bufferLock;  // unlocked before the block is freed
};
