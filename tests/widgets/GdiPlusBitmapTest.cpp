// PNG images loaded from the test exe's resources through GDI+.

#include "widgets/GdiPlusBitmap.h"

#include "WidgetTestResourceIds.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

DWORD ResourceSize(UINT id)
{
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    return resource ? ::SizeofResource(module, resource) : 0;
}

bool IsFreed(HGLOBAL block)
{
    return ::GlobalFlags(block) == GMEM_INVALID_HANDLE;
}

UINT LockCount(HGLOBAL block)
{
    return ::GlobalFlags(block) & GMEM_LOCKCOUNT;
}

TEST(PngResource, EachToolbarImageDecodesAt32By32WithAlphaFromALockedCopy)
{
    for (UINT id : {IDB_UNPACK, IDB_OPEN, IDB_SETTINGS, IDB_ABOUT}) {
        SCOPED_TRACE(id);
        CGdiPlusBitmapResource image(id);
        ASSERT_TRUE(image);
        EXPECT_EQ(image.Get()->GetWidth(), 32u);
        EXPECT_EQ(image.Get()->GetHeight(), 32u);
        EXPECT_TRUE(Gdiplus::IsAlphaPixelFormat(image.Get()->GetPixelFormat()));
        ASSERT_NE(image.Buffer(), nullptr);
        EXPECT_EQ(::GlobalSize(image.Buffer()), ResourceSize(id));
        EXPECT_EQ(LockCount(image.Buffer()), 1u);
    }
}

TEST(PngResource, MissingEmptyAndUndecodableResourcesLeaveTheLoaderEmpty)
{
    // The last two exist, so their failure comes from the size check and the decoder.
    EXPECT_EQ(ResourceSize(IDB_TEST_MISSING_PNG), 0u);
    ASSERT_NE(::FindResourceW(nullptr, MAKEINTRESOURCEW(IDB_TEST_EMPTY_PNG), L"PNG"), nullptr);
    EXPECT_EQ(ResourceSize(IDB_TEST_EMPTY_PNG), 0u);
    EXPECT_GT(ResourceSize(IDB_TEST_UNDECODABLE_PNG), 0u);

    for (UINT id : {IDB_TEST_MISSING_PNG, IDB_TEST_EMPTY_PNG, IDB_TEST_UNDECODABLE_PNG}) {
        SCOPED_TRACE(id);
        CGdiPlusBitmapResource image;
        EXPECT_FALSE(image.LoadPng(id));
        EXPECT_FALSE(image);
        EXPECT_EQ(image.Buffer(), nullptr);

        CGdiPlusBitmapResource constructed(id);
        EXPECT_FALSE(constructed);
        EXPECT_EQ(constructed.Buffer(), nullptr);
    }
}

TEST(PngResource, AFailedLoadFreesWhatTheLoaderHeld)
{
    CGdiPlusBitmapResource image(IDB_OPEN);
    ASSERT_TRUE(image);
    HGLOBAL first = image.Buffer();

    EXPECT_FALSE(image.LoadPng(IDB_TEST_UNDECODABLE_PNG));
    EXPECT_FALSE(image);
    EXPECT_EQ(image.Buffer(), nullptr);
    EXPECT_TRUE(IsFreed(first));
}

TEST(PngResource, LoadingTwiceFreesTheFirstImageAndBlock)
{
    CGdiPlusBitmapResource image(IDB_OPEN);
    ASSERT_TRUE(image);
    HGLOBAL first = image.Buffer();

    ASSERT_TRUE(image.LoadPng(IDB_ABOUT));
    EXPECT_EQ(::GlobalSize(image.Buffer()), ResourceSize(IDB_ABOUT));
    // Freed first, so the second block may well take over the same handle;
    // it is then locked once, not twice.
    EXPECT_TRUE(IsFreed(first) || first == image.Buffer());
    EXPECT_EQ(LockCount(image.Buffer()), 1u);

    HGLOBAL second = image.Buffer();
    image.Clear();
    EXPECT_FALSE(image);
    EXPECT_EQ(image.Buffer(), nullptr);
    EXPECT_TRUE(IsFreed(second));
}

}  // namespace
