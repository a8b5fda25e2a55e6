// Ownership of kernel handles (tokens, mutexes, files): closed when their owner goes.
#pragma once

namespace vodivuri::platform::win32 {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  // Takes a handle as CreateFile or CreateMutex return it; null and
  // INVALID_HANDLE_VALUE both mean no handle.
  explicit UniqueHandle(void* handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  void* get() const { return handle_; }
  bool valid() const;
  void* release() {
    void* h = handle_;
    handle_ = nullptr;
    return h;
  }
  void reset(void* handle = nullptr) noexcept;
  // For the calls that hand a handle back through a pointer.
  void** out() {
    reset();
    return &handle_;
  }

 private:
  void* handle_ = nullptr;
};

}  // namespace vodivuri::platform::win32
