// A local automation server that stands in for the spreadsheet application
// in the out-of-process test: it serves the recording fake automation objects
// through a class factory registered with CoRegisterClassObject, and when the
// client has let go of everything it writes the calls it received to a log.
// It saves and prints nothing.
//
//   kj_fake_excel_server.exe --log <file> [-Embedding]
//
// The log is UTF-8, one call per line as callLine() writes it, then one
// "unreleased <label> <count>" line per object still referenced and a last
// line "end". It is written beside <file> and renamed into place, so a reader
// never sees half of it. Without a client within a minute the server ends
// with an empty log ("end" only, after a "no client" line).

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "base/text_encoding.h"
#include "base/win32_include.h"
#include "tests/export/win32/fake_automation.h"
#include "tests/export/win32/fake_excel_server_id.h"

namespace {

using kj::test::FakeAutomation;

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
// Lives on the stack of wmain for the whole run; its reference count only
// tells when COM still holds it.
class ApplicationFactory final : public IClassFactory {
 public:
  explicit ApplicationFactory(FakeAutomation& world) : world_(world), create_(world.factory()) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references_); }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    IDispatch* application = nullptr;
    const HRESULT created = create_(&application);
    if (FAILED(created)) return created;
    const HRESULT hr = application->QueryInterface(iid, object);
    application->Release();
    created_ = true;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    locks_ += lock ? 1 : -1;
    return S_OK;
  }

  bool created() const { return created_; }
  long locks() const { return locks_; }

 private:
  FakeAutomation& world_;
  kj::sheet::ApplicationFactory create_;
  long references_ = 0;
  long locks_ = 0;
  bool created_ = false;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

bool everythingReleased(const FakeAutomation& world) {
  for (const auto& [label, count] : world.references()) {
    if (count != 0) return false;
  }
  return true;
}

void writeLog(const std::filesystem::path& log, const FakeAutomation& world, const std::string& note) {
  std::filesystem::path partial = log;
  partial += L".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!note.empty()) out << note << '\n';
    for (const auto& call : world.calls()) out << kj::test::callLine(call) << '\n';
    for (const auto& [label, count] : world.references()) {
      if (count != 0) out << "unreleased " << kj::toUtf8(label) << ' ' << count << '\n';
    }
    out << "end\n";
  }
  std::error_code ignored;
  std::filesystem::rename(partial, log, ignored);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::filesystem::path log;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::wstring(argv[i]) == L"--log") log = argv[i + 1];
  }
  if (log.empty()) return 2;

  if (FAILED(CoInitialize(nullptr))) {
    writeLog(log, FakeAutomation{}, "CoInitialize failed");
    return 3;
  }
  int status = 0;
  {
    FakeAutomation world;
    ApplicationFactory factory(world);
    DWORD cookie = 0;
    const HRESULT registered = CoRegisterClassObject(kj::test::fake_excel_server_clsid, &factory,
                                                     CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    if (FAILED(registered)) {
      char note[64];
      wsprintfA(note, "CoRegisterClassObject failed 0x%08lx", static_cast<unsigned long>(registered));
      writeLog(log, world, note);
      CoUninitialize();
      return 4;
    }
    // The client's calls arrive as window messages of this apartment; a
    // timer looks for the moment the client has let go of everything.
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
    const ULONGLONG deadline = GetTickCount64() + 60'000;
    std::string note;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      DispatchMessageW(&message);
      if (factory.created() && factory.locks() <= 0 && everythingReleased(world)) break;
      if (GetTickCount64() > deadline) {
        note = factory.created() ? "client did not let go" : "no client";
        status = 5;
        break;
      }
    }
    KillTimer(nullptr, timer);
    CoRevokeClassObject(cookie);
    writeLog(log, world, note);
  }
  CoUninitialize();
  return status;
}
