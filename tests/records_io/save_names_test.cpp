#include "records_io/save_names.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace kj {
namespace {

TEST(SaveNames, EachBlockKindHasItsDefaultExtension) {
  struct Case {
    std::int32_t kind;
    const wchar_t* extension;
  };
  for (const Case& c : {Case{0, L".efd"}, Case{1, L".efdx"}, Case{2, L".efdx"}, Case{3, L".efdx"}, Case{4, L""},
                        Case{-1, L""}, Case{5, L""}}) {
    SCOPED_TRACE(c.kind);
    EXPECT_EQ(defaultExtensionFor(c.kind), c.extension);
  }
}

TEST(SaveNames, OnlyANameWithoutExtensionGetsTheDefault) {
  struct Case {
    const wchar_t* path;
    const wchar_t* extension;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"2024_0305_090702", L".efdx", L"2024_0305_090702.efdx"},
      {L"out.txt", L".efdx", L"out.txt"},
      {L"OUT.EFD", L".efdx", L"OUT.EFD"},
      {L"kind4", L"", L"kind4"},
      {L"/tmp/data.v2/rec", L".efd", L"/tmp/data.v2/rec.efd"},
      {L"C:\\data.v2\\rec", L".efd", L"C:\\data.v2\\rec.efd"},
      {L"./rec", L".efdx", L"./rec.efdx"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path, c.path + std::wcslen(c.path)));
    EXPECT_EQ(withDefaultExtension(c.path, c.extension), c.expected);
  }
}

TEST(SaveNames, TheReceivedNameIsTheTimeStampWithTheKindsExtension) {
  const Clock clock = [] { return LocalDateTime{2024, 3, 5, 9, 7, 2}; };
  EXPECT_EQ(receivedFileName(0, clock), L"2024_0305_090702.efd");
  EXPECT_EQ(receivedFileName(2, clock), L"2024_0305_090702.efdx");
  EXPECT_EQ(receivedFileName(4, clock), L"2024_0305_090702");
}

}  // namespace
}  // namespace kj
