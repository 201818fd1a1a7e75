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
    journal(Step::kBackup, path, backup, ItemId());
    RENAME(path, backup);
    return IORESULT() == 0;
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
            journal(Step::kDeleted, destination, ShortText(), ItemId());
            if (DELETEFILE(destination)) return Conflict::kRename;
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

}  // namespace

DOLV_HOT void DOREN(const ShortText& P, const ShortText& O, const ShortText& N, const ItemId& id) {
    const ShortText source = P + O;
    const ShortText destination = P + N;
    if (settings.simula) {
        preview_rename(source, destination);
        return;
    }
    for (;;) {
        // Under /I an existing destination is not asked about: the rename
        // fails and is counted. Otherwise a rename that never replaces is
        // tried first, as it succeeds exactly when the destination is free;
        // only when it fails is the destination looked at.
        if (!settings.IGNORA && !sametext(N, O)) {
            commit_report();
            journal(Step::kRename, source, destination, id);
            if (rename_if_free(source, destination)) {
                counters.APPLY++;
                return;
            }
            // Another spelling of the item's own name (a volume that folds
            // names) is no existing destination: the rename below takes it.
            if (EXIST(destination) >= 0 && !sameitem(source, destination)) {
                Conflict c = settle_existing(destination);
                if (c == Conflict::kRetry) continue;
                if (c == Conflict::kDone) return;
            }
        }
        // The record of the item reaches the report file and the journal
        // before the item changes (the journal again after a question: the
        // steps it took come before this one).
        commit_report();
        journal(Step::kRename, source, destination, id);
        RENAME(source, destination);
        if (IORESULT() == 0) {
            counters.APPLY++;
            return;
        }
        if (settings.IGNORA) {
            WRITELN2("*** Accesso negato");
            WRITELN2();
            give_up();
            return;
        }
        switch (MESSERR(source, N)) {
            case 'R':
                continue;
            case 'I':
                give_up();
                return;
            case 'T':
                ignore_all();
                GOTOXY(WHEREX(), WHEREY() - 1);
                WRITELN("*** Accesso negato");
                WRITELN();
                return;
            default:
                ERR(ErrorCode::kCancelled);
        }
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
