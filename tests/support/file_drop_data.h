#pragma once
// A data object of a drag of files, as the file manager offers one: the paths
// as a drop of files (CF_HDROP, a DROPFILES block of wide paths), made anew
// for each request. Windows only; used by the end-to-end driver's drags and
// by the tests of the program's drop target.

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/com_object_win32.h"
#include "base/win32_include.h"

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

namespace kj::test {

inline bool isFileDropFormat(const FORMATETC* format) {
  return format != nullptr && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) != 0 &&
         format->dwAspect == DVASPECT_CONTENT;
}

// Without `offers_files` the object offers no format at all, like a drag of
// something else than files.
class FileDropData final : public com::ComObject<IDataObject, IID_IDataObject> {
 public:
  explicit FileDropData(std::vector<std::wstring> paths, bool offers_files = true)
      : paths_(std::move(paths)), offers_files_(offers_files) {}
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (medium == nullptr) return E_POINTER;
    if (!offers_files_ || !isFileDropFormat(format)) return DV_E_FORMATETC;
    std::size_t chars = 2;  // the empty string that ends the list, and one more as the shell writes
    for (const std::wstring& p : paths_) chars += p.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    if (block == nullptr) return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
    for (const std::wstring& p : paths_) {
      std::memcpy(text, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
      text += p.size() + 1;
    }
    text[0] = L'\0';
    text[1] = L'\0';
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return offers_files_ && isFileDropFormat(format) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out != nullptr) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    if (formats == nullptr) return E_POINTER;
    *formats = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    if (!offers_files_) return SHCreateStdEnumFmtEtc(0, nullptr, formats);
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &format, formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  const std::vector<std::wstring> paths_;
  const bool offers_files_;
};

}  // namespace kj::test
