#include "tests/e2e/driver_scenarios.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

#include "export/sheet_layout.h"
#include "record/field_catalogue.h"
#include "records_io/loaded_block.h"
#include "tests/e2e/driver_drop.h"
#include "tests/e2e/driver_controller.h"
#include "tests/e2e/driver_expected.h"
#include "tests/export/win32/fake_excel_server_id.h"
#include "tests/support/json_reader.h"

namespace e2e {
namespace {

constexpr Millis kIconTimeout{3000};
constexpr Millis kCliTimeout{60000};

// Waits until probe holds or the time is up, without failing: the checks that
// follow report what was found.
template <class Probe>
bool settle(Millis timeout, Probe probe) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (probe()) return true;
    if (Clock::now() >= deadline) return false;
    Sleep(40);
  }
}

std::wstring num(long long n) { return std::to_wstring(n); }

std::wstring handleText(HWND w) {
  return w ? L"window of class " + quoted(className(w)) + L" titled " + quoted(windowText(w)) : L"no window";
}

void sameWindow(Run& run, std::wstring_view what, HWND expected, HWND actual) {
  if (expected != actual)
    fail(std::wstring(what) + L": expected the " + handleText(expected) + L", actual " + handleText(actual));
  run.isTrue(what, true);
}

// --- The list, the status bar and the detail dialog ---

void expectRows(Run& run, App& app, const expected::Sample& s) {
  const auto want = static_cast<int>(s.rows.size());
  settle(kWindowTimeout, [&] { return app.list().count() == want; });
  const auto rows = app.rows();
  run.equal(L"number of list rows for " + s.file, want, static_cast<long long>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < 5; ++c) {
      run.equal(L"list row " + num(static_cast<long long>(r)) + L", column " + quoted(expected::kColumnTitles[c]) +
                    L" (" + s.file + L")",
                s.rows[r][c], rows[r][c]);
    }
  }
}

void expectStatus(Run& run, App& app, const expected::StatusTexts& want) {
  settle(kWindowTimeout, [&] { return app.status().text(1) == want[1]; });
  const auto texts = app.status().texts();
  run.equal(L"number of status bar parts", 4, static_cast<long long>(texts.size()));
  for (std::size_t i = 0; i < 4; ++i)
    run.equal(L"status bar part " + num(static_cast<long long>(i)), want[i], texts[i]);
}

void expectEmptyDisplay(Run& run, App& app) {
  run.equal(L"number of list rows", 0, app.list().count());
  const auto texts = app.status().texts();
  run.equal(L"number of status bar parts", 4, static_cast<long long>(texts.size()));
  for (std::size_t i = 0; i < texts.size(); ++i)
    run.equal(L"status bar part " + num(static_cast<long long>(i)), L"", texts[i]);
}

// The read-only fields of the detail dialog templates by control id, with
// the record field each shows; their labels and member names are those of
// the record field catalogue.
struct DetailField {
  int id;
  kj::catalogue::TextField field;
};

const std::vector<DetailField>& detailFields() {
  using kj::catalogue::textField;
  constexpr bool joint = true;
  static const std::vector<DetailField> fields = {
      {1035, textField(L"lot_number")},
      {1036, textField(L"number")},
      {1037, textField(L"datetime")},
      {1042, textField(L"joint_kind", joint)},
      {1044, textField(L"joint_size", joint)},
      {1046, textField(L"joint_manufacturer", joint)},
      {1048, textField(L"joint_management_id", joint)},
      {1043, textField(L"joint_resistance", joint)},
      {1045, textField(L"joint_output_voltage", joint)},
      {1047, textField(L"joint_output_seconds", joint)},
      {1049, textField(L"joint_barcode")},
      {1051, textField(L"joint_traceability_barcode")},
      {1052, textField(L"exit_code")},
      {2, textField(L"temperature")},
      {1060, textField(L"resistance")},
      {1053, textField(L"output_voltage_min")},
      {1057, textField(L"output_voltage_max")},
      {1061, textField(L"output_current_min")},
      {1062, textField(L"output_current_max")},
      {1054, textField(L"input_voltage_min")},
      {1058, textField(L"input_voltage_max")},
      {1064, textField(L"output_seconds")},
      {1065, textField(L"remain_output_seconds")},
      {1056, textField(L"energy")},
      {1059, textField(L"latitude_text")},
      {1063, textField(L"longitude_text")},
      {1066, textField(L"order")},
      {1071, textField(L"worker")},
      {1072, textField(L"version")},
      {1073, textField(L"maintenance_date")},
      {1075, textField(L"lifecycle_counts")},
      {1077, textField(L"remarks")},
      {1074, textField(L"battery_type")},
      {1076, textField(L"battery_identifier")},
      {1078, textField(L"battery_cycle")},
      {1079, textField(L"battery_full_capacity")},
      {1080, textField(L"battery_capacity_before")},
      {1081, textField(L"battery_capacity_after")},
      {1082, textField(L"battery_temperature_before")},
      {1083, textField(L"battery_temperature_after")},
  };
  return fields;
}

bool isBatteryField(const DetailField& f) { return f.field.owner == kj::catalogue::TextField::Owner::battery; }

// The label of every field of the dialog, the index field's included.
const std::map<int, std::wstring>& fieldLabels() {
  static const std::map<int, std::wstring> labels = [] {
    std::map<int, std::wstring> m = {{ids::kDetailIndex, L"通し番号"}};
    for (const DetailField& f : detailFields()) m.emplace(f.id, std::wstring(f.field.texts.detail_label));
    return m;
  }();
  return labels;
}

bool isBatteryField(int id) {
  for (const DetailField& f : detailFields()) {
    if (f.id == id) return isBatteryField(f);
  }
  return false;
}

// The controls of the detail dialog: labelled read-only fields in their
// groups, and the index field with its up-down control over 0 .. count.
void expectDetailLayout(Run& run, HWND dialog, bool battery, int count) {
  for (const auto& [id, label] : fieldLabels()) {
    if (isBatteryField(id) && !battery) continue;
    HWND field = requireChild(dialog, id, L"record detail dialog");
    const std::wstring name = L"detail field " + std::to_wstring(id) + L" " + quoted(label);
    const auto style = static_cast<DWORD>(GetWindowLongW(field, GWL_STYLE));
    run.equal(name + L" class", L"edit", [&] {
      std::wstring c = className(field);
      for (auto& ch : c) ch = static_cast<wchar_t>(towlower(ch));
      return c;
    }());
    run.flag(name + L" read-only", id != ids::kDetailIndex, (style & ES_READONLY) != 0);
    if (id != ids::kDetailIndex) run.flag(name + L" scrolls horizontally", true, (style & ES_AUTOHSCROLL) != 0);
    run.flag(L"label " + quoted(label) + L" in the dialog", true, childByText(dialog, L"Static", label) != nullptr);
  }
  run.flag(L"index field takes digits only", true,
           (GetWindowLongW(requireChild(dialog, ids::kDetailIndex, L"detail dialog"), GWL_STYLE) & ES_NUMBER) != 0);
  std::vector<std::wstring> groups = {L"継手情報", L"融着情報", L"管理情報"};
  if (battery) groups.push_back(L"電池情報");
  for (const std::wstring& g : groups)
    run.flag(L"group " + quoted(g), true, childByText(dialog, L"Button", g) != nullptr);
  run.flag(L"the battery group only in the battery dialog", battery,
           childByText(dialog, L"Button", L"電池情報") != nullptr);

  HWND updown = requireChild(dialog, ids::kDetailUpDown, L"record detail dialog");
  run.equal(L"class of control 1034", L"msctls_updown32", className(updown));
  sameWindow(run, L"buddy of the up-down control", requireChild(dialog, ids::kDetailIndex, L"detail dialog"),
             reinterpret_cast<HWND>(sendPlain(updown, UDM_GETBUDDY, 0, 0)));
  const auto range = static_cast<DWORD>(sendPlain(updown, UDM_GETRANGE, 0, 0));
  run.equal(L"up-down range low end", 0, HIWORD(range));
  run.equal(L"up-down range high end (the record count)", count, LOWORD(range));
}

std::wstring fieldName(int id) {
  const auto it = fieldLabels().find(id);
  return L"detail field " + num(id) + (it == fieldLabels().end() ? L"" : L" " + quoted(it->second));
}

std::wstring fieldText(HWND dialog, int id) { return windowText(requireChild(dialog, id, L"record detail dialog")); }

// Waits until the dialog shows the record with the index of the list's first
// entry (control 1033), then checks every field.
void expectFields(Run& run, HWND dialog, const expected::Fields& fields) {
  settle(kWindowTimeout, [&] { return fieldText(dialog, ids::kDetailIndex) == fields.front().second; });
  for (const auto& [id, text] : fields) run.equal(fieldName(id), text, fieldText(dialog, id));
}

void showRecord(App& app, HWND dialog, int row) {
  app.list().select(row);
  settle(kWindowTimeout, [&] { return fieldText(dialog, ids::kDetailIndex) == num(row); });
}

// Clicks one arrow of the dialog's up-down control with the mouse.
void clickUpDown(HWND dialog, bool forward) {
  HWND updown = requireChild(dialog, ids::kDetailUpDown, L"record detail dialog");
  const RECT r = windowRect(updown);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  const bool horizontal = (GetWindowLongW(updown, GWL_STYLE) & UDS_HORZ) != 0;
  // Vertical: the upper arrow counts up. Horizontal: the right arrow does.
  const int x = horizontal ? (forward ? 3 * w / 4 : w / 4) : w / 2;
  const int y = horizontal ? h / 2 : (forward ? h / 4 : 3 * h / 4);
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageW(updown, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(updown, WM_LBUTTONUP, 0, at);
}

// --- Message boxes ---

struct ExpectedBox {
  std::wstring text;
  std::wstring caption;
  Icon icon;
  std::vector<int> buttons;
};

MessageBoxView expectMessageBox(Run& run, App& app, const ExpectedBox& want) {
  const MessageBoxView box = app.waitMessageBox(L"the message box " + quoted(want.text));
  run.equal(L"message box text", want.text, box.text);
  run.equal(L"message box caption", want.caption, box.caption);
  run.equal(L"message box buttons", buttonNames(want.buttons), buttonNames(box.buttons));
  sameWindow(run, L"owner of the message box", app.main(), box.owner);
  run.equal(L"message box icon", iconName(want.icon), iconName(messageBoxIcon(box.hwnd, want.icon, kIconTimeout)));
  return box;
}

void answer(const MessageBoxView& box, int button) {
  clickDialogButton(box.hwnd, button);
  waitGone(box.hwnd, kWindowTimeout, L"the message box to close");
}

// Waits for the end of the program; fails if it asks anything on the way.
DWORD exitWithoutQuestion(App& app, std::wstring_view what) {
  const auto deadline = Clock::now() + kExitTimeout;
  for (;;) {
    if (const auto code = app.process().waitExit(Millis(40))) return *code;
    if (HWND box = findMessageBox(app.pid())) {
      fail(std::wstring(what) + L" showed the message box " + quoted(readMessageBox(box).text) +
           L" instead of ending the program");
    }
    if (Clock::now() >= deadline) fail(L"the program did not end after " + std::wstring(what));
  }
}

void exitApp(Run& run, App& app) {
  run.step(L"exit command 32839");
  postCommand(app.main(), ids::kCmdExit);
  run.equal(L"exit code after the exit command", 0, exitWithoutQuestion(app, L"the exit command"));
}

HWND waitComDialog(App& app);

// --- Buttons ---

void expectButtons(Run& run, App& app, bool loaded) {
  for (const std::wstring& name : expected::kButtonNames) {
    HWND b = app.button(name);
    bool want = true;
    if (name == L"abort_ef") want = false;
    if (name == L"export_excel" || name == L"export_printer") want = loaded;
    run.equal(L"button " + name + L" enabled", want, windowEnabled(b));
  }
}

// --- The open-file dialog ---

HWND waitFileDialog(App& app) {
  return waitFor(kWindowTimeout, L"the open-file dialog", [&]() -> HWND {
    for (HWND w : topWindows(app.pid(), L"#32770")) {
      if (windowVisible(w) && childById(w, ids::kFileNameBox)) return w;
    }
    return nullptr;
  });
}

HWND fileNameEdit(HWND dialog) {
  HWND box = requireChild(dialog, ids::kFileNameBox, L"open-file dialog");
  if (_wcsicmp(className(box).c_str(), L"Edit") == 0) return box;
  auto edit = reinterpret_cast<HWND>(sendPlain(box, CBEM_GETEDITCONTROL, 0, 0));
  if (!edit) edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
  if (!edit) fail(L"the file name box of the open-file dialog has no edit field");
  return edit;
}

void chooseFile(HWND dialog, const std::wstring& path) {
  setText(fileNameEdit(dialog), path);
  clickDialogButton(dialog, IDOK);
  waitGone(dialog, kWindowTimeout, L"the open-file dialog to close after choosing " + path);
}

void openThroughDialog(Run& run, App& app, const std::wstring& path) {
  postCommand(app.main(), ids::kCmdOpen);
  HWND dialog = waitFileDialog(app);
  sameWindow(run, L"owner of the open-file dialog", app.main(), ownerOf(dialog));
  chooseFile(dialog, path);
}

// --- The command-line tool, as a second opinion on every decoded text ---

using kj::test::JsonValue;

// A JSON string member as wide text.
std::wstring jsonText(const JsonValue& v, const char* member) { return fromUtf8(v[member].string()); }

JsonValue cliDump(Run& run, const Environment& env, const std::wstring& path) {
  const Captured c = runAndCapture(env.cli, L"dump --json " + quotedArgument(path), kCliTimeout);
  run.equal(L"exit code of kjvt58-cli dump --json " + path, 0, c.exit_code);
  JsonValue v = kj::test::parseJson(c.output);
  run.equal(L"kjvt58-cli status of " + path, L"ok", jsonText(v, "status"));
  return v;
}

std::wstring barcodeText(const JsonValue& record, const char* member) {
  const JsonValue& b = record["decoded_barcode"];
  return b.isNull() ? L"***" : jsonText(b, member);
}

long long count(const JsonValue& v, const char* member) { return static_cast<long long>(v[member].number()); }

void expectAgreesWithCli(Run& run, const Environment& env, App& app, const std::wstring& path) {
  const JsonValue dump = cliDump(run, env, path);
  const JsonValue& records = dump["records"];
  const auto rows = app.rows();
  run.equal(L"list rows against the records of kjvt58-cli", static_cast<long long>(records.array().size()),
            static_cast<long long>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const JsonValue& r = records.array().at(i);
    const std::wstring where = L"list row " + num(static_cast<long long>(i)) + L" against kjvt58-cli: ";
    run.equal(where + L"通し番号", num(static_cast<long long>(i)), rows[i][0]);
    run.equal(where + L"datetime", jsonText(r, "datetime"), rows[i][1]);
    run.equal(where + L"joint_kind", barcodeText(r, "joint_kind"), rows[i][2]);
    run.equal(where + L"joint_size", barcodeText(r, "joint_size"), rows[i][3]);
    run.equal(where + L"exit_code", jsonText(r, "exit_code"), rows[i][4]);
  }
  const auto texts = app.status().texts();
  run.equal(L"number of status bar parts", 4, static_cast<long long>(texts.size()));
  run.equal(L"status bar part 1 against kjvt58-cli",
            L"総記録数: " + num(static_cast<long long>(records.array().size())) + L" 件", texts[1]);
  run.equal(L"status bar part 2 against kjvt58-cli", L"不良データ: " + num(count(dump, "bad_count")) + L" 件",
            texts[2]);
  run.equal(L"status bar part 3 against kjvt58-cli",
            L"融着強制終了データ: " + num(count(dump, "abnormal_end_count")) + L" 件", texts[3]);
}

// Every field of the detail dialog against the decoded record of the tool.
void expectDetailAgreesWithCli(Run& run, HWND dialog, const JsonValue& r, bool battery) {
  const std::wstring suffix = L" against kjvt58-cli";
  for (const DetailField& f : detailFields()) {
    if (isBatteryField(f) && !battery) continue;
    const std::string member(f.field.key.begin(), f.field.key.end());  // keys are ASCII
    std::wstring want;
    if (f.field.owner == kj::catalogue::TextField::Owner::joint) {
      want = barcodeText(r, member.c_str());
    } else if (f.id == 1049) {
      // The barcode field shows the input mode text when there is one.
      const std::wstring mode = jsonText(r, "input_mode_text");
      want = mode.empty() ? jsonText(r, member.c_str()) : mode;
    } else {
      want = jsonText(r, member.c_str());
    }
    run.equal(fieldName(f.id) + suffix, want, fieldText(dialog, f.id));
  }
}

void expectEveryRecordInDetail(Run& run, const Environment& env, App& app, HWND dialog, const std::wstring& path,
                               bool battery) {
  const JsonValue dump = cliDump(run, env, path);
  const JsonValue& records = dump["records"];
  for (std::size_t i = 0; i < records.array().size(); ++i) {
    showRecord(app, dialog, static_cast<int>(i));
    run.equal(fieldName(ids::kDetailIndex), num(static_cast<long long>(i)), fieldText(dialog, ids::kDetailIndex));
    expectDetailAgreesWithCli(run, dialog, records.array().at(i), battery);
  }
}

// --- Files of the run ---

std::wstring makeFolder(const std::wstring& path) {
  if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    fail(L"cannot create the folder " + path);
  }
  return path;
}

