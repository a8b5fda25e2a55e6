// msvcrt.dll functions the C++ runtime calls that older 32-bit Windows lack, made
// from functions every msvcrt.dll has. Linked into Vodivuri.exe as objects,
// they take the place of the DLL's own: libstdc++ calls through the __imp_
// pointers defined there, so the program no longer imports them.
#pragma once

struct _stat64;

extern "C" {

// _fstat64 (the msvcrt.dll of Windows Me and 2000 on; std::cerr's file buffer
// calls it) from _fstati64 (Visual C++ 4.2 on, so also Windows 95's, 98's and
// NT 4.0's): the same fields, the times widened from 32 bits.
int __cdecl vodivuriFstat64(int fd, struct _stat64* status);
}
