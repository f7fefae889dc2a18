#pragma once

#include <string>

// Whether an entry name from an archive could land outside the destination, or
// in an alternate data stream, when handed to the RAR library: a ":" anywhere, a
// leading "\" or "/" (rooted or UNC), a component that Windows would read as ".."
// (any run of dots and blanks with two or more dots: Windows drops trailing dots
// and blanks), or a control character. Such entries are never extracted. So is
// a name that fills the library's header field to its end: the library reads
// names of up to 2,047 characters but hands out only the first 1,023 whole, and
// would write under the whole name what was checked here cut.
bool IsUnsafeEntryName(const std::wstring& name);
