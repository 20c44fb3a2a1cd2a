#pragma once
// The automation calls each spreadsheet driver operation must send, written
// out call by call, and the mapping from the operations the recording driver
// saw to those calls.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "export/sheet_address.h"
#include "tests/export/recording_driver.h"
#include "tests/export/win32/fake_automation.h"

namespace kj::test {

using com::CallKind;
using Calls = std::vector<AutomationCall>;
using Rows = std::vector<std::vector<std::wstring>>;

inline AutomationCall on(std::wstring object, std::wstring member, CallKind kind,
                  std::vector<AutomationArgument> arguments = {}) {
  return {std::move(object), std::move(member), kind, std::move(arguments)};
}

inline Calls openCalls(const std::wstring& sheet_name) {
  return {
      on(L"Application", L"Visible", CallKind::put, {i4(0)}),
      on(L"Application", L"Workbooks", CallKind::get),
      on(L"Workbooks", L"Add", CallKind::get),
      on(L"Application", L"ActiveSheet", CallKind::get),
      on(L"Worksheet", L"Name", CallKind::put, {bstr(sheet_name)}),
  };
}

inline Calls gridCalls(const std::wstring& range) {
  const std::wstring r = L"Range(" + range + L")";
  Calls calls = {on(L"Worksheet", L"Range", CallKind::get, {bstr(range)})};
  for (const wchar_t* edge : {L"11", L"12"}) {
    const std::wstring b = std::wstring(L"Borders(") + edge + L")";
    calls.push_back(on(r, L"Borders", CallKind::get, {i4(std::stol(edge))}));
    calls.push_back(on(b, L"LineStyle", CallKind::put, {i4(1)}));
    calls.push_back(on(b, L"Weight", CallKind::put, {i4(2)}));
    calls.push_back(on(b, L"ColorIndex", CallKind::put, {i4(-4105)}));
  }
  calls.push_back(on(r, L"BorderAround", CallKind::method, {i4(1), i4(2), i4(-4105)}));
  return calls;
}

inline Calls pageSetupCalls(LONG paper, LONG orientation, LONG zoom, std::vector<double> margins_mm) {
  Calls calls = {
      on(L"Worksheet", L"PageSetup", CallKind::get),
      on(L"PageSetup", L"PaperSize", CallKind::put, {i4(paper)}),
      on(L"PageSetup", L"Orientation", CallKind::put, {i4(orientation)}),
      on(L"PageSetup", L"Zoom", CallKind::put, {i4(zoom)}),
  };
  const wchar_t* members[] = {L"TopMargin", L"BottomMargin", L"LeftMargin", L"RightMargin"};
  for (std::size_t i = 0; i < 4; ++i) {
    calls.push_back(on(L"PageSetup", members[i], CallKind::put, {r8(margins_mm[i] * 2.8346456692913384)}));
  }
  return calls;
}

// The block's address, built independently of the driver's own helper.
inline std::wstring blockRange(std::int32_t first_row, const Rows& rows) {
  return L"A" + std::to_wstring(first_row) + L":" + sheet::columnLetters(rows.front().size()) +
         std::to_wstring(first_row + static_cast<std::int32_t>(rows.size()) - 1);
}

inline Calls blockCalls(std::int32_t first_row, const Rows& rows) {
  const std::wstring range = blockRange(first_row, rows);
  return {on(L"Worksheet", L"Range", CallKind::get, {bstr(range)}),
          on(L"Range(" + range + L")", L"Value", CallKind::put, {textBlock(rows)})};
}

// What one operation of the driver must send, as the recording driver saw
// the operation.
inline Calls expectedFor(const DriverCall& call) {
  const auto& a = call.arguments;
  if (call.operation == L"open") return openCalls(a.at(0));
  if (call.operation == L"disableAlerts") return {on(L"Application", L"DisplayAlerts", CallKind::put, {i4(0)})};
  if (call.operation == L"writeBlock") return blockCalls(std::stoi(a.at(0)), call.rows);
  if (call.operation == L"setNumberFormat") {
    return {on(L"Worksheet", L"Range", CallKind::get, {bstr(a.at(0))}),
            on(L"Range(" + a.at(0) + L")", L"NumberFormatLocal", CallKind::put, {bstr(a.at(1))})};
  }
  if (call.operation == L"autoFitColumns") {
    return {on(L"Worksheet", L"Columns", CallKind::get, {bstr(a.at(0))}),
            on(L"Columns(" + a.at(0) + L")", L"AutoFit", CallKind::method)};
  }
  if (call.operation == L"merge") {
    return {on(L"Worksheet", L"Range", CallKind::get, {bstr(a.at(0))}),
            on(L"Range(" + a.at(0) + L")", L"Merge", CallKind::method)};
  }
  if (call.operation == L"drawGrid") return gridCalls(a.at(0));
  if (call.operation == L"saveAs") return {on(L"Workbook", L"SaveAs", CallKind::method, {bstr(a.at(0)), i4(56)})};
  if (call.operation == L"applyPageSetup") {
    static const std::map<std::wstring, LONG> papers = {{L"A3", 8}, {L"A4", 9}, {L"A5", 11}, {L"B4", 12}, {L"B5", 13}};
    const auto paper = papers.find(a.at(0));
    if (paper == papers.end()) return {on(L"Worksheet", L"PageSetup", CallKind::get)};
    return pageSetupCalls(paper->second, a.at(1) == L"portrait" ? 1 : 2, std::stol(a.at(2)),
                          {std::stod(a.at(3)), std::stod(a.at(4)), std::stod(a.at(5)), std::stod(a.at(6))});
  }
  if (call.operation == L"printOut") return {on(L"Worksheet", L"PrintOut", CallKind::method)};
  if (call.operation == L"close") return {on(L"Application", L"Quit", CallKind::method)};
  ADD_FAILURE() << "no expectation for an operation";
  return {};
}

// Everything the builder and the caller asked of the recording driver, as
// automation calls.
inline Calls expectedFor(const std::vector<DriverCall>& operations) {
  Calls calls;
  for (const auto& operation : operations) {
    const Calls part = expectedFor(operation);
    calls.insert(calls.end(), part.begin(), part.end());
  }
  return calls;
}

}  // namespace kj::test