std::wstring copySample(const Environment& env, const std::wstring& name, const std::wstring& to) {
  if (!CopyFileW(env.sample(name).c_str(), to.c_str(), FALSE)) {
    fail(L"cannot copy " + env.sample(name) + L" to " + to + L" (error " + num(GetLastError()) + L")");
  }
  return to;
}

// A folder whose name has Japanese characters and a space, so that every path
// the program handles must go through wide-character calls.
std::wstring japaneseFolder(const Environment& env) { return makeFolder(env.work + L"\\記録 データ"); }

// ============================================================================
// Scenarios
// ============================================================================

void listAndStatus(Run& run, const Environment& env) {
  const std::wstring path = env.sample(L"positions.efdx");
  run.step(L"start with positions.efdx on the command line");
  App app = App::start(env, quotedArgument(path));
  HWND main = app.waitIdle();

  run.step(L"main window");
  run.equal(L"window class", ids::kMainClass, className(main));
  run.equal(L"window title", ids::kTitle, windowText(main));
  const RECT frame = windowRect(main);
  run.equal(L"window width", 660, frame.right - frame.left);
  run.equal(L"window height", 580, frame.bottom - frame.top);

  run.step(L"list view");
  const RemoteListView list = app.list();
  run.equal(L"list view class", L"SysListView32", className(list.hwnd()));
  run.equal(L"list view text", L"融着記録", windowText(list.hwnd()));
  const RECT at = rectIn(list.hwnd(), main);
  run.equal(L"list view x", 60, at.left);
  run.equal(L"list view y", 0, at.top);
  run.equal(L"list view width", 585, at.right - at.left);
  run.equal(L"list view height", 495, at.bottom - at.top);
  run.equal(L"number of list columns", 5, list.columnCount());
  for (int c = 0; c < 5; ++c) {
    run.equal(L"title of column " + num(c), expected::kColumnTitles[static_cast<std::size_t>(c)], list.columnTitle(c));
    run.equal(L"width of column " + num(c), expected::kColumnWidths[static_cast<std::size_t>(c)], list.columnWidth(c));
  }
  expectRows(run, app, expected::positions());

  run.step(L"status bar");
  HWND bar = requireChild(main, ids::kStatusBar, L"main window");
  run.equal(L"status bar class", L"msctls_statusbar32", className(bar));
  run.equal(L"status bar part edges", joined({L"65", L"215", L"365", L"565"}), [&] {
    std::vector<std::wstring> edges;
    for (int e : app.status().partEdges()) edges.push_back(num(e));
    return joined(edges);
  }());
  expectStatus(run, app, expected::positions().status);

  run.step(L"window styles: fixed frame, minimise box only, accepts dropped files");
  const auto style = static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE));
  const auto ex_style = static_cast<DWORD>(GetWindowLongW(main, GWL_EXSTYLE));
  run.flag(L"caption", true, (style & WS_CAPTION) == WS_CAPTION);
  run.flag(L"system menu", true, (style & WS_SYSMENU) != 0);
  run.flag(L"minimise box", true, (style & WS_MINIMIZEBOX) != 0);
  run.flag(L"maximise box", false, (style & WS_MAXIMIZEBOX) != 0);
  run.flag(L"sizing frame", false, (style & WS_THICKFRAME) != 0);
  run.flag(L"accepts dropped files", true, (ex_style & WS_EX_ACCEPTFILES) != 0);

  run.step(L"the column of buttons");
  for (const expected::Place& p : expected::kButtons) {
    HWND b = app.button(p.text);
    const RECT r = rectIn(b, main);
    run.equal(L"button " + p.text + L" x", 10, r.left);
    run.equal(L"button " + p.text + L" y", p.y, r.top);
    run.equal(L"button " + p.text + L" width", 40, r.right - r.left);
    run.equal(L"button " + p.text + L" height", p.height, r.bottom - r.top);
    run.flag(L"button " + p.text + L" shows a bitmap", true, (GetWindowLongW(b, GWL_STYLE) & BS_BITMAP) != 0);
  }
  for (const expected::Place& p : expected::kGroupBoxes) {
    HWND g = childByText(main, L"Button", p.text);
    if (!g) fail(L"the main window has no group box " + quoted(p.text));
    const RECT r = rectIn(g, main);
    const std::wstring name = L"group box " + quoted(p.text);
    run.equal(name + L" type", BS_GROUPBOX, GetWindowLongW(g, GWL_STYLE) & BS_TYPEMASK);
    run.equal(name + L" x", 5, r.left);
    run.equal(name + L" width", 50, r.right - r.left);
    run.equal(name + L" y", p.y, r.top);
    run.equal(name + L" height", p.height, r.bottom - r.top);
  }
  expectButtons(run, app, true);

  run.step(L"list and status against kjvt58-cli dump --json");
  expectAgreesWithCli(run, env, app, path);
  exitApp(run, app);
}

void detailDialog(Run& run, const Environment& env) {
  const std::wstring path = env.sample(L"positions.efdx");
  run.step(L"start with positions.efdx");
  App app = App::start(env, quotedArgument(path));
  HWND main = app.waitIdle();

  run.step(L"the detail dialog shows the first record");
  HWND dialog = app.waitDetail();
  run.equal(L"detail dialog title (the current file)", path, windowText(dialog));
  const RECT m = windowRect(main);
  const RECT d = windowRect(dialog);
  run.equal(L"detail dialog left (main window left + 660)", m.left + 660, d.left);
  run.equal(L"detail dialog top (main window top)", m.top, d.top);
  run.flag(L"the plain-record dialog has no battery fields", false, childById(dialog, ids::kBatteryType) != nullptr);
  expectDetailLayout(run, dialog, false, 5);
  expectFields(run, dialog, expected::positionsRecord0());

  run.step(L"selecting row 2 in the list shows record 2");
  app.list().select(2);
  expectFields(run, dialog, expected::positionsRecord2());

  run.step(L"selecting row 4 shows the record with the gas barcode");
  app.list().select(4);
  expectFields(run, dialog, expected::positionsRecord4());

  run.step(L"up arrow at the last record: stays at 4 and clears the list selection");
  run.equal(L"selected list rows before the click", 1, app.list().selectedCount());
  clickUpDown(dialog, true);
  settle(kWindowTimeout, [&] { return app.list().selectedCount() == 0; });
  run.equal(L"selected list rows after stepping in the dialog", 0, app.list().selectedCount());
  expectFields(run, dialog, expected::positionsRecord4());

  run.step(L"down arrow steps back to record 3");
  clickUpDown(dialog, false);
  expectFields(run, dialog, expected::positionsRecord3());

  run.step(L"up arrow steps forward to record 4");
  clickUpDown(dialog, true);
  expectFields(run, dialog, expected::positionsRecord4());

  run.step(L"typing 99 into the index field shows the last record and clears the list selection");
  app.list().select(2);
  expectFields(run, dialog, expected::positionsRecord2());
  HWND index = requireChild(dialog, ids::kDetailIndex, L"record detail dialog");
  typeInto(index, L"99", app.list().hwnd());
  settle(kWindowTimeout, [&] { return fieldText(dialog, ids::kDetailIndex) == L"4"; });
  expectFields(run, dialog, expected::positionsRecord4());
  settle(kWindowTimeout, [&] { return app.list().selectedCount() == 0; });
  run.equal(L"selected list rows after typing", 0, app.list().selectedCount());

  run.step(L"deleting the index text shows record 0");
  typeInto(index, L"\b", app.list().hwnd());
  expectFields(run, dialog, expected::positionsRecord0());

  run.step(L"every record, selected in the list, against kjvt58-cli");
  expectEveryRecordInDetail(run, env, app, dialog, path, false);

  run.step(L"a closed detail dialog opens again on a list selection");
  postClose(dialog);
  waitGone(dialog, kWindowTimeout, L"the detail dialog to close");
  app.list().select(1);
  HWND again = app.waitDetail();
  settle(kWindowTimeout, [&] { return fieldText(again, ids::kDetailIndex) == L"1"; });
  run.equal(fieldName(ids::kDetailIndex), L"1", fieldText(again, ids::kDetailIndex));
  run.equal(fieldName(1037), L"24/05/20 09:31", fieldText(again, 1037));
  run.equal(L"title of the reopened detail dialog", path, windowText(again));
  exitApp(run, app);
}

void openDialog(Run& run, const Environment& env) {
  const std::wstring folder = japaneseFolder(env);
  const std::wstring plain = copySample(env, L"plain.efd", folder + L"\\plain.efd");
  const std::wstring merged = copySample(env, L"merged.mrgx", folder + L"\\merged.mrgx");

  run.step(L"start without a file");
  App app = App::start(env, L"");
  HWND main = app.waitIdle();
  expectEmptyDisplay(run, app);
  run.flag(L"a detail dialog before anything is loaded", false, app.detail() != nullptr);
  expectButtons(run, app, false);

  run.step(L"the open command shows the open-file dialog with the two file types");
  postCommand(main, ids::kCmdOpen);
  HWND dialog = waitFileDialog(app);
  sameWindow(run, L"owner of the open-file dialog", main, ownerOf(dialog));
  const auto types = comboItems(requireChild(dialog, ids::kFileTypeList, L"open-file dialog"));
  run.equal(L"file types of the open-file dialog",
            joined({quoted(L"融着記録 (*.efd, *.efdx)"), quoted(L"マージデータ(*.mrg, *.mrgx)")}), [&] {
              std::vector<std::wstring> q;
              for (const auto& t : types) q.push_back(quoted(t));
              return joined(q);
            }());

  run.step(L"choosing plain.efd in a folder with a Japanese name loads it");
  chooseFile(dialog, plain);
  expectRows(run, app, expected::plain());
  expectStatus(run, app, expected::plain().status);
  HWND detail = app.waitDetail();
  run.equal(L"detail dialog title (the chosen file)", plain, windowText(detail));
  expectButtons(run, app, true);

  run.step(L"record 2 of plain.efd, typed in by hand, in the detail dialog");
  app.list().select(2);
  expectFields(run, detail, expected::plainRecord2());

  run.step(L"plain.efd against kjvt58-cli");
  expectAgreesWithCli(run, env, app, plain);
  expectEveryRecordInDetail(run, env, app, detail, plain, false);

  run.step(L"open merged.mrgx through the dialog: every record it holds, labelled as merged");
  openThroughDialog(run, app, merged);
  expectRows(run, app, expected::merged());
  expectStatus(run, app, expected::merged().status);
  expectAgreesWithCli(run, env, app, merged);
  run.equal(L"detail dialog title (the merged file)", merged, windowText(app.waitDetail()));

  run.step(L"cancelling the open-file dialog keeps the display");
  postCommand(main, ids::kCmdOpen);
  dialog = waitFileDialog(app);
  clickDialogButton(dialog, IDCANCEL);
  waitGone(dialog, kWindowTimeout, L"the open-file dialog to close on cancel");
  app.waitIdle();
  expectRows(run, app, expected::merged());
  expectStatus(run, app, expected::merged().status);
  exitApp(run, app);
}

void badChecksums(Run& run, const Environment& env) {
  const std::wstring path = env.sample(L"bad-checksums.efdx");
  run.step(L"start with bad-checksums.efdx: the bad records are reported");
  App app = App::start(env, quotedArgument(path));
  const MessageBoxView box =
      expectMessageBox(run, app, {L"2件の不良データが含まれています。", ids::kTitle, Icon::error, {IDOK}});

  run.step(L"the list is filled before the message");
  run.equal(L"number of list rows while the message shows", 5, app.list().count());
  answer(box, IDOK);
  app.waitIdle();

  run.step(L"every record is listed, the bad ones counted");
  expectRows(run, app, expected::badChecksums());
  expectStatus(run, app, expected::badChecksums().status);
  expectAgreesWithCli(run, env, app, path);

  run.step(L"a bad record in the detail dialog");
  HWND detail = app.waitDetail();
  app.list().select(1);
  expectFields(run, detail, expected::badChecksumsRecord1());
  exitApp(run, app);
}

