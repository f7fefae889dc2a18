#pragma once

// The COM side of dragging entries out: the data object that offers the extracted
// files to a drop target, and the drop source that follows the mouse and Esc.

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
// of its own, which the receiver frees. `folder`, when given, holds the files and
// is removed with everything in it once the drop is over (see FinishFileDrop).
ComRef<IDataObject> CreateFileDropData(std::vector<std::wstring> paths, std::wstring folder = std::wstring());

// Tells data made by CreateFileDropData that DoDragDrop has returned: its folder
// goes now, or, when the target took the data asynchronously, once the target
// reports the end of its operation.
void FinishFileDrop(IDataObject* data);

// Drops when the left button goes up; Esc or the right button cancels.
ComRef<IDropSource> CreateLeftButtonDropSource();
