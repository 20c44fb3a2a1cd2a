#pragma once
// The progress shown while a block is being received.

#include <string>

namespace kj::app {

// Position of the progress bar (range 0-100) after `received` of `announced`
// records: the integer part of received / announced * 100, kept within 0-100.
// 0 while nothing has been announced (announced <= 0).
int progressPercent(long long received, long long announced);

// "データ処理中です。(3/10)" for 3 of 10.
std::wstring progressText(long long received, long long announced);

}  // namespace kj::app
