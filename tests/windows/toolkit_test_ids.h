#pragma once
// The test dialog's id, shared by its resource script and the tests.
#define IDD_TOOLKIT_TEST 100
