#include "export/xls_workbook.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/memory_advice.h"
#include "export/compound_file.h"

namespace kj::xls {

// ---------------------------------------------------------------- texts

bool isFullWidth(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
         (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

namespace {

// The code points of a wide text (UTF-16 on Windows, UTF-32 elsewhere).
template <class Each>
void forEachCodePoint(std::wstring_view text, Each each) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      c &= 0xFFFF;
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
        const char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
        if (low >= 0xDC00 && low <= 0xDFFF) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    each(c);
  }
}

}  // namespace

TextMeasure measureText(std::wstring_view text) {
  TextMeasure m;
  std::uint32_t line = 0;
  forEachCodePoint(text, [&](char32_t c) {
    if (c == U'\n') {
      m.width = std::max(m.width, line);
      line = 0;
      ++m.lines;
      return;
    }
    line += isFullWidth(c) ? 2u : 1u;
  });
  m.width = std::max(m.width, line);
  return m;
}

void appendUtf16(std::wstring_view text, std::u16string& out) {
  forEachCodePoint(text, [&](char32_t c) {
    if (c > 0x10FFFF) c = 0xFFFD;
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  });
}

std::u16string toUtf16(std::wstring_view text) {
  std::u16string out;
  out.reserve(text.size());
  appendUtf16(text, out);
  return out;
}

std::size_t utf16Length(std::wstring_view text) {
  std::size_t n = 0;
  forEachCodePoint(text, [&](char32_t c) { n += (c >= 0x10000 && c <= 0x10FFFF) ? 2 : 1; });
  return n;
}

// ---------------------------------------------------------------- string table

namespace {
constexpr std::size_t chunk_bits = 22;
constexpr std::size_t chunk_size = std::size_t{1} << chunk_bits;
constexpr std::size_t max_chunks = std::size_t{1} << (32 - chunk_bits);
// Each entry: width (2 bytes), lines (2 bytes), then the string table form.
constexpr std::size_t entry_prefix = 4;

// A zeroed table of slots, on large pages where it is big enough: its slots
// are read in no order, one for each text added.
std::unique_ptr<std::uint32_t[]> freshSlots(std::size_t count) {
  std::unique_ptr<std::uint32_t[]> slots(new std::uint32_t[count]);
  preferLargePages(slots.get(), count * sizeof(std::uint32_t));
  std::memset(slots.get(), 0, count * sizeof(std::uint32_t));
  return slots;
}

std::uint16_t get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// The hash of a text is taken over its UTF-16 units, so that it can be known
// before the text is stored (and a slot fetched ahead of need).
struct UnitHash {
  std::uint64_t h = 0xcbf29ce484222325ull;
  void add(std::uint32_t unit) { h = (h ^ unit) * 0x100000001b3ull; }
  std::uint64_t done() const {
    std::uint64_t x = h;
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    return x;
  }
};

std::size_t encodedSize(const std::uint8_t* e) {
  const std::size_t units = get16(e);
  return 3 + units * ((e[2] & 1) ? 2 : 1);
}
}  // namespace

StringTable::StringTable() : slots_(freshSlots(1024)), slot_count_(1024) {}
StringTable::~StringTable() = default;
StringTable::StringTable(StringTable&&) noexcept = default;
StringTable& StringTable::operator=(StringTable&&) noexcept = default;

const std::uint8_t* StringTable::entry(std::uint32_t index) const {
  const std::uint32_t at = offsets_[index];
  return chunks_[at >> chunk_bits].get() + (at & (chunk_size - 1));
}

std::span<const std::uint8_t> StringTable::encoded(std::uint32_t index) const {
  const std::uint8_t* e = entry(index) + entry_prefix;
  return {e, encodedSize(e)};
}
std::uint16_t StringTable::width(std::uint32_t index) const { return get16(entry(index)); }
std::uint16_t StringTable::lines(std::uint32_t index) const { return get16(entry(index) + 2); }

std::u16string StringTable::text(std::uint32_t index) const {
  const std::span<const std::uint8_t> e = encoded(index);
  const std::size_t units = get16(e.data());
  const bool wide = e[2] & 1;
  std::u16string out(units, u'\0');
  for (std::size_t i = 0; i < units; ++i) {
    out[i] = wide ? static_cast<char16_t>(get16(e.data() + 3 + 2 * i)) : static_cast<char16_t>(e[3 + i]);
  }
  return out;
}

// A slot holds the text's index + 1 in its low bits and a few bits of its
// hash above them, so that most probes are settled without reading the text.
namespace {
constexpr std::uint32_t index_bits = 25;
constexpr std::uint32_t index_mask = (1u << index_bits) - 1;
std::uint32_t tagOf(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 57) << index_bits; }
}  // namespace

