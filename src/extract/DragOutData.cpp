#include "extract/DragOutData.h"

#include <shellapi.h>
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

class CFileDropData final : public CSingleInterfaceObject<CFileDropData, IDataObject, IID_IDataObject> {
public:
    explicit CFileDropData(std::vector<std::wstring> files) : paths(std::move(files)) {}
    CFileDropData(const CFileDropData&) = delete;
    CFileDropData& operator=(const CFileDropData&) = delete;

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

private:
    friend class CSingleInterfaceObject<CFileDropData, IDataObject, IID_IDataObject>;
    ~CFileDropData() = default;

    const std::vector<std::wstring> paths;
};

class CLeftButtonDropSource final
    : public CSingleInterfaceObject<CLeftButtonDropSource, IDropSource, IID_IDropSource> {
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

ComRef<IDataObject> CreateFileDropData(std::vector<std::wstring> paths)
{
    return ComRef<IDataObject>::Adopt(new (std::nothrow) CFileDropData(std::move(paths)));
}

ComRef<IDropSource> CreateLeftButtonDropSource()
{
    return ComRef<IDropSource>::Adopt(new (std::nothrow) CLeftButtonDropSource());
}