void invalidFile(Run& run, const Environment& env) {
  const std::wstring invalid = env.sample(L"invalid.efdx");
  run.step(L"start with invalid.efdx: the file is rejected");
  App app = App::start(env, quotedArgument(invalid));
  const ExpectedBox rejected{
      L"データの読み込みに失敗しました。データが不正です。", L"読み込み失敗", Icon::error, {IDOK}};
  MessageBoxView box = expectMessageBox(run, app, rejected);
  expectEmptyDisplay(run, app);
  answer(box, IDOK);
  app.waitIdle();

  run.step(L"after the rejection: nothing shown, exports disabled");
  expectEmptyDisplay(run, app);
  run.flag(L"a detail dialog after the rejected file", false, app.detail() != nullptr);
  expectButtons(run, app, false);

  run.step(L"a valid file through the open command");
  openThroughDialog(run, app, env.sample(L"positions.efdx"));
  expectRows(run, app, expected::positions());
  expectButtons(run, app, true);

  run.step(L"then the invalid file through the open command: the display is emptied");
  openThroughDialog(run, app, invalid);
  box = expectMessageBox(run, app, rejected);
  answer(box, IDOK);
  app.waitIdle();
  expectEmptyDisplay(run, app);
  run.flag(L"a detail dialog after the rejected file", false, app.detail() != nullptr);
  expectButtons(run, app, false);
  exitApp(run, app);
}

void secondInstance(Run& run, const Environment& env) {
  const std::wstring folder = makeFolder(env.work + L"\\handover");
  const std::wstring first = copySample(env, L"positions.efdx", folder + L"\\first.efdx");
  const std::wstring second = copySample(env, L"battery.efdx", folder + L"\\second.efdx");

  run.step(L"first instance with first.efdx (the positions sample)");
  App app = App::start(env, quotedArgument(first));
  HWND main = app.waitIdle();
  expectRows(run, app, expected::positions());

  run.step(L"minimise the first window");
  ShowWindowAsync(main, SW_MINIMIZE);
  settle(kWindowTimeout, [&] { return IsIconic(main) != FALSE; });
  run.flag(L"first window minimised", true, IsIconic(main) != FALSE);

  run.step(L"a second start with second.efdx (the battery sample) hands it over and ends with 0");
  {
    Process other = Process::start(env.app, quotedArgument(second));
    const auto code = other.waitExit(kExitTimeout);
    if (!code) fail(L"the second instance did not end");
    run.equal(L"exit code of the second instance", 0, *code);
  }
  expectRows(run, app, expected::battery());
  expectStatus(run, app, expected::battery().status);
  const auto windows = allTopWindows(ids::kMainClass);
  run.equal(L"number of record manager windows", 1, static_cast<long long>(windows.size()));
  sameWindow(run, L"the one record manager window", main, windows.front());
  settle(kWindowTimeout, [&] { return IsIconic(main) == FALSE; });
  run.flag(L"first window restored", false, IsIconic(main) != FALSE);
  settle(kWindowTimeout, [&] { return app.detail() && childById(app.detail(), ids::kBatteryType); });
  HWND detail = app.waitDetail();
  run.flag(L"the detail dialog is the battery dialog", true, childById(detail, ids::kBatteryType) != nullptr);
  run.equal(L"detail dialog title (the handed-over file)", second, windowText(detail));
  expectFields(run, detail, expected::batteryRecord(0));

  run.step(L"a file handed over while the COM port dialog is open is dropped");
  postCommand(main, ids::kCmdComPort);
  HWND com_dialog = waitComDialog(app);
  {
    Process other = Process::start(env.app, quotedArgument(first));
    const auto code = other.waitExit(kExitTimeout);
    if (!code) fail(L"the second instance did not end while the COM port dialog was open");
    run.equal(L"exit code of the second instance", 0, *code);
  }
  // The hand-over is a sent message: by the time the second instance has
  // ended, the first has dealt with it.
  run.equal(L"number of list rows (still the battery file)", 3, app.list().count());
  postClose(com_dialog);
  waitGone(com_dialog, kWindowTimeout, L"the COM port dialog to close");
  app.waitIdle();
  expectRows(run, app, expected::battery());

  run.step(L"a second start without a file makes the first read its current file again");
  copySample(env, L"positions.efdx", second);
  {
    Process other = Process::start(env.app, L"");
    const auto code = other.waitExit(kExitTimeout);
    if (!code) fail(L"the second instance without arguments did not end");
    run.equal(L"exit code of the second instance without arguments", 0, *code);
  }
  expectRows(run, app, expected::positions());
  expectStatus(run, app, expected::positions().status);
  settle(kWindowTimeout, [&] { return app.detail() && !childById(app.detail(), ids::kBatteryType); });
  detail = app.waitDetail();
  run.flag(L"the detail dialog is the plain-record dialog", false, childById(detail, ids::kBatteryType) != nullptr);
  run.equal(L"detail dialog title (the re-read file)", second, windowText(detail));
  exitApp(run, app);
}

// The path of a sample copied to a folder of drive C: without blanks, so that
// it can stand on the command line without quotation marks.
std::wstring plainPathCopy(const Environment& env) {
  makeFolder(L"C:\\kje2e");
  return copySample(env, L"positions.efdx", L"C:\\kje2e\\positions.efdx");
}

void commandLineQuotes(Run& run, const Environment& env) {
  const std::wstring path = plainPathCopy(env);
  const std::vector<std::pair<std::wstring, std::wstring>> forms = {
      {L"without quotation marks", path},
      {L"with a quotation mark only at its start", L"\"" + path},
      {L"with a quotation mark only at its end", path + L"\""},
  };
  for (const auto& [how, argument] : forms) {
    run.step(L"a path " + how + L": " + argument);
    App app = App::start(env, argument);
    app.waitIdle();
    expectRows(run, app, expected::positions());
    run.equal(L"detail dialog title (the path without quotation marks)", path, windowText(app.waitDetail()));
    exitApp(run, app);
  }
}

void closeQuestion(Run& run, const Environment& env) {
  const ExpectedBox question{L"終了してもよろしいですか?", ids::kTitle, Icon::question, {IDYES, IDNO}};
  run.step(L"start with positions.efdx");
  App app = App::start(env, quotedArgument(env.sample(L"positions.efdx")));
  HWND main = app.waitIdle();

  run.step(L"the title-bar close asks first");
  postClose(main);
  MessageBoxView box = expectMessageBox(run, app, question);

  run.step(L"No keeps the program running");
  answer(box, IDNO);
  run.flag(L"program still running after No", true, !app.process().waitExit(Millis(300)).has_value());
  run.flag(L"main window still shown after No", true, windowExists(main) && windowVisible(main));
  run.equal(L"number of list rows after No", 5, app.list().count());

  run.step(L"Yes ends the program with exit code 0");
  postClose(main);
  box = expectMessageBox(run, app, question);
  clickDialogButton(box.hwnd, IDYES);
  run.equal(L"exit code after Yes", 0, app.waitExit(L"Yes to the closing question"));
  settle(kWindowTimeout, [] { return allTopWindows(ids::kMainClass).empty(); });
  run.equal(L"record manager windows left", 0, static_cast<long long>(allTopWindows(ids::kMainClass).size()));
}

void exitCommand(Run& run, const Environment& env) {
  run.step(L"start with positions.efdx");
  {
    App app = App::start(env, quotedArgument(env.sample(L"positions.efdx")));
    HWND main = app.waitIdle();
    run.step(L"command 32839 ends the program without a question");
    postCommand(main, ids::kCmdExit);
    run.equal(L"exit code after command 32839", 0, exitWithoutQuestion(app, L"command 32839"));
  }
  run.step(L"start without a file");
  {
    App app = App::start(env, L"");
    app.waitIdle();
    run.step(L"the exit button ends the program without a question");
    PostMessageW(app.button(L"exit"), BM_CLICK, 0, 0);
    run.equal(L"exit code after the exit button", 0, exitWithoutQuestion(app, L"the exit button"));
  }
}

void expectSetting(Run& run, const std::wstring& name, DWORD type, const std::wstring& text, DWORD number) {
  const auto v = readRegistryValue(kSettingsKey, name);
  if (!v) fail(L"registry value HKCU\\" + std::wstring(kSettingsKey) + L"\\" + name + L": missing");
  run.equal(L"registry type of " + name, type == REG_SZ ? L"REG_SZ" : L"REG_DWORD",
            v->type == REG_SZ ? L"REG_SZ" : (v->type == REG_DWORD ? L"REG_DWORD" : L"type " + num(v->type)));
  if (type == REG_SZ) {
    run.equal(L"registry value " + name, text, v->text);
  } else {
    run.equal(L"registry value " + name, number, v->number);
  }
}

void startupComMissing(Run& run, const Environment& env) {
  run.step(L"set COM=COM42 in the registry, then start");
  deleteRegistryKey(kSettingsKey);
  writeRegistryText(kSettingsKey, L"COM", L"COM42");
  App app = App::start(env, L"");
  const MessageBoxView box =
      expectMessageBox(run, app, {L"設定されているCOMポート(COM42)が存在しません。", ids::kTitle, Icon::error, {IDOK}});
  answer(box, IDOK);
  app.waitIdle();

  run.step(L"the program goes on, the setting is kept");
  expectEmptyDisplay(run, app);
  expectSetting(run, L"COM", REG_SZ, L"COM42", 0);
  exitApp(run, app);

  run.step(L"nothing is saved at exit");
  expectSetting(run, L"COM", REG_SZ, L"COM42", 0);
  run.flag(L"registry value PaperSize exists after exit", false,
           readRegistryValue(kSettingsKey, L"PaperSize").has_value());
}

HWND waitComDialog(App& app) {
  return waitFor(kWindowTimeout, L"the COM port dialog", [&]() -> HWND {
    for (HWND w : topWindows(app.pid(), L"#32770")) {
      if (windowVisible(w) && childById(w, ids::kComPortList)) return w;
    }
    return nullptr;
  });
}

struct ComDialog {
  HWND dialog;
  HWND list;
  std::vector<std::wstring> items;
};

ComDialog openComDialog(Run& run, App& app) {
  postCommand(app.main(), ids::kCmdComPort);
  ComDialog d{};
  d.dialog = waitComDialog(app);
  run.equal(L"COM port dialog title", L"通信ポート設定", windowText(d.dialog));
  d.list = requireChild(d.dialog, ids::kComPortList, L"COM port dialog");
  d.items = comboItems(d.list);
  return d;
}

int indexOf(const std::vector<std::wstring>& items, const std::wstring& item) {
  const auto it = std::find(items.begin(), items.end(), item);
  if (it == items.end()) fail(quoted(item) + L" is not among the entries [" + joined(items) + L"]");
  return static_cast<int>(it - items.begin());
}

void closeComDialogWith(HWND dialog, int button) {
  clickDialogButton(dialog, button);
  waitGone(dialog, kWindowTimeout, L"the COM port dialog to close");
}

void comPortDialog(Run& run, const Environment& env) {
  const std::wstring port = env.com_port;
  if (port.empty()) fail(L"no --com-port given: the runner names a port it made exist");
  deleteRegistryKey(kSettingsKey);

  run.step(L"start without settings: no message about the port");
  App app = App::start(env, L"");
  app.waitIdle();
  run.flag(L"settings key after start without settings", false, registryKeyExists(kSettingsKey));

  run.step(L"the COM port dialog offers an empty entry, then the ports, none selected");
  ComDialog d = openComDialog(run, app);
  run.isTrue(L"the COM port list has entries", !d.items.empty());
  run.equal(L"first entry of the COM port list", L"", d.items.front());
  int last_number = -1;
  for (std::size_t i = 1; i < d.items.size(); ++i) {
    const std::wstring& name = d.items[i];
    const bool form = name.size() > 3 && name.compare(0, 3, L"COM") == 0 &&
                      std::all_of(name.begin() + 3, name.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }) &&
                      !(name.size() > 4 && name[3] == L'0');
    if (!form) fail(L"COM port entry " + quoted(name) + L" is not COM and a number");
    const int n = std::stoi(name.substr(3));
    if (n <= last_number) fail(L"COM port entries not in ascending order: [" + joined(d.items) + L"]");
    last_number = n;
  }
  const int port_index = indexOf(d.items, port);
  run.equal(L"selected entry with no setting", -1, comboSelection(d.list));
  HWND ok = requireChild(d.dialog, IDOK, L"COM port dialog");
  run.equal(L"text of button 1", L"OK", windowText(ok));

  run.step(L"Escape (IDCANCEL) does nothing");
  clickDialogButton(d.dialog, IDCANCEL);
  Sleep(500);
  run.flag(L"COM port dialog still open after IDCANCEL", true, windowExists(d.dialog) && windowVisible(d.dialog));

  run.step(L"choose " + port + L" and OK: the settings are written");
  sendPlain(d.list, CB_SETCURSEL, static_cast<WPARAM>(port_index), 0);
  closeComDialogWith(d.dialog, IDOK);
  settle(kWindowTimeout, [&] { return registryKeyExists(kSettingsKey); });
  expectSetting(run, L"COM", REG_SZ, port, 0);
  expectSetting(run, L"PaperSize", REG_DWORD, L"", 1);
  expectSetting(run, L"PrintOrientation", REG_DWORD, L"", 0);
  expectSetting(run, L"Zoom", REG_DWORD, L"", 50);
  for (const wchar_t* margin : {L"MarginTop", L"MarginBottom", L"MarginLeft", L"MarginRight"}) {
    expectSetting(run, margin, REG_DWORD, L"", 10);
  }

  run.step(L"the dialog opens with " + port + L" selected; its close box changes nothing");
  d = openComDialog(run, app);
  run.equal(L"selected entry", port_index, comboSelection(d.list));
  sendPlain(d.list, CB_SETCURSEL, 0, 0);
  postClose(d.dialog);
  waitGone(d.dialog, kWindowTimeout, L"the COM port dialog to close by its close box");
  app.waitIdle();
  expectSetting(run, L"COM", REG_SZ, port, 0);

  run.step(L"the empty entry and OK clear the setting");
  d = openComDialog(run, app);
  run.equal(L"selected entry", port_index, comboSelection(d.list));
  sendPlain(d.list, CB_SETCURSEL, 0, 0);
  closeComDialogWith(d.dialog, IDOK);
  settle(kWindowTimeout, [&] {
    const auto v = readRegistryValue(kSettingsKey, L"COM");
    return v && v->text.empty();
  });
  expectSetting(run, L"COM", REG_SZ, L"", 0);
  exitApp(run, app);

  run.step(L"settings in the registry are read at start");
  writeRegistryText(kSettingsKey, L"COM", port);
  writeRegistryNumber(kSettingsKey, L"Zoom", 120);
  writeRegistryNumber(kSettingsKey, L"MarginLeft", 25);
  writeRegistryNumber(kSettingsKey, L"PaperSize", 3);
  App again = App::start(env, L"");
  again.waitIdle();  // an existing port: no message
  d = openComDialog(run, again);
  run.equal(L"selected entry (read from the registry)", indexOf(d.items, port), comboSelection(d.list));
  closeComDialogWith(d.dialog, IDOK);
  settle(kWindowTimeout, [&] {
    const auto v = readRegistryValue(kSettingsKey, L"PaperSize");
    return v && v->number == 3;
  });
  expectSetting(run, L"COM", REG_SZ, port, 0);
  expectSetting(run, L"Zoom", REG_DWORD, L"", 120);
  expectSetting(run, L"MarginLeft", REG_DWORD, L"", 25);
  expectSetting(run, L"PaperSize", REG_DWORD, L"", 3);
  expectSetting(run, L"MarginTop", REG_DWORD, L"", 10);
  exitApp(run, again);
}

