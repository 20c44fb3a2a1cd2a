#pragma once
// The kml command: the map document of the positioned records of a record file.

#include <string>
#include <vector>

namespace kj::cli {

// Exit statuses of the command besides those of dump.
inline constexpr int exit_map_not_written = 5;  // the file cannot be written; an old one stays
inline constexpr int exit_no_positions = 6;     // no record carries a position: nothing written

// The arguments after "kml": FILE [--output OUT]. Writes the KML document of
// FILE's records to OUT (default: FILE's name with the extension ".kml", in
// its folder). A file none of whose records carries a position writes
// nothing. Returns the exit status; messages are appended to out and err.
int runKml(const std::vector<std::wstring>& args, std::string& out, std::string& err);

}  // namespace kj::cli
