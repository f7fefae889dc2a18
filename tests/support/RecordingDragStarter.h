// Stands in for DoDragDrop while it lives: reads what each drag offers, as a drop
// target would, and what its drop source answers, then reports a copy.
#pragma once

#include "RarFixture.h"

#include "extract/DragOut.h"

#include <windows.h>
#include <shellapi.h>
#include <shldisp.h>

#include <functional>
#include <string>
#include <vector>

class RecordingDragStarter {
public:
    struct Drag {
        DWORD allowedEffects = 0;
        std::vector<CLIPFORMAT> formats;    // as EnumFormatEtc lists them
        HRESULT fileDropQuery = E_FAIL;     // QueryGetData for CF_HDROP in global memory
        std::vector<std::wstring> files;    // DragQueryFileW over GetData's block
        std::vector<std::string> contents;  // each file's bytes while the drag ran ("" for a folder)
        std::vector<std::string> marks;     // each file's Zone.Identifier then ("" for none)
        HRESULT whileHeld = E_FAIL;         // QueryContinueDrag with the left button down
        HRESULT onRelease = E_FAIL;         // ... with the button up
        HRESULT onEscape = E_FAIL;          // ... with Esc pressed
    };

    RecordingDragStarter() : previous(SetDragStarter(&Record)), previousProbe(SetDragButtonProbe(&ButtonHeld))
    {
        active = this;
    }
    ~RecordingDragStarter()
    {
        SetDragStarter(previous);
        SetDragButtonProbe(previousProbe);
        active = nullptr;
    }

    // Whether the mouse button is still down when the entries have been extracted.
    void SetButtonHeld(bool held) { buttonHeld = held; }
    // Runs while each drag is on, after the recording, with the files in place.
    void During(std::function<void(const Drag&)> action) { during = std::move(action); }
    // The next drops are taken as a shell target takes a long copy: asynchronously,
    // until EndAsyncDrops reports their end.
    void TakeDropsAsynchronously() { asynchronous = true; }
    void EndAsyncDrops()
    {
        for (IDataObjectAsyncCapability* operation : pending) {
            operation->EndOperation(S_OK, nullptr, DROPEFFECT_COPY);
            operation->Release();
        }
        pending.clear();
    }
    // The target lets the data go without reporting the end (Quillet closing under it).
    void ReleaseAsyncDropsUnended()
    {
        for (IDataObjectAsyncCapability* operation : pending)
            operation->Release();
        pending.clear();
    }
    // The next drags end without a drop, as Esc ends them.
    void CancelDrops() { cancel = true; }
    RecordingDragStarter(const RecordingDragStarter&) = delete;
    RecordingDragStarter& operator=(const RecordingDragStarter&) = delete;

    const std::vector<Drag>& Drags() const { return drags; }

    static std::vector<std::wstring> FilesOf(HDROP drop)
    {
        std::vector<std::wstring> files;
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::wstring name(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
            name.resize(::DragQueryFileW(drop, i, &name[0], static_cast<UINT>(name.size())));
            files.push_back(name);
        }
        return files;
    }

private:
    static HRESULT Record(IDataObject* data, IDropSource* source, DWORD allowedEffects, DWORD* effect)
    {
        Drag drag;
        drag.allowedEffects = allowedEffects;
        IEnumFORMATETC* formats = nullptr;
        if (data->EnumFormatEtc(DATADIR_GET, &formats) == S_OK && formats) {
            FORMATETC format = {};
            while (formats->Next(1, &format, nullptr) == S_OK)
                drag.formats.push_back(format.cfFormat);
            formats->Release();
        }
        FORMATETC fileDrop = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        drag.fileDropQuery = data->QueryGetData(&fileDrop);
        STGMEDIUM medium = {};
        if (data->GetData(&fileDrop, &medium) == S_OK) {
            drag.files = FilesOf(static_cast<HDROP>(medium.hGlobal));
            ::ReleaseStgMedium(&medium);
        }
        // Read now, while the files are certainly there.
        for (const std::wstring& file : drag.files) {
            drag.contents.push_back(ReadWholeFile(file));
            drag.marks.push_back(ReadWholeFile(file + L":Zone.Identifier"));
        }
        if (active->during)
            active->during(drag);
        IDataObjectAsyncCapability* operation = nullptr;
        if (active->asynchronous &&
            data->QueryInterface(IID_IDataObjectAsyncCapability, reinterpret_cast<void**>(&operation)) == S_OK) {
            BOOL allowed = FALSE;
            if (operation->GetAsyncMode(&allowed) == S_OK && allowed && operation->StartOperation(nullptr) == S_OK)
                active->pending.push_back(operation);
            else
                operation->Release();
        }
        drag.whileHeld = source->QueryContinueDrag(FALSE, MK_LBUTTON);
        drag.onRelease = source->QueryContinueDrag(FALSE, 0);
        drag.onEscape = source->QueryContinueDrag(TRUE, MK_LBUTTON);
        active->drags.push_back(drag);
        *effect = active->cancel ? DROPEFFECT_NONE : DROPEFFECT_COPY;
        return active->cancel ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
    }

    static bool ButtonHeld() { return !active || active->buttonHeld; }

    static inline RecordingDragStarter* active = nullptr;
    DragStarter previous;
    DragButtonProbe previousProbe;
    bool buttonHeld = true;
    bool asynchronous = false;
    bool cancel = false;
    std::function<void(const Drag&)> during;
    std::vector<IDataObjectAsyncCapability*> pending;
    std::vector<Drag> drags;
};