HWND waitAboutBox(App& app) {
  return waitFor(kWindowTimeout, L"the About box", [&]() -> HWND {
    for (HWND w : topWindows(app.pid(), L"#32770")) {
      if (windowVisible(w) && childByText(w, L"Static", L"Version 1.0.4")) return w;
    }
    return nullptr;
  });
}

void aboutBox(Run& run, const Environment& env) {
  run.step(L"start without a file");
  App app = App::start(env, L"");
  HWND main = app.waitIdle();

  run.step(L"the about command shows the About box");
  postCommand(main, ids::kCmdAbout);
  HWND about = waitAboutBox(app);
  run.equal(L"About box title", ids::kTitle, windowText(about));
  sameWindow(run, L"owner of the About box", main, ownerOf(about));
  run.flag(L"About box line with the title", true, childByText(about, L"Static", ids::kTitle) != nullptr);
  run.equal(L"text of button 1", L"OK", windowText(requireChild(about, IDOK, L"About box")));

  run.step(L"a file handed over while the About box is open is loaded (the About box does not make the window busy)");
  {
    Process other = Process::start(env.app, quotedArgument(env.sample(L"battery.efdx")));
    const auto code = other.waitExit(kExitTimeout);
    if (!code) fail(L"the second instance did not end while the About box was open");
    run.equal(L"exit code of the second instance", 0, *code);
  }
  expectRows(run, app, expected::battery());

  run.step(L"OK closes the About box");
  clickDialogButton(about, IDOK);
  waitGone(about, kWindowTimeout, L"the About box to close on OK");
  app.waitIdle();

  run.step(L"Escape closes it too");
  postCommand(main, ids::kCmdAbout);
  about = waitAboutBox(app);
  clickDialogButton(about, IDCANCEL);
  waitGone(about, kWindowTimeout, L"the About box to close on Escape");
  app.waitIdle();
  exitApp(run, app);
}

void batteryRecords(Run& run, const Environment& env) {
  const std::wstring path = env.sample(L"battery.efdx");
  run.step(L"start with battery.efdx");
  App app = App::start(env, quotedArgument(path));
  app.waitIdle();
  expectRows(run, app, expected::battery());
  expectStatus(run, app, expected::battery().status);
  expectAgreesWithCli(run, env, app, path);

  run.step(L"the battery detail dialog");
  HWND detail = app.waitDetail();
  run.flag(L"the detail dialog has the battery fields", true, childById(detail, ids::kBatteryType) != nullptr);
  run.equal(L"detail dialog title", path, windowText(detail));
  expectDetailLayout(run, detail, true, 3);
  expectFields(run, detail, expected::batteryRecord(0));
  app.list().select(1);
  expectFields(run, detail, expected::batteryRecord(1));
  app.list().select(2);
  expectFields(run, detail, expected::batteryRecord(2));

  run.step(L"every battery record against kjvt58-cli");
  expectEveryRecordInDetail(run, env, app, detail, path, true);
  exitApp(run, app);
}

// Distinct colours in an image: a blank or black capture has one or two.
std::size_t colours(const Image& image) {
  std::vector<std::uint32_t> p = image.pixels;
  std::sort(p.begin(), p.end());
  return static_cast<std::size_t>(std::unique(p.begin(), p.end()) - p.begin());
}

void capture(Run& run, const Environment& env, HWND window, const std::wstring& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(400);  // let the display server catch up with the drawing
  const Image image = captureScreen(windowRect(window));
  run.isTrue(L"the capture of " + name + L" shows a drawn window (" + num(static_cast<long long>(colours(image))) +
                 L" colours)",
             colours(image) > 8);
  if (!env.shots.empty()) saveBmp(env.shots + L"\\" + name + L".bmp", image);
}

// --- The Excel conversion ---

HWND waitOutputItemDialog(App& app) {
  return waitFor(kWindowTimeout, L"the output item dialog", [&]() -> HWND {
    for (HWND w : topWindows(app.pid(), L"#32770")) {
      if (windowVisible(w) && childById(w, ids::kPlainItemBoxes[0]) && !childById(w, ids::kDetailIndex)) return w;
    }
    return nullptr;
  });
}