void StringTable::grow() {
  // The texts in the order they were added: the pool is read front to back.
  const std::size_t count = slot_count_ * 2;
  slots_.reset();
  std::unique_ptr<std::uint32_t[]> slots = freshSlots(count);
  const std::size_t mask = count - 1;
  for (std::uint32_t index = 0; index < size(); ++index) {
    const std::span<const std::uint8_t> e = encoded(index);
    UnitHash h;
    const std::size_t units = get16(e.data());
    const bool wide = e[2] & 1;
    for (std::size_t u = 0; u < units; ++u) h.add(wide ? get16(e.data() + 3 + 2 * u) : e[3 + u]);
    const std::uint64_t hash = h.done();
    std::size_t i = hash & mask;
    while (slots[i] != 0) i = (i + 1) & mask;
    slots[i] = tagOf(hash) | (index + 1);
  }
  slots_ = std::move(slots);
  slot_count_ = count;
}

std::uint64_t StringTable::hashOf(std::wstring_view text) {
  UnitHash h;
  forEachCodePoint(text, [&](char32_t c) {
    if (c > 0x10FFFF) c = 0xFFFD;
    if (c >= 0x10000) {
      h.add(0xD800 + ((c - 0x10000) >> 10));
      h.add(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      h.add(c);
    }
  });
  return h.done();
}

void StringTable::prefetch(std::uint64_t hash) const {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(&slots_[hash & (slot_count_ - 1)]);
#else
  (void)hash;
#endif
}

std::optional<std::uint32_t> StringTable::add(std::wstring_view text) { return add(text, hashOf(text)); }

std::optional<std::uint32_t> StringTable::add(std::wstring_view text, std::uint64_t hash) {
  units_.clear();
  appendUtf16(text, units_);
  if (units_.size() > max_text_units) return std::nullopt;
  const bool wide = std::any_of(units_.begin(), units_.end(), [](char16_t u) { return u > 0xFF; });
  scratch_.resize(3 + units_.size() * (wide ? 2 : 1));
  std::uint8_t* out = scratch_.data();
  *out++ = static_cast<std::uint8_t>(units_.size());
  *out++ = static_cast<std::uint8_t>(units_.size() >> 8);
  *out++ = wide ? 1 : 0;
  for (const char16_t u : units_) {
    *out++ = static_cast<std::uint8_t>(u);
    if (wide) *out++ = static_cast<std::uint8_t>(u >> 8);
  }
  const std::uint32_t tag = tagOf(hash);
  const std::size_t mask = slot_count_ - 1;
  std::size_t i = hash & mask;
  for (; slots_[i] != 0; i = (i + 1) & mask) {
    if ((slots_[i] & ~index_mask) != tag) continue;
    const std::uint32_t index = (slots_[i] & index_mask) - 1;
    const std::span<const std::uint8_t> e = encoded(index);
    if (e.size() == scratch_.size() && std::memcmp(e.data(), scratch_.data(), e.size()) == 0) return index;
  }
  if (offsets_.size() + 1 >= index_mask) return std::nullopt;
  const std::size_t need = entry_prefix + scratch_.size();
  if (chunks_.empty() || chunk_used_ + need > chunk_size) {
    if (chunks_.size() == max_chunks) return std::nullopt;
    chunks_.emplace_back(new std::uint8_t[chunk_size]);  // filled as texts come
    preferLargePages(chunks_.back().get(), chunk_size);
    chunk_used_ = 0;
  }
  const TextMeasure m = measureText(text);
  std::uint8_t* p = chunks_.back().get() + chunk_used_;
  const std::uint16_t width = static_cast<std::uint16_t>(std::min<std::uint32_t>(m.width, 0xFFFF));
  const std::uint16_t lines = static_cast<std::uint16_t>(std::min<std::uint32_t>(m.lines, 0xFFFF));
  p[0] = static_cast<std::uint8_t>(width);
  p[1] = static_cast<std::uint8_t>(width >> 8);
  p[2] = static_cast<std::uint8_t>(lines);
  p[3] = static_cast<std::uint8_t>(lines >> 8);
  std::memcpy(p + entry_prefix, scratch_.data(), scratch_.size());
  const std::uint32_t index = static_cast<std::uint32_t>(offsets_.size());
  offsets_.push_back(static_cast<std::uint32_t>(((chunks_.size() - 1) << chunk_bits) | chunk_used_));
  chunk_used_ += need;
  slots_[i] = tag | (index + 1);
  if (offsets_.size() * 10 > slot_count_ * 7) grow();
  return index;
}

// ---------------------------------------------------------------- worksheet

std::uint32_t& Worksheet::slot(std::uint32_t row, std::uint32_t column) {
  if (rows_.size() <= row) rows_.resize(row + 1);
  std::vector<std::uint32_t>& r = rows_[row];
  if (r.size() <= column) r.resize(column + 1, 0);
  return r[column];
}

std::uint32_t Worksheet::code(std::uint32_t row, std::uint32_t column) const {
  if (row >= rows_.size() || column >= rows_[row].size()) return 0;
  return rows_[row][column];
}

std::uint32_t Worksheet::valueColumnCount(std::uint32_t row) const {
  return row < rows_.size() ? static_cast<std::uint32_t>(rows_[row].size()) : 0;
}

bool Worksheet::setText(std::uint32_t row, std::uint32_t column, std::wstring_view text) {
  return setText(row, column, text, StringTable::hashOf(text));
}

bool Worksheet::setText(std::uint32_t row, std::uint32_t column, std::wstring_view text, std::uint64_t hash) {
  if (text.empty()) {
    clear(row, column);
    return true;
  }
  const std::optional<std::uint32_t> index = strings_.add(text, hash);
  if (!index) return false;
  slot(row, column) = *index + 1;
  return true;
}

void Worksheet::setNumber(std::uint32_t row, std::uint32_t column, double value, std::uint16_t width) {
  slot(row, column) = number_flag | static_cast<std::uint32_t>(numbers_.size());
  numbers_.push_back(value);
  number_widths_.push_back(width);
}

void Worksheet::clear(std::uint32_t row, std::uint32_t column) {
  if (row < rows_.size() && column < rows_[row].size()) rows_[row][column] = 0;
}

CellValue Worksheet::value(std::uint32_t row, std::uint32_t column) const {
  const std::uint32_t c = code(row, column);
  CellValue v;
  if (c == 0) return v;
  if (c & number_flag) {
    v.kind = CellValue::Kind::number;
    v.number = numbers_[c & ~number_flag];
  } else {
    v.kind = CellValue::Kind::text;
    v.string = c - 1;
  }
  return v;
}

void Worksheet::setNumberFormat(const CellRange& range, bool text) { formats_.emplace_back(range, text); }

bool Worksheet::isTextFormat(std::uint32_t row, std::uint32_t column) const {
  for (auto it = formats_.rbegin(); it != formats_.rend(); ++it) {
    if (it->first.contains(row, column)) return it->second;
  }
  return false;
}

void Worksheet::textFormats(std::uint32_t row, std::span<std::uint8_t> text) const {
  std::fill(text.begin(), text.end(), std::uint8_t{0});
  for (const auto& [range, is_text] : formats_) {
    if (row < range.first_row || row > range.last_row) continue;
    for (std::uint32_t c = range.first_column; c <= range.last_column && c < text.size(); ++c) text[c] = is_text;
  }
}

void Worksheet::merge(const CellRange& range) {
  if (range.singleCell()) return;
  CellRange merged = range;
  for (bool grown = true; grown;) {
    grown = false;
    for (auto it = merges_.begin(); it != merges_.end(); ++it) {
      if (!it->overlaps(merged)) continue;
      merged.first_row = std::min(merged.first_row, it->first_row);
      merged.first_column = std::min(merged.first_column, it->first_column);
      merged.last_row = std::max(merged.last_row, it->last_row);
      merged.last_column = std::max(merged.last_column, it->last_column);
      merges_.erase(it);
      grown = true;
      break;
    }
  }
  for (std::uint32_t r = merged.first_row; r <= merged.last_row; ++r) {
    for (std::uint32_t c = merged.first_column; c <= merged.last_column; ++c) {
      if (r != merged.first_row || c != merged.first_column) clear(r, c);
    }
  }
  merges_.push_back(merged);
}

bool Worksheet::inMerge(std::uint32_t row, std::uint32_t column) const {
  return std::any_of(merges_.begin(), merges_.end(), [&](const CellRange& m) { return m.contains(row, column); });
}

void Worksheet::fitColumns(std::uint32_t first_column, std::uint32_t last_column) {
  last_column = std::min(last_column, max_columns - 1);
  if (first_column > last_column) return;
  std::vector<std::uint32_t> longest(last_column - first_column + 1, 0);
  std::uint32_t merge_rows_end = 0;
  for (const CellRange& m : merges_) merge_rows_end = std::max(merge_rows_end, m.last_row + 1);
  for (std::uint32_t r = 0; r < rows_.size(); ++r) {
    const std::vector<std::uint32_t>& row = rows_[r];
    const std::uint32_t end = std::min<std::uint32_t>(static_cast<std::uint32_t>(row.size()), last_column + 1);
    for (std::uint32_t c = first_column; c < end; ++c) {
      const std::uint32_t v = row[c];
      if (v == 0) continue;
      if (r < merge_rows_end && inMerge(r, c)) continue;
      const std::uint32_t w = (v & number_flag) ? number_widths_[v & ~number_flag] : strings_.width(v - 1);
      longest[c - first_column] = std::max(longest[c - first_column], w);
    }
  }
  for (std::uint32_t c = first_column; c <= last_column; ++c) {
    const std::uint32_t w = longest[c - first_column];
    if (w == 0) continue;
    widths_[c] = static_cast<std::uint16_t>(std::min<std::uint32_t>(w + 1, 255) * 256);
  }
}

// ---------------------------------------------------------------- records

namespace {

class Records {
 public:
  explicit Records(cfb::StreamWriter& stream) : stream_(stream) {}

  std::uint64_t position() const { return stream_.size(); }

  void begin(std::uint16_t type) {
    data_.clear();
    type_ = type;
  }
  Records& u8(std::uint8_t v) {
    data_.push_back(v);
    return *this;
  }
  Records& u16(std::uint16_t v) {
    data_.push_back(static_cast<std::uint8_t>(v));
    data_.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
  }
  Records& u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) data_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  Records& f64(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) data_.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    return *this;
  }
  Records& bytes(std::span<const std::uint8_t> b) {
    data_.insert(data_.end(), b.begin(), b.end());
    return *this;
  }
  // A short text: 8-bit count of units, option byte, UTF-16 units.
  Records& shortText(std::u16string_view text) {
    u8(static_cast<std::uint8_t>(text.size())).u8(1);
    for (const char16_t c : text) u16(static_cast<std::uint16_t>(c));
    return *this;
  }
  // A text with a 16-bit count of units.
  Records& text(std::u16string_view text) {
    u16(static_cast<std::uint16_t>(text.size())).u8(1);
    for (const char16_t c : text) u16(static_cast<std::uint16_t>(c));
    return *this;
  }
  std::size_t dataSize() const { return data_.size(); }
  void end() {
    std::array<std::uint8_t, 4> header{static_cast<std::uint8_t>(type_), static_cast<std::uint8_t>(type_ >> 8),
                                       static_cast<std::uint8_t>(data_.size()),
                                       static_cast<std::uint8_t>(data_.size() >> 8)};
    stream_.write(header);
    stream_.write(data_);
  }
  // A record written at once from a few bytes.
  void small(std::uint16_t type, std::span<const std::uint8_t> body) {
    std::array<std::uint8_t, 32> buffer;
    buffer[0] = static_cast<std::uint8_t>(type);
    buffer[1] = static_cast<std::uint8_t>(type >> 8);
    buffer[2] = static_cast<std::uint8_t>(body.size());
    buffer[3] = static_cast<std::uint8_t>(body.size() >> 8);
    std::memcpy(buffer.data() + 4, body.data(), body.size());
    stream_.write(std::span<const std::uint8_t>(buffer.data(), body.size() + 4));
  }
  void patch32(std::uint64_t at, std::uint32_t v) {
    const std::array<std::uint8_t, 4> b{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                        static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    stream_.patch(at, b);
  }

 private:
  cfb::StreamWriter& stream_;
  std::vector<std::uint8_t> data_;
  std::uint16_t type_ = 0;
};

namespace rt {
constexpr std::uint16_t bof = 0x0809, eof = 0x000A, codepage = 0x0042, window1 = 0x003D, datemode = 0x0022,
                        font = 0x0031, format = 0x041E, xf = 0x00E0, style = 0x0293, boundsheet = 0x0085,
                        sst = 0x00FC, continue_ = 0x003C, extsst = 0x00FF, index = 0x020B,
                        defaultrowheight = 0x0225, defcolwidth = 0x0055, colinfo = 0x007D,
                        dimensions = 0x0200, row = 0x0208, labelsst = 0x00FD, number = 0x0203, blank = 0x0201,
                        dbcell = 0x00D7, window2 = 0x023E, mergedcells = 0x00E5, setup = 0x00A1,
                        leftmargin = 0x0026, rightmargin = 0x0027, topmargin = 0x0028, bottommargin = 0x0029;
}

void writeBof(Records& r, std::uint16_t kind) {
  r.begin(rt::bof);
  r.u16(0x0600).u16(kind).u16(0x0DBB).u16(0x07CC).u32(0).u32(0x00000006);
  r.end();
}

void writeEof(Records& r) {
  r.begin(rt::eof);
  r.end();
}

// Thin line style 1 on all four sides in the automatic colour (64).
void writeXf(Records& r, bool style, std::uint16_t format, bool wrap, bool border) {
  r.begin(rt::xf);
  r.u16(0).u16(format);
  r.u16(style ? 0xFFF5 : 0x0001);                 // locked; a style XF has no parent
  r.u8(static_cast<std::uint8_t>(0x20 | (wrap ? 0x08 : 0)));  // bottom aligned, wrap
  r.u8(0).u8(0);
  r.u8(style ? 0 : 0xFC);                          // a cell XF sets every attribute itself
  if (border) {
    r.u32(0x1111 | (64u << 16) | (64u << 23));     // left, right, top, bottom thin; left and right colours
    r.u32(64u | (64u << 7));                       // top and bottom colours, no fill
  } else {
    r.u32(0).u32(0);
  }
  r.u16(0x20C0);                                   // fill colours: automatic
  r.end();
}

void writeGlobals(Records& r, const Worksheet& sheet, std::uint32_t string_cells, std::uint64_t& boundsheet_offset) {
  writeBof(r, 0x0005);
  r.begin(rt::codepage);
  r.u16(1200);
  r.end();
  r.begin(rt::window1);
  r.u16(0).u16(0).u16(0x4000).u16(0x2000).u16(0x0038).u16(0).u16(0).u16(1).u16(600);
  r.end();
  r.begin(rt::datemode);
  r.u16(0);
  r.end();
  // Five fonts (index 4 is never referred to), 11 points.
  static constexpr std::u16string_view font_name = u"ＭＳ Ｐゴシック";
  for (int i = 0; i < 5; ++i) {
    r.begin(rt::font);
    r.u16(220).u16(0).u16(0x7FFF).u16(400).u16(0).u8(0).u8(0).u8(0x80).u8(0).shortText(font_name);
    r.end();
  }
  r.begin(rt::format);
  r.u16(text_format_index).text(u"@");
  r.end();
  for (int i = 0; i < 15; ++i) writeXf(r, true, 0, false, false);
  for (int combo = 0; combo < 8; ++combo) {
    writeXf(r, false, (combo & 1) ? text_format_index : 0, (combo & 2) != 0, (combo & 4) != 0);
  }
  r.begin(rt::style);
  r.u16(0x8000).u8(0).u8(0xFF);  // the built-in style Normal on XF 0
  r.end();
  boundsheet_offset = r.position() + 4;
  r.begin(rt::boundsheet);
  r.u32(0).u8(0).u8(0).shortText(toUtf16(sheet.name()));
  r.end();

  // The shared strings, split into CONTINUE records between characters.
  const StringTable& strings = sheet.strings();
  const std::uint32_t count = strings.size();
  const std::uint32_t per_bucket = std::max<std::uint32_t>(8, (count + 1023) / 1024);
  std::vector<std::pair<std::uint32_t, std::uint16_t>> buckets;
  std::vector<std::uint8_t> record;
  record.reserve(max_record_data);
  std::uint16_t type = rt::sst;
  const auto flush = [&] {
    r.begin(type);
    r.bytes(record);
    r.end();
    record.clear();
    type = rt::continue_;
  };
  const auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) record.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  put32(string_cells);
  put32(count);
  for (std::uint32_t s = 0; s < count; ++s) {
    const std::span<const std::uint8_t> e = strings.encoded(s);
    const std::size_t unit = (e[2] & 1) ? 2 : 1;
    std::size_t units = e.size() > 3 ? (e.size() - 3) / unit : 0;
    // The count, the option byte and at least one character in this record.
    if (record.size() + 3 + (units > 0 ? unit : 0) > max_record_data) flush();
    if (s % per_bucket == 0) {
      buckets.emplace_back(static_cast<std::uint32_t>(r.position() + 4 + record.size()),
                           static_cast<std::uint16_t>(4 + record.size()));
    }
    record.insert(record.end(), e.begin(), e.begin() + 3);
    const std::uint8_t* chars = e.data() + 3;
    while (units > 0) {
      std::size_t room = (max_record_data - record.size()) / unit;
      std::size_t take = std::min(room, units);
      // A surrogate pair stays in one record.
      if (take < units && unit == 2 && take > 0) {
        const std::uint16_t last = get16(chars + 2 * (take - 1));
        if (last >= 0xD800 && last <= 0xDBFF) --take;
      }
      if (take == 0) {
        flush();
        record.push_back(e[2]);  // the continuation repeats the option byte
        continue;
      }
      record.insert(record.end(), chars, chars + take * unit);
      chars += take * unit;
      units -= take;
      if (units > 0) {
        flush();
        record.push_back(e[2]);
      }
    }
  }
  flush();
  r.begin(rt::extsst);
  r.u16(static_cast<std::uint16_t>(per_bucket));
  for (const auto& [position, offset] : buckets) r.u32(position).u16(offset).u16(0);
  r.end();
  writeEof(r);
}

