#pragma once

// A KeyValueStore kept in one text file, for builds without a registry (the
// command-line tool outside Windows). It behaves like the registry in every
// rule the settings rely on; see key_value_store.h.
//
// The file is UTF-8, one key per section and one value per line:
//
//   [SOFTWARE\TOVANIC\KJVT58]
//   COM=sz:COM3
//   PaperSize=dword:1
//
// Lines starting with '#' and blank lines are ignored, as are lines that fit
// no pattern. In key paths, names and texts, '%', '=', '#', '[', ']' and
// control characters are written as %XX, the character's code in hex. A value of any other type
// (a hand-edited line such as "Zoom=binary:00") reads as ValueType::other
// and is written back as "other:" without its contents.

#include <filesystem>
#include <string_view>

#include "settings/key_value_store.h"
#include "settings/memory_store.h"

namespace kj {

class FileStore final : public KeyValueStore {
public:
    // Reads `file` once, now; a missing or unreadable file gives an empty
    // store. Changes others make to the file later are not seen.
    explicit FileStore(std::filesystem::path file);

    OpenKey open_for_read(std::wstring_view path) override;
    OpenKey open_for_write(std::wstring_view path) override;
    OpenKey create(std::wstring_view path) override;

    // Writes the whole store to the file (through a temporary file beside
    // it, creating the folder if needed). Called when a key that created or
    // changed something is closed; returns false when the file cannot be
    // written, which that close cannot report.
    bool flush();

private:
    class Key;

    std::filesystem::path file_;
    MemoryStore contents_;
};

}  // namespace kj