bool boxChecked(HWND dialog, int id) {
  return sendPlain(requireChild(dialog, id, L"output item dialog"), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A JSON string of a text (UTF-8 on writing).
std::wstring jsonString(std::wstring_view text) {
  std::wstring out = L"\"";
  for (const wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      out += L'\\';
      out += c;
    } else if (c < 0x20) {
      wchar_t escape[8];
      swprintf(escape, 8, L"\\u%04x", static_cast<unsigned>(c));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + L"\"";
}

std::wstring jsonList(const std::vector<std::wstring>& texts) {
  std::vector<std::wstring> items;
  for (const auto& t : texts) items.push_back(jsonString(t));
  return L"[" + joined(items, L",") + L"]";
}

void excelExport(Run& run, const Environment& env) {
  const std::wstring folder = japaneseFolder(env);
  const std::wstring path = copySample(env, L"positions.efdx", folder + L"\\positions.efdx");
  const std::wstring items_key = std::wstring(kSettingsKey) + L"\\EfdxExportProps";
  deleteRegistryKey(items_key);

  run.step(L"start with positions.efdx; no output items stored");
  App app = App::start(env, quotedArgument(path));
  HWND main = app.waitIdle();

  run.step(L"the export button opens the output item dialog of plain records, every box checked");
  PostMessageW(app.button(L"export_excel"), BM_CLICK, 0, 0);
  HWND dialog = waitOutputItemDialog(app);
  sameWindow(run, L"owner of the output item dialog", main, ownerOf(dialog));
  run.equal(L"output item dialog title", L"出力項目の設定", windowText(dialog));
  for (std::size_t i = 0; i < 32; ++i) {
    const int id = ids::kPlainItemBoxes[i];
    const std::wstring what = L"box " + num(id);
    run.equal(what + L" text", std::wstring(kj::catalogue::output_items[i].label),
              windowText(requireChild(dialog, id, L"output item dialog")));
    run.flag(what + L" checked", true, boxChecked(dialog, id));
  }
  run.flag(L"a battery item box in the plain dialog", false, childById(dialog, ids::kBatteryTypeBox) != nullptr);
  capture(run, env, dialog, L"output-item-dialog");

  run.step(L"cancel: no message, nothing stored");
  clickDialogButton(dialog, IDCANCEL);
  waitGone(dialog, kWindowTimeout, L"the output item dialog to close on cancel");
  app.waitIdle();
  run.flag(L"the output item key after cancel", false, registryKeyExists(items_key));

  run.step(L"keep seven columns of six items: uncheck every other box, OK");
  const std::vector<std::wstring> keep = {L"lot_number", L"datetime", L"joint_size", L"exit_code",
                                          L"coord",      L"worker"};
  PostMessageW(app.button(L"export_excel"), BM_CLICK, 0, 0);
  dialog = waitOutputItemDialog(app);
  for (std::size_t i = 0; i < 32; ++i) {
    const bool on = std::find(keep.begin(), keep.end(), kj::catalogue::output_items[i].key) != keep.end();
    sendPlain(requireChild(dialog, ids::kPlainItemBoxes[i], L"output item dialog"), BM_SETCHECK,
              on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  clickDialogButton(dialog, IDOK);
  waitGone(dialog, kWindowTimeout, L"the output item dialog to close on OK");

  run.step(L"the save dialog proposes positions as an Excel file; a name without extension gets .xls");
  HWND save = waitFileDialog(app);
  sameWindow(run, L"owner of the save dialog", main, ownerOf(save));
  run.equal(L"proposed file name", L"positions", windowText(fileNameEdit(save)));
  const auto types = comboItems(requireChild(save, ids::kFileTypeList, L"save dialog"));
  run.equal(L"file types of the save dialog", quoted(L"Excel形式 (*.xls)"),
            joined([&] {
              std::vector<std::wstring> q;
              for (const auto& t : types) q.push_back(quoted(t));
              return q;
            }()));
  const std::wstring target = folder + L"\\融着 一覧";
  chooseFile(save, target);
  const MessageBoxView done =
      expectMessageBox(run, app, {L"エクセル出力に成功しました。", ids::kTitle, Icon::information, {IDOK}});
  answer(done, IDOK);

  run.step(L"the choice is stored; the workbook is there");
  for (std::size_t i = 0; i < 32; ++i) {
    const std::wstring key(kj::catalogue::output_items[i].key);
    const bool on = std::find(keep.begin(), keep.end(), key) != keep.end();
    const auto v = readRegistryValue(items_key, key);
    run.flag(L"output item " + key + L" stored as REG_DWORD", true, v && v->type == REG_DWORD);
    run.equal(L"output item " + key + L" stored", on ? 1 : 0, v ? static_cast<long long>(v->number) : -1);
  }
  const std::wstring workbook = target + L".xls";
  run.flag(L"the workbook " + workbook + L" exists", true, GetFileAttributesW(workbook.c_str()) != INVALID_FILE_ATTRIBUTES);

  // What the workbook must hold, by the decoded records of the command-line
  // tool; scripts/e2e reads the workbook back with an independent reader.
  const JsonValue dump = cliDump(run, env, path);
  std::vector<std::wstring> rows;
  for (const JsonValue& r : dump["records"].array()) {
    rows.push_back(jsonList({jsonText(r, "lot_number"), jsonText(r, "datetime"), barcodeText(r, "joint_size"),
                             jsonText(r, "exit_code"), jsonText(r, "latitude_text"), jsonText(r, "longitude_text"),
                             jsonText(r, "worker")}));
  }
  const std::wstring expected =
      L"{\"workbook\":" + jsonString(L"融着 一覧.xls") + L",\"sheet\":" + jsonString(L"融着記録") +
      L",\"groups\":" + jsonList({L"", L"", L"継手情報", L"融着記録", L"融着記録", L"融着記録", L"管理情報"}) +
      L",\"headers\":" + jsonList({L"機体番号", L"日付/時刻", L"サイズ", L"終了状態(終了コード)", L"緯度", L"経度", L"施工者ID"}) +
      L",\"formats\":" + jsonList({L"@", L"", L"@", L"", L"", L"", L"@"}) + L",\"rows\":[" + joined(rows, L",") + L"]}\n";
  const std::string bytes = toUtf8(expected);
  FILE* out = _wfopen((target + L".expected.json").c_str(), L"wb");
  const bool written = out != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (out != nullptr) std::fclose(out);
  run.flag(L"the expectation file was written", true, written);
  exitApp(run, app);
}

// --- The Excel conversion through automation ---

std::string fileBytes(const std::wstring& path);

// The local server of tests/export/win32 registered (machine-wide: Wine 8
// reads no per-user classes) as the spreadsheet application, for the
// lifetime of this object; it logs the calls it receives to `log`.
class FakeExcelRegistration {
 public:
  FakeExcelRegistration(const std::wstring& server, const std::wstring& log) {
    const std::wstring clsid = kj::test::fake_excel_server_clsid_text;
    ok_ = set(L"Software\\Classes\\Excel.Application\\CLSID", clsid) &&
          set(L"Software\\Classes\\CLSID\\" + clsid, L"Recording spreadsheet application") &&
          set(L"Software\\Classes\\CLSID\\" + clsid + L"\\LocalServer32",
              quotedArgument(server) + L" --log " + quotedArgument(log)) &&
          set(L"Software\\Classes\\CLSID\\" + clsid + L"\\ProgID", L"Excel.Application");
    clsid_ = clsid;
  }
  FakeExcelRegistration(const FakeExcelRegistration&) = delete;
  FakeExcelRegistration& operator=(const FakeExcelRegistration&) = delete;
  ~FakeExcelRegistration() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Excel.Application");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Excel.Application");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\CLSID\\" + clsid_).c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\CLSID\\" + clsid_).c_str());
  }
  bool ok() const { return ok_; }

 private:
  static bool set(const std::wstring& path, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    const LONG done = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return done == ERROR_SUCCESS;
  }
  bool ok_ = false;
  std::wstring clsid_;
};

// The log of the recording automation server after one workbook: open, the
// sheet, SaveAs of `workbook` and Quit in this order, every object released.
void expectAutomationLog(Run& run, const std::wstring& log, const std::wstring& workbook) {
  const bool logged = settle(Millis(60000), [&] { return GetFileAttributesW(log.c_str()) != INVALID_FILE_ATTRIBUTES; });
  run.isTrue(L"the recording server wrote its log", logged);
  if (!logged) fail(L"no call log from the recording server");
  const std::string calls = fileBytes(log);
  const std::vector<std::string> in_order = {
      ".Visible put(", ".Workbooks get(", ".Add get(", ".ActiveSheet get(", ".Name put(", "融着記録",
      ".DisplayAlerts put(", ".Range get(", ".Value put(", ".Merge method(", ".NumberFormatLocal put(",
      ".AutoFit method(", ".BorderAround method(", ".SaveAs method(", toUtf8(workbook), ".Quit method(", "end"};
  std::size_t from = 0;
  for (const std::string& part : in_order) {
    const std::size_t at = calls.find(part, from);
    run.isTrue(L"the log has " + fromUtf8(part) + L" in its place", at != std::string::npos);
    if (at != std::string::npos) from = at + part.size();
  }
  run.flag(L"objects left referenced by the program", false, calls.find("unreleased") != std::string::npos);
}

void excelAutomation(Run& run, const Environment& env) {
  if (env.excel_server.empty()) fail(L"no --excel-server given: the runner names the recording automation server");
  const std::wstring folder = makeFolder(env.work + L"\\automation");
  const std::wstring path = copySample(env, L"positions.efdx", folder + L"\\positions.efdx");
  const std::wstring log = folder + L"\\calls.log";
  DeleteFileW(log.c_str());
  deleteRegistryKey(std::wstring(kSettingsKey) + L"\\EfdxExportProps");

  run.step(L"register the recording server as Excel.Application, start with positions.efdx");
  FakeExcelRegistration registration(env.excel_server, log);
  run.isTrue(L"the recording server is registered", registration.ok());
  App app = App::start(env, quotedArgument(path));
  app.waitIdle();

  run.step(L"export every item: the program drives the registered application");
  PostMessageW(app.button(L"export_excel"), BM_CLICK, 0, 0);
  HWND dialog = waitOutputItemDialog(app);
  clickDialogButton(dialog, IDOK);
  waitGone(dialog, kWindowTimeout, L"the output item dialog to close on OK");
  HWND save = waitFileDialog(app);
  const std::wstring target = folder + L"\\by automation";
  chooseFile(save, target);
  answer(expectMessageBox(run, app, {L"エクセル出力に成功しました。", ids::kTitle, Icon::information, {IDOK}}), IDOK);
  app.waitIdle();
  run.flag(L"a workbook written by the program's own writer", false,
           GetFileAttributesW((target + L".xls").c_str()) != INVALID_FILE_ATTRIBUTES);

  run.step(L"the server's log: the calls of open, the sheet, SaveAs and Quit, in order, everything released");
  expectAutomationLog(run, log, target + L".xls");
  exitApp(run, app);
}

// --- Printing without Excel ---

void printWithoutExcel(Run& run, const Environment& env) {
  run.step(L"start with positions.efdx; this prefix has no spreadsheet application");
  App app = App::start(env, quotedArgument(env.sample(L"positions.efdx")));
  app.waitIdle();

  run.step(L"the print button asks first; キャンセル shows nothing more");
  const ExpectedBox question{L"印刷しますか?", ids::kTitle, Icon::warning, {IDOK, IDCANCEL}};
  PostMessageW(app.button(L"export_printer"), BM_CLICK, 0, 0);
  answer(expectMessageBox(run, app, question), IDCANCEL);
  app.waitIdle();
  run.flag(L"a message box after キャンセル", false, findMessageBox(app.pid()) != nullptr);

  run.step(L"OK: without Excel the print data cannot be generated");
  PostMessageW(app.button(L"export_printer"), BM_CLICK, 0, 0);
  answer(expectMessageBox(run, app, question), IDOK);
  answer(expectMessageBox(run, app, {L"印刷データの生成に失敗しました。", ids::kTitle, Icon::error, {IDOK}}), IDOK);
  app.waitIdle();
  exitApp(run, app);
}

// --- The print settings dialog ---

namespace print_ids {
constexpr int kPaper = 1043, kLandscape = 1045, kPortrait = 1046, kZoom = 1047, kBottom = 1048, kLeft = 1049,
              kRight = 1050, kTop = 1051;
}

HWND waitPrintSettings(App& app) {
  return waitFor(kWindowTimeout, L"the print settings dialog", [&]() -> HWND {
    for (HWND w : topWindows(app.pid(), L"#32770")) {
      if (windowVisible(w) && childById(w, print_ids::kPaper) && childById(w, print_ids::kZoom)) return w;
    }
    return nullptr;
  });
}

bool radioChecked(HWND dialog, int id) {
  return sendPlain(requireChild(dialog, id, L"print settings dialog"), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring editText(HWND dialog, int id) { return windowText(requireChild(dialog, id, L"print settings dialog")); }

HWND openPrintSettings(Run& run, App& app) {
  postCommand(app.main(), ids::kCmdPrintSettings);
  HWND dialog = waitPrintSettings(app);
  run.equal(L"print settings dialog title", L"印刷設定", windowText(dialog));
  sameWindow(run, L"owner of the print settings dialog", app.main(), ownerOf(dialog));
  return dialog;
}

// Waits until the edit shows `want` (the dialog corrects it on its own thread).
void expectEdit(Run& run, HWND dialog, int id, const std::wstring& want, const std::wstring& what) {
  settle(kWindowTimeout, [&] { return editText(dialog, id) == want; });
  run.equal(what, want, editText(dialog, id));
}

void printSettings(Run& run, const Environment& env) {
  run.step(L"stored paper B4 and zoom 75; start and open the print settings");
  deleteRegistryKey(kSettingsKey);
  writeRegistryNumber(kSettingsKey, L"PaperSize", 3);
  writeRegistryNumber(kSettingsKey, L"Zoom", 75);
  writeRegistryNumber(kSettingsKey, L"PrintOrientation", 0);
  App app = App::start(env, L"");
  app.waitIdle();
  HWND dialog = openPrintSettings(run, app);
  HWND paper = requireChild(dialog, print_ids::kPaper, L"print settings dialog");
  run.equal(L"paper list", std::wstring(L"A3 (297mm * 420mm), A4 (210mm * 297mm), A5 (148mm * 210mm), "
                                        L"B4 (257mm * 364mm), B5 (182mm * 257mm)"),
            joined(comboItems(paper)));
  run.equal(L"selected paper", 3, comboSelection(paper));
  run.equal(L"zoom edit", L"75", editText(dialog, print_ids::kZoom));
  for (const int id : {print_ids::kTop, print_ids::kBottom, print_ids::kLeft, print_ids::kRight}) {
    run.equal(L"margin edit " + num(id), L"10", editText(dialog, id));
  }
  run.flag(L"横 checked", true, radioChecked(dialog, print_ids::kLandscape));
  run.flag(L"縦 checked", false, radioChecked(dialog, print_ids::kPortrait));
  run.equal(L"text of button 2", L"キャンセル", windowText(requireChild(dialog, IDCANCEL, L"print settings dialog")));
  capture(run, env, dialog, L"print-settings");

  run.step(L"typing is held in range: zoom 5 -> 10, margin 150 -> 100 at the third digit");
  HWND zoom = requireChild(dialog, print_ids::kZoom, L"print settings dialog");
  HWND top = requireChild(dialog, print_ids::kTop, L"print settings dialog");
  typeInto(zoom, L"5", top);
  expectEdit(run, dialog, print_ids::kZoom, L"10", L"zoom edit after typing 5");
  typeInto(top, L"15", zoom);
  expectEdit(run, dialog, print_ids::kTop, L"15", L"top margin edit after typing 15");
  typeInto(top, L"150", zoom);
  expectEdit(run, dialog, print_ids::kTop, L"100", L"top margin edit after typing 150");
  setText(zoom, L"500");
  expectEdit(run, dialog, print_ids::kZoom, L"400", L"zoom edit set to 500");
  setText(requireChild(dialog, print_ids::kLeft, L"print settings dialog"), L"");

  run.step(L"A3, 縦 and OK: the settings are stored; the empty left margin keeps its value");
  sendPlain(paper, CB_SETCURSEL, 0, 0);
  // A click of the radio button itself, which checks it and clears 横.
  PostMessageW(requireChild(dialog, print_ids::kPortrait, L"print settings dialog"), BM_CLICK, 0, 0);
  settle(kWindowTimeout, [&] { return radioChecked(dialog, print_ids::kPortrait); });
  run.flag(L"横 checked after clicking 縦", false, radioChecked(dialog, print_ids::kLandscape));
  clickDialogButton(dialog, IDOK);
  waitGone(dialog, kWindowTimeout, L"the print settings dialog to close on OK");
  settle(kWindowTimeout, [&] {
    const auto v = readRegistryValue(kSettingsKey, L"Zoom");
    return v && v->number == 400;
  });
  expectSetting(run, L"PaperSize", REG_DWORD, L"", 0);
  expectSetting(run, L"PrintOrientation", REG_DWORD, L"", 1);
  expectSetting(run, L"Zoom", REG_DWORD, L"", 400);
  expectSetting(run, L"MarginTop", REG_DWORD, L"", 100);
  expectSetting(run, L"MarginLeft", REG_DWORD, L"", 10);

  run.step(L"changes and キャンセル: the settings are stored as they were");
  writeRegistryNumber(kSettingsKey, L"Zoom", 33);  // overwritten by the store after the dialog
  dialog = openPrintSettings(run, app);
  run.flag(L"縦 checked", true, radioChecked(dialog, print_ids::kPortrait));
  run.equal(L"zoom edit", L"400", editText(dialog, print_ids::kZoom));
  setText(requireChild(dialog, print_ids::kZoom, L"print settings dialog"), L"250");
  sendPlain(requireChild(dialog, print_ids::kPaper, L"print settings dialog"), CB_SETCURSEL, 4, 0);
  clickDialogButton(dialog, IDCANCEL);
  waitGone(dialog, kWindowTimeout, L"the print settings dialog to close on キャンセル");
  settle(kWindowTimeout, [&] {
    const auto v = readRegistryValue(kSettingsKey, L"Zoom");
    return v && v->number == 400;
  });
  expectSetting(run, L"Zoom", REG_DWORD, L"", 400);
  expectSetting(run, L"PaperSize", REG_DWORD, L"", 0);
  exitApp(run, app);
}

// --- KML output ---

std::string fileBytes(const std::wstring& path) {
  std::FILE* f = _wfopen(path.c_str(), L"rb");
  if (f == nullptr) fail(L"cannot read " + path);
  std::string bytes;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

void kmlExport(Run& run, const Environment& env) {
  const std::wstring folder = makeFolder(env.work + L"\\地図 出力");
  const std::wstring path = copySample(env, L"positions.efdx", folder + L"\\positions.efdx");
  run.step(L"start with positions.efdx; the KML command asks for a file");
  App app = App::start(env, quotedArgument(path));
  app.waitIdle();
  postCommand(app.main(), ids::kCmdExportKml);
  HWND dialog = waitFileDialog(app);
  sameWindow(run, L"owner of the save dialog", app.main(), ownerOf(dialog));
  run.equal(L"proposed file name", L"", windowText(fileNameEdit(dialog)));

  run.step(L"a name without extension is saved with .kml, and no message follows");
  const std::wstring target = folder + L"\\溶着 地図";
  setText(fileNameEdit(dialog), target);
  clickDialogButton(dialog, IDOK);
  waitGone(dialog, kWindowTimeout, L"the save dialog to close");
  app.waitIdle();
  run.flag(L"a message box after the KML output", false, findMessageBox(app.pid()) != nullptr);
  const std::string written = fileBytes(target + L".kml");

  run.step(L"the file is the map kjvt58-cli writes of the same file");
  const std::wstring cli_target = folder + L"\\cli.kml";
  const Captured c = runAndCapture(env.cli, L"kml " + quotedArgument(path) + L" --output " + quotedArgument(cli_target),
                                   kCliTimeout);
  run.equal(L"exit code of kjvt58-cli kml", 0, c.exit_code);
  run.isTrue(L"the KML of the window equals that of kjvt58-cli", written == fileBytes(cli_target));
  run.isTrue(L"the KML starts with <?xml and ends with </kml>",
             written.rfind("<?xml", 0) == 0 && written.size() >= 6 && written.substr(written.size() - 6) == "</kml>");
  exitApp(run, app);
}

void screenshots(Run& run, const Environment& env) {
  // A path of the prefix's own drive, the same on every machine, so that the
  // pictures only change when the program's look does.
  makeFolder(L"C:\\融着記録");
  const std::wstring path = copySample(env, L"positions.efdx", L"C:\\融着記録\\positions.efdx");
  run.step(L"start with positions.efdx and select row 4 in the focused list");
  App app = App::start(env, quotedArgument(path));
  HWND main = app.waitIdle();
  HWND detail = app.waitDetail();
  giveFocus(app.list().hwnd());
  showRecord(app, detail, 4);
  run.equal(fieldName(ids::kDetailIndex), L"4", fieldText(detail, ids::kDetailIndex));

  run.step(L"capture the main window and the detail dialog");
  capture(run, env, main, L"main-window");
  capture(run, env, detail, L"detail-dialog");
  exitApp(run, app);
}

// --- Receiving from the controller simulator ---

constexpr wchar_t kWaitingText[] = L"EFコントローラーからデータを送信して下さい(取込中止ボタンで取消できます)。";
constexpr wchar_t kProgressPrefix[] = L"データ処理中です。(";
constexpr int kProgressBar = 1056;
constexpr int kProgressText = 1058;
constexpr Millis kPlayTimeout{30000};

std::string readFileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) fail(L"cannot read " + path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The names in a folder, sorted.
std::vector<std::wstring> filesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.emplace_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HWND findProgressWindow(App& app) {
  for (HWND w : topWindows(app.pid(), L"#32770")) {
    if (windowVisible(w) && childById(w, kProgressText) && childById(w, kProgressBar)) return w;
  }
  return nullptr;
}

HWND waitProgressWindow(App& app) {
  return waitFor(kWindowTimeout, L"the progress window", [&] { return findProgressWindow(app); });
}

// The buttons of the window while a receive runs: abort, print settings,
// about and exit only.
void expectReceivingButtons(Run& run, App& app) {
  for (const std::wstring& name : expected::kButtonNames) {
    const bool want = name == L"abort_ef" || name == L"printer_setting" || name == L"about" || name == L"exit";
    run.equal(L"button " + name + L" enabled while receiving", want, windowEnabled(app.button(name)));
  }
}

// Waits until the buttons are those of the idle window again.
void expectButtonsBack(Run& run, App& app, bool loaded) {
  settle(kWindowTimeout, [&] { return windowEnabled(app.button(L"recieve_ef")); });
  expectButtons(run, app, loaded);
}

// Sets the configured port through the COM port dialog.
void choosePortInDialog(Run& run, App& app, const std::wstring& port) {
  ComDialog d = openComDialog(run, app);
  sendPlain(d.list, CB_SETCURSEL, static_cast<WPARAM>(indexOf(d.items, port)), 0);
  closeComDialogWith(d.dialog, IDOK);
  settle(kWindowTimeout, [&] {
    const auto v = readRegistryValue(kSettingsKey, L"COM");
    return v && v->text == port;
  });
  expectSetting(run, L"COM", REG_SZ, port, 0);
}

// Presses 取込開始 and checks the progress window as it opens.
HWND startReceive(Run& run, App& app) {
  run.step(L"press 取込開始: the progress window opens, the commands are those of a receive");
  PostMessageW(app.button(L"recieve_ef"), BM_CLICK, 0, 0);
  HWND progress = waitProgressWindow(app);
  run.equal(L"progress window title", L"通信中", windowText(progress));
  sameWindow(run, L"owner of the progress window", app.main(), ownerOf(progress));
  const RECT main_rect = windowRect(app.main());
  const RECT rect = windowRect(progress);
  run.equal(L"progress window left edge", main_rect.left + 60, rect.left);
  run.equal(L"progress window top edge", main_rect.top, rect.top);
  run.flag(L"progress window has a close box",
           false, (GetWindowLongW(progress, GWL_STYLE) & WS_SYSMENU) != 0);
  HWND bar = requireChild(progress, kProgressBar, L"progress window");
  run.equal(L"progress bar upper limit", 100, static_cast<long long>(sendPlain(bar, PBM_GETRANGE, FALSE, 0)));
  run.equal(L"progress bar lower limit", 0, static_cast<long long>(sendPlain(bar, PBM_GETRANGE, TRUE, 0)));
  expectReceivingButtons(run, app);
  return progress;
}

// The bytes the receiver wrote to the controller, from the simulator's report.
std::vector<long long> bytesReceived(const JsonValue& report) {
  std::vector<long long> bytes;
  for (const JsonValue& b : report["received"].array()) bytes.push_back(static_cast<long long>(b["byte"].number()));
  return bytes;
}

std::wstring byteList(const std::vector<long long>& bytes) {
  std::vector<std::wstring> parts;
  for (const long long b : bytes) parts.push_back(num(b));
  return L"[" + joined(parts) + L"]";
}

// A save dialog of the program: the file dialog with the file name box.
HWND waitSaveDialog(App& app) { return waitFileDialog(app); }

// The save dialog of a received .efdx block: its owner, the time-stamp name it
// proposes (returned) and its file type.
std::wstring expectReceivedSaveDialog(Run& run, HWND dialog, HWND owner) {
  sameWindow(run, L"owner of the save dialog", owner, ownerOf(dialog));
  const std::wstring proposed = windowText(fileNameEdit(dialog));
  const bool stamp = proposed.size() == 16 && proposed[4] == L'_' && proposed[9] == L'_' &&
                     std::all_of(proposed.begin(), proposed.end(), [](wchar_t c) { return c == L'_' || std::iswdigit(c); });
  run.isTrue(L"the proposed name " + quoted(proposed) + L" is YYYY_MMDD_hhmmss", stamp);
  if (HWND types = childById(dialog, ids::kFileTypeList)) {
    run.equal(L"file types of the save dialog", L"融着記録 (*.efdx)", joined(comboItems(types)));
  }
  return proposed;
}

void receiveAndSave(Run& run, const Environment& env) {
  deleteRegistryKey(kSettingsKey);
  const std::wstring sample = env.sample(L"positions.efdx");
  App app = App::start(env, L"");
  app.waitIdle();
  run.step(L"choose " + env.com_port + L" in the COM port dialog");
  choosePortInDialog(run, app, env.com_port);
  Controller controller = Controller::startHeld(env.sim_dir, {"--rate", "400", linuxPath(sample)});
  HWND progress = startReceive(run, app);
  HWND text = requireChild(progress, kProgressText, L"progress window");
  run.equal(L"progress text before the controller sends", kWaitingText, windowText(text));
  // The operator sends from the controller once the program waits.
  run.step(L"the simulator sends positions.efdx at 400 bytes/s");
  controller.go();

  run.step(L"the records arrive: the text counts them and the bar follows");
  HWND bar = requireChild(progress, kProgressBar, L"progress window");
  std::wstring shown;
  long long position = -1;
  waitFor(kPlayTimeout, L"a progress text with the records received", [&] {
    if (!windowExists(text)) fail(L"the progress window closed before it showed a record");
    const std::wstring before = windowText(text);
    position = static_cast<long long>(sendPlain(bar, PBM_GETPOS, 0, 0));
    shown = windowText(text);
    return shown == before && shown.rfind(kProgressPrefix, 0) == 0 && shown != std::wstring(kProgressPrefix) + L"5/5)";
  });
  const std::wstring counts = shown.substr(std::wcslen(kProgressPrefix));
  const long long n = std::stoll(counts);
  run.equal(L"progress text", std::wstring(kProgressPrefix) + num(n) + L"/5)", shown);
  run.equal(L"progress bar position for " + num(n) + L" of 5", n * 100 / 5, position);
  if (!env.shots.empty()) capture(run, env, progress, L"progress-window");

  run.step(L"the save dialog proposes the time-stamp name; save as received (no extension)");
  HWND dialog = waitSaveDialog(app);
  expectReceivedSaveDialog(run, dialog, app.main());
  const std::wstring saved = env.work + L"\\received";
  chooseFile(dialog, saved);

  run.step(L"the records are shown, saved byte for byte, the progress window is gone");
  expectRows(run, app, expected::positions());
  expectStatus(run, app, expected::positions().status);
  waitGone(progress, kWindowTimeout, L"the progress window to close");
  expectButtonsBack(run, app, true);
  run.isTrue(L"the saved file " + saved + L".efdx exists", fileExists(saved + L".efdx"));
  run.isTrue(L"the saved file holds exactly the bytes of the sample sent",
             readFileBytes(saved + L".efdx") == readFileBytes(sample));
  HWND detail = app.waitDetail();
  run.equal(L"detail dialog title", saved + L".efdx", windowText(detail));

  const JsonValue report = controller.waitReport(kPlayTimeout);
  run.equal(L"simulator outcome", L"completed", fromUtf8(report["outcome"].string()));
  run.equal(L"bytes the program sent the controller", L"[6, 6]", byteList(bytesReceived(report)));
  exitApp(run, app);
}

void receiveDeclined(Run& run, const Environment& env) {
  deleteRegistryKey(kSettingsKey);
  writeRegistryText(kSettingsKey, L"COM", env.com_port);
  App app = App::start(env, L"");
  app.waitIdle();
  const std::vector<std::wstring> work_files = filesIn(env.work);
  Controller controller = Controller::startHeld(env.sim_dir, {linuxPath(env.sample(L"battery.efdx"))});
  HWND progress = startReceive(run, app);
  controller.go();

  run.step(L"cancel the save dialog: the question; Cancel brings the dialog back");
  HWND dialog = waitSaveDialog(app);
  clickDialogButton(dialog, IDCANCEL);
  waitGone(dialog, kWindowTimeout, L"the save dialog to close");
  const ExpectedBox question{L"データを保存しなくてもよろしいですか?", ids::kTitle, Icon::warning, {IDOK, IDCANCEL}};
  answer(expectMessageBox(run, app, question), IDCANCEL);
  dialog = waitSaveDialog(app);

  run.step(L"cancel again and OK: the records are shown unsaved");
  clickDialogButton(dialog, IDCANCEL);
  waitGone(dialog, kWindowTimeout, L"the save dialog to close");
  answer(expectMessageBox(run, app, question), IDOK);
  expectRows(run, app, expected::battery());
  expectStatus(run, app, expected::battery().status);
  waitGone(progress, kWindowTimeout, L"the progress window to close");
  expectButtonsBack(run, app, true);
  run.equal(L"detail dialog title of unsaved records", L"", windowText(app.waitDetail()));
  run.equal(L"files of the work folder after declining to save", joined(work_files), joined(filesIn(env.work)));
  run.equal(L"simulator outcome", L"completed", fromUtf8(controller.waitReport(kPlayTimeout)["outcome"].string()));
  exitApp(run, app);
}

// A receive that ends without a block: no save dialog, no message, the
// commands come back.
void expectEndedWithoutBlock(Run& run, App& app, HWND progress) {
  waitGone(progress, kWindowTimeout, L"the progress window to close");
  expectButtonsBack(run, app, false);
  Sleep(500);
  for (HWND w : topWindows(app.pid(), L"#32770")) {
    if (windowVisible(w) && childById(w, ids::kFileNameBox)) fail(L"a save dialog opened after a failed receive");
  }
  if (HWND box = findMessageBox(app.pid())) fail(L"unexpected message box " + quoted(readMessageBox(box).text));
  expectEmptyDisplay(run, app);
}

void receiveAbort(Run& run, const Environment& env) {
  deleteRegistryKey(kSettingsKey);
  writeRegistryText(kSettingsKey, L"COM", env.com_port);
  run.step(L"a controller that sends nothing");
  Controller controller = Controller::start(env.sim_dir, {"--nothing", "--hold", "20000"});
  App app = App::start(env, L"");
  app.waitIdle();
  HWND progress = startReceive(run, app);
  Sleep(300);

  run.step(L"press 取込中止: the receive ends, nothing was sent to the controller");
  PostMessageW(app.button(L"abort_ef"), BM_CLICK, 0, 0);
  expectEndedWithoutBlock(run, app, progress);

  controller.stop();
  const JsonValue report = controller.waitReport(kPlayTimeout);
  run.equal(L"bytes the program sent the controller", L"[]", byteList(bytesReceived(report)));

  // A fresh line for the second receive: under Wine a pseudo-terminal that a
  // program has configured once refuses the line settings of the next open
  // (tcsetattr fails in the serial driver); a real port does not.
  run.step(L"a second receive starts, and is aborted again");
  Controller second = Controller::start(env.sim_dir, {"--nothing", "--hold", "20000"});
  progress = startReceive(run, app);
  PostMessageW(app.button(L"abort_ef"), BM_CLICK, 0, 0);
  expectEndedWithoutBlock(run, app, progress);
  second.stop();
  (void)second.waitReport(kPlayTimeout);
  exitApp(run, app);
}

void receiveNak(Run& run, const Environment& env) {
  deleteRegistryKey(kSettingsKey);
  writeRegistryText(kSettingsKey, L"COM", env.com_port);
  run.step(L"a controller that sends NAK in place of byte 200 of positions.efdx");
  App app = App::start(env, L"");
  app.waitIdle();
  Controller controller =
      Controller::startHeld(env.sim_dir, {"--nak-at", "200", linuxPath(env.sample(L"positions.efdx"))});
  HWND progress = startReceive(run, app);
  controller.go();
  run.step(L"the transfer fails: no save dialog, the commands come back");
  const JsonValue report = controller.waitReport(kPlayTimeout);
  run.equal(L"simulator outcome", L"nak_sent", fromUtf8(report["outcome"].string()));
  expectEndedWithoutBlock(run, app, progress);
  run.equal(L"bytes the program sent the controller", L"[6]", byteList(bytesReceived(report)));
  exitApp(run, app);
}

void receivePortFails(Run& run, const Environment& env) {
  deleteRegistryKey(kSettingsKey);
  writeRegistryText(kSettingsKey, L"COM", L"COM42");
  App app = App::start(env, L"");
  answer(expectMessageBox(run, app, {L"設定されているCOMポート(COM42)が存在しません。", ids::kTitle, Icon::error, {IDOK}}),
         IDOK);
  app.waitIdle();
  run.step(L"press 取込開始 with a port that does not exist");
  PostMessageW(app.button(L"recieve_ef"), BM_CLICK, 0, 0);
  answer(expectMessageBox(run, app, {L"選択されたCOMポートを開くことができません。", ids::kTitle, Icon::error, {IDOK}}),
         IDOK);
  app.waitIdle();
  run.flag(L"a progress window exists", false, findProgressWindow(app) != nullptr);
  expectButtons(run, app, false);
  exitApp(run, app);
}

void receiveClose(Run& run, const Environment& env) {
  deleteRegistryKey(kSettingsKey);
  writeRegistryText(kSettingsKey, L"COM", env.com_port);
  Controller controller = Controller::start(env.sim_dir, {"--nothing", "--hold", "20000"});
  App app = App::start(env, L"");
  app.waitIdle();
  startReceive(run, app);
  run.step(L"close the window during the receive: the question, Yes ends the program with 0");
  postClose(app.main());
  answer(expectMessageBox(run, app, {L"終了してもよろしいですか?", ids::kTitle, Icon::question, {IDYES, IDNO}}), IDYES);
  run.equal(L"exit code after closing during a receive", 0, app.waitExit(L"the end after closing during a receive"));
  controller.stop();
  (void)controller.waitReport(kPlayTimeout);
}


// --- The simple mode (-easy) ---

constexpr int kEasyButton = 1078;
const std::wstring kEasyIntro =
    L"<KJ-VT58 融着記録管理ソフト 簡易モード>\n\nefd(efdx)ファイルをドラッグ&ドロップしてください。\n\n"
    L"直接吸い出すにはこのボタンを押してください。";
const std::wstring kEasyChoosePort =
    L"\"通信ポート設定\"メニューから\nケーブルを接続したポートを選んでから\nこのボタンを押してください。";
const std::wstring kEasyReady =
    L"このボタンを押すとデータ待ち受け状態になります。\nボタンを押したあと、EFコントローラーからデータを\n送信してください。";
const std::wstring kEasyConvert = L"このボタンを押すとExcel形式に変換します。";
const std::wstring kEasyAgain =
    L"右上の\"×\"ボタンで終了します。\n引き続きデータ取り込みを行う場合は\nこのボタンを押すとデータ待ち受け状態になります。\n"
    L"ボタンを押したあと、EFコントローラーからデータを\n送信してください。";
const std::wstring kEasyWaiting = L"EFコントローラーからデータを送信して下さい(\"×\"ボタンで終了できます)。";

HWND easyText(HWND window) {
  for (HWND child : childWindows(window)) {
    if (className(child) == L"Static") return child;
  }
  fail(L"the simple mode window has no text control");
}

HWND easyButton(HWND window) { return requireChild(window, kEasyButton, L"simple mode window"); }

// Whether the menu bar of `window` draws its items as enabled: the menus of
// another program cannot be read from here under Wine, so the bar is read
// from the screen. An enabled item's text is drawn in the menu text colour
// (black), a grayed one in gray: the darkest pixel of the bar tells which.
bool menuBarLooksEnabled(HWND window) {
  POINT client{0, 0};
  ClientToScreen(window, &client);
  const RECT bar{client.x, client.y - GetSystemMetrics(SM_CYMENU), client.x + 200, client.y};
  const Image image = captureScreen(bar);
  int darkest = 255;
  for (const std::uint32_t p : image.pixels) {
    const int level = static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
    darkest = std::min(darkest, level);
  }
  return darkest < 0x40;
}

// Waits (a while) for the menu bar to be drawn as `enabled`, then checks it.
void expectMenuBar(Run& run, HWND window, bool enabled, std::wstring_view what) {
  settle(kWindowTimeout, [&] { return menuBarLooksEnabled(window) == enabled; });
  run.flag(what, enabled, menuBarLooksEnabled(window));
}

// The text of item `item_id` of menu resource `menu_id` of the program file,
// and the number of items of the menu.
std::pair<std::wstring, int> menuResourceItem(const std::wstring& exe, int menu_id, int item_id) {
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) fail(L"cannot read the resources of " + exe);
  HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(menu_id));
  std::wstring text(256, L'\0');
  int items = -1;
  if (menu != nullptr) {
    const int length =
        GetMenuStringW(menu, static_cast<UINT>(item_id), text.data(), static_cast<int>(text.size()), MF_BYCOMMAND);
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    items = GetMenuItemCount(menu);
    DestroyMenu(menu);
  } else {
    text.clear();
  }
  FreeLibrary(module);
  return {text, items};
}

// Starts the program with -easy and answers its first question with OK.
App startEasy(Run& run, const Environment& env) {
  run.step(L"start with -easy and answer the first question with OK");
  App app = App::start(env, L"-easy");
  answer(app.waitMessageBox(L"the first question of the simple mode"), IDOK);
  HWND window = app.main();
  waitFor(kWindowTimeout, L"the simple mode window to be shown", [&] { return windowVisible(window); });
  return app;
}

void expectEasyText(Run& run, HWND window, const std::wstring& want, std::wstring_view what) {
  HWND text = easyText(window);
  settle(kWindowTimeout, [&] { return windowText(text) == want; });
  run.equal(what, want, windowText(text));
}

// Presses the button as a click does.
void pressEasyButton(HWND window) { PostMessageW(easyButton(window), BM_CLICK, 0, 0); }

// What the workbook of `record_path` with every output item must hold, for
// check_exports.py: written beside `workbook` as its name + ".expected.json".
void writeEveryItemExpectation(Run& run, const std::wstring& record_path, const std::wstring& workbook) {
  const std::optional<kj::LoadedBlock> block = kj::LoadedBlock::fromFile(record_path);
  if (!block || block->outcome() != kj::LoadOutcome::records) fail(L"the records of " + record_path + L" cannot be read");
  kj::sheet::SheetLayout layout;
  if (block->holdsBatteryRecords()) {
    kj::sheet::BatterySelection all{};
    all.fill(true);
    layout = kj::sheet::buildSheetLayout(all, *block->batteryRecords());
  } else {
    kj::sheet::PlainSelection all{};
    all.fill(true);
    layout = kj::sheet::buildSheetLayout(all, *block->plainRecords());
  }
  const auto texts = [](const std::vector<std::wstring_view>& views, std::size_t from, std::size_t count) {
    std::vector<std::wstring> out;
    for (std::size_t i = from; i < from + count; ++i) out.emplace_back(views[i]);
    return out;
  };
  const std::size_t columns = layout.columnCount();
  std::vector<std::wstring> rows;
  for (std::size_t r = 0; r < layout.record_count; ++r) rows.push_back(jsonList(texts(layout.data, r * columns, columns)));
  const std::wstring name = workbook.substr(workbook.rfind(L'\\') + 1);
  const std::wstring expected = L"{\"workbook\":" + jsonString(name) + L",\"sheet\":" +
                                jsonString(std::wstring(kj::sheet::sheet_name)) + L",\"groups\":" +
                                jsonList(texts(layout.group_row, 0, columns)) + L",\"headers\":" +
                                jsonList(texts(layout.header_row, 0, columns)) + L",\"formats\":" +
                                jsonList(texts(layout.formats, 0, columns)) + L",\"rows\":[" + joined(rows, L",") +
                                L"]}\n";
  const std::string bytes = toUtf8(expected);
  FILE* out = _wfopen((workbook + L".expected.json").c_str(), L"wb");
  const bool written = out != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (out != nullptr) std::fclose(out);
  run.flag(L"the expectation of " + name + L" was written", true, written);
}

// The counts message of a record file, from the command-line tool's dump;
// empty when it has neither bad records nor abnormal ends.
std::wstring countsText(Run& run, const Environment& env, const std::wstring& path) {
  const JsonValue dump = cliDump(run, env, path);
  std::wstring text;
  if (const long long bad = count(dump, "bad_count"); bad > 0) text += num(bad) + L"件の不良データが含まれています。\n";
  if (const long long abnormal = count(dump, "abnormal_end_count"); abnormal > 0) {
    text += num(abnormal) + L"件の異常終了が含まれています。\n";
  }
  return text;
}

void easyCancel(Run& run, const Environment& env) {
  run.step(L"start with -easy: the first question has no owner and no icon");
  App app = App::start(env, L"-easy");
  const MessageBoxView box = app.waitMessageBox(L"the first question of the simple mode");
  run.equal(L"question text", L"EFコントローラーから直接吸い出す場合は、PCと専用ケーブルで接続してください。", box.text);
  run.equal(L"question caption", ids::kTitle, box.caption);
  run.equal(L"question buttons", buttonNames({IDOK, IDCANCEL}), buttonNames(box.buttons));
  run.flag(L"the question is without owner window", true, box.owner == nullptr);
  run.equal(L"question icon", iconName(Icon::none), iconName(messageBoxIcon(box.hwnd, Icon::none, kIconTimeout)));
  run.step(L"Cancel ends the program with 0");
  answer(box, IDCANCEL);
  run.equal(L"exit code after Cancel", 0, exitWithoutQuestion(app, L"Cancel at the first question"));
}

void easyDrop(Run& run, const Environment& env) {
  deleteRegistryKey(kSettingsKey);
  App app = startEasy(run, env);
  HWND window = app.main();

  run.step(L"the window: title, menu, the text and the button");
  run.equal(L"window title", ids::kTitle, windowText(window));
  const auto [item_text, items] = menuResourceItem(env.app, 168, ids::kCmdComPort);
  run.equal(L"menu 168, item 32838", L"通信ポート設定(&C)", item_text);
  run.equal(L"items of menu 168", 1, items);
  expectMenuBar(run, window, false, L"menu item 32838 enabled at start");
  HWND text = easyText(window);
  HWND button = easyButton(window);
  run.equal(L"text of the text control", kEasyIntro, windowText(text));
  run.flag(L"text control centred", true, (GetWindowLongW(text, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER);
  run.flag(L"text control shows & as a character", true, (GetWindowLongW(text, GWL_STYLE) & SS_NOPREFIX) != 0);
  run.equal(L"button text", L"OK", windowText(button));
  const RECT t = rectIn(text, window);
  const RECT b = rectIn(button, window);
  run.equal(L"text control place", L"0,10 340x90",
            num(t.left) + L"," + num(t.top) + L" " + num(t.right - t.left) + L"x" + num(t.bottom - t.top));
  run.equal(L"button place", L"130,100 45x25",
            num(b.left) + L"," + num(b.top) + L" " + num(b.right - b.left) + L"x" + num(b.bottom - b.top));
  run.flag(L"the window takes dropped files", true, (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0);
  capture(run, env, window, L"easy-window");

  const std::wstring folder = makeFolder(env.work + L"\\簡易 変換");
  const std::vector<std::wstring> records = {
      copySample(env, L"positions.efdx", folder + L"\\positions.efdx"),
      copySample(env, L"battery.efdx", folder + L"\\battery.efdx"),
      copySample(env, L"plain.efd", folder + L"\\plain.efd"),
      // A merged file saved as .mrg: read and converted like the others.
      copySample(env, L"merged.mrgx", folder + L"\\merged 記録.mrg"),
  };
  const std::wstring notes = copySample(env, L"plain.efd", folder + L"\\notes.txt");
  const auto beside = [](const std::wstring& path) { return path.substr(0, path.rfind(L'.')) + L".xls"; };

  run.step(L"drag four record files and a text file onto the window and drop them");
  std::vector<std::wstring> dropped = records;
  dropped.push_back(notes);
  const DragOutcome outcome = dragFilesOnto(window, dropped);
  run.equal(L"DoDragDrop result (DRAGDROP_S_DROP)", DRAGDROP_S_DROP, outcome.result);
  run.equal(L"drop effect (copy)", DROPEFFECT_COPY, outcome.effect);

  run.step(L"each record file gets its workbook beside it, without a message; the text is the intro again");
  waitFor(kPlayTimeout, L"the four workbooks", [&] {
    if (HWND box = findMessageBox(app.pid())) fail(L"unexpected message box " + quoted(readMessageBox(box).text));
    return std::all_of(records.begin(), records.end(), [&](const std::wstring& r) { return fileExists(beside(r)); });
  });
  expectEasyText(run, window, kEasyIntro, L"text after the conversion");
  run.flag(L"button enabled after the conversion", true, windowEnabled(button));
  run.flag(L"a workbook of the text file", false, fileExists(beside(notes)));
  if (HWND box = findMessageBox(app.pid())) fail(L"unexpected message box " + quoted(readMessageBox(box).text));
  for (const std::wstring& r : records) writeEveryItemExpectation(run, r, beside(r));

  run.step(L"one file alone: its counts, then the success message");
  const std::wstring bad = copySample(env, L"bad-checksums.efdx", folder + L"\\bad-checksums.efdx");
  const std::wstring counts = countsText(run, env, bad);
  run.isTrue(L"the sample with bad check sums has something to report", !counts.empty());
  run.equal(L"drop of one file", DRAGDROP_S_DROP, dragFilesOnto(window, {bad}).result);
  answer(expectMessageBox(run, app, {counts, ids::kTitle, Icon::error, {IDOK}}), IDOK);
  answer(expectMessageBox(run, app, {L"エクセル出力に成功しました。", ids::kTitle, Icon::information, {IDOK}}), IDOK);
  run.flag(L"the workbook of the file dropped alone", true, fileExists(beside(bad)));
  writeEveryItemExpectation(run, bad, beside(bad));

  run.step(L"an invalid file alone: the message of invalid data, no workbook");
  const std::wstring invalid = copySample(env, L"invalid.efdx", folder + L"\\invalid.efdx");
  run.equal(L"drop of an invalid file", DRAGDROP_S_DROP, dragFilesOnto(window, {invalid}).result);
  answer(expectMessageBox(run, app, {L"データの読み込みに失敗しました。データが不正です。", L"読み込み失敗", Icon::error, {IDOK}}),
         IDOK);
  expectEasyText(run, window, kEasyIntro, L"text after the invalid file");
  run.flag(L"a workbook of the invalid file", false, fileExists(beside(invalid)));

  run.step(L"after the first press of the button a drop does nothing");
  pressEasyButton(window);
  expectEasyText(run, window, kEasyChoosePort, L"text after the first press");
  expectMenuBar(run, window, true, L"menu item 32838 enabled after the first press");
  const std::wstring late = copySample(env, L"positions.efdx", folder + L"\\late.efdx");
  dragFilesOnto(window, {late});
  Sleep(1500);
  run.flag(L"a workbook of the file dropped after the press", false, fileExists(beside(late)));
  if (HWND box = findMessageBox(app.pid())) fail(L"unexpected message box " + quoted(readMessageBox(box).text));
  run.equal(L"text after the late drop", kEasyChoosePort, windowText(text));

  run.step(L"the title-bar close ends the program without a question");
  postClose(window);
  run.equal(L"exit code after closing", 0, exitWithoutQuestion(app, L"the title-bar close"));
}

void easyReceive(Run& run, const Environment& env) {
  deleteRegistryKey(kSettingsKey);
  const std::wstring sample = env.sample(L"positions.efdx");
  App app = startEasy(run, env);
  HWND window = app.main();

  run.step(L"press: choose the port");
  pressEasyButton(window);
  expectEasyText(run, window, kEasyChoosePort, L"text after the first press");
  expectMenuBar(run, window, true, L"menu item 32838 enabled");
  choosePortInDialog(run, app, env.com_port);

  run.step(L"press: the port opens, ready");
  Controller controller = Controller::startHeld(env.sim_dir, {"--rate", "2000", linuxPath(sample)});
  pressEasyButton(window);
  expectEasyText(run, window, kEasyReady, L"text once the port is open");

  run.step(L"press: the progress window waits for the controller; button, text and menu are off");
  pressEasyButton(window);
  HWND progress = waitProgressWindow(app);
  sameWindow(run, L"owner of the progress window", window, ownerOf(progress));
  run.equal(L"progress window left edge", windowRect(window).left, windowRect(progress).left);
  run.equal(L"progress text before the controller sends", kEasyWaiting,
            windowText(requireChild(progress, kProgressText, L"progress window")));
  run.flag(L"button enabled while waiting", false, windowEnabled(easyButton(window)));
  run.flag(L"text enabled while waiting", false, windowEnabled(easyText(window)));
  expectMenuBar(run, window, false, L"menu item 32838 enabled while waiting");
  if (!env.shots.empty()) {
    // The progress window lies over the window: both in one picture.
    RECT both{};
    const RECT w = windowRect(window);
    const RECT p = windowRect(progress);
    UnionRect(&both, &w, &p);
    RedrawWindow(progress, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(400);
    const Image image = captureScreen(both);
    run.isTrue(L"the capture of the receiving window shows drawn windows", colours(image) > 8);
    saveBmp(env.shots + L"\\easy-window-receiving.bmp", image);
  }

  run.step(L"the controller sends positions.efdx; the save dialog proposes the time-stamp name");
  controller.go();
  HWND dialog = waitSaveDialog(app);
  const std::wstring proposed = expectReceivedSaveDialog(run, dialog, window);
  const std::wstring saved = env.work + L"\\簡易 受信";
  chooseFile(dialog, saved);
  answer(expectMessageBox(run, app, {L"データ保存に成功しました。\n\"" + saved + L".efdx\"\nに保存されました。", ids::kTitle,
                                     Icon::information, {IDOK}}),
         IDOK);
  const std::wstring counts = countsText(run, env, sample);
  if (!counts.empty()) answer(expectMessageBox(run, app, {counts, ids::kTitle, Icon::error, {IDOK}}), IDOK);

  run.step(L"saved byte for byte; the button converts");
  expectEasyText(run, window, kEasyConvert, L"text after the receive");
  run.flag(L"button enabled after the receive", true, windowEnabled(easyButton(window)));
  waitGone(progress, kWindowTimeout, L"the progress window to close");
  run.isTrue(L"the saved file holds exactly the bytes of the sample sent",
             readFileBytes(saved + L".efdx") == readFileBytes(sample));
  const JsonValue report = controller.waitReport(kPlayTimeout);
  run.equal(L"simulator outcome", L"completed", fromUtf8(report["outcome"].string()));
  run.equal(L"bytes the program sent the controller", L"[6, 6]", byteList(bytesReceived(report)));

  run.step(L"press: the workbook under the time-stamp name's place, then the text of another receive");
  pressEasyButton(window);
  dialog = waitSaveDialog(app);
  run.equal(L"proposed workbook name", proposed, windowText(fileNameEdit(dialog)));
  if (HWND types = childById(dialog, ids::kFileTypeList)) {
    run.equal(L"file types of the workbook dialog", L"Excel形式 (*.xls)", joined(comboItems(types)));
  }
  const std::wstring workbook = env.work + L"\\簡易 受信 一覧";
  chooseFile(dialog, workbook);
  answer(expectMessageBox(run, app, {L"エクセル出力に成功しました。", ids::kTitle, Icon::information, {IDOK}}), IDOK);
  expectEasyText(run, window, kEasyAgain, L"text after the conversion");
  run.flag(L"button enabled for another receive", true, windowEnabled(easyButton(window)));
  expectMenuBar(run, window, false, L"menu item 32838 enabled after a receive");
  run.flag(L"the workbook exists", true, fileExists(workbook + L".xls"));
  writeEveryItemExpectation(run, saved + L".efdx", workbook + L".xls");

  run.step(L"the title-bar close ends the program without a question");
  postClose(window);
  run.equal(L"exit code after closing", 0, exitWithoutQuestion(app, L"the title-bar close"));
}


void easyAutomation(Run& run, const Environment& env) {
  if (env.excel_server.empty()) fail(L"no --excel-server given: the runner names the recording automation server");
  const std::wstring folder = makeFolder(env.work + L"\\easy automation");
  const std::wstring path = copySample(env, L"battery.efdx", folder + L"\\battery.efdx");
  const std::wstring log = folder + L"\\calls.log";
  DeleteFileW(log.c_str());

  run.step(L"register the recording server as Excel.Application; the simple mode");
  FakeExcelRegistration registration(env.excel_server, log);
  run.isTrue(L"the recording server is registered", registration.ok());
  App app = startEasy(run, env);
  HWND window = app.main();

  run.step(L"drop battery.efdx: its counts, then the workbook through the registered application");
  run.equal(L"drop of one file", DRAGDROP_S_DROP, dragFilesOnto(window, {path}).result);
  answer(expectMessageBox(run, app, {countsText(run, env, path), ids::kTitle, Icon::error, {IDOK}}), IDOK);
  answer(expectMessageBox(run, app, {L"エクセル出力に成功しました。", ids::kTitle, Icon::information, {IDOK}}), IDOK);
  run.flag(L"a workbook written by the program's own writer", false, fileExists(folder + L"\\battery.xls"));
  expectAutomationLog(run, log, folder + L"\\battery.xls");

  postClose(window);
  run.equal(L"exit code after closing", 0, exitWithoutQuestion(app, L"the title-bar close"));
}

// --- The version ---

std::wstring versionString(const std::vector<BYTE>& info, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = L"\\StringFileInfo\\041104b0\\" + name;
  if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return L"(missing)";
  return std::wstring(static_cast<const wchar_t*>(value));
}

// The version resource of a program file: product name, versions.
void expectVersionResource(Run& run, const std::wstring& file, const std::wstring& what) {
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), nullptr);
  if (size == 0) fail(what + L" has no version resource");
  std::vector<BYTE> info(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, info.data())) fail(L"the version resource cannot be read");
  run.equal(what + L" ProductName", ids::kTitle, versionString(info, L"ProductName"));
  run.equal(what + L" ProductVersion", L"1.0.4", versionString(info, L"ProductVersion"));
  run.equal(what + L" FileVersion", L"1.0.4", versionString(info, L"FileVersion"));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr) {
    fail(L"the version resource has no fixed part");
  }
  run.equal(what + L" file version numbers", L"1.0.4.0",
            num(HIWORD(fixed->dwFileVersionMS)) + L"." + num(LOWORD(fixed->dwFileVersionMS)) + L"." +
                num(HIWORD(fixed->dwFileVersionLS)) + L"." + num(LOWORD(fixed->dwFileVersionLS)));
}

void versionInfo(Run& run, const Environment& env) {
  run.step(L"the version resources of kjvt58.exe and kjvt58-cli.exe");
  expectVersionResource(run, env.app, L"kjvt58.exe");
  expectVersionResource(run, env.cli, L"kjvt58-cli.exe");

  run.step(L"kjvt58-cli --version");
  const Captured c = runAndCapture(env.cli, L"--version", kCliTimeout);
  run.equal(L"exit code of kjvt58-cli --version", 0, c.exit_code);
  std::string line = c.output;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  run.equal(L"kjvt58-cli --version", L"kjvt58-cli 1.0.4", fromUtf8(line));
}

// --- The installer ---

constexpr wchar_t kProgId[] = L"KJVT58.RecordFile";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KJ-VT58";
const std::vector<std::wstring> kRecordExtensions = {L".efd", L".efdx", L".mrg", L".mrgx"};
const std::vector<std::wstring> kShortcuts = {L"KJ-VT58 融着記録管理ソフト.lnk", L"KJ-VT58 簡易モード.lnk",
                                              L"ユーザーガイド.lnk"};

std::wstring knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, &path))) fail(L"a known folder cannot be found");
  std::wstring text(path);
  CoTaskMemFree(path);
  return text;
}

