#include "rename/exchange.h"

#include "names/case.h"
#include "names/paths.h"
#include "names/strings.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "rename/answer.h"
#include "rename/batch.h"
#include "report/channel.h"
#include "report/counters.h"
#include "report/err.h"
#include "run/settings.h"

namespace dolv {

namespace {

constexpr int kNormal = 7;
constexpr int kOld = 4;
constexpr int kNew = 2;
// Where " [Si,No] " goes when the question has passed it.
constexpr int kAnswerColumn = 68;

bool ANY_ITEM_AT(const ShortText& path) {
    ItemId id;
    return ITEMID(path, id);
}

// An operand names an existing file or directory; a wildcard names none.
bool PRESENT(const ShortText& path) {
    if (path.contains('*') || path.contains('?')) return false;
    return EXIST(path) >= 0 || ISDIR(path);
}

// "x\sub\" names the directory "x\sub": the item, not a place inside it.
ShortText WITHOUT_TRAILING_SEPARATOR(ShortText path) {
    while (path.size() > 1 && path.last() == '\\' && !(path.size() == 3 && path.at(2) == ':'))
        path.truncate(path.size() - 1);
    return path;
}

bool SAME_ITEM(const ShortText& a, const ShortText& full_a, const ShortText& b) {
    return full_a == b || SAMEITEM(a, b);
}

// The report line of an exchange done without a question.
void REPORT_EXCHANGE(const ShortText& a, const ShortText& b) {
    WRITE2("Scambio ");
    WRITE2(ISDIR(a) ? "della directory " : "del file ");
    TEXTCOLOR(kOld);
    WRITE2(a);
    TEXTCOLOR(kNormal);
    WRITE2(" con ");
    WRITE2(ISDIR(b) ? "la directory " : "il file ");
    TEXTCOLOR(kNew);
    WRITELN2(b);
    TEXTCOLOR(kNormal);
}

// The /P question; only "Si" goes on.
void CONFIRM_EXCHANGE(const ShortText& a, const ShortText& b) {
    WRITE("Scambiare ");
    WRITE(F_D(a));
    WRITE(" con ");
    WRITE(CONVERSION3(b));
    WRITE(" ? ");
    if (WHEREX() > kAnswerColumn) {
        WRITELN();
        GOTOXY(kAnswerColumn, WHEREY());
    }
    WRITE(" [Si,No] ");
    unsigned char key = READANSWER(
        "\x1b"
        "NS");
    WRITE(static_cast<char>(key));
    WRITELN();
    if (key != 'S') ERR(4);
}

// The question after a failed step; `first_step` tells whether the temporary
// name is worth naming as the cause (later, A itself bears it).
unsigned char ASK_AFTER_FAILURE(const ShortText& a, const ShortText& b, bool first_step) {
    FRESHLINE();
    if (first_step && ANY_ITEM_AT(EXCHANGE_TEMP_PATH(a))) WRITELN("Il nome temporaneo esiste gia'");
    WRITE("*** Impossibile scambiare ");
    TEXTCOLOR(kOld);
    WRITE(a);
    TEXTCOLOR(kNormal);
    WRITE(" con ");
    TEXTCOLOR(kNew);
    WRITE(b);
    TEXTCOLOR(kNormal);
    WRITELN();
    WRITE("Annulla, Riprova ?  [A,R] ");
    unsigned char key = READANSWER(
        "\x1b"
        "AR");
    WRITE(static_cast<char>(key));
    WRITELN();
    WRITELN();
    return key;
}

// One of the three renames, repeated while the user answers Riprova.
// Under /I a failure ends the run with code 7 (9 for a leftover temporary
// item in the first step).
void EXCHANGE_STEP(const ShortText& from, const ShortText& to, const ShortText& a,
                   const ShortText& b, bool first_step) {
    for (;;) {
        COMMIT_REPORT();
        RENAME(from, to);
        if (IORESULT() == 0) return;
        if (settings.IGNORA) {
            if (first_step && ANY_ITEM_AT(to)) ERR(9);
            ERR(7);
        }
        if (ASK_AFTER_FAILURE(a, b, first_step) != 'R') ERR(4);
    }
}

}  // namespace

ShortText EXCHANGE_TEMP_PATH(const ShortText& a) {
    return PATHOF(a) + "@!$\x9C@!$\x9C.TMP";
}

bool PATH_INSIDE(const ShortText& outer, const ShortText& inner) {
    ShortText o = UPSTR(outer);
    const ShortText i = UPSTR(inner);
    if (o.empty()) return false;
    if (o.last() != '\\') o += '\\';
    return o.last() == '\\' && i.size() > o.size() && i.left(o.size()) == o;
}

void EXCHANGENAME(const ShortText& file1, const ShortText& file2) {
    const ShortText a = file1;
    const ShortText pa = PATHOF(a);
    const ShortText b = WITHOUT_TRAILING_SEPARATOR(FEXPAND2(file2));
    const ShortText pb = PATHOF(b);
    FRESHLINE();

    const bool a_present = PRESENT(a);
    if (!a_present) WRITELN("File non trovato: " + TRUNCPATH(a, 60));
    const bool b_present = PRESENT(b);
    if (!b_present) WRITELN("File non trovato: " + TRUNCPATH(b, 60));
    if (!a_present || !b_present) {
        CLOSE_REPORT();
        CURSORON();
        HALT(1);
    }

    const ShortText full_a = FEXPAND2(a);
    if (SAME_ITEM(a, full_a, b)) ERR(3);
    if (PATH_INSIDE(full_a, b) || PATH_INSIDE(b, full_a)) ERR(7);
    // Two items of one name in two directories: each bears the other's name
    // already. Going on would park A under the temporary name and then fail.
    if (NAMEOF(a) == NAMEOF(b)) return;

    if (settings.SBS) {
        CONFIRM_EXCHANGE(a, b);
    } else {
        REPORT_EXCHANGE(a, b);
    }

    const ShortText temp = EXCHANGE_TEMP_PATH(a);
    EXCHANGE_STEP(a, temp, a, b, true);
    EXCHANGE_STEP(b, pb + NAMEOF(a), a, b, false);
    EXCHANGE_STEP(temp, pa + NAMEOF(b), a, b, false);
    counters.APPLY += 2;
}

unsigned char MESSERREXCHANGE(const ShortText& a, const ShortText& b) {
    return ASK_AFTER_FAILURE(a, b, true);
}

}  // namespace dolv
