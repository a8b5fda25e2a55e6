#include "platform/win32/msvcrt_compat.hpp"

#include <sys/stat.h>

#ifndef __i386__
#error "for the 32-bit program only: every 64-bit msvcrt.dll has these functions"
#endif

namespace {

// msvcrt.dll's _fstati64 itself: the header's declaration names another function.
extern "C" int __cdecl msvcrtFstati64(int fd, struct _stat32i64* status) __asm__("__fstati64");

}  // namespace

extern "C" {

int __cdecl vodivuriFstat64(int fd, struct _stat64* status) {
  struct _stat32i64 old {};
  if (msvcrtFstati64(fd, &old) != 0) return -1;
  *status = {};
  status->st_dev = old.st_dev;
  status->st_ino = old.st_ino;
  status->st_mode = old.st_mode;
  status->st_nlink = old.st_nlink;
  status->st_uid = old.st_uid;
  status->st_gid = old.st_gid;
  status->st_rdev = old.st_rdev;
  status->st_size = old.st_size;
  status->st_atime = old.st_atime;
  status->st_mtime = old.st_mtime;
  status->st_ctime = old.st_ctime;
  return 0;
}

// Where callers compiled against msvcrt.dll look for _fstat64.
int(__cdecl* vodivuriFstat64Import)(int,
                                    struct _stat64*) __asm__("__imp___fstat64") = vodivuriFstat64;
}
