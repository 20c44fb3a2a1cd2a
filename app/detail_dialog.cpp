#include "app/detail_dialog.h"

#include <climits>
#include <cwctype>
#include <iterator>
#include <type_traits>

#include "app/ids.h"
#include "app/layout.h"
#include "record/field_catalogue.h"

namespace kj::app {

namespace {

using catalogue::textField;

// The read-only fields of the dialog in dialog order: control id and the
// catalogue field it shows. The barcode field shows the input mode text
// instead when there is one.
struct DetailField {
  int id;
  catalogue::TextField field;
};

constexpr bool joint = true;

constexpr DetailField record_fields[] = {
    {IDC_DETAIL_LOT_NUMBER, textField(L"lot_number")},
    {IDC_DETAIL_NUMBER, textField(L"number")},
    {IDC_DETAIL_DATETIME, textField(L"datetime")},
    {IDC_DETAIL_JOINT_KIND, textField(L"joint_kind", joint)},
    {IDC_DETAIL_JOINT_SIZE, textField(L"joint_size", joint)},
    {IDC_DETAIL_JOINT_MANUFACTURER, textField(L"joint_manufacturer", joint)},
    {IDC_DETAIL_JOINT_MANAGEMENT_ID, textField(L"joint_management_id", joint)},
    {IDC_DETAIL_JOINT_RESISTANCE, textField(L"joint_resistance", joint)},
    {IDC_DETAIL_JOINT_OUTPUT_VOLTAGE, textField(L"joint_output_voltage", joint)},
    {IDC_DETAIL_JOINT_OUTPUT_SECONDS, textField(L"joint_output_seconds", joint)},
    {IDC_DETAIL_JOINT_BARCODE, textField(L"joint_barcode")},
    {IDC_DETAIL_TRACEABILITY_BARCODE, textField(L"joint_traceability_barcode")},
    {IDC_DETAIL_EXIT_CODE, textField(L"exit_code")},
    {IDC_DETAIL_TEMPERATURE, textField(L"temperature")},
    {IDC_DETAIL_RESISTANCE, textField(L"resistance")},
    {IDC_DETAIL_OUTPUT_VOLTAGE_MIN, textField(L"output_voltage_min")},
    {IDC_DETAIL_OUTPUT_VOLTAGE_MAX, textField(L"output_voltage_max")},
    {IDC_DETAIL_OUTPUT_CURRENT_MIN, textField(L"output_current_min")},
    {IDC_DETAIL_OUTPUT_CURRENT_MAX, textField(L"output_current_max")},
    {IDC_DETAIL_INPUT_VOLTAGE_MIN, textField(L"input_voltage_min")},
    {IDC_DETAIL_INPUT_VOLTAGE_MAX, textField(L"input_voltage_max")},
    {IDC_DETAIL_OUTPUT_SECONDS, textField(L"output_seconds")},
    {IDC_DETAIL_REMAIN_OUTPUT_SECONDS, textField(L"remain_output_seconds")},
    {IDC_DETAIL_ENERGY, textField(L"energy")},
    {IDC_DETAIL_LATITUDE, textField(L"latitude_text")},
    {IDC_DETAIL_LONGITUDE, textField(L"longitude_text")},
    {IDC_DETAIL_ORDER, textField(L"order")},
    {IDC_DETAIL_WORKER, textField(L"worker")},
    {IDC_DETAIL_VERSION, textField(L"version")},
    {IDC_DETAIL_MAINTENANCE_DATE, textField(L"maintenance_date")},
    {IDC_DETAIL_LIFECYCLE_COUNTS, textField(L"lifecycle_counts")},
    {IDC_DETAIL_REMARKS, textField(L"remarks")},
};

// The group "電池情報" of the battery dialog.
constexpr DetailField battery_fields[] = {
    {IDC_DETAIL_BATTERY_TYPE, textField(L"battery_type")},
    {IDC_DETAIL_BATTERY_IDENTIFIER, textField(L"battery_identifier")},
    {IDC_DETAIL_BATTERY_CYCLE, textField(L"battery_cycle")},
    {IDC_DETAIL_BATTERY_FULL_CAPACITY, textField(L"battery_full_capacity")},
    {IDC_DETAIL_BATTERY_CAPACITY_BEFORE, textField(L"battery_capacity_before")},
    {IDC_DETAIL_BATTERY_CAPACITY_AFTER, textField(L"battery_capacity_after")},
    {IDC_DETAIL_BATTERY_TEMPERATURE_BEFORE, textField(L"battery_temperature_before")},
    {IDC_DETAIL_BATTERY_TEMPERATURE_AFTER, textField(L"battery_temperature_after")},
};

template <class Record>
const std::wstring& detailText(const DetailField& f, const Record& record) {
  if (f.id == IDC_DETAIL_JOINT_BARCODE && !record.input_mode_text.empty()) return record.input_mode_text;
  return f.field.of(record);
}

int clampToInt(std::size_t n) {
  return n > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

}  // namespace

std::vector<std::pair<int, std::wstring>> detailTexts(const file::Efdx& record) {
  std::vector<std::pair<int, std::wstring>> texts;
  texts.reserve(std::size(record_fields));
  for (const DetailField& f : record_fields) texts.emplace_back(f.id, detailText(f, record));
  return texts;
}

std::vector<std::pair<int, std::wstring>> detailTexts(const file::EfdxBattery& record) {
  std::vector<std::pair<int, std::wstring>> texts;
  texts.reserve(std::size(record_fields) + std::size(battery_fields));
  for (const DetailField& f : record_fields) texts.emplace_back(f.id, detailText(f, record));
  for (const DetailField& f : battery_fields) texts.emplace_back(f.id, detailText(f, record));
  return texts;
}

std::vector<DetailLabel> detailLabels(DetailKind kind) {
  std::vector<DetailLabel> labels;
  for (const DetailField& f : record_fields) labels.push_back({f.id, f.field.texts.detail_label});
  if (kind == DetailKind::battery) {
    for (const DetailField& f : battery_fields) labels.push_back({f.id, f.field.texts.detail_label});
  }
  return labels;
}

TypedIndex readTypedIndex(const std::wstring& text) {
  TypedIndex typed;
  if (text.empty()) return typed;
  std::size_t i = 0;
  while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i])) != 0) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
    negative = text[i] == L'-';
    ++i;
  }
  if (i == text.size() || text[i] < L'0' || text[i] > L'9') {
    typed.kind = TypedIndex::Kind::not_number;
    return typed;
  }
  typed.kind = TypedIndex::Kind::number;
  long long value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    const int digit = text[i] - L'0';
    if (value > (LLONG_MAX - digit) / 10) {
      value = LLONG_MAX;
      break;
    }
    value = value * 10 + digit;
  }
  typed.value = negative ? -value : value;
  return typed;
}

