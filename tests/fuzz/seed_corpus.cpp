#include "tests/fuzz/seed_corpus.h"

#include "base/text_encoding.h"
#include "tests/fuzz/fuzz_checks.h"
#include "tests/sim/controller_script.h"
#include "tests/support/record_fixture.h"

namespace kj::fuzz {
namespace {

using test::soundRecord;

// A record file input: the extension byte (0 .efd, 1 .efdx, 2 .mrg, 3 .mrgx)
// and the stored bytes of the text.
std::string recordFile(char extension, const std::wstring& text) {
  std::string input(1, extension);
  input += test::storedBytes(text);
  return input;
}

// The first byte, then the text as one byte per character (ASCII only).
std::string plainInput(char first, const std::wstring& text) {
  std::string input(1, first);
  input += toUtf8(text);
  return input;
}

// A receive input: the bound and endless bits, then the simulated
// controller's side of the plan (noise, request, the transmission with its
// silences, EOT).
std::string receiveInput(char first, const sim::ControllerPlan& plan) {
  std::string input(1, first);
  if (plan.send_nothing) return input + receiveLineSilence(600);
  input += receiveLineBytes(plan.noise);
  input += receiveLineBytes(std::string(1, static_cast<char>(plan.request)));
  const sim::Transmission t = sim::transmissionOf(plan);
  for (const sim::Piece& p : t.pieces) input += receiveLineSilence(p.silence_before_ms) + receiveLineBytes(p.bytes);
  if (t.ends_with_eot) input += receiveLineBytes(std::string(1, static_cast<char>(sim::eot)));
  return input;
}

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(static_cast<char>(c & 0xFF));
  return out;
}

// The seeds of the receive target: transfers of the controller simulator.
void addReceiveSeeds(std::vector<SeedInput>& seeds) {
  constexpr char wide_bound = 0x3F;  // 4,033 characters
  sim::ControllerPlan battery;
  battery.request = sim::syn;
  battery.noise = "\x15zz";
  battery.block = narrow(test::blockText(test::taggedHeader(L"BT", 1, 48, 2), test::variedRecords(2, 48)));
  sim::ControllerPlan plain;
  plain.request = sim::enq;
  plain.block = narrow(test::headerlessBlock(test::variedRecords(2, 33)));
  sim::ControllerPlan spaces = plain;
  spaces.spaces = true;
  sim::ControllerPlan nak = battery;
  nak.nak_at = battery.block.size() / 2;
  sim::ControllerPlan silence = plain;
  silence.silence_at = plain.block.size() / 2;
  silence.silence_ms = 150;
  sim::ControllerPlan endless = plain;
  endless.endless = true;
  sim::ControllerPlan nothing;
  nothing.send_nothing = true;
  seeds.push_back({"receive", "battery", receiveInput(wide_bound, battery)});
  seeds.push_back({"receive", "plain-enq", receiveInput(wide_bound, plain)});
  seeds.push_back({"receive", "spaces", receiveInput(wide_bound, spaces)});
  seeds.push_back({"receive", "nak-middle", receiveInput(wide_bound, nak)});
  seeds.push_back({"receive", "silence-middle", receiveInput(wide_bound, silence)});
  // A bound of 513 characters, met by records that never end.
  seeds.push_back({"receive", "endless", receiveInput(0x40 | 0x08, endless)});
  seeds.push_back({"receive", "nothing", receiveInput(wide_bound, nothing)});
}

}  // namespace

std::vector<SeedInput> seedCorpus() {
  test::RecordFields forced = soundRecord(39, 1);
  forced[22] = L"303";
  test::fixChecksums(forced);
  test::RecordFields bad = soundRecord(33, 2);
  bad[32] = L"7";
  test::RecordFields gas = soundRecord(39, 3);
  gas[10] = L"081303096ABC123000000700000800000";
  gas[11] = L"1";
  gas[12] = L"32";
  test::fixChecksums(gas);

  std::vector<SeedInput> seeds = {
      {"record_file", "plain-efd", recordFile(0, test::headerlessBlock({soundRecord(33)}))},
      {"record_file", "forced-end-efdx", recordFile(1, test::headerlessBlock({forced}))},
      {"record_file", "gas-barcode-efdx", recordFile(1, test::headerlessBlock({gas}))},
      {"record_file", "battery-efdx", recordFile(1, test::blockText(test::taggedHeader(L"BT", 1, 48, 1),
                                                                     {soundRecord(48)}))},
      {"record_file", "merged-mrg", recordFile(2, L"0," + test::framed(bad) + test::framed(soundRecord(33, 4)))},
      {"record_file", "tagged-pk-mrgx", recordFile(3, test::taggedHeader(L"PK", 1, 40, 0))},
      {"header", "headerless-short", plainInput(1, L"5,")},
      {"header", "headerless-long", plainInput(0, L"0012x,")},
      {"header", "tagged-bt", plainInput(0, L"\x01" L"BT,01,048,0003,")},
      {"header", "tagged-other", plainInput(0, L"\x01" L"XY,01,040,0002,")},
      {"barcode", "digit24", plainInput(0, L"310203040633391230080000")},
      {"barcode", "digit32-water", plainInput(1, L"081303096ABC123000000700000800000")},
      {"barcode", "digit32-gas", plainInput(1 | (1 << 2), L"081303035ABC123000000700000800000")},
      {"barcode", "digit32-electrical", plainInput(2, L"081303096ABC123000000699900950000")},
  };
  addReceiveSeeds(seeds);
  return seeds;
}

}  // namespace kj::fuzz
