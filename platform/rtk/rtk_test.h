// Seams of the file layer for tests and benchmarks: a slow disk, and files that refuse to be read
// even by root. Both are off by default; while off, a read or an open pays one atomic load.
#pragma once

// Every read through RTK_ReadFile and RTK_ReadFileAt (the recordings, the index files of a
// recording folder, a recorder disk) first waits delay_ms; 0 turns the delay off. A process
// started with VARPEN_TEST_READ_DELAY_MS set begins with that delay.
void rtk_test_SetReadDelay(int delay_ms);
int rtk_test_ReadDelay();

// Root may read any file whatever its mode. With this on, RTK_OpenReadOnly refuses (EACCES) a
// file whose mode lets nobody read it, as it is refused to every other user, so that a test run
// as root meets an unreadable file too. A process started with VARPEN_TEST_UNREADABLE_FOR_ROOT=1
// begins with it on.
void rtk_test_SetRefuseUnreadable(bool on);