void DetailDialog::showRecord(std::intptr_t index) {
  if (!open_ || index < 0 || static_cast<std::uintmax_t>(index) >= count()) return;
  index_ = static_cast<int>(index);
  writeIndex();
  fillDetail(index_);
}

void DetailDialog::step(int delta) {
  if (!open_) return;
  if (delta < 0 && index_ > 0) {
    --index_;
  } else if (delta > 0 && static_cast<std::size_t>(index_) + 1 < count()) {
    ++index_;
  }
  writeIndex();
  fillDetail(index_);
  tellMainWindow();
}

void DetailDialog::indexEdited(const std::wstring& text) {
  if (!open_ || !typing_ || writing_) return;
  const long long last = static_cast<long long>(clampToInt(count())) - 1;  // -1 without records
  const TypedIndex typed = readTypedIndex(text);
  long long value = typed.value;
  bool write_back = false;
  if (typed.kind == TypedIndex::Kind::empty || value < 0) {
    value = 0;
    write_back = true;
  } else if (typed.kind == TypedIndex::Kind::not_number || value > last) {
    // Without records there is no last index; 0 stands in for it.
    value = last < 0 ? 0 : last;
    write_back = true;
  }
  index_ = static_cast<int>(value);
  if (write_back && text != std::to_wstring(index_)) writeIndex();
  fillDetail(index_);
  tellMainWindow();
}

void DetailDialog::close() {
  if (!open_) return;
  releaseRecords();
  open_ = false;
  typing_ = false;
  ui_.destroyDetailWindow(kind_);
}

bool DetailDialog::createAndShowFirst() {
  index_ = 0;
  typing_ = false;
  open_ = true;
  writing_ = true;
  const bool created = ui_.createDetailWindow(kind_, detail_window_offset);
  if (!created) {
    writing_ = false;
    open_ = false;
    typing_ = false;
    releaseRecords();
    return false;
  }
  // The up-down control's range goes to the count, one past the last index;
  // its own position is never used.
  ui_.setDetailIndexRange(kind_, 0, clampToInt(count()));
  writing_ = false;
  writeIndex();
  fillDetail(0);
  return true;
}

void DetailDialog::setTexts(const std::vector<std::pair<int, std::wstring>>& texts) {
  for (const auto& [id, text] : texts) ui_.setDetailText(kind_, id, text);
}

void DetailDialog::writeIndex() {
  const bool was_writing = writing_;
  writing_ = true;
  ui_.setDetailText(kind_, IDC_DETAIL_INDEX, std::to_wstring(index_));
  writing_ = was_writing;
}

void DetailDialog::tellMainWindow() {
  if (index_changed_) index_changed_(index_);
}

template <class Record>
RecordDetailDialog<Record>::RecordDetailDialog(DetailDialogUi& ui)
    : DetailDialog(ui, std::is_same_v<Record, file::EfdxBattery> ? DetailKind::battery : DetailKind::plain) {}

template <class Record>
bool RecordDetailDialog<Record>::open(RecordVector<Record> records) {
  close();
  records_ = std::move(records);
  return createAndShowFirst();
}

template <class Record>
std::size_t RecordDetailDialog<Record>::count() const {
  return records_ ? records_->size() : 0;
}

template <class Record>
bool RecordDetailDialog<Record>::fillDetail(long long index) {
  if (!records_ || index < 0 || static_cast<unsigned long long>(index) >= records_->size()) return false;
  setTexts(detailTexts((*records_)[static_cast<std::size_t>(index)]));
  return true;
}

template class RecordDetailDialog<file::Efdx>;
template class RecordDetailDialog<file::EfdxBattery>;

}  // namespace kj::app
