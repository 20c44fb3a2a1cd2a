#include "tests/e2e/driver_prefix_guard.h"

namespace e2e {
namespace {

// The path without the white space and line break a script leaves around it,
// and without trailing slashes.
std::wstring normalised(std::wstring path) {
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  while (!path.empty() && blank(path.back())) path.pop_back();
  std::size_t first = 0;
  while (first < path.size() && blank(path[first])) ++first;
  path.erase(0, first);
  while (path.size() > 1 && path.back() == L'/') path.pop_back();
  return path;
}

bool endsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool registry_changes_allowed = false;

}  // namespace

void allowRegistryChanges() { registry_changes_allowed = true; }
bool registryChangesAllowed() { return registry_changes_allowed; }

std::wstring refusalReason(const PrefixFacts& facts) {
  if (!facts.wine_prefix || normalised(*facts.wine_prefix).empty()) {
    return L"WINEPREFIX is not set: not inside the Wine prefix of scripts/e2e";
  }
  if (!facts.named_prefix || normalised(*facts.named_prefix).empty()) {
    return L"KJ_E2E_PREFIX is not set: run the driver through scripts/e2e";
  }
  if (!facts.marker) return std::wstring(L"no marker file ") + kPrefixMarkerPath + L" in this prefix";
  const std::wstring wine = normalised(*facts.wine_prefix);
  if (normalised(*facts.named_prefix) != wine) return L"KJ_E2E_PREFIX names another prefix than WINEPREFIX";
  if (normalised(*facts.marker) != wine) return L"the marker file names another prefix than WINEPREFIX";
  if (wine.front() != L'/' || !endsWith(wine, L"/build/e2e/prefix") || wine.find(L"/../") != std::wstring::npos) {
    return L"the prefix " + wine + L" is not the e2e prefix of a build folder (.../build/e2e/prefix)";
  }
  return {};
}

}  // namespace e2e
