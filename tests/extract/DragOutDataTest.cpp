// What a drop target gets from a drag out of the list: the file-drop block, the
// data object around it and the drop source, read through their COM interfaces.

#include "DiskFiles.h"
#include "RarFixture.h"
#include "RecordingDragStarter.h"
#include "TemporaryFolderOverride.h"

#include "extract/DragFolders.h"
#include "extract/DragOut.h"
#include "extract/DragOutData.h"
#include "framework/Handles.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Paths = std::vector<std::wstring>;

FORMATETC FileDropFormat()
{
    return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

TEST(FileDropBlock, HoldsAWideHeaderThenEachPathThenOneMoreTerminator)
{
    const Paths paths = {L"C:\\t\\a.txt", L"C:\\t\\docs"};
    UniqueGlobal block = MakeFileDropBlock(paths);
    ASSERT_TRUE(block);
    const SIZE_T expectedSize = 20 + 2 * ((10 + 1) + (9 + 1)) + 2;
    EXPECT_EQ(GlobalSize(block.get()), expectedSize);
    EXPECT_NE(GlobalFlags(block.get()) & GMEM_INVALID_HANDLE, GMEM_INVALID_HANDLE);
    {
        const ScopedGlobalLock lock(block.get());
        const auto* header = lock.As<DROPFILES>();
        EXPECT_EQ(header->pFiles, 20u);
        EXPECT_EQ(header->pt.x, 0);
        EXPECT_EQ(header->pt.y, 0);
        EXPECT_FALSE(header->fNC);
        EXPECT_TRUE(header->fWide);
        const auto* names = reinterpret_cast<const wchar_t*>(lock.As<BYTE>() + 20);
        EXPECT_EQ(std::wstring(names, expectedSize / 2 - 10), std::wstring(L"C:\\t\\a.txt\0C:\\t\\docs\0\0", 22));
    }
    EXPECT_EQ(RecordingDragStarter::FilesOf(static_cast<HDROP>(block.get())), paths);
}

TEST(FileDropBlock, EndsAnEmptyListTwiceAndKeepsLongPathsWhole)
{
    UniqueGlobal empty = MakeFileDropBlock({});
    ASSERT_TRUE(empty);
    EXPECT_EQ(GlobalSize(empty.get()), 24u);
    {
        const ScopedGlobalLock lock(empty.get());
        EXPECT_EQ(lock.As<DROPFILES>()->pFiles, 20u);
        EXPECT_EQ(std::memcmp(lock.As<BYTE>() + 20, "\0\0\0\0", 4), 0);
    }

    const Paths longPaths = {L"C:\\" + std::wstring(300, L'x') + L"\\" + std::wstring(400, L'y'), L"D:\\z"};
    UniqueGlobal block = MakeFileDropBlock(longPaths);
    ASSERT_TRUE(block);
    EXPECT_EQ(RecordingDragStarter::FilesOf(static_cast<HDROP>(block.get())), longPaths);
}

TEST(FileDropData, OffersTheFilesAsAFileDropInGlobalMemoryOnly)
{
    const Paths paths = {L"C:\\t\\a.txt", L"C:\\t\\b.txt"};
    ComRef<IDataObject> data = CreateFileDropData(paths);
    ASSERT_TRUE(data);

    FORMATETC format = FileDropFormat();
    EXPECT_EQ(data->QueryGetData(&format), S_OK);
    format.tymed = TYMED_HGLOBAL | TYMED_ISTREAM;
    EXPECT_EQ(data->QueryGetData(&format), S_OK);
    format.tymed = TYMED_ISTREAM;
    EXPECT_EQ(data->QueryGetData(&format), DV_E_TYMED);
    format = FileDropFormat();
    format.cfFormat = CF_UNICODETEXT;
    EXPECT_EQ(data->QueryGetData(&format), DV_E_FORMATETC);
    format = FileDropFormat();
    format.dwAspect = DVASPECT_THUMBNAIL;
    EXPECT_EQ(data->QueryGetData(&format), DV_E_DVASPECT);
    format = FileDropFormat();
    format.lindex = 0;
    EXPECT_EQ(data->QueryGetData(&format), DV_E_LINDEX);
    EXPECT_EQ(data->QueryGetData(nullptr), E_INVALIDARG);

    // Each GetData hands out a block of its own.
    format = FileDropFormat();
    STGMEDIUM first = {};
    STGMEDIUM second = {};
    ASSERT_EQ(data->GetData(&format, &first), S_OK);
    ASSERT_EQ(data->GetData(&format, &second), S_OK);
    EXPECT_EQ(first.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(first.pUnkForRelease, nullptr);
    EXPECT_NE(first.hGlobal, second.hGlobal);
    EXPECT_EQ(RecordingDragStarter::FilesOf(static_cast<HDROP>(first.hGlobal)), paths);
    ReleaseStgMedium(&first);
    EXPECT_EQ(RecordingDragStarter::FilesOf(static_cast<HDROP>(second.hGlobal)), paths);
    ReleaseStgMedium(&second);

    format.cfFormat = CF_TEXT;
    STGMEDIUM refused = {};
    EXPECT_EQ(data->GetData(&format, &refused), DV_E_FORMATETC);
    EXPECT_EQ(refused.hGlobal, nullptr);
    format = FileDropFormat();
    EXPECT_EQ(data->GetDataHere(&format, &refused), E_NOTIMPL);
    EXPECT_EQ(data->SetData(&format, &refused, FALSE), E_NOTIMPL);
    DWORD connection = 0;
    EXPECT_EQ(data->DAdvise(&format, 0, nullptr, &connection), OLE_E_ADVISENOTSUPPORTED);
}

TEST(FileDropData, ListsItsOneFormatAndNoneToSet)
{
    ComRef<IDataObject> data = CreateFileDropData({L"C:\\t\\a.txt"});
    ASSERT_TRUE(data);
    ComRef<IEnumFORMATETC> formats;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.put()), S_OK);
    FORMATETC listed[4] = {};
    ULONG count = 0;
    EXPECT_EQ(formats->Next(4, listed, &count), S_FALSE);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(listed[0].cfFormat, CF_HDROP);
    EXPECT_EQ(listed[0].tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(listed[0].dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
    EXPECT_EQ(listed[0].lindex, -1);
    EXPECT_EQ(data->QueryGetData(&listed[0]), S_OK);

    ComRef<IEnumFORMATETC> none;
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, none.put()), E_NOTIMPL);
    EXPECT_FALSE(none);

    FORMATETC canonical = {};
    EXPECT_EQ(data->GetCanonicalFormatEtc(&listed[0], &canonical), DATA_S_SAMEFORMATETC);
    EXPECT_EQ(canonical.cfFormat, CF_HDROP);
    EXPECT_EQ(canonical.ptd, nullptr);
}

