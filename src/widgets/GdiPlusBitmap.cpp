#include "widgets/GdiPlusBitmap.h"

#include "framework/AppModule.h"

#include <cstring>

namespace {

// Decodes the image in `block`; null when GDI+ cannot. The stream leaves the
// block to its owner.
std::unique_ptr<Gdiplus::Bitmap> DecodeFromBlock(HGLOBAL block)
{
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, FALSE, &stream)))
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream));
    stream->Release();
    if (decoded && decoded->GetLastStatus() != Gdiplus::Ok)
        decoded.reset();
    return decoded;
}

}  // namespace

CGdiPlusBitmapResource::CGdiPlusBitmapResource(UINT id)
{
    LoadPng(id);
}

CGdiPlusBitmapResource::~CGdiPlusBitmapResource()
{
    // The bitmap must go before the block it was decoded from.
    Clear();
}

bool CGdiPlusBitmapResource::LoadPng(UINT id)
{
    Clear();
    HMODULE module = Module().GetInstance();
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (!resource)
        return false;
    DWORD size = ::SizeofResource(module, resource);
    if (size == 0)
        return false;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes)
        return false;

    UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block)
        return false;
    // Locked for as long as the bitmap decoded from it lives.
    bufferLock.emplace(block.get());
    if (!bufferLock->Data()) {
        bufferLock.reset();
        return false;
    }
    std::memcpy(bufferLock->Data(), bytes, size);
    bitmap = DecodeFromBlock(block.get());
    if (!bitmap) {
        bufferLock.reset();
        return false;
    }
    buffer = std::move(block);
    return true;
}

void CGdiPlusBitmapResource::Clear() noexcept
{
    bitmap.reset();
    bufferLock.reset();
    buffer.reset();
}
