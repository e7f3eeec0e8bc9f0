#pragma once
// Owners for every kind of system handle the program opens. Each closes its
// handle exactly once, can be moved but not copied, and hands out the raw value
// for calls that only borrow it.

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace wv {

template <class T, class Traits>
class UniqueResource {
 public:
  UniqueResource() noexcept = default;
  explicit UniqueResource(T value) noexcept : value_(value) {}
  ~UniqueResource() { reset(); }

  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  [[nodiscard]] T get() const noexcept { return value_; }
  [[nodiscard]] bool valid() const noexcept { return !Traits::isInvalid(value_); }
  explicit operator bool() const noexcept { return valid(); }

  // For out-parameters of C functions: releases the current value first.
  T* put() noexcept {
    reset();
    return &value_;
  }
  [[nodiscard]] T release() noexcept { return std::exchange(value_, Traits::invalid()); }
  void reset(T value = Traits::invalid()) noexcept {
    if (!Traits::isInvalid(value_)) Traits::close(value_);
    value_ = value;
  }

 private:
  T value_ = Traits::invalid();
};

struct KernelHandleTraits {  // process, thread, event, mutex: NULL when absent
  static HANDLE invalid() noexcept { return nullptr; }
  static bool isInvalid(HANDLE h) noexcept { return h == nullptr || h == INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile: INVALID_HANDLE_VALUE when absent
  static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool isInvalid(HANDLE h) noexcept { return h == nullptr || h == INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct FindHandleTraits {
  static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool isInvalid(HANDLE h) noexcept { return h == nullptr || h == INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) noexcept { ::FindClose(h); }
};
struct RegKeyTraits {
  static HKEY invalid() noexcept { return nullptr; }
  static bool isInvalid(HKEY h) noexcept { return h == nullptr; }
  static void close(HKEY h) noexcept { ::RegCloseKey(h); }
};
struct EventLogTraits {
  static HANDLE invalid() noexcept { return nullptr; }
  static bool isInvalid(HANDLE h) noexcept { return h == nullptr; }
  static void close(HANDLE h) noexcept { ::CloseEventLog(h); }
};
// The URL cache's DLL is loaded at run time (platform/libraries.h): closed through it.
void CloseUrlCacheFind(HANDLE find) noexcept;
struct UrlCacheFindTraits {
  static HANDLE invalid() noexcept { return nullptr; }
  static bool isInvalid(HANDLE h) noexcept { return h == nullptr; }
  static void close(HANDLE h) noexcept { CloseUrlCacheFind(h); }
};
struct ModuleTraits {
  static HMODULE invalid() noexcept { return nullptr; }
  static bool isInvalid(HMODULE h) noexcept { return h == nullptr; }
  static void close(HMODULE h) noexcept { ::FreeLibrary(h); }
};
template <class G>
struct GdiObjectTraits {
  static G invalid() noexcept { return nullptr; }
  static bool isInvalid(G h) noexcept { return h == nullptr; }
  static void close(G h) noexcept { ::DeleteObject(h); }
};
struct IconTraits {
  static HICON invalid() noexcept { return nullptr; }
  static bool isInvalid(HICON h) noexcept { return h == nullptr; }
  static void close(HICON h) noexcept { ::DestroyIcon(h); }
};
struct ImageListTraits {
  static HIMAGELIST invalid() noexcept { return nullptr; }
  static bool isInvalid(HIMAGELIST h) noexcept { return h == nullptr; }
  static void close(HIMAGELIST h) noexcept { ::ImageList_Destroy(h); }
};
struct MemoryDcTraits {
  static HDC invalid() noexcept { return nullptr; }
  static bool isInvalid(HDC h) noexcept { return h == nullptr; }
  static void close(HDC h) noexcept { ::DeleteDC(h); }
};
struct MenuTraits {
  static HMENU invalid() noexcept { return nullptr; }
  static bool isInvalid(HMENU h) noexcept { return h == nullptr; }
  static void close(HMENU h) noexcept { ::DestroyMenu(h); }
};

using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using UniqueFile = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueFind = UniqueResource<HANDLE, FindHandleTraits>;
using UniqueHKey = UniqueResource<HKEY, RegKeyTraits>;
using UniqueEventLog = UniqueResource<HANDLE, EventLogTraits>;
using UniqueUrlCacheFind = UniqueResource<HANDLE, UrlCacheFindTraits>;
using UniqueBitmap = UniqueResource<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueResource<HBRUSH, GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueResource<HPEN, GdiObjectTraits<HPEN>>;
using UniqueFont = UniqueResource<HFONT, GdiObjectTraits<HFONT>>;
using UniqueRegion = UniqueResource<HRGN, GdiObjectTraits<HRGN>>;
using UniqueIcon = UniqueResource<HICON, IconTraits>;
using UniqueImageList = UniqueResource<HIMAGELIST, ImageListTraits>;
using UniqueMemoryDc = UniqueResource<HDC, MemoryDcTraits>;
using UniqueMenu = UniqueResource<HMENU, MenuTraits>;
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;

// Borrowed window DC, released to its window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  [[nodiscard]] HDC get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC for one scope and puts the previous one back.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectGuard() {
    if (previous_) ::SelectObject(dc_, previous_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace wv
