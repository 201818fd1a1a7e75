#include "run/options.h"

#include <cstdint>
#include <string>

#include "names/strings.h"
#include "report/counters.h"
#include "report/err.h"
#include "report/settings.h"
#include "run/help.h"

namespace dolv {

namespace {

// At most this many arguments are read; the argument index is one byte.
constexpr size_t kMaxArguments = 255;

// Text to 32-bit integer: an optional sign and decimal digits. Returns the
// position of the first character that spoils the number (the end + 1 for an
// empty text or one that overflows), 0 when the whole text is a number.
int16_t TO_NUMBER(const ShortText& text, int32_t& value) {
    value = 0;
    int pos = 1;
    const bool negative = text.at(1) == '-';
    if (text.at(1) == '+' || negative) pos = 2;
    if (pos > text.size()) return static_cast<int16_t>(pos);
    int64_t n = 0;
    for (; pos <= text.size(); ++pos) {
        const unsigned char c = text.at(pos);
        if (c < '0' || c > '9') return static_cast<int16_t>(pos);
        n = n * 10 + (c - '0');
        if (n > int64_t(INT32_MAX) + 1) return static_cast<int16_t>(pos);
    }
    if (negative) n = -n;
    if (n > INT32_MAX) return static_cast<int16_t>(text.size());
    value = static_cast<int32_t>(n);
    return 0;
}

// The padding length of /LL and /LR: a whole number 2..255 in plain decimal.
void READ_LENGTH(char side) {
    settings.GIUSTIFICA = side;
    const ShortText value = settings.TESTA.sub(4);
    settings.CODE = TO_NUMBER(value, settings.NN);
    if (settings.CODE != 0) ERR(ErrorCode::kBadOptionValue);
    if (!(ShortText(std::to_string(settings.NN)) == value)) ERR(ErrorCode::kBadOptionValue);
    if (settings.NN > 255 || settings.NN < 2) ERR(ErrorCode::kBadOptionValue);
}

// Options that only switch a field, matched without regard to case.
bool SWITCH(const ShortText& upper) {
    Settings& s = settings;
    if (upper == "/R") {
        s.REN = true;
    } else if (upper == "/-R") {
        s.REN = false;
    } else if (upper == "/P") {
        s.SBS = true;
    } else if (upper == "/-P") {
        s.SBS = false;
    } else if (upper == "/I") {
        s.IGNORA = true;
    } else if (upper == "/-I") {
        s.IGNORA = false;
    } else if (upper == "/E") {
        s.ESCLUDI = true;
    } else if (upper == "/-E") {
        s.ESCLUDI = false;
    } else if (upper == "/0" || upper == "/+" || upper == "/-") {
        s.MAIUSCOLO = static_cast<char>(upper.at(2));
    } else if (upper == "/AA" || upper == "/AC" || upper == "/AE" || upper == "/AS") {
        s.ACCODA = static_cast<char>(upper.at(3));
    } else if (upper == "/V") {
        s.VISUALIZZA = true;
    } else if (upper == "/-V") {
        s.VISUALIZZA = false;
    } else if (upper == "/T") {
        s.TERMINALE = true;
    } else if (upper == "/-T") {
        s.TERMINALE = false;
    } else if (upper == "/S") {
        s.SIMULA = true;
    } else if (upper == "/-S") {
        s.SIMULA = false;
    } else if (upper == "/U") {
        s.ANNULLA = true;
    } else {
        return false;
    }
    return true;
}

// Handles one segment (settings.TESTA); opens tells whether the segment is
// the first of its argument.
void SEGMENT(bool opens) {
    Settings& s = settings;
    const ShortText& segment = s.TESTA;
    if (segment == "/?") HELP();
    if (SWITCH(UPSTR(segment))) return;
    if (segment.at(1) == '+') {
        s.OUTFILE = segment;
    } else if (segment.left(3) == "/-[") {
        s.REM_PREFISSO = UPSTR(segment.sub(4));
    } else if (segment.left(2) == "/[") {
        s.PREFISSO = segment.sub(3);
    } else if (segment.left(3) == "/-]") {
        s.REM_SUFFISSO = UPSTR(segment.sub(4));
    } else if (segment.left(2) == "/]") {
        s.SUFFISSO = segment.sub(3);
    } else if (UPSTR(segment.left(3)) == "/LL") {
        READ_LENGTH('L');
    } else if (UPSTR(segment.left(3)) == "/LR") {
        READ_LENGTH('R');
    } else if (!opens) {
        // A segment after a '/' that is no option is a mistyped option or a
        // path (`Photos/`, `project/src`), never an operand: taking one would
        // rename something the user did not name.
        ERR(ErrorCode::kBadOption);
    } else if (s.FILE1.empty()) {
        s.FILE1 = segment;
    } else if (s.FILE2.empty()) {
        s.FILE2 = segment;
    } else {
        ERR(ErrorCode::kBadOption);
    }
}

}  // namespace

void RESET_SETTINGS() {
    settings = Settings();
    counters = RunCounters();
}

void READ_ARGUMENTS(const std::vector<std::string>& args) {
    Settings& s = settings;
    for (size_t i = 0; i < args.size(); ++i) {
        s.TESTA = ShortText(args[i]);
        if (i >= kMaxArguments) ERR(ErrorCode::kBadOption);
        // Cut to 255 bytes, an argument would name something else (a folder
        // instead of the files in it): it is refused with its first bytes.
        if (args[i].size() > static_cast<size_t>(ShortText::kMax)) ERR(ErrorCode::kBadOption);
        bool opens = true;
        while (!s.TESTA.empty()) {
            TESTA_CODA(s.TESTA, "/", s.TESTA, s.CODA);
            SEGMENT(opens);
            opens = false;
            s.TESTA = s.CODA;
        }
    }
}

}  // namespace dolv
