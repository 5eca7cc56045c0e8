// Owners for OS handles and OS-allocated memory. One policy template over a close
// function and an invalid value; every owner moves but never copies, and closing during
// a reset keeps the caller's last-error value, so a failure can still be logged after
// the clean-up ran.
//
//   nbase::win::ScopedHandle file(CreateFileW(...));
//   if (!file) return false;          // no CloseHandle on any path
#pragma once

#include <windows.h>
// CoTaskMemFree; WIN32_LEAN_AND_MEAN leaves the COM headers out of windows.h.
#include <objbase.h>

#include <utility>

namespace nbase {
namespace win {

template <typename Traits>
class ScopedAny {
 public:
  using Handle = typename Traits::Handle;

  ScopedAny() noexcept : handle_(Traits::Invalid()) {}
  explicit ScopedAny(Handle handle) noexcept : handle_(handle) {}
  ~ScopedAny() { reset(); }

  ScopedAny(ScopedAny&& other) noexcept : handle_(other.release()) {}
  ScopedAny& operator=(ScopedAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ScopedAny(const ScopedAny&) = delete;
  ScopedAny& operator=(const ScopedAny&) = delete;

  Handle get() const noexcept { return handle_; }
  bool valid() const noexcept { return Traits::IsValid(handle_); }
  explicit operator bool() const noexcept { return valid(); }

  // For out-parameters: closes the current handle and hands out the slot.
  Handle* put() noexcept {
    reset();
    return &handle_;
  }

  Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

  void reset(Handle handle = Traits::Invalid()) noexcept {
    if (Traits::IsValid(handle_)) {
      const DWORD last_error = ::GetLastError();
      Traits::Close(handle_);
      ::SetLastError(last_error);
    }
    handle_ = handle;
  }

 private:
  Handle handle_;
};

// Kernel objects. Both null and INVALID_HANDLE_VALUE count as "no handle", since
// CreateFile and the other creators disagree on which one they return on failure.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
using ScopedHandle = ScopedAny<KernelHandleTraits>;

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) noexcept { ::FindClose(h); }
};
using ScopedFindHandle = ScopedAny<FindHandleTraits>;

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};
using ScopedModule = ScopedAny<ModuleTraits>;

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static void Close(Handle h) noexcept { ::RegCloseKey(h); }
};
using ScopedRegKey = ScopedAny<RegKeyTraits>;

template <typename GdiObject>
struct GdiObjectTraits {
  using Handle = GdiObject;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static void Close(Handle h) noexcept { ::DeleteObject(h); }
};
using ScopedBitmap = ScopedAny<GdiObjectTraits<HBITMAP>>;
using ScopedFont = ScopedAny<GdiObjectTraits<HFONT>>;
using ScopedBrush = ScopedAny<GdiObjectTraits<HBRUSH>>;
using ScopedRegion = ScopedAny<GdiObjectTraits<HRGN>>;

// A window this code created; DestroyWindow must run on the thread that created it, so
// the owner stays on that thread.
struct WindowTraits {
  using Handle = HWND;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static void Close(Handle h) noexcept { ::DestroyWindow(h); }
};
using ScopedWindow = ScopedAny<WindowTraits>;

// A device context made with CreateCompatibleDC (not one from GetDC).
struct CreatedDcTraits {
  using Handle = HDC;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static void Close(Handle h) noexcept { ::DeleteDC(h); }
};
using ScopedCreatedDc = ScopedAny<CreatedDcTraits>;

struct LocalMemTraits {
  using Handle = HLOCAL;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static void Close(Handle h) noexcept { ::LocalFree(h); }
};
using ScopedLocalMem = ScopedAny<LocalMemTraits>;

struct GlobalMemTraits {
  using Handle = HGLOBAL;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static void Close(Handle h) noexcept { ::GlobalFree(h); }
};
using ScopedGlobalMem = ScopedAny<GlobalMemTraits>;

// A device context from GetDC, released to its window; the window must outlive it.
class ScopedGetDc {
 public:
  explicit ScopedGetDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  ~ScopedGetDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  ScopedGetDc(const ScopedGetDc&) = delete;
  ScopedGetDc& operator=(const ScopedGetDc&) = delete;
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// A COM interface pointer: Release on reset, AddRef never implied.
template <typename Interface>
class ScopedComPtr {
 public:
  ScopedComPtr() noexcept = default;
  explicit ScopedComPtr(Interface* p) noexcept : p_(p) {}
  ~ScopedComPtr() { reset(); }
  ScopedComPtr(ScopedComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ScopedComPtr& operator=(ScopedComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ScopedComPtr(const ScopedComPtr&) = delete;
  ScopedComPtr& operator=(const ScopedComPtr&) = delete;

  Interface* get() const noexcept { return p_; }
  Interface* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  Interface** put() noexcept {
    reset();
    return &p_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
  void reset() noexcept {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

 private:
  Interface* p_ = nullptr;
};

// Memory handed out by the shell and COM (SHGetKnownFolderPath and friends).
template <typename T>
class ScopedCoTaskMem {
 public:
  ScopedCoTaskMem() noexcept = default;
  ~ScopedCoTaskMem() { ::CoTaskMemFree(p_); }
  ScopedCoTaskMem(const ScopedCoTaskMem&) = delete;
  ScopedCoTaskMem& operator=(const ScopedCoTaskMem&) = delete;
  T* get() const noexcept { return p_; }
  T** put() noexcept {
    ::CoTaskMemFree(p_);
    p_ = nullptr;
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace win
}  // namespace nbase
