// Resources that only the widget tests use; ids from 9100 up stay clear of the
// program's own resources and of the other test resources.
#pragma once

// A "PNG" resource of zero bytes.
#define IDB_TEST_EMPTY_PNG 9100
// A "PNG" resource whose bytes are no image at all.
#define IDB_TEST_UNDECODABLE_PNG 9101
// No resource of any type has this id.
#define IDB_TEST_MISSING_PNG 9102
