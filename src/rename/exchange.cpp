#include "rename/exchange.h"

#include "names/case.h"
#include "names/items.h"
#include "names/paths.h"
#include "names/strings.h"
#include "platform/console.h"
#include "platform/exit.h"
#include "platform/fs.h"
#include "rename/batch.h"
#include "rename/move.h"
#include "rename/preview.h"
#include "report/answer.h"
#include "report/channel.h"
#include "report/counters.h"
#include "report/err.h"
#include "report/journal.h"
#include "report/settings.h"

namespace dolv {

namespace {

// Where " [Si,No] " goes when the question has passed it.
constexpr int kAnswerColumn = 68;
// The temporary name of an exchange, in the console code page.
constexpr char kTempName[] = "@!$\x9C@!$\x9C.TMP";

bool any_item_at(const ShortText& path) {
    ItemId id;
    return itemid(path, id);
}

// An operand names an existing file or directory; a wildcard names none.
bool is_present(const ShortText& path) {
    if (path.contains('*') || path.contains('?')) return false;
    return EXIST(path) >= 0 || ISDIR(path);
}

// "x\sub\" names the directory "x\sub": the item, not a place inside it.
ShortText without_trailing_separator(ShortText path) {
    while (path.size() > 1 && path.last() == '\\' && !(path.size() == 3 && path.at(2) == ':'))
        path.truncate(path.size() - 1);
    return path;
}

bool same_item(const ShortText& a, const ShortText& full_a, const ShortText& b) {
    return full_a == b || sameitem(a, b);
}

// The report line of an exchange done without a question.
void report_exchange(const ShortText& a, const ShortText& b) {
    WRITE2("Scambio ");
    WRITE2(ISDIR(a) ? "della directory " : "del file ");
    TEXTCOLOR(kColourOldName);
    WRITE2(a);
    TEXTCOLOR(kColourNormal);
    WRITE2(" con ");
    WRITE2(ISDIR(b) ? "la directory " : "il file ");
    TEXTCOLOR(kColourNewName);
    WRITELN2(b);
    TEXTCOLOR(kColourNormal);
}

// The /P question; only "Si" goes on.
void confirm_exchange(const ShortText& a, const ShortText& b) {
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
    unsigned char key = readanswer(
        "\x1b"
        "NS");
    WRITE(static_cast<char>(key));
    WRITELN();
    if (key != 'S') ERR(ErrorCode::kCancelled);
}

// The lines of a failed step; `first_step` tells whether the temporary name
// is worth naming as the cause (later, A itself bears it).
void say_failure(const ShortText& a, const ShortText& b, bool first_step) {
    freshline();
    if (first_step && any_item_at(exchange_temp_path(a))) WRITELN("Il nome temporaneo esiste gia'");
    WRITE("*** Impossibile scambiare ");
    write_name_pair(a, " con ", b);
    WRITELN();
}

// The question after a failed step.
unsigned char ask_after_failure(const ShortText& a, const ShortText& b, bool first_step) {
    say_failure(a, b, first_step);
    WRITE("Annulla, Riprova ?  [A,R] ");
    unsigned char key = readanswer(
        "\x1b"
        "AR");
    echo_answer(key);
    return key;
}

// What an exchange has moved so far, so that an ending half-way can put the
// items back. The cancel action reads it, hence its place at file level.
struct Parked {
    ShortText a;        // A's own path
    ShortText temp;     // A's path after the first rename
    ShortText b;        // B's own path
    ShortText b_moved;  // B's path after the second rename
    int done = 0;       // renames done and not yet put back: 0, 1 or 2
};
Parked parked;
CancelAction run_cancel = nullptr;

// One rename of the exchange, recorded first (the journal asks the item
// for its identity as it is then); 0 or the status of the failure.
int recorded_rename(Step step, const ShortText& from, const ShortText& to) {
    if (!journal(step, from, to, ItemId())) return kStatusUnrecorded;
    RENAME(from, to);
    return IORESULT();
}

bool move_back(const ShortText& from, const ShortText& to) {
    return recorded_rename(Step::kPutBack, from, to) == 0;
}

// Tells where an item that could not be put back is now.
void say_left_at(const ShortText& item, const ShortText& now) {
    const ShortText full_now = FEXPAND2(now);
    const bool dir = ISDIR(full_now);
    freshline();
    WRITE(dir ? "La directory " : "Il file ");
    WRITE(FEXPAND2(item));
    WRITE(dir ? " e' rimasta con il nome " : " e' rimasto con il nome ");
    WRITELN(full_now);
}

// Undoes the renames done so far: B back to its name, then A. Only what
// cannot be undone is told.
void undo_exchange() {
    const int done = parked.done;
    parked.done = 0;
    if (done == 0) return;
    const bool b_back = done < 2 || move_back(parked.b_moved, parked.b);
    if (!move_back(parked.temp, parked.a)) say_left_at(parked.a, parked.temp);
    if (!b_back) say_left_at(parked.b, parked.b_moved);
}

// An exchange that ends half-way puts the items back first.
[[noreturn]] void end_exchange(ErrorCode code) {
    undo_exchange();
    ERR(code);
}

// The user's cancel while the exchange is under way: undo, then the run's
// own cancel.
void cancel_exchange() {
    undo_exchange();
    if (run_cancel) run_cancel();
    ERR(ErrorCode::kCancelled);
}

// One of the three renames, repeated while the user answers Riprova.
// Under /I a failure ends the run with kDuplicateName (kTempNameExists for a leftover temporary
// item in the first step). Any ending undoes the renames already done.
void exchange_step(Step step, const ShortText& from, const ShortText& to, const ShortText& a,
                   const ShortText& b) {
    const bool first_step = step == Step::kParkA;
    for (;;) {
        if (recorded_rename(step, from, to) == 0) {
            ++parked.done;
            return;
        }
        if (settings.IGNORA) {
            if (first_step && any_item_at(to)) end_exchange(ErrorCode::kTempNameExists);
            end_exchange(ErrorCode::kDuplicateName);
        }
        if (ask_after_failure(a, b, first_step) != 'R') end_exchange(ErrorCode::kCancelled);
    }
}

// The three renames. A cancel in between waits until they are done or
// undone.
void swap_names(const ShortText& a, const ShortText& b) {
    const ShortText temp = exchange_temp_path(a);
    const ShortText b_moved = PATHOF(b) + NAMEOF(a);
    commit_report();
    check_cancel();
    parked = Parked{a, temp, b, b_moved, 0};
    run_cancel = set_cancel_action(cancel_exchange);
    exchange_step(Step::kParkA, a, temp, a, b);
    exchange_step(Step::kMoveB, b, b_moved, a, b);
    exchange_step(Step::kPlaceA, temp, PATHOF(a) + NAMEOF(b), a, b);
    parked.done = 0;
    set_cancel_action(run_cancel);
}

// The three renames judged on the preview's names, and recorded. At the
// first step the real run would find blocked, its lines are written, under
// /I with its end of the run; otherwise a line stands for its question.
void simulate_swap(const ShortText& a, const ShortText& b) {
    const ShortText temp = exchange_temp_path(a);
    const ShortText steps[3][2] = {
        {a, temp}, {b, PATHOF(b) + NAMEOF(a)}, {temp, PATHOF(a) + NAMEOF(b)}};
    for (int i = 0; i < 3; ++i) {
        if (!preview_blocked(steps[i][0], steps[i][1])) {
            preview_move(steps[i][0], steps[i][1]);
            continue;
        }
        if (settings.IGNORA) ERR(i == 0 ? ErrorCode::kTempNameExists : ErrorCode::kDuplicateName);
        say_failure(a, b, i == 0);
        preview_asks("Simulazione: verrebbe chiesto cosa fare");
        return;
    }
    counters.simulati += 2;
}

[[noreturn]] void stop_exchange() {
    end_run(1);
}

// The item in full: a shortened name could be taken for another item.
void say_too_long(const ShortText& item) {
    WRITE("Percorso troppo lungo per lo scambio: ");
    WRITELN(item);
}

// A path of the exchange that would not fit in a text: the item it
// belongs to is named and nothing is renamed. An expanded operand of the
// full length cannot be told from one cut to it, and counts as too long.
void check_lengths(const ShortText& a, const ShortText& full_a, const ShortText& b) {
    const int pa = PATHOF(full_a).size();
    const int temp_length = static_cast<int>(sizeof kTempName) - 1;
    const bool a_long = full_a.size() >= ShortText::kMax || pa + temp_length > ShortText::kMax ||
                        pa + NAMEOF(b).size() > ShortText::kMax;
    const bool b_long =
        b.size() >= ShortText::kMax || PATHOF(b).size() + NAMEOF(a).size() > ShortText::kMax;
    if (a_long) say_too_long(a);
    if (b_long) say_too_long(b);
    if (a_long || b_long) stop_exchange();
}

}  // namespace

ShortText exchange_temp_path(const ShortText& a) {
    return PATHOF(a) + kTempName;
}

bool path_inside(const ShortText& outer, const ShortText& inner) {
    ShortText o = UPSTR(outer);
    const ShortText i = UPSTR(inner);
    if (o.empty()) return false;
    if (o.last() != '\\') o += '\\';
    return o.last() == '\\' && i.size() > o.size() && i.left(o.size()) == o;
}

void EXCHANGENAME(const ShortText& file1, const ShortText& file2) {
    const ShortText a = source_path(file1);
    const ShortText b = source_path(without_trailing_separator(FEXPAND2(file2)));
    freshline();

    const bool a_present = is_present(a);
    if (!a_present) WRITELN("File non trovato: " + TRUNCPATH(a, 60));
    const bool b_present = is_present(b);
    if (!b_present) WRITELN("File non trovato: " + TRUNCPATH(b, 60));
    if (!a_present || !b_present) stop_exchange();

    const ShortText full_a = FEXPAND2(a);
    check_lengths(a, full_a, b);
    if (same_item(a, full_a, b)) ERR(ErrorCode::kSameOperands);
    if (path_inside(full_a, b) || path_inside(b, full_a)) ERR(ErrorCode::kDuplicateName);
    // Two items of one name in two directories: each bears the other's name
    // already. Going on would park A under the temporary name and then fail.
    if (NAMEOF(a) == NAMEOF(b)) return;

    if (settings.SBS) {
        confirm_exchange(a, b);
    } else {
        report_exchange(a, b);
    }
    if (settings.simula) {
        simulate_swap(a, b);
        return;
    }
    swap_names(a, b);
    counters.APPLY += 2;
    // A cancel that came during the renames ends the run now.
    check_cancel();
}

}  // namespace dolv
