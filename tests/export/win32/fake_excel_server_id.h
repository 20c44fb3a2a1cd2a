#pragma once
// The class identifier of the test's local automation server, registered in
// the test's Wine prefix under the application's programmatic identifier.

#include "base/win32_include.h"

#include <objbase.h>

namespace kj::test {

// {BF0693CC-99D8-4673-AF09-3CF22882EC51}
inline constexpr CLSID fake_excel_server_clsid = {
    0xbf0693cc, 0x99d8, 0x4673, {0xaf, 0x09, 0x3c, 0xf2, 0x28, 0x82, 0xec, 0x51}};
inline constexpr const wchar_t* fake_excel_server_clsid_text = L"{BF0693CC-99D8-4673-AF09-3CF22882EC51}";

}  // namespace kj::test
