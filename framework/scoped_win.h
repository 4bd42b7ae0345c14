// Owners of Win32 handles and COM interfaces: each closes what it holds on
// every way out of the scope that opened it.  One template serves every
// handle kind; a kind adds a traits struct with its empty value and its
// close call.  Win32 only.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <utility>

template <typename Traits>
class CScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  CScopedHandle() = default;
  explicit CScopedHandle(Handle h) : m_h(h) {}
  ~CScopedHandle() { Reset(); }
  CScopedHandle(const CScopedHandle&) = delete;
  CScopedHandle& operator=(const CScopedHandle&) = delete;
  CScopedHandle(CScopedHandle&& other) noexcept : m_h(other.Detach()) {}
  CScopedHandle& operator=(CScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }

  Handle Get() const { return m_h; }
  bool IsValid() const { return m_h != Traits::Empty(); }
  explicit operator bool() const { return IsValid(); }

  // Closes the handle held (if any) and takes h.
  void Reset(Handle h = Traits::Empty()) {
    const Handle old = std::exchange(m_h, h);
    if (old != Traits::Empty()) Traits::Close(old);
  }
  // Gives the handle up without closing it.
  Handle Detach() { return std::exchange(m_h, Traits::Empty()); }
  // For the out parameter of an opening call: closes the handle held first.
  Handle* Receive() {
    Reset();
    return &m_h;
  }

 private:
  Handle m_h = Traits::Empty();
};

// A kernel object whose empty value is null (processes, threads, mutexes,
// events).  File handles use CScopedFileHandle: their empty value is
// INVALID_HANDLE_VALUE.
struct CKernelHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
struct CFileHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
struct CRegKeyTraits {
  using Handle = HKEY;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};
// A memory or information DC made by CreateCompatibleDC, CreateDC or
// CreateIC (a window's DC is given back with ReleaseDC instead: CClientDC).
struct CCreatedDCTraits {
  using Handle = HDC;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { ::DeleteDC(h); }
};
struct CModuleTraits {
  using Handle = HMODULE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { ::FreeLibrary(h); }
};

using CScopedKernelHandle = CScopedHandle<CKernelHandleTraits>;
using CScopedFileHandle = CScopedHandle<CFileHandleTraits>;
using CScopedRegKey = CScopedHandle<CRegKeyTraits>;
using CScopedCreatedDC = CScopedHandle<CCreatedDCTraits>;
using CScopedModule = CScopedHandle<CModuleTraits>;

// Holds one reference to a COM interface and releases it on the way out.
template <typename T>
class CComHolder {
 public:
  CComHolder() = default;
  // Takes over a reference the caller already holds (no AddRef).
  explicit CComHolder(T* p) : m_p(p) {}
  ~CComHolder() { Reset(); }
  CComHolder(const CComHolder&) = delete;
  CComHolder& operator=(const CComHolder&) = delete;
  CComHolder(CComHolder&& other) noexcept : m_p(other.Detach()) {}
  CComHolder& operator=(CComHolder&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }

  T* Get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  bool operator==(std::nullptr_t) const { return m_p == nullptr; }
  bool operator!=(std::nullptr_t) const { return m_p != nullptr; }

  void Reset(T* p = nullptr) {
    T* old = std::exchange(m_p, p);
    if (old != nullptr) old->Release();
  }
  T* Detach() { return std::exchange(m_p, nullptr); }
  // For the out parameter of a creating call: releases what is held first.
  T** Receive() {
    Reset();
    return &m_p;
  }

 private:
  T* m_p = nullptr;
};
