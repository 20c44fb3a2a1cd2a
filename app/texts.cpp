#include "app/texts.h"

namespace kj::app {

std::wstring portMissingText(const std::wstring& port_name) {
  return L"設定されているCOMポート(" + port_name + L")が存在しません。";
}

std::wstring badDataText(int bad_count) {
  return std::to_wstring(bad_count) + L"件の不良データが含まれています。";
}

std::wstring recordCountText(std::size_t count) {
  return L"総記録数: " + std::to_wstring(count) + L" 件";
}

std::wstring badCountText(int bad_count) {
  return L"不良データ: " + std::to_wstring(bad_count) + L" 件";
}

std::wstring abnormalEndCountText(int abnormal_end_count) {
  return L"融着強制終了データ: " + std::to_wstring(abnormal_end_count) + L" 件";
}

}  // namespace kj::app
