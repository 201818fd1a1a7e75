#include "run/options.h"

#include <cstdint>
#include <string>

#include "names/paths.h"
#include "names/strings.h"
#include "platform/system.h"
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
int16_t to_number(const ShortText& text, int32_t& value) {
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
void read_length(char side) {
    settings.GIUSTIFICA = side;
    const ShortText value = settings.TESTA.sub(4);
    settings.CODE = to_number(value, settings.NN);
    if (settings.CODE != 0) ERR(ErrorCode::kBadOptionValue);
    if (!(ShortText(std::to_string(settings.NN)) == value)) ERR(ErrorCode::kBadOptionValue);
    if (settings.NN > 255 || settings.NN < 2) ERR(ErrorCode::kBadOptionValue);
}

// Options that only switch a field, matched without regard to case.
bool read_switch(const ShortText& upper) {
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
        s.simula = true;
    } else if (upper == "/-S") {
        s.simula = false;
    } else if (upper == "/U") {
        s.annulla = true;
    } else {
        return false;
    }
    return true;
}

// Handles one segment (settings.TESTA); opens tells whether the segment is
// the first of its argument.
void read_segment(bool opens) {
    Settings& s = settings;
    const ShortText& segment = s.TESTA;
    if (segment == "/?") HELP();
    if (read_switch(UPSTR(segment))) return;
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
        read_length('L');
    } else if (UPSTR(segment.left(3)) == "/LR") {
        read_length('R');
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

// True when a segment is a whole option of the table (not an operand and
// not the report file): what read_segment would take as an option.
bool is_whole_option(const ShortText& segment) {
    if (segment.at(1) != '/') return false;
    if (segment == "/?") return true;
    Settings saved = settings;
    const bool is_switch = read_switch(UPSTR(segment));
    settings = saved;
    if (is_switch) return true;
    const ShortText upper = UPSTR(segment.left(3));
    return segment.left(2) == "/[" || segment.left(2) == "/]" || segment.left(3) == "/-[" ||
           segment.left(3) == "/-]" || upper == "/LL" || upper == "/LR";
}

// The segments of one argument, as TESTA_CODA cuts them at each '/'.
std::vector<ShortText> segments_of(const ShortText& argument) {
    std::vector<ShortText> out;
    ShortText rest = argument, head, tail;
    while (!rest.empty()) {
        TESTA_CODA(rest, "/", head, tail);
        out.push_back(head);
        rest = tail;
    }
    return out;
}

// A path as the program holds it: every '/' a '\'.
ShortText backslashed(ShortText path) {
    for (int i = 1; i <= path.size(); ++i)
        if (path.at(i) == '/') path.set(i, '\\');
    return path;
}

// The path reading of the part of an argument before its trailing options:
// the report file, or an operand in which '/' separates as '\' does. A
// source that ends with '/' names that folder, as it does for mv.
void path_part(ShortText part) {
    Settings& s = settings;
    s.TESTA = part;
    if (part.at(1) == '+') {
        s.OUTFILE = backslashed(part);
        return;
    }
    if (s.FILE1.empty()) {
        while (part.size() > 1 && part.last() == '/') part.truncate(part.size() - 1);
        s.FILE1 = backslashed(part);
    } else if (s.FILE2.empty()) {
        s.FILE2 = backslashed(part);
    } else {
        ERR(ErrorCode::kBadOption);
    }
}

// An argument that reads both ways and names an existing item as a whole
// (`docs/i` beside a folder `docs/i`): nothing is guessed.
void refuse_if_ambiguous(const ShortText& argument, const ShortText& part,
                         const ShortText& options) {
    const ShortText path = backslashed(argument);
    if (path.contains('*') || path.contains('?')) return;
    if (EXIST(path) < 0 && !ISDIR(path)) return;
    settings.TESTA = argument;
    ERR(ErrorCode::kBadOption, "Argomento ambiguo: " + argument + "\nScrivere " + argument +
                                   "/ per l' elemento, " + part + " " + options +
                                   " per l' opzione");
}

// One argument read the POSIX way: its trailing segments that each are a
// whole option are options; what stands before them is one path.
void read_with_paths(const ShortText& argument) {
    const std::vector<ShortText> parts = segments_of(argument);
    size_t first_option = parts.size();
    while (first_option > 0 && is_whole_option(parts[first_option - 1])) --first_option;
    ShortText part, options;
    for (size_t i = 0; i < parts.size(); ++i) (i < first_option ? part : options) += parts[i];
    if (!part.empty() && !options.empty()) refuse_if_ambiguous(argument, part, options);
    if (!part.empty()) path_part(part);
    for (size_t i = first_option; i < parts.size(); ++i) {
        settings.TESTA = parts[i];
        read_segment(false);
    }
}

}  // namespace

void reset_settings() {
    settings = Settings();
    counters = RunCounters();
}

void read_arguments(const std::vector<std::string>& args) {
    read_arguments(args, system_conventions().slash_paths);
}

void read_arguments(const std::vector<std::string>& args, bool slash_paths) {
    Settings& s = settings;
    for (size_t i = 0; i < args.size(); ++i) {
        s.TESTA = ShortText(args[i]);
        if (i >= kMaxArguments) ERR(ErrorCode::kBadOption);
        // Cut to 255 bytes, an argument would name something else (a folder
        // instead of the files in it): it is refused with its first bytes.
        if (args[i].size() > static_cast<size_t>(ShortText::kMax)) ERR(ErrorCode::kBadOption);
        if (slash_paths) {
            read_with_paths(s.TESTA);
            s.TESTA = s.CODA = ShortText();
            continue;
        }
        bool opens = true;
        while (!s.TESTA.empty()) {
            TESTA_CODA(s.TESTA, "/", s.TESTA, s.CODA);
            read_segment(opens);
            opens = false;
            s.TESTA = s.CODA;
        }
    }
}

}  // namespace dolv
