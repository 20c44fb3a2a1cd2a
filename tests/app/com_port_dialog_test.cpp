#include "app/com_port_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kj::app {
namespace {

PortList portsOf(std::vector<std::wstring> names) {
  return std::make_shared<const std::vector<std::wstring>>(std::move(names));
}

TEST(ComPortDialogModel, EntriesAndInitialSelection) {
  struct Case {
    const char* name;
    std::vector<std::wstring> ports;
    std::wstring setting;
    int selected;
  };
  const Case cases[] = {
      {"setting listed", {L"COM1", L"COM3"}, L"COM3", 2},
      {"first port", {L"COM1", L"COM3"}, L"COM1", 1},
      {"empty setting selects nothing", {L"COM1"}, L"", -1},
      {"setting gone", {L"COM1", L"COM3"}, L"COM4", -1},
      {"no ports", {}, L"COM1", -1},
  };
  for (const Case& c : cases) {
    const ComPortDialogModel model(portsOf(c.ports), c.setting);
    std::vector<std::wstring> expected{L""};
    expected.insert(expected.end(), c.ports.begin(), c.ports.end());
    EXPECT_EQ(model.entries(), expected) << c.name;
    EXPECT_EQ(model.initialSelection(), c.selected) << c.name;
  }
}

TEST(ComPortDialogModel, OkTakesTheSelectedEntry) {
  struct Case {
    const char* name;
    int selected;
    std::wstring result;
  };
  const Case cases[] = {
      {"empty entry", 0, L""},       {"first port", 1, L"COM1"}, {"second port", 2, L"COM3"},
      {"no selection", -1, L"COM9"}, {"past the list", 3, L"COM9"}, {"far out", 1000, L"COM9"},
  };
  for (const Case& c : cases) {
    ComPortDialogModel model(portsOf({L"COM1", L"COM3"}), L"COM9");
    EXPECT_EQ(model.accept(c.selected), ComPortDialogModel::accepted_result) << c.name;
    EXPECT_EQ(model.portName(), c.result) << c.name;
  }
}

TEST(ComPortDialogModel, KeepsThePortListAlive) {
  auto ports = portsOf({L"COM2"});
  const std::weak_ptr<const std::vector<std::wstring>> watch = ports;
  {
    const ComPortDialogModel model(std::move(ports), L"");
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(model.entries().size(), 2U);
  }
  EXPECT_TRUE(watch.expired());
}

TEST(ComPortDialogModel, NullListOffersOnlyTheEmptyEntry) {
  ComPortDialogModel model(nullptr, L"COM1");
  EXPECT_EQ(model.entries(), (std::vector<std::wstring>{L""}));
  model.accept(0);
  EXPECT_EQ(model.portName(), L"");
}

}  // namespace
}  // namespace kj::app
