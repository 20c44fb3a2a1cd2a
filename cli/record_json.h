#pragma once
// One decoded record as a JSON object: every member of the record in
// declaration order under its catalogue key, the decoded barcode as an object
// of its joint texts (null when there is none).

#include <cstddef>
#include <string>

#include "record/record_types.h"

namespace kj::cli {

// Appends the object to `out` (UTF-8, no white space but ", " and ": ").
void appendRecordJson(std::string& out, const file::Efdx& record);
// The same with the battery members after the plain ones.
void appendRecordJson(std::string& out, const file::EfdxBattery& record);

// Makes room in `out` for the objects of `records` records of the controller
// (each takes 1.0 to 1.5 kB; longer ones still fit, the string grows), so
// that they are written without the string moving, into memory the system
// backs with large pages where it can.
void reserveRecordsJson(std::string& out, std::size_t records);

}  // namespace kj::cli
