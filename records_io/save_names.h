#pragma once
// How a received block is named when it is saved: the default extension of its
// block kind, and the rule that a chosen name without an extension gets it.

#include <cstdint>
#include <string>

#include "records_io/record_file_writer.h"

namespace kj {

// ".efd" for kind 0, ".efdx" for kinds 1, 2 and 3, and none (empty) for any
// other kind.
std::wstring defaultExtensionFor(std::int32_t block_kind);

// The path with the default extension appended when its file name has no
// extension (extensionOf of the name after the last / or \ is empty);
// otherwise the path as it is. A dot in a folder name is not an extension.
std::wstring withDefaultExtension(const std::wstring& path, const std::wstring& default_extension);

// The name a received block of the kind is saved under by default: the time
// stamp of the clock with the kind's extension, e.g. 2024_0305_090702.efdx.
std::wstring receivedFileName(std::int32_t block_kind, const Clock& clock = systemLocalTime);

}  // namespace kj
