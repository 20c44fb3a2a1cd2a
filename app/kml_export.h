#pragma once
// The KML command of the main window: the save dialog, the document of the
// displayed records and the file.

#include <string_view>

#include "app/record_set.h"
#include "app/ui.h"

namespace kj::app {

inline constexpr std::wstring_view kml_filter_label = L"KMLファイル (*.kml)";
inline constexpr std::wstring_view kml_filter_pattern = L"*.kml";
inline constexpr std::wstring_view kml_default_extension = L"kml";
inline constexpr std::wstring_view kml_caption = L"KML出力";
inline constexpr std::wstring_view file_save_failed_text = L"ファイルの保存に失敗しました。";

enum class KmlOutcome {
  cancelled,         // no file chosen
  nothing_to_write,  // no displayed record has a position, or the block kind has no records
  written,
  write_failed,      // reported to the user; an existing file stays as it was
};

// Asks for the file, composes the document of the records of the last loaded
// block kind and writes it as UTF-8 without a byte-order mark. Only a failed
// write shows a message.
KmlOutcome exportToKml(ShellUi& shell, const RecordSet& records);

}  // namespace kj::app
