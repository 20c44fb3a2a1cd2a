#pragma once
// The IUnknown part of a COM object the program (or a test) implements
// itself: QueryInterface for IUnknown and the one interface, and a reference
// count whose last Release deletes the object. Objects are made with new and
// start with one reference, which their maker holds.

#include <atomic>

#include "base/win32_include.h"

#include <unknwn.h>

namespace kj::com {

// COM interfaces have no virtual destructor by design: the object deletes
// itself in Release, through this class's virtual destructor.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
template <class Interface, const IID& interface_id>
class ComObject : public Interface {
 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, interface_id)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~ComObject() = default;

 private:
  std::atomic<ULONG> references_{1};
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace kj::com
