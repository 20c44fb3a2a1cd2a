#include "app/detail_dialog.h"

#include <climits>
#include <cwctype>
#include <type_traits>

#include "app/ids.h"
#include "app/layout.h"
#include "record/code_tables.h"

namespace kj::app {

namespace {

struct TextField {
  int id;
  std::wstring file::Efdx::*member;
};

struct JointField {
  int id;
  std::wstring DecodedBarcode::*member;
};

struct BatteryField {
  int id;
  std::wstring file::EfdxBattery::*member;
};

// Fields before the joint group.
constexpr TextField head_fields[] = {
    {IDC_DETAIL_LOT_NUMBER, &file::Efdx::lot_number},
    {IDC_DETAIL_NUMBER, &file::Efdx::number},
    {IDC_DETAIL_DATETIME, &file::Efdx::datetime},
};

constexpr JointField joint_fields[] = {
    {IDC_DETAIL_JOINT_KIND, &DecodedBarcode::joint_kind},
    {IDC_DETAIL_JOINT_SIZE, &DecodedBarcode::joint_size},
    {IDC_DETAIL_JOINT_MANUFACTURER, &DecodedBarcode::joint_manufacturer},
    {IDC_DETAIL_JOINT_MANAGEMENT_ID, &DecodedBarcode::joint_management_id},
    {IDC_DETAIL_JOINT_RESISTANCE, &DecodedBarcode::joint_resistance},
    {IDC_DETAIL_JOINT_OUTPUT_VOLTAGE, &DecodedBarcode::joint_output_voltage},
    {IDC_DETAIL_JOINT_OUTPUT_SECONDS, &DecodedBarcode::joint_output_seconds},
};

// Fields after the barcode field.
constexpr TextField tail_fields[] = {
    {IDC_DETAIL_TRACEABILITY_BARCODE, &file::Efdx::joint_traceability_barcode},
    {IDC_DETAIL_EXIT_CODE, &file::Efdx::exit_code},
    {IDC_DETAIL_TEMPERATURE, &file::Efdx::temperature},
    {IDC_DETAIL_RESISTANCE, &file::Efdx::resistance},
    {IDC_DETAIL_OUTPUT_VOLTAGE_MIN, &file::Efdx::output_voltage_min},
    {IDC_DETAIL_OUTPUT_VOLTAGE_MAX, &file::Efdx::output_voltage_max},
    {IDC_DETAIL_OUTPUT_CURRENT_MIN, &file::Efdx::output_current_min},
    {IDC_DETAIL_OUTPUT_CURRENT_MAX, &file::Efdx::output_current_max},
    {IDC_DETAIL_INPUT_VOLTAGE_MIN, &file::Efdx::input_voltage_min},
    {IDC_DETAIL_INPUT_VOLTAGE_MAX, &file::Efdx::input_voltage_max},
    {IDC_DETAIL_OUTPUT_SECONDS, &file::Efdx::output_seconds},
    {IDC_DETAIL_REMAIN_OUTPUT_SECONDS, &file::Efdx::remain_output_seconds},
    {IDC_DETAIL_ENERGY, &file::Efdx::energy},
    {IDC_DETAIL_LATITUDE, &file::Efdx::latitude_text},
    {IDC_DETAIL_LONGITUDE, &file::Efdx::longitude_text},
    {IDC_DETAIL_ORDER, &file::Efdx::order},
    {IDC_DETAIL_WORKER, &file::Efdx::worker},
    {IDC_DETAIL_VERSION, &file::Efdx::version},
    {IDC_DETAIL_MAINTENANCE_DATE, &file::Efdx::maintenance_date},
    {IDC_DETAIL_LIFECYCLE_COUNTS, &file::Efdx::lifecycle_counts},
    {IDC_DETAIL_REMARKS, &file::Efdx::remarks},
};

constexpr BatteryField battery_fields[] = {
    {IDC_DETAIL_BATTERY_TYPE, &file::EfdxBattery::battery_type},
    {IDC_DETAIL_BATTERY_IDENTIFIER, &file::EfdxBattery::battery_identifier},
    {IDC_DETAIL_BATTERY_CYCLE, &file::EfdxBattery::battery_cycle},
    {IDC_DETAIL_BATTERY_FULL_CAPACITY, &file::EfdxBattery::battery_full_capacity},
    {IDC_DETAIL_BATTERY_CAPACITY_BEFORE, &file::EfdxBattery::battery_capacity_before},
    {IDC_DETAIL_BATTERY_CAPACITY_AFTER, &file::EfdxBattery::battery_capacity_after},
    {IDC_DETAIL_BATTERY_TEMPERATURE_BEFORE, &file::EfdxBattery::battery_temperature_before},
    {IDC_DETAIL_BATTERY_TEMPERATURE_AFTER, &file::EfdxBattery::battery_temperature_after},
};

int clampToInt(std::size_t n) {
  return n > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

}  // namespace

std::vector<std::pair<int, std::wstring>> detailTexts(const file::Efdx& record) {
  std::vector<std::pair<int, std::wstring>> texts;
  for (const auto& field : head_fields) texts.emplace_back(field.id, record.*field.member);
  // The decoder leaves the barcode out when it gave up before reaching it.
  const DecodedBarcode* barcode = record.decoded_barcode.get();
  for (const auto& field : joint_fields) {
    texts.emplace_back(field.id, barcode != nullptr ? barcode->*field.member : no_data_text);
  }
  texts.emplace_back(IDC_DETAIL_JOINT_BARCODE,
                     record.input_mode_text.empty() ? record.joint_barcode : record.input_mode_text);
  for (const auto& field : tail_fields) texts.emplace_back(field.id, record.*field.member);
  return texts;
}

std::vector<std::pair<int, std::wstring>> detailTexts(const file::EfdxBattery& record) {
  auto texts = detailTexts(static_cast<const file::Efdx&>(record));
  for (const auto& field : battery_fields) texts.emplace_back(field.id, record.*field.member);
  return texts;
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
