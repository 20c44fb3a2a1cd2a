#pragma once
// The record detail dialogs: one record at a time in read-only fields, with
// an index field and an up-down control to step through the records. The
// dialog window itself is made by the Windows layer (DetailDialogUi); this is
// its logic, one holder per record type, owned by the main window.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/ui.h"
#include "record/record_types.h"

namespace kj::app {

// The control texts of a record's dialog, in dialog order: (control id, text).
// A record without a decoded barcode shows "***" in the seven joint fields.
// The barcode field shows the input mode text when there is one, otherwise
// the barcode digits.
std::vector<std::pair<int, std::wstring>> detailTexts(const file::Efdx& record);
// The same plus the battery group.
std::vector<std::pair<int, std::wstring>> detailTexts(const file::EfdxBattery& record);

// The label beside each read-only field of a dialog, in dialog order: the
// labels of the dialog templates are these texts.
struct DetailLabel {
  int id;
  std::wstring_view label;
};
std::vector<DetailLabel> detailLabels(DetailKind kind);

// How a text typed into the index field reads.
struct TypedIndex {
  enum class Kind {
    empty,      // no text at all
    number,     // leading digits (after blanks and a sign), read as `value`
    not_number  // text without leading digits
  };
  Kind kind = Kind::empty;
  // Saturated to the range of long long for longer digit strings.
  long long value = 0;
};
TypedIndex readTypedIndex(const std::wstring& text);

class DetailDialog {
 public:
  // Called with the new index when the user changed the index in the dialog
  // (the command CMD_CLEAR_SELECTION to the main window).
  using IndexChanged = std::function<void(int index)>;

  DetailDialog(DetailDialogUi& ui, DetailKind kind) : ui_(ui), kind_(kind) {}
  DetailDialog(const DetailDialog&) = delete;
  DetailDialog& operator=(const DetailDialog&) = delete;
  virtual ~DetailDialog() = default;

  void setIndexChangedHandler(IndexChanged handler) { index_changed_ = std::move(handler); }

  DetailKind kind() const { return kind_; }
  bool isOpen() const { return open_; }
  int currentIndex() const { return index_; }
  bool typing() const { return typing_; }

  // Number of records shown; 0 when the dialog has no records.
  virtual std::size_t count() const = 0;

  // Fills every field from the record at `index`. False, and nothing
  // changes, when there are no records or the index is outside them.
  virtual bool fillDetail(long long index) = 0;

  // Command CMD_SHOW_RECORD: makes `index` current, writes it into the index
  // field and fills the fields. An index outside the records is ignored.
  void showRecord(std::intptr_t index);

  // The up-down control asks for a change of `delta`: one record back for a
  // negative delta, one forward for a positive one, never past either end.
  // Then the index is written, the fields filled and the main window told.
  void step(int delta);

  // The index field gained or lost the keyboard focus.
  void setTyping(bool focused) { typing_ = focused; }

  // The index field's text changed. Only what the user types counts: changes
  // while the field has no focus, and those the dialog writes itself, are
  // not read. An empty text, a negative number or one past the last record
  // is clamped into the records and written back; text without digits counts
  // as past the last record. Then the fields are filled and the main window
  // told.
  void indexEdited(const std::wstring& text);

  // The close request, and the main window's display step: lets go of the
  // records and destroys the dialog. Nothing when it is not open.
  void close();

 protected:
  // Creates the window and shows record 0; the records are already held.
  // False when the window cannot be created.
  bool createAndShowFirst();
  virtual void releaseRecords() = 0;
  void setTexts(const std::vector<std::pair<int, std::wstring>>& texts);

 private:
  void writeIndex();
  void tellMainWindow();

  DetailDialogUi& ui_;
  const DetailKind kind_;
  IndexChanged index_changed_;
  bool open_ = false;
  int index_ = 0;
  bool typing_ = false;
  // Set while the dialog writes the index field or is being created, so that
  // the change notifications this produces are not taken for typing.
  bool writing_ = false;
};

// The holder of one record type: file::Efdx for dialog IDD_RECORD_DETAIL,
// file::EfdxBattery for IDD_BATTERY_RECORD_DETAIL.
template <class Record>
class RecordDetailDialog final : public DetailDialog {
 public:
  explicit RecordDetailDialog(DetailDialogUi& ui);

  // openDetailDialog: closes an open dialog first, then takes a share of
  // `records` (null counts as none), creates the dialog and shows record 0.
  // False when the window cannot be created; the records are then let go.
  bool open(RecordVector<Record> records);

  const RecordVector<Record>& records() const { return records_; }

  std::size_t count() const override;
  bool fillDetail(long long index) override;

 private:
  void releaseRecords() override { records_.reset(); }

  RecordVector<Record> records_;
};

extern template class RecordDetailDialog<file::Efdx>;
extern template class RecordDetailDialog<file::EfdxBattery>;

using PlainDetailDialog = RecordDetailDialog<file::Efdx>;
using BatteryDetailDialog = RecordDetailDialog<file::EfdxBattery>;

}  // namespace kj::app
