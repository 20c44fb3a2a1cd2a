#pragma once
// The KML map document of the welds that carry a position: one placemark per
// positioned record, named with its date and time, described by its joint and
// its end status.

#include <span>
#include <string>

#include "record/record_types.h"

namespace kj::kml {

// The namespace of KML 2.0 documents, the root element's xmlns.
inline constexpr std::wstring_view namespace_name = L"http://earth.google.com/kml/2.0";

// Replaces `out` with the document of `records` and returns true when at least
// one placemark was written. Line ends are single line feeds and there is none
// after the closing "</kml>". Coordinates are fixed-point with six decimals
// (longitude, latitude, altitude 0), the same text on every platform.
//
// Inserted texts are made safe for XML 1.0: "&", "<" and ">" are escaped, and
// characters XML cannot carry (control characters other than tab, line feed
// and carriage return, U+FFFE and U+FFFF of widened bytes, lone surrogates) are
// written as U+FFFD. Texts without such characters appear as they are.
bool composeKml(std::span<const file::Efdx> records, std::wstring& out);
bool composeKml(std::span<const file::EfdxBattery> records, std::wstring& out);

// `text` with the escaping and replacement above applied, appended to out.
void appendXmlText(std::wstring& out, std::wstring_view text);

}  // namespace kj::kml