TEST(FileDropData, CountsItsReferencesAndAnswersOnlyItsInterfaces)
{
    ComRef<IDataObject> data = CreateFileDropData({});
    ASSERT_TRUE(data);
    EXPECT_EQ(data->AddRef(), 2u);
    EXPECT_EQ(data->Release(), 1u);

    ComRef<IUnknown> unknown;
    EXPECT_EQ(data->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.put())), S_OK);
    EXPECT_EQ(unknown.get(), static_cast<IUnknown*>(data.get()));
    ComRef<IDataObject> again;
    EXPECT_EQ(data->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(again.put())), S_OK);
    EXPECT_EQ(data->AddRef(), 4u);
    EXPECT_EQ(data->Release(), 3u);
    ComRef<IDropSource> notASource;
    EXPECT_EQ(data->QueryInterface(IID_IDropSource, reinterpret_cast<void**>(notASource.put())), E_NOINTERFACE);
    EXPECT_FALSE(notASource);
    EXPECT_EQ(data->QueryInterface(IID_IDataObject, nullptr), E_POINTER);
    unknown.reset();
    again.reset();
    // Back to the one reference that `data` releases at the end.
    EXPECT_EQ(data->AddRef(), 2u);
    EXPECT_EQ(data->Release(), 1u);
}

