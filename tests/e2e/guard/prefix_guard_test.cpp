#include "tests/e2e/driver_prefix_guard.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

TEST(E2ePrefixGuardTest, RunsOnlyInsideTheE2ePrefix) {
  const std::wstring prefix = L"/home/ci/kjvt58/build/e2e/prefix";
  struct Case {
    const char* what;
    PrefixFacts facts;
    bool allowed;
  };
  const Case cases[] = {
      {"the prefix of scripts/e2e", {prefix, prefix, prefix + L"\n"}, true},
      {"a trailing slash", {prefix + L"/", prefix, prefix}, true},
      {"no Wine (Windows itself)", {std::nullopt, prefix, prefix}, false},
      {"an empty WINEPREFIX", {L"", prefix, prefix}, false},
      {"not started by scripts/e2e", {prefix, std::nullopt, prefix}, false},
      {"no marker file", {prefix, prefix, std::nullopt}, false},
      {"the user's own prefix", {L"/home/ci/.wine", prefix, prefix}, false},
      {"the user's own prefix, named too", {L"/home/ci/.wine", L"/home/ci/.wine", L"/home/ci/.wine"}, false},
      {"the marker of another prefix", {prefix, prefix, L"/tmp/other/build/e2e/prefix"}, false},
      {"a named prefix that is not WINEPREFIX", {prefix, L"/tmp/other/build/e2e/prefix", prefix}, false},
      {"the prefix of scripts/run", {L"/x/build/run/prefix", L"/x/build/run/prefix", L"/x/build/run/prefix"}, false},
      {"a relative path", {L"build/e2e/prefix", L"build/e2e/prefix", L"build/e2e/prefix"}, false},
      {"a path that climbs out", {L"/x/build/e2e/../../../home/build/e2e/prefix",
                                  L"/x/build/e2e/../../../home/build/e2e/prefix",
                                  L"/x/build/e2e/../../../home/build/e2e/prefix"}, false},
  };
  for (const Case& c : cases) {
    const std::wstring reason = refusalReason(c.facts);
    EXPECT_EQ(reason.empty(), c.allowed) << c.what;
  }
}

}  // namespace
}  // namespace e2e
