#pragma once
// The end-to-end scenarios: each starts kjvt58.exe afresh, drives it as a user
// would and checks what its windows show.

#include <string>
#include <vector>

#include "tests/e2e/driver_app.h"
#include "tests/e2e/driver_support.h"

namespace e2e {

struct Scenario {
  const wchar_t* name;
  const wchar_t* summary;
  void (*body)(Run& run, const Environment& env);
};

// In the order "all" runs them.
const std::vector<Scenario>& scenarios();

}  // namespace e2e
