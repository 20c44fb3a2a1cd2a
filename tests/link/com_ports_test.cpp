#include "link/com_ports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "base/fs_path.h"
#include "tests/support/record_fixture.h"

namespace kj {
namespace {

TEST(EnumeratePorts, ListsExistingPortsInAscendingOrder) {
  const std::set<std::wstring> present{L"COM12", L"COM3", L"COM0", L"COM254", L"COM255", L"COM1", L"LPT1"};
  std::vector<std::wstring> asked;
  const PortList ports = enumerate_ports([&](const std::wstring& name) {
    asked.push_back(name);
    return present.count(name) == 1;
  });
  ASSERT_TRUE(ports);
  EXPECT_EQ(*ports, (std::vector<std::wstring>{L"COM0", L"COM1", L"COM3", L"COM12", L"COM254"}));
  // COM0 to COM254, each once, in order; nothing else.
  ASSERT_EQ(asked.size(), 255U);
  for (std::size_t n = 0; n < asked.size(); ++n) EXPECT_EQ(asked[n], L"COM" + std::to_wstring(n));
}

TEST(EnumeratePorts, NoPortsGiveAnEmptyList) {
  const PortList ports = enumerate_ports([](const std::wstring&) { return false; });
  ASSERT_TRUE(ports);
  EXPECT_TRUE(ports->empty());
  const PortList without_lookup = enumerate_ports(DeviceExists{});
  ASSERT_TRUE(without_lookup);
  EXPECT_TRUE(without_lookup->empty());
}

TEST(EnumeratePorts, EveryCallMakesAFreshList) {
  bool second = false;
  const auto lookup = [&](const std::wstring& name) { return name == (second ? L"COM2" : L"COM1"); };
  const PortList first_list = enumerate_ports(lookup);
  second = true;
  const PortList second_list = enumerate_ports(lookup);
  EXPECT_EQ(*first_list, (std::vector<std::wstring>{L"COM1"}));
  EXPECT_EQ(*second_list, (std::vector<std::wstring>{L"COM2"}));
}

TEST(ComDevicePath, Mapping) {
  struct Case {
    std::wstring name;
    std::wstring path;
  };
  const Case cases[] = {
      {L"COM1", L"/dev/ttyS0"}, {L"COM10", L"/dev/ttyS9"}, {L"COM254", L"/dev/ttyS253"},
      {L"COM0", L""},           {L"COM01", L""},           {L"COM", L""},
      {L"COM1x", L""},          {L"com1", L""},            {L"COM1000", L""},
      {L"LPT1", L""},           {L"", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(comDevicePath(L"/dev", c.name), c.path) << std::string(c.name.begin(), c.name.end());
  }
  EXPECT_EQ(comDevicePath(L"/dev/", L"COM2"), L"/dev/ttyS1");
}

TEST(DevicesUnder, FindsDeviceFilesOfAFolder) {
  test::TempDir dir;
  for (const auto* name : {L"ttyS0", L"ttyS2"}) std::ofstream(fsPath(dir.file(name))) << "";
  std::filesystem::create_directories(fsPath(dir.file(L"ttyS4")));  // a folder is no device
  const PortList ports = enumerate_ports(devicesUnder(widePath(dir.path())));
  EXPECT_EQ(*ports, (std::vector<std::wstring>{L"COM1", L"COM3"}));
}

TEST(EnumeratePorts, PlatformLookupGivesWellFormedNamesInOrder) {
  const PortList ports = enumerate_ports();
  ASSERT_TRUE(ports);
  int previous = -1;
  for (const std::wstring& name : *ports) {
    ASSERT_EQ(name.rfind(L"COM", 0), 0U) << std::string(name.begin(), name.end());
    const int n = std::stoi(name.substr(3));
    EXPECT_EQ(name, L"COM" + std::to_wstring(n));
    EXPECT_GT(n, previous);
    EXPECT_LE(n, 254);
    previous = n;
  }
}

}  // namespace
}  // namespace kj