// Which cells of one row are text-formatted and bordered.
struct RowStyle {
  std::array<bool, max_columns> text{};
  std::array<bool, max_columns> border{};
};

void styleRow(const Worksheet& sheet, std::uint32_t row, RowStyle& style) {
  style.text.fill(false);
  style.border.fill(false);
  for (const auto& [range, text] : sheet.formats()) {
    if (row < range.first_row || row > range.last_row) continue;
    for (std::uint32_t c = range.first_column; c <= range.last_column && c < max_columns; ++c) style.text[c] = text;
  }
  for (const CellRange& g : sheet.grids()) {
    if (row < g.first_row || row > g.last_row) continue;
    for (std::uint32_t c = g.first_column; c <= g.last_column && c < max_columns; ++c) style.border[c] = true;
  }
}

// The extent of everything a row shows: values, formats and borders.
struct Extent {
  std::uint32_t rows = 0;
  std::uint32_t columns = 0;
};

Extent sheetExtent(const Worksheet& sheet) {
  Extent e;
  for (std::uint32_t r = 0; r < sheet.valueRowCount(); ++r) {
    const std::uint32_t n = sheet.valueColumnCount(r);
    for (std::uint32_t c = n; c > 0; --c) {
      if (sheet.value(r, c - 1).kind != CellValue::Kind::empty) {
        e.rows = r + 1;
        e.columns = std::max(e.columns, c);
        break;
      }
    }
  }
  const auto include = [&](const CellRange& range) {
    e.rows = std::max(e.rows, std::min(range.last_row + 1, max_rows));
    e.columns = std::max(e.columns, std::min(range.last_column + 1, max_columns));
  };
  for (const auto& f : sheet.formats()) {
    if (f.second) include(f.first);
  }
  for (const CellRange& g : sheet.grids()) include(g);
  return e;
}

