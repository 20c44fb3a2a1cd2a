#pragma once
// Fixed texts the main window shows.

#include <cstddef>
#include <string>
#include <string_view>

namespace kj::app {

inline constexpr std::wstring_view close_question_text = L"終了してもよろしいですか?";
inline constexpr std::wstring_view invalid_data_text = L"データの読み込みに失敗しました。データが不正です。";
inline constexpr std::wstring_view invalid_data_caption = L"読み込み失敗";
inline constexpr std::wstring_view merged_data_text = L"マージデータ";
inline constexpr std::wstring_view port_open_failed_text = L"選択されたCOMポートを開くことができません。";

// Type list of the open-file dialog.
inline constexpr std::wstring_view record_file_filter_label = L"融着記録 (*.efd, *.efdx)";
inline constexpr std::wstring_view record_file_filter_pattern = L"*.efd;*.efdx";
inline constexpr std::wstring_view merged_file_filter_label = L"マージデータ(*.mrg, *.mrgx)";
inline constexpr std::wstring_view merged_file_filter_pattern = L"*.mrg;*.mrgx";

// "設定されているCOMポート(COM3)が存在しません。"
std::wstring portMissingText(const std::wstring& port_name);
// "2件の不良データが含まれています。"
std::wstring badDataText(int bad_count);
// Status bar parts 1-3: "総記録数: 5 件", "不良データ: 1 件", "融着強制終了データ: 0 件".
std::wstring recordCountText(std::size_t count);
std::wstring badCountText(int bad_count);
std::wstring abnormalEndCountText(int abnormal_end_count);

}  // namespace kj::app
