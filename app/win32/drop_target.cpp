#include "app/win32/drop_target.h"

#include "base/com_object_win32.h"

#include <utility>

namespace kj::win32 {
namespace {

// The format of a drop of files.
FORMATETC fileDropFormat() {
  FORMATETC format{};
  format.cfFormat = CF_HDROP;
  format.ptd = nullptr;
  format.dwAspect = DVASPECT_CONTENT;
  format.lindex = -1;
  format.tymed = TYMED_HGLOBAL;
  return format;
}

// The OLE drop target: a COM object that the system holds through its
// reference count; RevokeDragDrop releases the system's references.
class FileDropTarget final : public com::ComObject<IDropTarget, IID_IDropTarget> {
 public:
  FileDropTarget(std::size_t max_length, FileDropHandler on_drop)
      : max_length_(max_length), on_drop_(std::move(on_drop)) {}
  FileDropTarget(const FileDropTarget&) = delete;
  FileDropTarget& operator=(const FileDropTarget&) = delete;

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format = fileDropFormat();
    carries_files_ = data != nullptr && data->QueryGetData(&format) == S_OK;
    return answer(effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override { return answer(effect); }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    carries_files_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    carries_files_ = false;
    if (effect != nullptr) *effect = DROPEFFECT_NONE;
    if (data == nullptr) return E_INVALIDARG;
    try {
      FORMATETC format = fileDropFormat();
      STGMEDIUM medium{};
      if (data->GetData(&format, &medium) != S_OK) return S_OK;
      std::vector<std::wstring> paths;
      if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
        paths = droppedPaths(static_cast<HDROP>(medium.hGlobal), max_length_);
      }
      ReleaseStgMedium(&medium);
      if (paths.empty()) return S_OK;
      on_drop_(std::move(paths));
      if (effect != nullptr) *effect = DROPEFFECT_COPY;
      return S_OK;
    } catch (...) {
      // Nothing may unwind into the system's drag and drop.
      return E_UNEXPECTED;
    }
  }

 private:
  HRESULT answer(DWORD* effect) const {
    if (effect == nullptr) return E_INVALIDARG;
    *effect = carries_files_ && (*effect & DROPEFFECT_COPY) != 0 ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

  const std::size_t max_length_;
  const FileDropHandler on_drop_;
  bool carries_files_ = false;
};

}  // namespace

std::vector<std::wstring> droppedPaths(HDROP drop, std::size_t max_length) {
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  paths.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0 || length > max_length) {
      paths.emplace_back();
      continue;
    }
    std::wstring path(length + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(copied <= length ? copied : length);
    paths.push_back(std::move(path));
  }
  return paths;
}

IDropTarget* newFileDropTarget(std::size_t max_length, FileDropHandler on_drop) {
  return new FileDropTarget(max_length, std::move(on_drop));
}

bool FileDropRegistration::registerFor(HWND window, std::size_t max_length, FileDropHandler on_drop) {
  revoke();
  IDropTarget* target = newFileDropTarget(max_length, std::move(on_drop));
  const HRESULT hr = RegisterDragDrop(window, target);
  // The system keeps its own references while the target is registered.
  target->Release();
  if (FAILED(hr)) return false;
  window_ = window;
  return true;
}

void FileDropRegistration::revoke() {
  if (window_ != nullptr) RevokeDragDrop(std::exchange(window_, nullptr));
}

}  // namespace kj::win32
