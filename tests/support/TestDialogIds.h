// Dialog templates that only the tests use; ids from 9000 up stay clear of the
// program's own resources.
#pragma once

#define IDD_TEST_PLAIN 9000
#define IDC_TEST_EDIT 9001
#define IDC_TEST_CHECK 9002
#define IDC_TEST_NESTED 9003
#define IDC_TEST_RADIO_A 9004
#define IDC_TEST_RADIO_B 9005
#define IDC_TEST_DISABLED 9006

#define IDD_TEST_INNER 9010

// A template id that no resource script defines.
#define IDD_TEST_MISSING 9099
