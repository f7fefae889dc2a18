#include "extract/DragOutData.h"

#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include <cstring>
#include <new>
#include <utility>

namespace {

FORMATETC FileDropFormat()
{
    FORMATETC format = {};
    format.cfFormat = CF_HDROP;
    format.ptd = nullptr;
    format.dwAspect = DVASPECT_CONTENT;
    format.lindex = -1;
    format.tymed = TYMED_HGLOBAL;
    return format;
}

// The IUnknown part of each object here: one interface besides IUnknown, and
// the object deletes itself with its last reference. Single-threaded apartment
// objects (the drag runs on the user-interface thread), but the count is kept
// interlocked as COM asks.
template <typename Object, typename Interface, const IID& kInterfaceId>
class CSingleInterfaceObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kInterfaceId)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&count)); }

    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = static_cast<ULONG>(::InterlockedDecrement(&count));
        if (left == 0)
            delete static_cast<Object*>(this);
        return left;
    }

protected:
    CSingleInterfaceObject() = default;
    ~CSingleInterfaceObject() = default;

private:
    LONG count = 1;
};

// Offers the files, and removes the folder they were written into when no target
// can read them any more: at once when nothing was dropped, at the end of an
// asynchronous operation (IDataObjectAsyncCapability) when a target took them so.
// Otherwise the folder outlives the object.
class CFileDropData final : public IDataObject, public IDataObjectAsyncCapability {
public:
    CFileDropData(std::vector<std::wstring> files, DragFolder holder)
        : paths(std::move(files)), folder(std::move(holder))
    {
    }
    CFileDropData(const CFileDropData&) = delete;
    CFileDropData& operator=(const CFileDropData&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
        } else if (IsEqualIID(iid, IID_IDataObjectAsyncCapability)) {
            *object = static_cast<IDataObjectAsyncCapability*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&count)); }

    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = static_cast<ULONG>(::InterlockedDecrement(&count));
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (!medium)
            return E_INVALIDARG;
        const HRESULT supported = QueryGetData(format);
        if (supported != S_OK)
            return supported;
        UniqueGlobal block = MakeFileDropBlock(paths);
        if (!block)
            return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block.release();
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override
    {
        if (!format)
            return E_INVALIDARG;
        if (format->cfFormat != CF_HDROP)
            return DV_E_FORMATETC;
        if (format->dwAspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (format->lindex != -1)
            return DV_E_LINDEX;
        if (!(format->tymed & TYMED_HGLOBAL))
            return DV_E_TYMED;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override
    {
        if (!format || !canonical)
            return E_INVALIDARG;
        *canonical = *format;
        canonical->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }

    // Drop targets may try to leave notes on the object (drop descriptions and
    // the like); it takes none.
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override
    {
        if (!formats)
            return E_INVALIDARG;
        *formats = nullptr;
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        const FORMATETC offered = FileDropFormat();
        return ::SHCreateStdEnumFmtEtc(1, &offered, formats);
    }

    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    // The target's side of an asynchronous drop; it may call from its own thread.
    HRESULT STDMETHODCALLTYPE SetAsyncMode(BOOL doAsync) override
    {
        ScopedLock guard(lock);
        asyncAllowed = doAsync != FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAsyncMode(BOOL* isAsync) override
    {
        if (!isAsync)
            return E_INVALIDARG;
        ScopedLock guard(lock);
        *isAsync = asyncAllowed ? TRUE : FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE StartOperation(IBindCtx*) override
    {
        ScopedLock guard(lock);
        inOperation = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InOperation(BOOL* inAsyncOperation) override
    {
        if (!inAsyncOperation)
            return E_INVALIDARG;
        ScopedLock guard(lock);
        *inAsyncOperation = inOperation ? TRUE : FALSE;
        return S_OK;
    }
    // The target has read what it wanted: the files can go.
    HRESULT STDMETHODCALLTYPE EndOperation(HRESULT, IBindCtx*, DWORD) override
    {
        DragFolder done;
        {
            ScopedLock guard(lock);
            inOperation = false;
            done = std::move(folder);
        }
        done.Remove();
        return S_OK;
    }

    // DoDragDrop has returned.
    void DragReturned(bool dropped)
    {
        DragFolder done;
        {
            ScopedLock guard(lock);
            if (dropped)
                return;
            done = std::move(folder);
        }
        done.Remove();
    }

private:
    // A folder still here is kept (DragFolder's destructor): a target may still read it.
    ~CFileDropData() = default;

    const std::vector<std::wstring> paths;
    LONG count = 1;
    CriticalSection lock;  // the async state below and `folder`
    DragFolder folder;     // empty once removed, or when there is none
    bool asyncAllowed = true;
    bool inOperation = false;
};

class CLeftButtonDropSource final : public CSingleInterfaceObject<CLeftButtonDropSource, IDropSource, IID_IDropSource> {
public:
    CLeftButtonDropSource() = default;
    CLeftButtonDropSource(const CLeftButtonDropSource&) = delete;
    CLeftButtonDropSource& operator=(const CLeftButtonDropSource&) = delete;

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override
    {
        if (escapePressed || (keyState & MK_RBUTTON))
            return DRAGDROP_S_CANCEL;
        if (!(keyState & MK_LBUTTON))
            return DRAGDROP_S_DROP;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    friend class CSingleInterfaceObject<CLeftButtonDropSource, IDropSource, IID_IDropSource>;
    ~CLeftButtonDropSource() = default;
};

}  // namespace

UniqueGlobal MakeFileDropBlock(const std::vector<std::wstring>& paths)
{
    SIZE_T characters = 1;  // the closing terminator
    for (const std::wstring& path : paths)
        characters += path.size() + 1;
    if (paths.empty())
        characters = 2;
    UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + characters * sizeof(wchar_t)));
    if (!block)
        return block;
    const ScopedGlobalLock lock(block.get());
    auto* header = lock.As<DROPFILES>();
    if (!header)
        return UniqueGlobal();
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    // Zero-filled: every terminator is there already.
    auto* names = reinterpret_cast<wchar_t*>(lock.As<BYTE>() + sizeof(DROPFILES));
    for (const std::wstring& path : paths) {
        std::memcpy(names, path.c_str(), path.size() * sizeof(wchar_t));
        names += path.size() + 1;
    }
    return block;
}

ComRef<IDataObject> CreateFileDropData(std::vector<std::wstring> paths, DragFolder folder)
{
    auto* data = new (std::nothrow) CFileDropData(std::move(paths), std::move(folder));
    // No drag will offer the files.
    if (!data)
        folder.Remove();
    return ComRef<IDataObject>::Adopt(data);
}

void FinishFileDrop(IDataObject* data, bool dropped)
{
    if (data)
        static_cast<CFileDropData*>(data)->DragReturned(dropped);
}

ComRef<IDropSource> CreateLeftButtonDropSource()
{
    return ComRef<IDropSource>::Adopt(new (std::nothrow) CLeftButtonDropSource());
}
