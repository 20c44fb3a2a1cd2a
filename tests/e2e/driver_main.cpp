// kj_e2e_driver: drives the real kjvt58.exe through its windows and checks
// what they show. Runs inside Wine (or on Windows) with a display.
//
//   kj_e2e_driver --app PATH --cli PATH --samples DIR --work DIR
//                 [--shots DIR] [--com-port COMn] [--sim-dir DIR]
//                 [--excel-server PATH] [--installer PATH] (all | SCENARIO...)
//   kj_e2e_driver --list
//   kj_e2e_driver --app PATH --time-start FILE RECORDS [--runs N]
//
// --time-start measures the start-up with FILE instead of running scenarios
// (scripts/bench-startup): N starts (default 3), one line of seconds each.
//
// Exit code 0 when every scenario passed, 1 when one failed, 2 on a usage
// error, 3 when it is not inside the Wine prefix of scripts/e2e (see
// driver_prefix_guard.h): then it runs no scenario and changes nothing.
// scripts/e2e runs it through the Wine launcher, which turns a crash of the
// driver into a failure too.

#include <chrono>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/driver_prefix_guard.h"
#include "tests/e2e/driver_scenarios.h"
#include "tests/e2e/driver_timing.h"
#include "tests/e2e/driver_ui.h"

namespace {

using e2e::print;
using e2e::printError;

int usage(const std::wstring& problem) {
  std::wstring names;
  for (const e2e::Scenario& s : e2e::scenarios()) names += L"  " + std::wstring(s.name) + L"\n";
  printError(L"kj_e2e_driver: " + problem +
             L"\n"
             L"usage: kj_e2e_driver --app PATH --cli PATH --samples DIR --work DIR [--shots DIR]"
             L" [--com-port COMn] [--sim-dir DIR] [--excel-server PATH] [--installer PATH] (all | SCENARIO...)\n"
             L"       kj_e2e_driver --list\n"
             L"       kj_e2e_driver --app PATH --time-start FILE RECORDS [--runs N]\n"
             L"scenarios:\n" +
             names);
  return 2;
}

std::wstring seconds(std::chrono::steady_clock::duration d) {
  const auto tenths = std::chrono::duration_cast<std::chrono::milliseconds>(d).count() / 100;
  return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10) + L" s";
}

// Runs one scenario; true when it passed.
bool runScenario(const e2e::Scenario& scenario, const e2e::Environment& env) {
  print(L"== " + std::wstring(scenario.name) + L": " + scenario.summary + L"\n");
  e2e::Run run;
  const auto start = std::chrono::steady_clock::now();
  std::wstring problem;
  // The screen at the moment of a failure, for the report.
  e2e::setFailureHook([&env, name = std::wstring(scenario.name)] {
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    e2e::saveBmp(env.work + L"\\failure-" + name + L".bmp", e2e::captureScreen(screen));
  });
  try {
    // Every scenario starts from no settings at all.
    e2e::deleteRegistryKey(e2e::kSettingsKey);
    scenario.body(run, env);
  } catch (const e2e::Failure& f) {
    problem = f.message();
  } catch (const std::exception& e) {
    problem = L"unexpected exception: " + e2e::fromUtf8(e.what());
  }
  e2e::setFailureHook(nullptr);
  // The scenario's App objects are gone by now: whatever they started has
  // ended or been ended. Leave no settings for the next one.
  try {
    e2e::deleteRegistryKey(e2e::kSettingsKey);
  } catch (const e2e::Failure& f) {
    if (problem.empty()) problem = f.message();
  }
  const std::wstring took = seconds(std::chrono::steady_clock::now() - start);
  if (problem.empty()) {
    print(L"PASS " + std::wstring(scenario.name) + L" (" + std::to_wstring(run.checks()) + L" checks, " + took +
          L")\n");
    return true;
  }
  print(L"FAIL " + std::wstring(scenario.name) + L" after " + std::to_wstring(run.checks()) + L" passed checks, " +
        took + L"\n     step: " + run.currentStep() + L"\n     " + problem + L"\n");
  return false;
}

