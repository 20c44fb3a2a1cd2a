// The driver with its default factory against a real local server in another
// process: the test's fake application server, registered in the test's Wine
// prefix under the application's programmatic identifier for the length of
// the test. Every call crosses the process boundary through the standard
// IDispatch marshalling, and the server's log of what arrived must match the
// calls of the in-process tests.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "export/excel_automation.h"
#include "export/sheet_writer.h"
#include "tests/export/recording_driver.h"
#include "tests/export/sheet_fixture.h"
#include "tests/export/win32/automation_expectations.h"
#include "tests/export/win32/fake_excel_server_id.h"

#ifndef KJ_FAKE_EXCEL_SERVER
#error "KJ_FAKE_EXCEL_SERVER must name the fake application server"
#endif

namespace kj::sheet {
namespace {

// Writes the programmatic identifier and the class's local server under
// `root`\Software\Classes and removes both keys again when it goes.
class ServerRegistration {
 public:
  ServerRegistration(HKEY root, const std::wstring& server_command) : root_(root) {
    const std::wstring clsid = test::fake_excel_server_clsid_text;
    ok_ = setDefault(L"Software\\Classes\\Excel.Application\\CLSID", clsid) &&
          setDefault(L"Software\\Classes\\CLSID\\" + clsid, L"Test spreadsheet application") &&
          setDefault(L"Software\\Classes\\CLSID\\" + clsid + L"\\LocalServer32", server_command) &&
          setDefault(L"Software\\Classes\\CLSID\\" + clsid + L"\\ProgID", L"Excel.Application");
  }
  ServerRegistration(const ServerRegistration&) = delete;
  ServerRegistration& operator=(const ServerRegistration&) = delete;
  ~ServerRegistration() {
    RegDeleteTreeW(root_, L"Software\\Classes\\Excel.Application");
    RegDeleteTreeW(root_,
                   (std::wstring(L"Software\\Classes\\CLSID\\") + test::fake_excel_server_clsid_text).c_str());
  }
  bool ok() const { return ok_; }

 private:
  bool setDefault(const std::wstring& path, const std::wstring& value) const {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root_, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    const LONG set = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
  }
  HKEY root_;
  bool ok_ = false;
};

HRESULT progIdLookup() {
  CoInitialize(nullptr);
  CLSID clsid{};
  const HRESULT hr = CLSIDFromProgID(L"Excel.Application", &clsid);
  CoUninitialize();
  return hr;
}

std::wstring windowsPath(std::wstring path) {
  for (auto& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

// A folder of the test's own, removed with everything in it.
struct TempFolder {
  TempFolder() {
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, base);
    path = std::filesystem::path(base) / (L"kj-com-" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::filesystem::path path;
};

// The server's log once it is complete; empty when it did not come. The wait
// is for the server process to end, not a measure of speed.
std::vector<std::string> waitForLog(const std::filesystem::path& log) {
  for (int attempt = 0; attempt < 600; ++attempt) {
    if (std::filesystem::exists(log)) {
      std::vector<std::string> lines;
      std::ifstream in(log, std::ios::binary);
      for (std::string line; std::getline(in, line);) lines.push_back(line);
      return lines;
    }
    Sleep(100);
  }
  return {};
}

TEST(AutomationDriverOutOfProcess, DrivesALocalServerRegisteredAsTheApplication) {
  CLSID registered{};
  CoInitialize(nullptr);
  const HRESULT found = CLSIDFromProgID(L"Excel.Application", &registered);
  CoUninitialize();
  // A registration of our own server left by an interrupted run is taken over.
  if (SUCCEEDED(found) && !IsEqualCLSID(registered, test::fake_excel_server_clsid)) {
    GTEST_SKIP() << "a spreadsheet application is already registered here";
  }
  if (SUCCEEDED(found)) {
    // Its command names the log of that run, which nobody reads any more.
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      RegDeleteTreeW(root, L"Software\\Classes\\Excel.Application");
      RegDeleteTreeW(root, (std::wstring(L"Software\\Classes\\CLSID\\") + test::fake_excel_server_clsid_text).c_str());
    }
  }
  TempFolder folder;
  const std::filesystem::path log = folder.path / L"calls.log";
  const std::wstring command = L"\"" + windowsPath(KJ_FAKE_EXCEL_SERVER) + L"\" --log \"" + log.wstring() + L"\"";
  {
    auto registration = std::make_unique<ServerRegistration>(HKEY_CURRENT_USER, command);
    ASSERT_TRUE(registration->ok());
    const HRESULT per_user = progIdLookup();
    if (FAILED(per_user)) {
      // Wine 8 reads classes from the machine's key only.
      char text[80];
      std::snprintf(text, sizeof text, "CLSIDFromProgID 0x%08lx with the per-user key", static_cast<unsigned long>(per_user));
      RecordProperty("per_user_classes", text);
      std::printf("%s; registering under HKLM\\Software\\Classes\n", text);
      registration = std::make_unique<ServerRegistration>(HKEY_LOCAL_MACHINE, command);
      ASSERT_TRUE(registration->ok());
    }
    ASSERT_TRUE(excelApplicationRegistered()) << std::hex << progIdLookup();

    std::vector<file::Efdx> records = test::labelledRecords<file::Efdx>(3);
    PlainSelection selection{};
    for (std::size_t i = 0; i < selection.size(); ++i) {
      const auto key = catalogue::output_items[i].key;
      selection[i] = key == L"lot_number" || key == L"datetime" || key == L"coord" || key == L"remarks";
    }
    const auto operate = [&](ExcelDriver& driver) {
      const bool written = writeEfdxSheet(selection, records, driver);
      const bool saved = driver.saveAs(L"C:\\data\\site1.xls");
      const bool set_up = driver.applyPageSetup(L"A4", true, 100, 10, 10, 15, 15);
      const bool printed = driver.printOut();
      driver.close();
      return written && saved && set_up && printed;
    };
    test::RecordingDriver recording;
    ASSERT_TRUE(operate(recording));
    auto driver = makeAutomationExcelDriver();
    EXPECT_TRUE(operate(*driver));

    std::vector<std::string> expected;
    for (const auto& call : test::expectedFor(recording.calls())) expected.push_back(test::callLine(call));
    expected.push_back("end");
    const std::vector<std::string> lines = waitForLog(log);
    ASSERT_FALSE(lines.empty()) << "the server wrote no log";
    EXPECT_EQ(lines, expected);
  }
  EXPECT_FALSE(excelApplicationRegistered()) << "the registration was not removed";
}

}  // namespace
}  // namespace kj::sheet
