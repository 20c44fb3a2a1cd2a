#include "record/code_tables.h"

namespace kj {

const std::wstring no_data_text = L"***";
const std::wstring unmeasurable_text = L"測定不可能";
const std::wstring no_barcode_text = L"バーコードデータなし";
const std::wstring digit_barcode_text = L"桁バーコード";
const std::wstring bad_data_text = L"データ不良";
const std::wstring record_title_text = L"融着記録";

// Function-local statics: built on first use, thread-safe, immutable afterwards.

const CodeTable& kind_table_24() {
  static const CodeTable t{{0, L"サドル"},      {3, L"ソケット"},   {6, L"片受口"},       {90, L"品種表示無効"},
                           {91, L"キャップ"},   {92, L"サドル"},    {93, L"レジューサ"},  {94, L"分水サドル"},
                           {95, L"ソケット"},   {96, L"片受口"},    {97, L"チーズ"},      {98, L"エルボ"},
                           {99, L"品種表示無効"}};
  return t;
}

const CodeTable& size_table_24() {
  static const CodeTable t{{0, L"20"},         {1, L"25"},        {2, L"32"},         {3, L"40"},
                           {4, L"50"},         {5, L"63"},        {6, L"75"},         {7, L"90"},
                           {8, L"110"},        {9, L"125"},       {10, L"140"},       {11, L"160"},
                           {12, L"180"},       {13, L"200"},      {14, L"225"},       {15, L"250"},
                           {16, L"315"},       {19, L"1/2 CTS"},  {20, L"1 CTS"},     {21, L"1 1/4 CTS"},
                           {22, L"1/2 IPS"},   {23, L"3/4 IPS"},  {24, L"1 IPS"},     {25, L"1 1/4 IPS"},
                           {26, L"2 IPS"},     {27, L"3 IPS"},    {28, L"4 IPS"},     {29, L"6 IPS"},
                           {30, L"8 IPS"}};
  return t;
}

const CodeTable& inch_table_24() {
  static const CodeTable t{{0, L"IPS"},     {1, L"1/4 IPS"}, {2, L"3/8 IPS"}, {3, L"1/2 IPS"}, {4, L"3/4 IPS"},
                           {5, L"CTS"},     {6, L"1/4 CTS"}, {7, L"3/8 CTS"}, {8, L"1/2 CTS"}, {9, L"3/4 CTS"}};
  return t;
}

const CodeTable& cooling_table_24() {
  static const CodeTable t{{0, L"5"},  {1, L"10"}, {2, L"15"}, {3, L"20"}, {4, L"30"},
                           {5, L"45"}, {6, L"60"}, {7, L"75"}, {8, L"90"}};
  return t;
}

const CodeTable& kind_table_32_gas() {
  static const CodeTable t{
      {1, L"直管"},           {2, L"コイル管"},         {3, L"ソケット"},       {4, L"サービスチー"},
      {5, L"サドル"},         {6, L"90°エルボ"},        {7, L"45°エルボ"},      {8, L"その他エルボ"},
      {9, L"チーズ"},         {10, L"キャップ"},        {11, L"レジューサ"},    {12, L"ベンド"},
      {13, L"フランジアダプタ"}, {14, L"メカニカル継手"}, {15, L"PEバルブ(1/4)"}, {16, L"PEバルブ(多)"},
      {17, L"非PEバルブ(1/4)"}, {18, L"非PEバルブ(多)"}, {19, L"リペアサドル"},  {20, L"片受"},
      {21, L"バイパスサドル"}};
  return t;
}

const CodeTable& kind_table_32_water() {
  static const CodeTable t{
      {1, L"直管"},           {2, L"コイル管"},       {3, L"ソケット"},         {4, L"分水サドル"},
      {5, L"サドル"},         {6, L"90°エルボ"},      {7, L"45°エルボ"},        {8, L"エルボ"},
      {9, L"チーズ"},         {10, L"キャップ"},      {11, L"レジューサ"},      {12, L"Sベンド"},
      {13, L"フランジ短管"},  {14, L"メカニカル継手"}, {15, L"PEバルブ(1/4)"},  {16, L"PEバルブ(多)"},
      {17, L"非PEバルブ(1/4)"}, {18, L"非PEバルブ(多)"}, {19, L"補修用継手"},   {20, L"片受け直管"},
      {21, L"修理用サドル"},  {22, L"片受け口"},      {23, L"ベンド"},          {29, L"ネジツキソケット"}};
  return t;
}

const CodeTable& size_table_32_water() {
  static const CodeTable t{{1, L"16"},   {2, L"20"},   {3, L"25"},   {4, L"30"},   {5, L"40"},   {6, L"50"},
                           {7, L"65"},   {8, L"75"},   {9, L"90"},   {10, L"100"}, {11, L"125"}, {12, L"140"},
                           {13, L"150"}, {14, L"180"}, {15, L"200"}, {16, L"225"}, {17, L"250"}, {18, L"280"},
                           {19, L"300"}, {20, L"355"}, {21, L"400"}, {22, L"450"}, {23, L"500"}, {24, L"560"},
                           {25, L"630"}, {26, L"710"}, {27, L"800"}, {28, L"900"}, {29, L"1000"}, {30, L"1200"},
                           {31, L"≧1400"}};
  return t;
}

const CodeTable& size_table_32_gas() {
  static const CodeTable t{{1, L"16"},   {2, L"20"},   {3, L"25"},   {4, L"32"},   {5, L"40"},   {6, L"50"},
                           {7, L"63"},   {8, L"75"},   {9, L"90"},   {10, L"110"}, {11, L"125"}, {12, L"140"},
                           {13, L"150"}, {14, L"180"}, {15, L"200"}, {16, L"225"}, {17, L"250"}, {18, L"280"},
                           {19, L"315"}, {20, L"355"}, {21, L"400"}, {22, L"450"}, {23, L"500"}, {24, L"560"},
                           {25, L"630"}, {26, L"710"}, {27, L"800"}, {28, L"900"}, {29, L"1000"}, {30, L"1200"},
                           {31, L"≧1400"}};
  return t;
}

const CodeTable& size_table_32_water_alt() {
  static const CodeTable t{{1, L"1/2 CTS"},   {2, L"1 CTS"},     {3, L"1 1/2 CTS"}, {11, L"1/2 IPS"},
                           {12, L"3/4 IPS"},  {13, L"1 IPS"},    {14, L"1 1/4 IPS"}, {15, L"1 1/2 IPS"},
                           {16, L"2 IPS"},    {17, L"3 IPS"},    {18, L"4 IPS"},    {19, L"6 IPS"},
                           {20, L"8 IPS"},    {21, L"10 IPS"},   {22, L"11 IPS"},   {23, L"12 IPS"},
                           {24, L"13 IPS"},   {25, L"14 IPS"}};
  return t;
}

const CodeTable& size_table_32_gas_alt() {
  static const CodeTable t{{1, L"15"},   {2, L"20"},   {3, L"25"},   {4, L"30"},   {5, L"40"},   {6, L"50"},
                           {7, L"75"},   {8, L"100"},  {9, L"150"},  {10, L"200"}, {11, L"250"}, {12, L"300"},
                           {13, L"350"}, {14, L"400"}, {19, L"315"}, {20, L"355"}, {21, L"400"}, {22, L"450"},
                           {23, L"500"}, {24, L"550"}, {25, L"630"}, {26, L"710"}, {27, L"800"}, {28, L"900"},
                           {29, L"1000"}, {30, L"1200"}};
  return t;
}

const CodeTable& manufacturer_table() {
  static const CodeTable t{{122, L"旭有機材"},    {309, L"シーアイ化成"}, {716, L"岐阜プラスチック"},
                           {813, L"日立金属"},    {1006, L"JFE"},        {1103, L"クボタ"},
                           {1111, L"小松化成"},   {1125, L"協成"},       {1303, L"三井化学"},
                           {1316, L"三菱樹脂"},   {1403, L"日本鋳鉄管"}, {1411, L"日本鋼管"},
                           {1623, L"その他"},     {1901, L"三晃ポリナイト"}, {1903, L"積水化学"},
                           {1913, L"三井住友化学"}, {1916, L"信越ポリマー"}};
  return t;
}

const CodeTable& output_voltage_table_32() {
  static const CodeTable t{{0, L"39.5"}, {1, L"79"}, {2, L"75"}, {3, L"3A"},
                           {4, L"4A"},   {5, L"5A"}, {6, L"5.5A"}, {7, L"***"}};
  return t;
}

const std::map<std::int32_t, usage_entry>& usage_table() {
  static const std::map<std::int32_t, usage_entry> t{
      {0, {L"配水用途", L"01", 0}},        {1, {L"ガス用途", L"01", 1}},
      {2, {L"真空下水", L"01", 0}},        {5, {L"建物給水", L"02", 0}},
      {6, {L"給水・配水・下水", L"03", 0}}, {7, {L"", L"04", 2}},
      {8, {L"給水・配水・下水", L"05", 0}}, {9, {L"ガス", L"05", 1}},
      {10, {L"冷温水", L"05", 0}},         {11, {L"冷温水", L"03", 0}},
      {12, {L"高圧給水", L"05", 0}},       {13, {L"高圧消火", L"05", 0}},
      {14, {L"高圧給水", L"03", 0}},       {15, {L"高圧消火", L"03", 0}},
      {16, {L"消火・雨水・プラントBK", L"03", 0}}};
  return t;
}

const CodeTable& end_code_table() {
  static const CodeTable t{
      {1, L"警告:記憶領域容量０"},       {2, L"警告:記憶領域残量少"},
      {3, L"警告:リチウム電池消耗"},     {4, L"警告:冷却中継手抜き"},
      {5, L"警告:冷却中電源OFF"},        {6, L"警告:対応外バーコード"},
      {7, L"警告:バーコード不良"},       {8, L"警告:ケーブル断線"},
      {9, L"警告:継手のこり"},           {10, L"警告:メモリーカード未挿入"},
      {11, L"警告:データ通信中断"},      {100, L"故障:メモリーカードドライバ不良"},
      {101, L"故障:自己診断異常"},       {200, L"エラー:入力電圧異常"},
      {201, L"エラー:入力電圧異常"},     {202, L"エラー:環境温度異常"},
      {203, L"エラー:環境温度異常"},     {204, L"エラー:抵抗値不整合"},
      {205, L"エラー:設定電圧異常"},     {210, L"エラー:内部温度異常"},
      {211, L"エラー:内部温度異常"},     {300, L"強制終了:入力電圧異常"},
      {301, L"強制終了:入力電圧異常 高"}, {302, L"強制終了:入力電圧異常 低"},
      {303, L"強制終了:過電流保護"},     {304, L"強制終了:内部温度異常"},
      {305, L"強制終了:ケーブル断線"},   {306, L"強制終了:断線"},
      {307, L"強制終了:出力電圧異常"},   {308, L"強制終了:出力電圧異常"},
      {309, L"強制終了:融着異常"},       {310, L"強制終了:融着異常"},
      {311, L"強制終了:圧力センサ動作異常"}, {312, L"強制終了:通電時間超過"},
      {313, L"強制終了:コネクタ外れ"},   {320, L"強制終了:融着中充電器接続"},
      {321, L"強制終了:電池温度 高"},    {322, L"強制終了:電池過電流"},
      {323, L"強制終了:電池残量 低"},    {400, L"強制終了:非常停止操作"},
      {401, L"強制終了:通電中電源OFF"},  {402, L"強制終了:通電中瞬時停電"},
      {403, L"強制終了:融着中電池OFF"},  {500, L"正常終了"}};
  return t;
}

const CodeTable& input_mode_table() {
  static const CodeTable t{{4, L"(テストモード)"}, {6, L"(手入力)"}, {7, L"(バリアSSモード)"}};
  return t;
}

const CodeTable& battery_type_table() {
  static const CodeTable t{{0, no_data_text}, {1, L"BQT-2261(HX)"}, {2, L"BQTX318"}};
  return t;
}

const std::map<std::wstring, std::wstring>& controller_model_table() {
  static const std::map<std::wstring, std::wstring> t{
      {L"01", L"KJ-M1"}, {L"02", L"KJ-M2"}, {L"03", L"KJ-M3"}, {L"04", L"KJ-M4"}, {L"05", L"KJ-M5"},
      {L"06", L"KJ-M6"}, {L"07", L"KJ-M7"}, {L"08", L"KJ-M8"}, {L"09", L"KJ-M9"}, {L"0B", L"KJ-M10"}};
  return t;
}

const CodeTable& paper_size_table() {
  static const CodeTable t{{0, L"A3 (297mm * 420mm)"},
                           {1, L"A4 (210mm * 297mm)"},
                           {2, L"A5 (148mm * 210mm)"},
                           {3, L"B4 (257mm * 364mm)"},
                           {4, L"B5 (182mm * 257mm)"}};
  return t;
}

const std::map<std::wstring, std::int32_t>& excel_paper_code_table() {
  static const std::map<std::wstring, std::int32_t> t{{L"A3", 8}, {L"A4", 9}, {L"A5", 11}, {L"B4", 12}, {L"B5", 13}};
  return t;
}

std::wstring lookup(const CodeTable& table, std::int32_t key, const std::wstring& miss) {
  const auto it = table.find(key);
  return it == table.end() ? miss : it->second;
}

std::wstring usageText(std::int32_t usage) {
  const auto it = usage_table().find(usage);
  return it == usage_table().end() ? std::wstring() : it->second.text;
}

std::wstring usageModelCode(std::int32_t usage) {
  const auto it = usage_table().find(usage);
  return it == usage_table().end() ? std::wstring(L"00") : it->second.model_code;
}

int usageBarcodeVariant(std::int32_t usage) {
  const auto it = usage_table().find(usage);
  return it == usage_table().end() ? 2 : it->second.barcode_variant;
}

std::wstring controllerModelName(const std::wstring& lot_number) {
  const auto it = controller_model_table().find(lot_number.substr(0, 2));
  return it == controller_model_table().end() ? std::wstring() : it->second;
}

}  // namespace kj
