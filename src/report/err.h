// The fatal-error exit and the number format.
#pragma once

#include <cstdint>

#include "base/short_text.h"

namespace dolv {

// The fatal errors of a run; the numbers are the historical codes.
enum class ErrorCode : uint8_t {
    kBadOption = 1,           // "Opzione non valida: " and the option
    kMissingOperand = 2,      // a required operand is missing
    kSameOperands = 3,        // the two operands name the same thing
    kCancelled = 4,           // the user cancelled
    kNotFound = 5,            // no item matches the source
    kDestinationPath = 6,     // a drive or path given for the destination
    kDuplicateName = 7,       // duplicate name or item in use
    kReservedCharacters = 8,  // the destination holds reserved characters
    kTempNameExists = 9,      // the exchange's temporary name exists
    kReportWriteFailed = 10,  // the report file could not be written
    kReservedName = 11,       // the report file has a reserved name
    kReportExists = 12,       // the report file exists
    kBadOptionValue = 13,     // "Valore non valido per l'opzione: " and the option
};

// Writes the message of code on the console, the partial counts for
// kCancelled and kDuplicateName, closes the report file and the journal,
// shows the cursor, exits with 1.
[[noreturn]] void ERR(ErrorCode code);

// The closing of the report file that ERR runs before it exits. The report
// channel sets it when it opens the file, so that ERR needs nothing from the
// channel; nullptr (the start) closes nothing.
using ReportCloser = void (*)();
void SET_REPORT_CLOSER(ReportCloser closer);

// value in decimal with a dot between groups of three digits: 1234567 -> "1.234.567".
ShortText DIM_PUNTO(int64_t value);
ShortText FREVERSE(const ShortText& text);

}  // namespace dolv
