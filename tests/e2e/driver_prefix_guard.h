#pragma once
// The driver deletes the program's settings key of the user it runs as, before
// and after every scenario. It may do so only inside the Wine prefix that
// scripts/e2e makes for one run (build/e2e/prefix): that script names the
// prefix in KJ_E2E_PREFIX and writes the same path into the marker file
// C:\kj-e2e-prefix of the prefix. The driver runs only when the prefix Wine
// runs it in (WINEPREFIX), the named prefix and the marker all agree and the
// path is the e2e prefix of a build folder. On Windows itself, or in anyone's
// own Wine prefix, it refuses and touches nothing.
//
// Portable, so that the decision has unit tests in every build.

#include <optional>
#include <string>

namespace e2e {

struct PrefixFacts {
  std::optional<std::wstring> wine_prefix;   // the WINEPREFIX variable
  std::optional<std::wstring> named_prefix;  // the KJ_E2E_PREFIX variable
  std::optional<std::wstring> marker;        // the contents of C:\kj-e2e-prefix
};

inline constexpr wchar_t kPrefixMarkerPath[] = L"C:\\kj-e2e-prefix";

// Empty when the driver runs inside the e2e prefix; otherwise why it does not.
std::wstring refusalReason(const PrefixFacts& facts);

// Set once the driver has found itself inside the e2e prefix; the registry
// helpers refuse to delete or write anything before.
void allowRegistryChanges();
bool registryChangesAllowed();

}  // namespace e2e
