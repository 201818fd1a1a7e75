#include "rename/single.h"

#include "base/hot.h"
#include "names/items.h"
#include "names/path_split.h"
#include "names/paths.h"
#include "names/strings.h"
#include "platform/console.h"
#include "platform/fs.h"
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

const char kRefusalChoices[] = "Annulla, Riprova, Ignora, ignora Tutti ?  [A,R,I,T] ";

// "*** Impossibile rinominare <old> in <new>" on a line of its own.
void write_refused_pair(const ShortText& old_path, const ShortText& new_name) {
    freshline();
    WRITE("*** Impossibile rinominare ");
    write_name_pair(old_path, " in ", new_name);
    WRITELN();
}

void give_up() {
    counters.NEGATI++;
}

void ignore_all() {
    counters.NEGATI++;
    settings.IGNORA = true;
}

// The backup of an existing destination: the same path with ".bak" as its
// extension, made by a rename that never replaces. A path too long to take
// the whole extension is no backup name: that backup fails.
bool make_backup(const ShortText& path) {
    ShortText backup = CHANGEFILEEXT(path, ".bak");
    if (!backup.view().ends_with(".bak")) return false;
    commit_report();
    if (!journal(Step::kBackup, path, backup, ItemId())) return false;
    RENAME(path, backup);
    return IORESULT() == 0;
}

// The journal's count after a rename's record: none written yet.
constexpr uint64_t kNoRecord = ~uint64_t{0};

// The record of a rename ahead of a try, once for each step: again only
// when the run has recorded another step since (the ones an answer took).
// False when the step may not be made: the journal could not take it back.
bool recorded_once(const ShortText& from, const ShortText& to, const ItemId& id, uint64_t& mark) {
    if (journal_count() == mark) return true;
    if (!journal(Step::kRename, from, to, id)) return false;
    mark = journal_count();
    return true;
}

enum class Conflict { kRename, kRetry, kDone };

// The question about a destination that exists already. kRename: the way is
// clear; kRetry: start the attempt again; kDone: the item is given up.
Conflict settle_existing(const ShortText& destination) {
    freshline();
    WRITELN("La destinazione esiste gia'");
    WRITELN("*** Accesso negato");
    WRITE("Annulla, Riprova, Ignora, ignora Tutti, Sostituisci, riNomina ?  [A,R,I,T,S,N] ");
    unsigned char key = readanswer(
        "\x1b"
        "ARITSN");
    WRITE(static_cast<char>(key));
    WRITELN();
    freshline();
    switch (key) {
        case 'R':
            return Conflict::kRetry;
        case 'I':
            give_up();
            return Conflict::kDone;
        case 'T':
            ignore_all();
            return Conflict::kDone;
        case 'S':
            switch (discard_existing(destination)) {
                case Discarded::kTrashed:
                    return Conflict::kRename;
                case Discarded::kDeleted:
                    WRITELN2("*** Il file preesistente e' stato cancellato, non ripristinabile");
                    return Conflict::kRename;
                case Discarded::kKept:
                    break;
            }
            WRITELN("Impossibile cancellare il file preesistente");
            return PREESISTENTE() == 'R' ? Conflict::kRetry : Conflict::kDone;
        case 'N':
            if (make_backup(destination)) return Conflict::kRename;
            WRITELN("Impossibile rinominare il file preesistente in una copia di backup");
            return PREESISTENTE() == 'R' ? Conflict::kRetry : Conflict::kDone;
        default:
            ERR(ErrorCode::kCancelled);
    }
}

// A rename that failed: under /I the item is given up, otherwise the user
// says what follows. True to try again.
bool retry_after_failure(const ShortText& source, const ShortText& N) {
    if (settings.IGNORA) {
        WRITELN2("*** Accesso negato");
        WRITELN2();
        give_up();
        return false;
    }
    switch (MESSERR(source, N)) {
        case 'R':
            return true;
        case 'I':
            give_up();
            return false;
        case 'T':
            ignore_all();
            GOTOXY(WHEREX(), WHEREY() - 1);
            WRITELN("*** Accesso negato");
            WRITELN();
            return false;
        default:
            ERR(ErrorCode::kCancelled);
    }
}

}  // namespace

DOLV_HOT void DOREN(const ShortText& P, const ShortText& O, const ShortText& N, const ItemId& id) {
    const ShortText source = P + O;
    const ShortText destination = P + N;
    if (settings.simula) {
        preview_rename(source, destination);
        return;
    }
    uint64_t mark = kNoRecord;
    for (;;) {
        // Under /I an existing destination is not asked about: the rename
        // fails and is counted. Otherwise a rename that never replaces is
        // tried first, as it succeeds exactly when the destination is free;
        // only when it fails is the destination looked at.
        if (!settings.IGNORA && !sametext(N, O)) {
            commit_report();
            const bool may = recorded_once(source, destination, id, mark);
            if (may && rename_if_free(source, destination)) {
                counters.APPLY++;
                return;
            }
            // Another spelling of the item's own name (a volume that folds
            // names) is no existing destination: the rename below takes it.
            if (may && EXIST(destination) >= 0 && !sameitem(source, destination)) {
                Conflict c = settle_existing(destination);
                if (c == Conflict::kRetry) continue;
                if (c == Conflict::kDone) return;
            }
        }
        // The record of the item reaches the report file and the journal
        // before the item changes (the journal again after a question: the
        // steps it took come before this one). A step the journal could not
        // take back is refused as the system would refuse it.
        commit_report();
        int status = kStatusUnrecorded;
        if (recorded_once(source, destination, id, mark)) {
            RENAME(source, destination);
            status = IORESULT();
        }
        if (status == 0) {
            counters.APPLY++;
            return;
        }
        if (!retry_after_failure(source, N)) return;
    }
}

void ERRPRESU(const ShortText& old_path, const ShortText& new_name) {
    write_refused_pair(old_path, new_name);
    WRITELN("Nome di file di destinazione non valido, controllare le opzioni");
    if (settings.IGNORA) return;
    if (settings.simula) {
        preview_asks("Simulazione: verrebbe chiesto cosa fare");
        return;
    }
    WRITE("Annulla, Ignora, ignora Tutti ?  [A,I,T] ");
    unsigned char key = readanswer(
        "\x1b"
        "AIT");
    echo_answer(key);
    if (key == 'I') {
        give_up();
    } else if (key == 'T') {
        ignore_all();
    } else {
        ERR(ErrorCode::kCancelled);
    }
}

unsigned char MESSERR(const ShortText& old_path, const ShortText& new_name) {
    write_refused_pair(old_path, new_name);
    WRITE(kRefusalChoices);
    unsigned char key = readanswer(
        "\x1b"
        "ARIT");
    echo_answer(key);
    return key;
}

unsigned char PREESISTENTE() {
    WRITELN("*** Accesso negato");
    WRITE(kRefusalChoices);
    unsigned char key = readanswer(
        "\x1b"
        "ARIT");
    echo_answer(key);
    switch (key) {
        case 'R':
            return 'R';
        case 'I':
            give_up();
            return 'I';
        case 'T':
            ignore_all();
            return 'I';
        default:
            ERR(ErrorCode::kCancelled);
    }
}

}  // namespace dolv
