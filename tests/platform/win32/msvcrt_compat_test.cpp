// The msvcrt.dll replacements against what Windows itself says of a file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "platform/win32/msvcrt_compat.hpp"
#include "win32_test_support.hpp"

namespace vodivuri::platform::win32 {
namespace {

using vodivuri::testing::scratchFolder;

TEST(MsvcrtCompat, Fstat64TellsSizeKindAndTimesOfAFile) {
  const std::string path = scratchFolder("fstat") + "\\datos.bin";
  {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    const std::string bytes(70000, 'x');
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  }
  // Its time of change 2021-01-02 03:04:05 UTC, as a FILETIME (100 ns since 1601).
  HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const ULONGLONG ticks = (1609556645ULL + 11644473600ULL) * 10000000ULL;
  const FILETIME when{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  ASSERT_TRUE(::SetFileTime(file, &when, &when, &when));
  ::CloseHandle(file);

  const int fd = ::_open(path.c_str(), _O_RDONLY | _O_BINARY);
  ASSERT_GE(fd, 0);
  struct _stat64 status {};
  EXPECT_EQ(vodivuriFstat64(fd, &status), 0);
  ::_close(fd);
  EXPECT_EQ(status.st_size, 70000);
  EXPECT_EQ(status.st_mode & _S_IFMT, _S_IFREG);
  EXPECT_EQ(status.st_nlink, 1);
  EXPECT_EQ(status.st_mtime, 1609556645);
}

TEST(MsvcrtCompat, Fstat64RefusesAClosedDescriptorAndLeavesTheRecord) {
  struct _stat64 status {};
  status.st_size = 42;
  EXPECT_EQ(vodivuriFstat64(1000, &status), -1);
  EXPECT_EQ(status.st_size, 42);
}

TEST(MsvcrtCompat, TheRuntimesCallsReachTheReplacement) {
  // Linked in, the replacement is what msvcrt.dll's import resolves to.
  EXPECT_EQ(reinterpret_cast<void (*)()>(&::_fstat64),
            reinterpret_cast<void (*)()>(&vodivuriFstat64));
}

}  // namespace
}  // namespace vodivuri::platform::win32