void writeWorksheet(Records& r, const Worksheet& sheet) {
  writeBof(r, 0x0010);
  const Extent extent = sheetExtent(sheet);
  const std::uint32_t blocks = (extent.rows + 31) / 32;
  const std::uint64_t index_position = r.position();
  r.begin(rt::index);
  r.u32(0).u32(0).u32(extent.rows).u32(0);
  for (std::uint32_t b = 0; b < blocks; ++b) r.u32(0);
  r.end();
  r.begin(rt::defaultrowheight);
  r.u16(0).u16(default_row_height);
  r.end();
  if (const std::optional<PageSetup>& setup = sheet.pageSetup()) {
    const std::pair<std::uint16_t, double> margins[] = {{rt::leftmargin, setup->left},
                                                        {rt::rightmargin, setup->right},
                                                        {rt::topmargin, setup->top},
                                                        {rt::bottommargin, setup->bottom}};
    for (const auto& [type, inches] : margins) {
      r.begin(type);
      r.f64(inches);
      r.end();
    }
    r.begin(rt::setup);
    r.u16(setup->paper).u16(setup->zoom).u16(1).u16(1).u16(1);
    r.u16(setup->portrait ? 0x0002 : 0x0000);  // printer data valid
    r.u16(600).u16(600).f64(0.3).f64(0.3).u16(1);
    r.end();
  }
  const std::uint64_t defcolwidth_position = r.position();
  r.begin(rt::defcolwidth);
  r.u16(8);
  r.end();
  const std::vector<std::uint16_t>& widths = sheet.columnWidths();
  for (std::uint32_t c = 0; c < max_columns;) {
    if (widths[c] == 0) {
      ++c;
      continue;
    }
    std::uint32_t last = c;
    while (last + 1 < max_columns && widths[last + 1] == widths[c]) ++last;
    r.begin(rt::colinfo);
    r.u16(static_cast<std::uint16_t>(c)).u16(static_cast<std::uint16_t>(last)).u16(widths[c]);
    r.u16(general_xf).u16(0x0006).u16(0);
    r.end();
    c = last + 1;
  }
  r.begin(rt::dimensions);
  r.u32(0).u32(extent.rows).u16(0).u16(static_cast<std::uint16_t>(extent.columns)).u16(0);
  r.end();

  // The cells, in blocks of 32 rows: the rows' ROW records, their cells, then
  // the DBCELL that points back at them.
  std::vector<std::uint32_t> dbcells;
  std::vector<RowStyle> styles(32);
  struct RowInfo {
    std::uint32_t first = 0, end = 0;  // columns with a record
    std::uint16_t height = default_row_height;
    bool present = false;
  };
  std::array<RowInfo, 32> info;
  std::array<std::uint8_t, 14> body;
  const auto put16 = [&](std::size_t at, std::uint32_t v) {
    body[at] = static_cast<std::uint8_t>(v);
    body[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  const StringTable& strings = sheet.strings();
  const auto xfOf = [&](const RowStyle& st, std::uint32_t row, std::uint32_t c) {
    const CellValue v = sheet.value(row, c);
    const bool wrap = v.kind == CellValue::Kind::text && strings.lines(v.string) > 1;
    return cellXf(st.text[c], wrap, st.border[c]);
  };
  for (std::uint32_t b = 0; b < blocks; ++b) {
    const std::uint32_t first_row = b * 32;
    const std::uint32_t end_row = std::min(first_row + 32, extent.rows);
    bool any = false;
    for (std::uint32_t row = first_row; row < end_row; ++row) {
      RowStyle& st = styles[row - first_row];
      styleRow(sheet, row, st);
      RowInfo& ri = info[row - first_row];
      ri = RowInfo{};
      std::uint32_t lines = 1;
      for (std::uint32_t c = 0; c < extent.columns; ++c) {
        const CellValue v = sheet.value(row, c);
        const bool shown = v.kind != CellValue::Kind::empty || st.text[c] || st.border[c];
        if (!shown) continue;
        if (!ri.present) ri.first = c;
        ri.present = true;
        ri.end = c + 1;
        if (v.kind == CellValue::Kind::text) lines = std::max<std::uint32_t>(lines, strings.lines(v.string));
      }
      ri.height = static_cast<std::uint16_t>(std::min<std::uint32_t>(lines * default_row_height, 8192));
      any = any || ri.present;
    }
    if (!any) continue;
    const std::uint64_t first_row_record = r.position();
    std::uint64_t second_row_record = 0;
    for (std::uint32_t row = first_row; row < end_row; ++row) {
      const RowInfo& ri = info[row - first_row];
      if (!ri.present) continue;
      const bool custom = ri.height != default_row_height;
      std::array<std::uint8_t, 16> rb{};
      const auto set16 = [&](std::size_t at, std::uint32_t v) {
        rb[at] = static_cast<std::uint8_t>(v);
        rb[at + 1] = static_cast<std::uint8_t>(v >> 8);
      };
      set16(0, row);
      set16(2, ri.first);
      set16(4, ri.end);
      set16(6, ri.height);
      set16(12, 0x0100 | (custom ? 0x0040 : 0));
      set16(14, general_xf);
      r.small(rt::row, rb);
      if (second_row_record == 0) second_row_record = r.position();
    }
    std::vector<std::uint16_t> offsets;
    std::uint64_t previous = second_row_record;
    for (std::uint32_t row = first_row; row < end_row; ++row) {
      const RowInfo& ri = info[row - first_row];
      if (!ri.present) continue;
      const RowStyle& st = styles[row - first_row];
      offsets.push_back(static_cast<std::uint16_t>(r.position() - previous));
      previous = r.position();
      for (std::uint32_t c = ri.first; c < ri.end; ++c) {
        const CellValue v = sheet.value(row, c);
        const std::uint16_t xf = xfOf(st, row, c);
        if (v.kind == CellValue::Kind::empty && xf == general_xf) continue;
        put16(0, row);
        put16(2, c);
        put16(4, xf);
        switch (v.kind) {
          case CellValue::Kind::text:
            put16(6, v.string);
            put16(8, v.string >> 16);
            r.small(rt::labelsst, std::span<const std::uint8_t>(body.data(), 10));
            break;
          case CellValue::Kind::number: {
            std::uint64_t bits;
            std::memcpy(&bits, &v.number, 8);
            for (std::size_t i = 0; i < 8; ++i) body[6 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
            r.small(rt::number, body);
            break;
          }
          case CellValue::Kind::empty:
            r.small(rt::blank, std::span<const std::uint8_t>(body.data(), 6));
            break;
        }
      }
    }
    dbcells.push_back(static_cast<std::uint32_t>(r.position()));
    r.begin(rt::dbcell);
    r.u32(static_cast<std::uint32_t>(r.position() - first_row_record));
    for (const std::uint16_t o : offsets) r.u16(o);
    r.end();
  }

  r.begin(rt::window2);
  r.u16(0x06B6).u16(0).u16(0).u32(64).u16(0).u16(0).u32(0);
  r.end();
  const std::vector<CellRange>& merges = sheet.merges();
  for (std::size_t at = 0; at < merges.size(); at += 1026) {
    const std::size_t n = std::min<std::size_t>(1026, merges.size() - at);
    r.begin(rt::mergedcells);
    r.u16(static_cast<std::uint16_t>(n));
    for (std::size_t i = at; i < at + n; ++i) {
      const CellRange& m = merges[i];
      r.u16(static_cast<std::uint16_t>(m.first_row)).u16(static_cast<std::uint16_t>(m.last_row));
      r.u16(static_cast<std::uint16_t>(m.first_column)).u16(static_cast<std::uint16_t>(m.last_column));
    }
    r.end();
  }
  writeEof(r);

  // Back to the index: the default width record and the row blocks.
  r.patch32(index_position + 4 + 12, static_cast<std::uint32_t>(defcolwidth_position));
  for (std::size_t i = 0; i < dbcells.size(); ++i) r.patch32(index_position + 4 + 16 + 4 * i, dbcells[i]);
}

std::uint32_t countStringCells(const Worksheet& sheet) {
  std::uint32_t n = 0;
  for (std::uint32_t r = 0; r < sheet.valueRowCount(); ++r) {
    for (std::uint32_t c = 0; c < sheet.valueColumnCount(r); ++c) {
      if (sheet.value(r, c).kind == CellValue::Kind::text) ++n;
    }
  }
  return n;
}

}  // namespace

bool writeWorkbook(const Worksheet& sheet, std::ostream& out) {
  cfb::StreamWriter stream(out);
  Records r(stream);
  std::uint64_t boundsheet_offset = 0;
  writeGlobals(r, sheet, countStringCells(sheet), boundsheet_offset);
  const std::uint64_t sheet_position = r.position();
  writeWorksheet(r, sheet);
  r.patch32(boundsheet_offset, static_cast<std::uint32_t>(sheet_position));
  return stream.finish(u"Workbook");
}

}  // namespace kj::xls
