#include "records_io/record_file_writer.h"

#include <optional>

#include "base/file_replace.h"
#include "base/text_encoding.h"
#include "records_io/record_file_reader.h"

namespace kj {

bool writeRecordFile(const std::wstring& path, const std::wstring& text, bool substitute, unsigned code_page) {
  // Convert first: a text that cannot be converted must not cost the user the
  // file that is already there.
  std::optional<std::string> bytes = encodeText(text, code_page);
  if (!bytes) return false;
  if (substitute) {
    for (char& b : *bytes) b = static_cast<char>(substituteByte(static_cast<unsigned char>(b)));
  }
  // The old file goes only once the new one is complete on the disk.
  return replaceFileAtomically(path, *bytes);
}

namespace {
// value in decimal with at least `width` digits, a minus sign in front of a
// negative value.
void appendPadded(std::wstring& out, int value, std::size_t width) {
  const long long v = value;
  std::wstring digits = std::to_wstring(v < 0 ? -v : v);
  if (v < 0) out.push_back(L'-');
  if (digits.size() < width) out.append(width - digits.size(), L'0');
  out += digits;
}
}  // namespace

std::wstring makeTimestampName(const Clock& clock) {
  const LocalDateTime t = clock();
  std::wstring name;
  appendPadded(name, t.year, 4);
  name.push_back(L'_');
  appendPadded(name, t.month, 2);
  appendPadded(name, t.day, 2);
  name.push_back(L'_');
  appendPadded(name, t.hour, 2);
  appendPadded(name, t.minute, 2);
  appendPadded(name, t.second, 2);
  return name;
}

}  // namespace kj