// A text value of the registry as a report shows it.
std::wstring regText(HKEY root, const std::wstring& key, const std::wstring& name) {
  const auto value = readRegistryValue(key, name, root);
  return value && value->type == REG_SZ ? value->text : L"(missing)";
}

// Runs `exe arguments` to its end and returns its exit code.
DWORD runToEnd(const std::wstring& exe, const std::wstring& arguments) {
  Process p = Process::start(exe, arguments);
  const auto code = p.waitExit(Millis(120000));
  if (!code) fail(L"\"" + exe + L"\" " + arguments + L" did not end");
  return *code;
}

// The program file a process runs.
std::wstring processImage(DWORD pid) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (!process.get() || !QueryFullProcessImageNameW(process.get(), 0, path, &size)) return L"";
  return path;
}

// Opens `target` as the shell does on a double click.
void shellOpen(Run& run, const std::wstring& target) {
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr,
                                                              SW_SHOWNORMAL));
  run.isTrue(L"the shell opens " + target + L" (result " + num(static_cast<long long>(result)) + L")", result > 32);
}

// The record manager's window a start through the shell brought up.
HWND waitRecordManagerWindow(std::wstring_view what) {
  return waitFor(kWindowTimeout, what, []() -> HWND {
    const auto found = allTopWindows(ids::kMainClass);
    return found.empty() ? nullptr : found.front();
  });
}

