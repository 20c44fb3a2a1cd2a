#pragma once
// The texts and rules of receiving a block in a window: the progress window's
// first line, the save dialog of a received block and its messages.

#include <string>
#include <string_view>

#include "app/ui.h"
#include "record/record_types.h"

namespace kj::app {

// The progress window's line while the controller has not sent yet.
inline constexpr std::wstring_view receive_waiting_text =
    L"EFコントローラーからデータを送信して下さい(取込中止ボタンで取消できます)。";
inline constexpr std::wstring_view save_failed_text = L"データ保存に失敗しました。";
inline constexpr std::wstring_view save_declined_question = L"データを保存しなくてもよろしいですか?";

// The save dialog of a received block of header kind `kind` (a BlockKind
// value, any int): kind 0 is offered as .efd, kinds 1-3 as .efdx; any other
// kind is offered as .efdx with no default extension (defaultExtensionFor).
// It asks before it replaces a file.
SaveFileRequest receivedSaveRequest(int kind, const std::wstring& initial_name);

// True when the record file at `path` can be read again and its header read,
// as opening it with a record file reader would.
bool savedFileReadsBack(const std::wstring& path);

}  // namespace kj::app
