#pragma once
// An Excel 97-2003 workbook (BIFF8 records in a compound file's "Workbook"
// stream) of one worksheet: the worksheet's cells (shared texts or numbers),
// their number formats (general or text), the bordered range, merged ranges,
// column widths and the page setup. Wrapping and row heights follow the
// cells: a text of several lines wraps, and its row is as tall as its lines.

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kj::xls {

inline constexpr std::uint32_t max_rows = 65536;
inline constexpr std::uint32_t max_columns = 256;
inline constexpr std::size_t max_text_units = 32767;  // UTF-16 units of one cell text
inline constexpr std::size_t max_record_data = 8224;

// Rows and columns from 0, both ends included.
struct CellRange {
  std::uint32_t first_row = 0;
  std::uint32_t first_column = 0;
  std::uint32_t last_row = 0;
  std::uint32_t last_column = 0;

  bool contains(std::uint32_t row, std::uint32_t column) const {
    return row >= first_row && row <= last_row && column >= first_column && column <= last_column;
  }
  bool overlaps(const CellRange& o) const {
    return first_row <= o.last_row && o.first_row <= last_row && first_column <= o.last_column &&
           o.first_column <= last_column;
  }
  bool singleCell() const { return first_row == last_row && first_column == last_column; }
  bool operator==(const CellRange&) const = default;
};

// The display width of a text's longest line in half-width characters
// (full-width characters count two) and its number of lines.
struct TextMeasure {
  std::uint32_t width = 0;
  std::uint32_t lines = 1;
};
TextMeasure measureText(std::wstring_view text);
bool isFullWidth(char32_t c);

// A text as UTF-16 units (code points above U+FFFF as surrogate pairs; what
// UTF-16 cannot hold becomes U+FFFD).
std::u16string toUtf16(std::wstring_view text);
void appendUtf16(std::wstring_view text, std::u16string& out);
// The number of UTF-16 units of a text.
std::size_t utf16Length(std::wstring_view text);

// The shared texts, each stored once in the order first added (at most 2^25 - 2 of them), already in
// the form the shared string table writes them (a 16-bit count of units, an
// option byte, then one byte per unit when every unit is below 256, else two).
class StringTable {
 public:
  StringTable();
  ~StringTable();
  StringTable(StringTable&&) noexcept;
  StringTable& operator=(StringTable&&) noexcept;

  // The index of `text` (added when new); none when it is longer than
  // max_text_units or the table is full.
  std::optional<std::uint32_t> add(std::wstring_view text);
  // The same with the text's hashOf, known beforehand.
  std::optional<std::uint32_t> add(std::wstring_view text, std::uint64_t hash);
  static std::uint64_t hashOf(std::wstring_view text);
  // Asks the processor for the slot of a text of this hash ahead of its add:
  // a row's texts are looked up with their slots on the way.
  void prefetch(std::uint64_t hash) const;
  std::uint32_t size() const { return static_cast<std::uint32_t>(offsets_.size()); }

  // The string table form of text `index`.
  std::span<const std::uint8_t> encoded(std::uint32_t index) const;
  std::uint16_t width(std::uint32_t index) const;
  std::uint16_t lines(std::uint32_t index) const;
  std::u16string text(std::uint32_t index) const;

 private:
  const std::uint8_t* entry(std::uint32_t index) const;
  void grow();

  std::vector<std::unique_ptr<std::uint8_t[]>> chunks_;
  std::size_t chunk_used_ = 0;
  std::vector<std::uint32_t> offsets_;  // chunk << 20 | offset in the chunk
  std::unique_ptr<std::uint32_t[]> slots_;  // open addressing: hash bits | index + 1, 0 = free
  std::size_t slot_count_ = 0;
  std::vector<std::uint8_t> scratch_;
  std::u16string units_;
};

struct PageSetup {
  std::uint16_t paper = 9;
  bool portrait = true;
  std::uint16_t zoom = 100;
  // Margins in inches.
  double top = 0.75, bottom = 0.75, left = 0.7, right = 0.7;
};

// What one cell holds.
struct CellValue {
  enum class Kind { empty, text, number } kind = Kind::empty;
  std::uint32_t string = 0;  // index into the string table
  double number = 0;
};

class Worksheet {
 public:
  explicit Worksheet(std::wstring name) : name_(std::move(name)) {}

  const std::wstring& name() const { return name_; }
  const StringTable& strings() const { return strings_; }

  // False when the text cannot be stored (too long, table full); the cell is
  // then unchanged.
  bool setText(std::uint32_t row, std::uint32_t column, std::wstring_view text);
  bool setText(std::uint32_t row, std::uint32_t column, std::wstring_view text, std::uint64_t hash);
  void setNumber(std::uint32_t row, std::uint32_t column, double value, std::uint16_t width);
  void clear(std::uint32_t row, std::uint32_t column);
  CellValue value(std::uint32_t row, std::uint32_t column) const;
  // Rows up to the last one holding a value.
  std::uint32_t valueRowCount() const { return static_cast<std::uint32_t>(rows_.size()); }
  // Number of cells of `row` (those after it hold nothing).
  std::uint32_t valueColumnCount(std::uint32_t row) const;

  // The number format of `range`: text or general; the latest wins.
  void setNumberFormat(const CellRange& range, bool text);
  bool isTextFormat(std::uint32_t row, std::uint32_t column) const;
  // isTextFormat of the first `text.size()` columns of `row`, at once.
  void textFormats(std::uint32_t row, std::span<std::uint8_t> text) const;
  const std::vector<std::pair<CellRange, bool>>& formats() const { return formats_; }

  void addGrid(const CellRange& range) { grids_.push_back(range); }
  const std::vector<CellRange>& grids() const { return grids_; }

  // Merges `range` with every merged range it overlaps; only the top left
  // cell keeps its value. A single cell is not merged.
  void merge(const CellRange& range);
  const std::vector<CellRange>& merges() const { return merges_; }
  bool inMerge(std::uint32_t row, std::uint32_t column) const;

  // Fits the columns to their longest line (cells of merged ranges do not
  // count, and a column without content keeps its width).
  void fitColumns(std::uint32_t first_column, std::uint32_t last_column);
  // Width of each column in 1/256 of a character; 0 for the default.
  const std::vector<std::uint16_t>& columnWidths() const { return widths_; }

  void setPageSetup(const PageSetup& setup) { page_setup_ = setup; }
  const std::optional<PageSetup>& pageSetup() const { return page_setup_; }

 private:
  friend class WorksheetAccess;
  static constexpr std::uint32_t number_flag = 0x80000000u;
  std::uint32_t& slot(std::uint32_t row, std::uint32_t column);
  std::uint32_t code(std::uint32_t row, std::uint32_t column) const;

  std::wstring name_;
  StringTable strings_;
  std::vector<std::vector<std::uint32_t>> rows_;  // 0 empty, text index + 1, number_flag | number index
  std::vector<double> numbers_;
  std::vector<std::uint16_t> number_widths_;
  std::vector<std::pair<CellRange, bool>> formats_;
  std::vector<CellRange> grids_;
  std::vector<CellRange> merges_;
  std::vector<std::uint16_t> widths_ = std::vector<std::uint16_t>(max_columns, 0);
  std::optional<PageSetup> page_setup_;
};

// Writes the workbook to `out` (seekable, at its start). False when the
// output failed.
bool writeWorkbook(const Worksheet& sheet, std::ostream& out);

// The XF index of a cell: the general cell format is 15; the text format,
// wrapping and borders are combined above it.
inline constexpr std::uint16_t general_xf = 15;
constexpr std::uint16_t cellXf(bool text, bool wrap, bool border) {
  return static_cast<std::uint16_t>(general_xf + (text ? 1 : 0) + (wrap ? 2 : 0) + (border ? 4 : 0));
}
inline constexpr std::uint16_t text_format_index = 49;  // the built-in format "@"
inline constexpr std::uint16_t default_row_height = 270;  // twips: 13.5 points

}  // namespace kj::xls