void expectInstalledFiles(Run& run, const Environment& env, const std::wstring& dir) {
  run.isTrue(L"the installed kjvt58.exe is the program built", readFileBytes(dir + L"\\kjvt58.exe") == readFileBytes(env.app));
  run.isTrue(L"the installed kjvt58-cli.exe is the tool built",
             readFileBytes(dir + L"\\kjvt58-cli.exe") == readFileBytes(env.cli));
  run.flag(L"the uninstaller is installed", true, fileExists(dir + L"\\uninstall.exe"));
  run.flag(L"the user guide is installed", true, fileExists(dir + L"\\guide\\index.html"));
}

// The registry entries of an installation under `root`, in folder `dir`.
void expectInstalledEntries(Run& run, HKEY root, const std::wstring& dir, const std::wstring& quiet_uninstall) {
  const std::wstring exe = dir + L"\\kjvt58.exe";
  run.equal(L"DisplayName", ids::kTitle, regText(root, kUninstallKey, L"DisplayName"));
  run.equal(L"DisplayVersion", L"1.0.4", regText(root, kUninstallKey, L"DisplayVersion"));
  run.equal(L"InstallLocation", dir, regText(root, kUninstallKey, L"InstallLocation"));
  run.equal(L"UninstallString", L"\"" + dir + L"\\uninstall.exe\"", regText(root, kUninstallKey, L"UninstallString"));
  run.equal(L"QuietUninstallString", quiet_uninstall, regText(root, kUninstallKey, L"QuietUninstallString"));
  const std::wstring classes = L"Software\\Classes\\";
  for (const std::wstring& extension : kRecordExtensions) {
    run.equal(L"the program of " + extension, kProgId, regText(root, classes + extension, L""));
  }
  run.equal(L"the open command of the record files", L"\"" + exe + L"\" \"%1\"",
            regText(root, classes + kProgId + L"\\shell\\open\\command", L""));
  run.equal(L"the icon of the record files", L"\"" + exe + L"\",0", regText(root, classes + kProgId + L"\\DefaultIcon", L""));
}

