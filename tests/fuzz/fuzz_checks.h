#pragma once
// The bodies of the fuzz targets. Each takes one input of any bytes, runs it
// through a part of the core and checks what it can about the result; it
// returns an empty text when everything held and a description of the first
// property that did not. Undefined behaviour and crashes are left to the
// sanitizers and the fuzzer; a std::logic_error (std::invalid_argument,
// std::out_of_range) is the documented way a decoder rejects its input, any
// other exception escapes.
//
// The libFuzzer entry points (tests/fuzz/targets) abort on a failure; the
// replay test (tests/fuzz/replay) runs the same bodies over the seed corpus and
// the inputs that once failed, in every build.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kj::fuzz {

// First byte: the file name extension (low two bits: .efd, .efdx, .mrg,
// .mrgx); the rest: the bytes stored in the file. The bytes are decoded and
// dumped as JSON the way kjvt58-cli dump --json does, in memory, and through a
// file of that name; both dumps must be equal and strict JSON whose records
// match the decoded ones. The rows of the text must lie inside it, and the text
// written as a record file must read back unchanged.
std::string checkRecordFile(const std::uint8_t* data, std::size_t size);

// First byte: the short-block flag (low bit); the rest: the header text, one
// character per byte as a block is read. What parseHeader returns must agree
// with the text.
std::string checkHeader(const std::uint8_t* data, std::size_t size);

// First byte: the barcode kind code (low two bits: 24, 32, 10 or another
// code) and the variant (next two bits: 0, 1, 2, or 3, which no usage gives);
// the rest: the barcode text. make_barcode must set every member as its layout
// says, and decode the same text the same way twice.
std::string checkBarcode(const std::uint8_t* data, std::size_t size);

// First byte: bits 0-5 the bound of the received text (1 + 64 times their
// value, in characters), bit 6 an endless line (after the script its last 16
// bytes repeat for ever). The rest: the line's script, each byte arriving as
// it is, except that 0xFF n is a silence of n ms (0xFF 0 is the byte 0xFF).
// A receive session runs on it through the scripted port (aborted once the
// script has run out, or after far more reads than the script needs): it must
// end, call on_ended exactly once and last, stay within its bound, and do what
// a model of the protocol does with the same line (outcome, ACKs, calls,
// text).
std::string checkReceive(const std::uint8_t* data, std::size_t size);
// Script pieces of checkReceive inputs: bytes as they arrive, and a silence.
std::string receiveLineBytes(std::string_view bytes);
std::string receiveLineSilence(long long ms);

// One of the properties checkRecordFile checks: every field of the rows lies
// inside text. Empty when it holds.
std::string checkRowsInText(const std::wstring& text, const std::vector<std::vector<std::wstring_view>>& rows);

// The target bodies by the folder names of their corpora: record_file, header,
// barcode, receive. Null for another name.
using Check = std::string (*)(const std::uint8_t*, std::size_t);
Check checkByName(std::string_view name);

// For the entry points: runs a check and aborts with its message on a failure.
int runOrAbort(Check check, const std::uint8_t* data, std::size_t size);

}  // namespace kj::fuzz
