#include "tests/samples/sample_files.h"

#include "tests/support/record_fixture.h"

namespace kj::test {
namespace {

RecordFields record(std::size_t fields, int index, const std::wstring& when) {
  RecordFields r = soundRecord(fields, index);
  r[4] = when;
  r[6] = std::to_wstring(1200 + index);
  fixChecksums(r);
  return r;
}

// A gas socket with a 32-digit barcode: maker 0813, kind 03, size 096.
void gasBarcode(RecordFields& r) {
  r[10] = L"08130309600012300000070000008000";
  r[11] = L"1";
  r[12] = L"32";
}

// A 24-digit reducer barcode with a cooling time: kind 93, sizes 32 * 63.
void reducerBarcode(RecordFields& r) {
  r[10] = L"930203310673391230080000";
}

void forcedEnd(RecordFields& r, const wchar_t* code) { r[22] = code; }

void position(RecordFields& r, const wchar_t* ns, const wchar_t* lat, const wchar_t* ew, const wchar_t* lon) {
  r[34] = L"1";
  r[35] = ns;
  r[36] = lat;
  r[37] = ew;
  r[38] = lon;
}

}  // namespace

std::vector<SampleFile> sampleFiles() {
  std::vector<SampleFile> files;

  {  // Plain records without header: 33 fields, lot number composed from fields 27 and 30.
    RecordFields a = record(33, 0, L"2403151430");
    RecordFields b = record(33, 1, L"2403151502");
    gasBarcode(b);
    fixChecksums(b);
    RecordFields c = record(33, 2, L"2403151547");
    c[9] = L"6";  // typed in by hand
    reducerBarcode(c);
    fixChecksums(c);
    files.push_back({L"plain.efd", headerlessBlock({a, b, c})});
  }
  {  // Records with positions; one forced end, one without position.
    std::vector<RecordFields> rs;
    const wchar_t* times[] = {L"2405200905", L"2405200931", L"2405201010", L"2405201122", L"2405201348"};
    for (int i = 0; i < 5; ++i) rs.push_back(record(39, i, times[i]));
    position(rs[1], L"N", L"3541.2000", L"E", L"13945.7000");
    position(rs[2], L"N", L"3540.9876", L"E", L"13946.0123");
    rs[3][34] = L"0";
    forcedEnd(rs[3], L"303");
    position(rs[4], L"N", L"3539.5000", L"E", L"13944.2500");
    gasBarcode(rs[4]);
    for (RecordFields& r : rs) fixChecksums(r);
    files.push_back({L"positions.efdx", headerlessBlock(rs)});
  }
  {  // Battery records.
    std::vector<RecordFields> rs;
    for (int i = 0; i < 3; ++i) rs.push_back(record(48, i, L"240601080" + std::to_wstring(i)));
    rs[1][41] = L"65535";
    rs[1][43] = L"255";
    rs[2][39] = L"2";
    rs[2][45] = L"9999";
    forcedEnd(rs[2], L"323");
    for (RecordFields& r : rs) fixChecksums(r);
    files.push_back({L"battery.efdx", blockText(taggedHeader(L"BT", 1, 48, 3), rs)});
  }
  {  // A merged file whose header says 1 record while it holds 4.
    std::vector<RecordFields> rs;
    for (int i = 0; i < 4; ++i) rs.push_back(record(39, i, L"24070" + std::to_wstring(i + 1) + L"1200"));
    files.push_back({L"merged.mrgx", blockText(L"1,", rs)});
  }
  {  // Two of five records with check sums that do not match.
    std::vector<RecordFields> rs;
    for (int i = 0; i < 5; ++i) rs.push_back(record(39, i, L"2408" + std::to_wstring(10 + i) + L"1500"));
    rs[1][32] = L"7";
    rs[3][32] = L"8";
    files.push_back({L"bad-checksums.efdx", headerlessBlock(rs)});
  }
  {  // Announces three records but holds two: rejected as a whole.
    std::vector<RecordFields> rs{record(39, 0, L"2409011000"), record(39, 1, L"2409011030")};
    files.push_back({L"invalid.efdx", blockText(L"3,", rs)});
  }
  return files;
}

}  // namespace kj::test
