#include "records_io/record_file_writer.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "records_io/record_file_reader.h"
#include "records_io/paths.h"
#include "records_io/text_encoding.h"

namespace kj {

bool writeRecordFile(const std::wstring& path, const std::wstring& text, bool substitute, unsigned code_page) {
  std::string bytes = encodeText(text, code_page);
  if (substitute) {
    for (char& b : bytes) b = static_cast<char>(substituteByte(static_cast<unsigned char>(b)));
  }
  std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
  if (!out.is_open()) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  return static_cast<bool>(out);
}

LocalDateTime systemLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::wstring makeTimestampName(const Clock& clock) {
  const LocalDateTime t = clock();
  wchar_t buf[64];
  std::swprintf(buf, sizeof buf / sizeof buf[0], L"%04d_%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

}  // namespace kj
