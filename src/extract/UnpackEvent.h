#pragma once

// The one message the extraction worker sends to its progress dialog, always
// posted. wParam is a tag, lParam its data.

#include <windows.h>

constexpr UINT WM_UNPACK_EVENT = WM_USER + 0x12AA;  // 0x16AA

// Tags are arbitrary 32-bit values rather than 0, 1, 2...: a stray WM_USER-range
// message with a small wParam is never mistaken for one.
enum UnpackEventTag : WPARAM {
    UNPACK_CREATING_FOLDER = 0x19121001,  // 0
    UNPACK_EXTRACTING = 0x81623123,       // LocalAlloc copy of the entry's name; the dialog frees it
    UNPACK_SKIPPING = 0x23905895,         // the same
    UNPACK_PROGRESS = 0x12BF2A62,         // position, 65536 = the expected total (may be passed)
    UNPACK_NEED_PASSWORD = 0x19122222,    // 0; answered through the job's event
    UNPACK_ERROR = 0xBFA56921,            // RAR result code; acknowledged through the event
    UNPACK_DONE = 0xF17154ED,             // 1 when an error was reported, else 0
    // Our additions, acknowledged through the event like UNPACK_ERROR.
    UNPACK_DESTINATION_FAILED = 0x0DE57FA1,  // 0
    UNPACK_UNSAFE_NAMES = 0x5AFE0271,        // how many entries were skipped for their names
    UNPACK_FAILED_ENTRIES = 0xFA11ED05,      // LocalAlloc text telling of the failed entries; the dialog frees it
    UNPACK_LINKS_LEFT_OUT = 0x11A5C0F7,      // how many links were left out
};
