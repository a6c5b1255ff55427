#pragma once
// Owners of Win32 resources: each closes what it holds exactly once, when it
// goes out of scope or is reset. Any thread may use an owner it holds; an owner
// is not shared between threads.
#include <windows.h>

#include <utility>

// A handle with its "nothing held" value and its release call.
template <typename Traits>
class TOwnedHandle {
 public:
  using Handle = typename Traits::Handle;

  TOwnedHandle() = default;
  explicit TOwnedHandle(Handle handle) : FHandle(handle) {}
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;
  TOwnedHandle(TOwnedHandle&& other) noexcept : FHandle(other.Release()) {}
  TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~TOwnedHandle() { Reset(); }

  Handle Get() const { return FHandle; }
  bool Valid() const { return FHandle != Traits::Empty(); }
  explicit operator bool() const { return Valid(); }

  // Gives up ownership without closing.
  Handle Release() {
    Handle held = FHandle;
    FHandle = Traits::Empty();
    return held;
  }
  void Reset(Handle handle = Traits::Empty()) {
    if (Valid()) Traits::Close(FHandle);
    FHandle = handle;
  }

 private:
  Handle FHandle = Traits::Empty();
};

// Kernel handles whose failure value is null (events, mutexes, mappings, threads).
struct TKernelHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { CloseHandle(h); }
};
// Kernel handles whose failure value is INVALID_HANDLE_VALUE (files, snapshots).
struct TFileHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
struct TFindHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { FindClose(h); }
};
// GDI objects: pens, brushes, fonts, bitmaps, regions.
template <typename T>
struct TGdiObjectTraits {
  using Handle = T;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};
// Device contexts made by CreateCompatibleDC / CreateDC.
struct TCreatedDCTraits {
  using Handle = HDC;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { DeleteDC(h); }
};
struct TModuleTraits {
  using Handle = HMODULE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};
struct TMappedViewTraits {
  using Handle = void*;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { UnmapViewOfFile(h); }
};

using TKernelHandle = TOwnedHandle<TKernelHandleTraits>;
using TFileHandle = TOwnedHandle<TFileHandleTraits>;
using TFindHandle = TOwnedHandle<TFindHandleTraits>;
template <typename T>
using TGdiObject = TOwnedHandle<TGdiObjectTraits<T>>;
using TCreatedDC = TOwnedHandle<TCreatedDCTraits>;
using TLoadedModule = TOwnedHandle<TModuleTraits>;
using TMappedView = TOwnedHandle<TMappedViewTraits>;

// A device context borrowed from a window (GetDC / GetWindowDC); released to it.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window, bool wholeWindow = false)
      : FWindow(window), FHandle(wholeWindow ? GetWindowDC(window) : GetDC(window)) {}
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  ~TWindowDC() {
    if (FHandle != nullptr) ReleaseDC(FWindow, FHandle);
  }
  HDC Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }

 private:
  HWND FWindow;
  HDC FHandle;
};

// A paint of a window (BeginPaint); EndPaint on scope exit, also when the
// painting raises, so no device context is left behind.
class TPaintScope {
 public:
  explicit TPaintScope(HWND window) : FWindow(window), FHandle(BeginPaint(window, &FPaint)) {}
  TPaintScope(const TPaintScope&) = delete;
  TPaintScope& operator=(const TPaintScope&) = delete;
  ~TPaintScope() {
    if (FHandle != nullptr) EndPaint(FWindow, &FPaint);
  }
  HDC Get() const { return FHandle; }
  const PAINTSTRUCT& Paint() const { return FPaint; }
  explicit operator bool() const { return FHandle != nullptr; }

 private:
  HWND FWindow;
  PAINTSTRUCT FPaint{};
  HDC FHandle;
};

// Selects a GDI object into a device context and puts the old one back.
class TSelectedObject {
 public:
  TSelectedObject(HDC dc, HGDIOBJ object) : FDC(dc), FOld(object ? SelectObject(dc, object) : nullptr) {}
  TSelectedObject(const TSelectedObject&) = delete;
  TSelectedObject& operator=(const TSelectedObject&) = delete;
  ~TSelectedObject() {
    if (FOld != nullptr && FOld != HGDI_ERROR) SelectObject(FDC, FOld);
  }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

// Saves the whole state of a device context (clip region, origin, objects) and restores it.
class TSavedDCState {
 public:
  explicit TSavedDCState(HDC dc) : FDC(dc), FSaved(SaveDC(dc)) {}
  TSavedDCState(const TSavedDCState&) = delete;
  TSavedDCState& operator=(const TSavedDCState&) = delete;
  ~TSavedDCState() {
    if (FSaved != 0) RestoreDC(FDC, FSaved);
  }

 private:
  HDC FDC;
  int FSaved;
};