TEST(LeftButtonDropSource, DropsOnReleaseAndCancelsOnEscOrTheOtherButton)
{
    ComRef<IDropSource> source = CreateLeftButtonDropSource();
    ASSERT_TRUE(source);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_CONTROL | MK_SHIFT), S_OK);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_CONTROL), DRAGDROP_S_DROP);
    EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(TRUE, 0), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_NONE), DRAGDROP_S_USEDEFAULTCURSORS);

    EXPECT_EQ(source->AddRef(), 2u);
    EXPECT_EQ(source->Release(), 1u);
    ComRef<IDataObject> notData;
    EXPECT_EQ(source->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(notData.put())), E_NOINTERFACE);
}

// A drop source that gives up at the first question, so that a real drag ends at
// once whatever the mouse does.
class GivingUpSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override
    {
        ++questions;
        return DRAGDROP_S_CANCEL;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

    int questions = 0;
};

// A later start removes the drag folders of earlier runs, with their markers; a
// folder without a marker, one whose marker says something else, and one whose
// marker a running Quillet holds (this process, or another) all stay.
TEST(DragFolders, ALaterStartRemovesOnlyTheLeftoversOfEarlierRuns)
{
    RarFixture fixture;
    const std::wstring temp = fixture.Folder() + L"\\temp";
    TemporaryFolderOverride useTemp(temp);
    auto leave = [&temp](const std::wstring& name, const char* marker) {
        WriteFileAt(temp + L"\\" + name + L"\\docs\\a.txt", "a");
        if (marker)
            WriteFileAt(temp + L"\\" + name + L".lock", marker);
        return temp + L"\\" + name;
    };
    auto there = [](const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    const std::wstring earlier = leave(L"photos-quillet-drag-0000A1B2", "Quillet drag folder\r\n");
    const std::wstring unmarked = leave(L"photos-quillet-drag-0000C3D4", nullptr);
    const std::wstring foreign = leave(L"photos-quillet-drag-0000E5F6", "something else");
    const std::wstring badName = leave(L"photos-quillet-drag-XYZ", "Quillet drag folder\r\n");
    const std::wstring held = leave(L"photos-quillet-drag-00001234", "Quillet drag folder\r\n");
    UniqueKernelHandle otherQuillet(CreateFileW(DragFolderMarker(held).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(otherQuillet);
    DragFolder ours = DragFolder::Create(L"C:\\archives\\photos.rar");
    ASSERT_FALSE(ours.Empty());
    EXPECT_EQ(ours.Path().rfind(temp + L"\\photos-quillet-drag-", 0), 0u);
    const std::wstring kept = ours.Path();
    ours = DragFolder();  // kept, and its marker held to the end of the process

    RemoveLeftoverDragFolders();
    EXPECT_FALSE(there(earlier));
    EXPECT_FALSE(there(DragFolderMarker(earlier)));
    for (const std::wstring& stays : {unmarked, foreign, badName, held, kept})
        EXPECT_TRUE(there(stays)) << stays.c_str();
    EXPECT_EQ(ReadWholeFileAt(foreign + L".lock"), "something else");

    // That Quillet has ended.
    otherQuillet.reset();
    RemoveLeftoverDragFolders();
    EXPECT_FALSE(there(held));
    EXPECT_FALSE(there(DragFolderMarker(held)));
    EXPECT_TRUE(there(kept));
}

TEST(RealDrag, TheDefaultStarterRunsDoDragDropOnThisThread)
{
    ComRef<IDataObject> data = CreateFileDropData({L"C:\\t\\a.txt"});
    GivingUpSource source;
    DWORD effect = DROPEFFECT_COPY;
    // COM is initialised as the program's entry does it; the starter sees to OLE.
    EXPECT_EQ(StartDragSeam(data.get(), &source, DROPEFFECT_COPY, &effect), DRAGDROP_S_CANCEL);
    EXPECT_GE(source.questions, 1);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

}  // namespace