std::optional<std::wstring> environmentVariable(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  value.resize(length);
  return value;
}

std::optional<std::wstring> markerFile() {
  std::ifstream in(std::filesystem::path(e2e::kPrefixMarkerPath), std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return e2e::fromUtf8(bytes);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // A crash of ours must end the process, not wait for a dialog.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

  e2e::Environment env;
  std::vector<std::wstring> names;
  std::wstring timed_file;
  std::wstring timed_records;
  std::wstring timed_runs = L"3";
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    const auto value = [&](std::wstring& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    bool ok = true;
    if (a == L"--list") {
      for (const e2e::Scenario& s : e2e::scenarios()) print(std::wstring(s.name) + L"\t" + s.summary + L"\n");
      return 0;
    } else if (a == L"--app") {
      ok = value(env.app);
    } else if (a == L"--cli") {
      ok = value(env.cli);
    } else if (a == L"--samples") {
      ok = value(env.samples);
    } else if (a == L"--work") {
      ok = value(env.work);
    } else if (a == L"--shots") {
      ok = value(env.shots);
    } else if (a == L"--com-port") {
      ok = value(env.com_port);
    } else if (a == L"--sim-dir") {
      ok = value(env.sim_dir);
    } else if (a == L"--excel-server") {
      ok = value(env.excel_server);
    } else if (a == L"--installer") {
      ok = value(env.installer);
    } else if (a == L"--time-start") {
      ok = value(timed_file) && value(timed_records);
    } else if (a == L"--runs") {
      ok = value(timed_runs);
    } else if (!a.empty() && a[0] == L'-') {
      return usage(L"unknown option " + a);
    } else {
      names.push_back(a);
    }
    if (!ok) return usage(L"option " + a + L" needs a value");
  }
  if (!timed_file.empty()) {
    if (env.app.empty()) return usage(L"--time-start needs --app");
    const int records = static_cast<int>(std::wcstol(timed_records.c_str(), nullptr, 10));
    const int runs = static_cast<int>(std::wcstol(timed_runs.c_str(), nullptr, 10));
    if (records < 0 || runs < 1) return usage(L"--time-start needs RECORDS >= 0 and --runs >= 1");
    return e2e::timeStartUp(env, timed_file, records, runs);
  }
  if (env.app.empty() || env.cli.empty() || env.samples.empty() || env.work.empty()) {
    return usage(L"--app, --cli, --samples and --work are required");
  }
  if (names.empty()) return usage(L"no scenario named (use all, or see --list)");

  // The scenarios delete and write the settings key of the user: only in the
  // throw-away prefix of scripts/e2e.
  const std::wstring refusal = e2e::refusalReason(
      {environmentVariable(L"WINEPREFIX"), environmentVariable(L"KJ_E2E_PREFIX"), markerFile()});
  if (!refusal.empty()) {
    printError(L"kj_e2e_driver: refusing to run, nothing changed: " + refusal + L"\n");
    return 3;
  }
  e2e::allowRegistryChanges();

  std::vector<const e2e::Scenario*> chosen;
  for (const std::wstring& name : names) {
    bool found = false;
    for (const e2e::Scenario& s : e2e::scenarios()) {
      if (name == L"all" || name == s.name) {
        chosen.push_back(&s);
        found = true;
      }
    }
    if (!found) return usage(L"unknown scenario " + name);
  }

  const auto start = std::chrono::steady_clock::now();
  std::vector<std::wstring> failed;
  for (const e2e::Scenario* s : chosen) {
    if (!runScenario(*s, env)) failed.push_back(s->name);
  }
  const std::wstring took = seconds(std::chrono::steady_clock::now() - start);
  const auto passed = chosen.size() - failed.size();
  if (failed.empty()) {
    print(L"e2e: all " + std::to_wstring(passed) + L" scenarios passed in " + took + L"\n");
    return 0;
  }
  print(L"e2e: " + std::to_wstring(passed) + L" passed, " + std::to_wstring(failed.size()) + L" FAILED in " + took +
        L": " + e2e::joined(failed) + L"\n");
  return 1;
}