// One kind of installation: the installer's arguments, the registry root its
// entries go under (and the other one, which stays empty), the folders of the
// programs and of the Start menu entries, and the uninstaller's arguments in
// the quiet uninstall command.
struct Installation {
  std::wstring arguments;
  HKEY root;
  HKEY other_root;
  std::wstring dir;
  std::wstring menu;
  std::wstring quiet_arguments;
};

// Uninstalls silently with the quiet uninstall command and checks that
// nothing is left. The uninstaller hands over to a copy of itself and ends at
// once, so its end is seen in what it removes: the folder, and last the
// Uninstall key.
void uninstallAndCheck(Run& run, const Installation& i) {
  run.equal(L"uninstaller exit code", 0, runToEnd(i.dir + L"\\uninstall.exe", i.quiet_arguments));
  settle(Millis(60000), [&] { return !fileExists(i.dir) && !registryKeyExists(kUninstallKey, i.root); });
  run.flag(L"the folder " + i.dir + L" after uninstalling", false, fileExists(i.dir));
  run.flag(L"the Start menu folder after uninstalling", false, fileExists(i.menu));
  run.flag(L"the Uninstall key after uninstalling", false, registryKeyExists(kUninstallKey, i.root));
  run.flag(L"the file type key after uninstalling", false,
           registryKeyExists(std::wstring(L"Software\\Classes\\") + kProgId, i.root));
  for (const std::wstring& extension : kRecordExtensions) {
    run.flag(L"the key of " + extension + L" after uninstalling", false,
             registryKeyExists(L"Software\\Classes\\" + extension, i.root));
  }
}

// Runs the installer and checks what it put in place.
void installAndCheck(Run& run, const Environment& env, const Installation& i) {
  run.equal(L"installer exit code", 0, runToEnd(env.installer, i.arguments));
  expectInstalledFiles(run, env, i.dir);
  expectInstalledEntries(run, i.root, i.dir, L"\"" + i.dir + L"\\uninstall.exe\" " + i.quiet_arguments);
  run.flag(L"an Uninstall key under the other root", false, registryKeyExists(kUninstallKey, i.other_root));
  for (const std::wstring& shortcut : kShortcuts) {
    run.flag(L"the Start menu entry " + shortcut, true, fileExists(i.menu + L"\\" + shortcut));
  }
}

void requireInstaller(const Environment& env) {
  if (env.installer.empty()) fail(L"no --installer given: scripts/e2e builds it with scripts/package");
}

void installPerUser(Run& run, const Environment& env) {
  requireInstaller(env);
  const Installation installation{L"/S", HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
                                  knownFolder(FOLDERID_LocalAppData) + L"\\Programs\\KJ-VT58",
                                  knownFolder(FOLDERID_Programs) + L"\\KJ-VT58", L"/S"};
  const std::wstring& dir = installation.dir;
  run.step(L"a silent installation for the current user");
  installAndCheck(run, env, installation);

  run.step(L"the Start menu entry of the simple mode starts the installed program in the simple mode");
  shellOpen(run, installation.menu + L"\\KJ-VT58 簡易モード.lnk");
  HWND window = waitRecordManagerWindow(L"the window of the program started from the Start menu");
  const DWORD pid = processOf(window);
  run.equal(L"the program started from the Start menu", dir + L"\\kjvt58.exe", processImage(pid));
  const MessageBoxView box = waitMessageBox(pid, kWindowTimeout, L"the first question of the simple mode");
  run.equal(L"the first question of the simple mode",
            L"EFコントローラーから直接吸い出す場合は、PCと専用ケーブルで接続してください。", box.text);
  answer(box, IDCANCEL);
  waitGone(window, kExitTimeout, L"the simple mode to end after Cancel");

  run.step(L"a silent uninstallation leaves the user's settings alone");
  writeRegistryText(kSettingsKey, L"COM", L"COM7");
  uninstallAndCheck(run, installation);
  const auto kept = readRegistryValue(kSettingsKey, L"COM");
  run.equal(L"the settings after uninstalling", L"COM7", kept ? kept->text : L"(missing)");
}

void installAllUsers(Run& run, const Environment& env) {
  requireInstaller(env);
  const Installation installation{L"/S /ALLUSERS", HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
                                  knownFolder(FOLDERID_ProgramFiles) + L"\\KJ-VT58",
                                  knownFolder(FOLDERID_CommonPrograms) + L"\\KJ-VT58", L"/ALLUSERS /S"};
  const std::wstring& dir = installation.dir;
  run.step(L"a silent installation for every user (/ALLUSERS)");
  installAndCheck(run, env, installation);

  run.step(L"a record file opened through its association is shown in the program");
  const std::wstring folder = makeFolder(env.work + L"\\関連付け");
  const std::wstring first = copySample(env, L"positions.efdx", folder + L"\\positions.efdx");
  const std::wstring second = copySample(env, L"battery.efdx", folder + L"\\battery.efdx");
  shellOpen(run, first);
  HWND window = waitRecordManagerWindow(L"the program opened through the association");
  const DWORD pid = processOf(window);
  run.equal(L"the program opened through the association", dir + L"\\kjvt58.exe", processImage(pid));
  App app = App::attach(pid);
  app.waitIdle();
  expectRows(run, app, expected::positions());

  run.step(L"a second file opened the same way goes to the running program");
  shellOpen(run, second);
  expectRows(run, app, expected::battery());
  settle(kWindowTimeout, [] { return allTopWindows(ids::kMainClass).size() == 1; });
  run.equal(L"windows of the record manager", 1, static_cast<long long>(allTopWindows(ids::kMainClass).size()));

  run.step(L"uninstalling while the program runs is refused and removes nothing");
  // _?= runs the uninstaller in place, so that its exit code is its own.
  run.equal(L"exit code of the uninstaller while the program runs", 3,
            runToEnd(dir + L"\\uninstall.exe", L"/S _?=" + dir));
  run.flag(L"the program after the refused uninstallation", true, fileExists(dir + L"\\kjvt58.exe"));
  run.flag(L"the Uninstall key after the refused uninstallation", true, registryKeyExists(kUninstallKey, HKEY_LOCAL_MACHINE));
  exitApp(run, app);

  run.step(L"a silent uninstallation");
  uninstallAndCheck(run, installation);
}

}  // namespace

const std::vector<Scenario>& scenarios() {
  static const std::vector<Scenario> all = {
      {L"list_and_status", L"a file on the command line: window, list rows and status bar", listAndStatus},
      {L"detail_dialog", L"the detail dialog follows the list selection and steps", detailDialog},
      {L"open_dialog", L"the open command through the real open-file dialog", openDialog},
      {L"bad_checksums", L"records with bad check sums are listed and reported", badChecksums},
      {L"invalid_file", L"a file that does not fit its header is rejected", invalidFile},
      {L"second_instance", L"a second start hands its file to the first and ends with 0", secondInstance},
      {L"command_line_quotes", L"a path on the command line loses one leading and one trailing quotation mark",
       commandLineQuotes},
      {L"about_box", L"the About box, and a hand-over while it is open", aboutBox},
      {L"close_question", L"the title-bar close asks; No keeps, Yes ends with 0", closeQuestion},
      {L"exit_command", L"the exit command and button end without a question", exitCommand},
      {L"startup_com_missing", L"a configured port that does not exist is reported at start", startupComMissing},
      {L"com_port_dialog", L"the COM port dialog writes and reads the registry settings", comPortDialog},
      {L"battery_records", L"battery records in the list and the battery detail dialog", batteryRecords},
      {L"receive_and_save", L"a block from the simulator: progress window, save dialog, saved bytes, list",
       receiveAndSave},
      {L"receive_declined", L"declining to save asks first; the records are shown unsaved", receiveDeclined},
      {L"receive_abort", L"abort while waiting for the controller; a second receive", receiveAbort},
      {L"receive_nak", L"a NAK in the middle ends the receive without a save dialog", receiveNak},
      {L"receive_port_fails", L"a port that cannot be opened is reported", receivePortFails},
      {L"receive_close", L"closing the program during a receive ends it cleanly", receiveClose},
      {L"excel_export", L"the export button, the output item dialog, the save dialog and the workbook", excelExport},
      {L"excel_automation", L"with an application registered as Excel.Application the export drives it by automation",
       excelAutomation},
      {L"print_without_excel", L"printing asks first and, without Excel, reports that no print data could be made",
       printWithoutExcel},
      {L"print_settings", L"the print settings dialog: its contents, the typing limits, OK and キャンセル",
       printSettings},
      {L"kml_export", L"the KML command writes the map of the positioned records", kmlExport},
      {L"easy_cancel", L"the simple mode's first question; Cancel ends the program with 0", easyCancel},
      {L"easy_drop", L"the simple mode window; dropped record files become workbooks beside them", easyDrop},
      {L"easy_receive", L"the simple mode's button: port, receive, save, workbook, and the text of another receive",
       easyReceive},
      {L"easy_automation", L"with an application registered as Excel.Application the simple mode converts through it",
       easyAutomation},
      {L"version_info", L"the version resources of both programs and kjvt58-cli --version", versionInfo},
      {L"install_per_user", L"the installer for the current user: files, entries, the simple mode's Start menu entry, uninstalling",
       installPerUser},
      {L"install_all_users", L"the installer for every user: opening record files through their association, uninstalling",
       installAllUsers},
      {L"screenshots", L"captures of the main window and the detail dialog", screenshots},
  };
  return all;
}

}  // namespace e2e
