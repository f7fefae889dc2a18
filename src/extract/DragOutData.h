#pragma once

// The COM side of dragging entries out: the data object that offers the extracted
// files to a drop target, and the drop source that follows the mouse and Esc.

#include "extract/DragFolders.h"
#include "framework/ComRef.h"
#include "framework/Handles.h"

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

// A movable global block in the shell's file-drop format: a DROPFILES header with
// wide names, then each path with its terminator, then one more terminator (two
// for no paths at all, as readers of the list expect). Empty when it cannot be
// allocated.
UniqueGlobal MakeFileDropBlock(const std::vector<std::wstring>& paths);

// Offers `paths` as CF_HDROP in global memory; every GetData hands out a block
// of its own, which the receiver frees. `folder`, when given, holds the files: see
// FinishFileDrop for when it goes.
ComRef<IDataObject> CreateFileDropData(std::vector<std::wstring> paths, DragFolder folder = DragFolder());

// Tells data made by CreateFileDropData that DoDragDrop has returned, `dropped` or
// not. Its folder goes now when nothing was dropped, and once the target reports
// the end of its operation when it took the data asynchronously (whenever that
// end comes). A target that took the files otherwise may read them at any time
// later: the folder is kept, for a later start to remove (see DragFolders.h), as
// it is whenever the data object goes before the end of an operation.
void FinishFileDrop(IDataObject* data, bool dropped);

// Drops when the left button goes up; Esc or the right button cancels.
ComRef<IDropSource> CreateLeftButtonDropSource();
