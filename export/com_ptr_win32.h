#pragma once
// Owners of the COM resources the automation binding handles: interface
// pointers, VARIANTs, BSTRs, SAFEARRAYs and one thread's COM initialisation.
// Each is move-only, releases what it holds when it goes or is assigned over,
// and hands out its address for an out-parameter only after releasing the old
// value (so `p.put()` never leaks what `p` held).

#include "base/win32_include.h"

#include <objbase.h>
#include <oleauto.h>

#include <cstddef>
#include <string_view>
#include <utility>

namespace kj::com {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over one reference that the caller already holds.
  static ComPtr adopt(T* raw) {
    ComPtr p;
    p.ptr_ = raw;
    return p;
  }
  // Adds a reference of its own.
  static ComPtr share(T* raw) {
    if (raw != nullptr) raw->AddRef();
    return adopt(raw);
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      ptr_ = std::exchange(other.ptr_, nullptr);
    }
    return *this;
  }
  ~ComPtr() { reset(); }

  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  // Releases the held reference, if any.
  void reset() {
    if (T* old = std::exchange(ptr_, nullptr)) old->Release();
  }
  // For an out-parameter `T**`: releases first.
  T** put() {
    reset();
    return &ptr_;
  }
  // Gives the reference up to the caller.
  T* release() { return std::exchange(ptr_, nullptr); }

 private:
  T* ptr_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  // A copy of `text`; empty (null) when the allocation fails or the text is
  // too long for a BSTR, which ok() reports.
  explicit Bstr(std::wstring_view text) {
    if (text.size() <= static_cast<std::size_t>(0x7FFFFFFF / sizeof(wchar_t))) {
      str_ = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : str_(std::exchange(other.str_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) {
      reset();
      str_ = std::exchange(other.str_, nullptr);
    }
    return *this;
  }
  ~Bstr() { reset(); }

  bool ok() const { return str_ != nullptr; }
  BSTR get() const { return str_; }
  std::wstring_view view() const { return {str_, SysStringLen(str_)}; }
  void reset() {
    if (BSTR old = std::exchange(str_, nullptr)) SysFreeString(old);
  }
  BSTR* put() {
    reset();
    return &str_;
  }
  BSTR release() { return std::exchange(str_, nullptr); }

 private:
  BSTR str_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&var_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& other) noexcept : var_(other.var_) { VariantInit(&other.var_); }
  Variant& operator=(Variant&& other) noexcept {
    if (this != &other) {
      reset();
      var_ = other.var_;
      VariantInit(&other.var_);
    }
    return *this;
  }
  ~Variant() { reset(); }

  static Variant int32(LONG value) {
    Variant v;
    V_VT(&v.var_) = VT_I4;
    V_I4(&v.var_) = value;
    return v;
  }
  static Variant real(double value) {
    Variant v;
    V_VT(&v.var_) = VT_R8;
    V_R8(&v.var_) = value;
    return v;
  }
  // VT_BSTR of a copy of `text`; VT_EMPTY when the copy cannot be made (the
  // type is set only after the allocation succeeded, so clearing never frees
  // a string that is not there).
  static Variant text(std::wstring_view value) {
    Variant v;
    Bstr copy(value);
    if (copy.ok()) {
      V_BSTR(&v.var_) = copy.release();
      V_VT(&v.var_) = VT_BSTR;
    }
    return v;
  }

  const VARIANT& get() const { return var_; }
  VARIANT* ptr() { return &var_; }
  VARTYPE type() const { return V_VT(&var_); }
  void reset() {
    VariantClear(&var_);
    VariantInit(&var_);
  }
  // For an out-parameter `VARIANT*`: clears first.
  VARIANT* put() {
    reset();
    return &var_;
  }

 private:
  VARIANT var_;
};

class SafeArray {
 public:
  SafeArray() = default;
  static SafeArray adopt(SAFEARRAY* raw) {
    SafeArray a;
    a.array_ = raw;
    return a;
  }
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  SafeArray(SafeArray&& other) noexcept : array_(std::exchange(other.array_, nullptr)) {}
  SafeArray& operator=(SafeArray&& other) noexcept {
    if (this != &other) {
      reset();
      array_ = std::exchange(other.array_, nullptr);
    }
    return *this;
  }
  ~SafeArray() { reset(); }

  SAFEARRAY* get() const { return array_; }
  explicit operator bool() const { return array_ != nullptr; }
  // Destroys the array and every element in it.
  void reset() {
    if (SAFEARRAY* old = std::exchange(array_, nullptr)) SafeArrayDestroy(old);
  }
  SAFEARRAY* release() { return std::exchange(array_, nullptr); }

 private:
  SAFEARRAY* array_ = nullptr;
};

// Holds a SAFEARRAY locked, so that element pointers stay valid, and unlocks
// it when it goes (a locked array cannot be destroyed).
class ArrayLock {
 public:
  explicit ArrayLock(SAFEARRAY* array) : array_(array) {
    if (array_ != nullptr && FAILED(SafeArrayLock(array_))) array_ = nullptr;
  }
  ArrayLock(const ArrayLock&) = delete;
  ArrayLock& operator=(const ArrayLock&) = delete;
  ~ArrayLock() {
    if (array_ != nullptr) SafeArrayUnlock(array_);
  }
  bool locked() const { return array_ != nullptr; }

 private:
  SAFEARRAY* array_;
};

// One CoInitialize of the calling thread. S_OK and S_FALSE both count as an
// initialisation that must be balanced; RPC_E_CHANGED_MODE (the thread is
// already in the multithreaded apartment) leaves COM usable but must not be
// balanced.
class ComInitScope {
 public:
  ComInitScope() = default;
  ComInitScope(const ComInitScope&) = delete;
  ComInitScope& operator=(const ComInitScope&) = delete;
  ComInitScope(ComInitScope&& other) noexcept : initialised_(std::exchange(other.initialised_, false)) {}
  ComInitScope& operator=(ComInitScope&& other) noexcept {
    if (this != &other) {
      reset();
      initialised_ = std::exchange(other.initialised_, false);
    }
    return *this;
  }
  ~ComInitScope() { reset(); }

  // CoInitialize(nullptr); its result.
  HRESULT initialise() {
    reset();
    const HRESULT hr = CoInitialize(nullptr);
    initialised_ = SUCCEEDED(hr);
    return hr;
  }
  bool initialised() const { return initialised_; }
  // CoUninitialize when initialise() succeeded.
  void reset() {
    if (std::exchange(initialised_, false)) CoUninitialize();
  }

 private:
  bool initialised_ = false;
};

}  // namespace kj::com
