#include "app/progress.h"

namespace kj::app {

int progressPercent(long long received, long long announced) {
  if (announced <= 0 || received <= 0) return 0;
  if (received >= announced) return 100;
  const double percent = static_cast<double>(received) / static_cast<double>(announced) * 100.0;
  return static_cast<int>(percent);
}

std::wstring progressText(long long received, long long announced) {
  return L"データ処理中です。(" + std::to_wstring(received) + L"/" + std::to_wstring(announced) + L")";
}

}  // namespace kj::app
