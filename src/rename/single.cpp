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
void WRITE_REFUSED_PAIR(const ShortText& old_path, const ShortText& new_name) {
    FRESHLINE();
    WRITE("*** Impossibile rinominare ");
    WRITE_NAME_PAIR(old_path, " in ", new_name);
    WRITELN();
}

void GIVE_UP() {
    counters.NEGATI++;
}

void IGNORE_ALL() {
    counters.NEGATI++;
    settings.IGNORA = true;
}

// The backup of an existing destination: the same path with ".bak" as its
// extension, made by a rename that never replaces. A path too long to take
// the whole extension is no backup name: that backup fails.
bool BACKUP(const ShortText& path) {
    ShortText backup = CHANGEFILEEXT(path, ".bak");
    if (!backup.view().ends_with(".bak")) return false;
    COMMIT_REPORT();
    JOURNAL(Step::kBackup, path, backup, ItemId());
    RENAME(path, backup);
    return IORESULT() == 0;
}

enum class Conflict { kRename, kRetry, kDone };

// The question about a destination that exists already. kRename: the way is
// clear; kRetry: start the attempt again; kDone: the item is given up.
Conflict SETTLE_EXISTING(const ShortText& destination) {
    FRESHLINE();
    WRITELN("La destinazione esiste gia'");
    WRITELN("*** Accesso negato");
    WRITE("Annulla, Riprova, Ignora, ignora Tutti, Sostituisci, riNomina ?  [A,R,I,T,S,N] ");
    unsigned char key = READANSWER(
        "\x1b"
        "ARITSN");
    WRITE(static_cast<char>(key));
    WRITELN();
    FRESHLINE();
    switch (key) {
        case 'R':
            return Conflict::kRetry;
        case 'I':
            GIVE_UP();
            return Conflict::kDone;
        case 'T':
            IGNORE_ALL();
            return Conflict::kDone;
        case 'S':
            JOURNAL(Step::kDeleted, destination, ShortText(), ItemId());
            if (DELETEFILE(destination)) return Conflict::kRename;
            WRITELN("Impossibile cancellare il file preesistente");
            return PREESISTENTE() == 'R' ? Conflict::kRetry : Conflict::kDone;
        case 'N':
            if (BACKUP(destination)) return Conflict::kRename;
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
    if (settings.SIMULA) {
        PREVIEW_RENAME(source, destination);
        return;
    }
    for (;;) {
        // Under /I an existing destination is not asked about: the rename
        // fails and is counted. Otherwise a rename that never replaces is
        // tried first, as it succeeds exactly when the destination is free;
        // only when it fails is the destination looked at.
        if (!settings.IGNORA && !SAMETEXT(N, O)) {
            COMMIT_REPORT();
            JOURNAL(Step::kRename, source, destination, id);
            if (RENAME_IF_FREE(source, destination)) {
                counters.APPLY++;
                return;
            }
            // Another spelling of the item's own name (a volume that folds
            // names) is no existing destination: the rename below takes it.
            if (EXIST(destination) >= 0 && !SAMEITEM(source, destination)) {
                Conflict c = SETTLE_EXISTING(destination);
                if (c == Conflict::kRetry) continue;
                if (c == Conflict::kDone) return;
            }
        }
        // The record of the item reaches the report file and the journal
        // before the item changes (the journal again after a question: the
        // steps it took come before this one).
        COMMIT_REPORT();
        JOURNAL(Step::kRename, source, destination, id);
        RENAME(source, destination);
        if (IORESULT() == 0) {
            counters.APPLY++;
            return;
        }
        if (settings.IGNORA) {
            WRITELN2("*** Accesso negato");
            WRITELN2();
            GIVE_UP();
            return;
        }
        switch (MESSERR(source, N)) {
            case 'R':
                continue;
            case 'I':
                GIVE_UP();
                return;
            case 'T':
                IGNORE_ALL();
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
    WRITE_REFUSED_PAIR(old_path, new_name);
    WRITELN("Nome di file di destinazione non valido, controllare le opzioni");
    if (settings.IGNORA) return;
    if (settings.SIMULA) {
        PREVIEW_ASKS("Simulazione: verrebbe chiesto cosa fare");
        return;
    }
    WRITE("Annulla, Ignora, ignora Tutti ?  [A,I,T] ");
    unsigned char key = READANSWER(
        "\x1b"
        "AIT");
    ECHO_ANSWER(key);
    if (key == 'I') {
        GIVE_UP();
    } else if (key == 'T') {
        IGNORE_ALL();
    } else {
        ERR(ErrorCode::kCancelled);
    }
}

unsigned char MESSERR(const ShortText& old_path, const ShortText& new_name) {
    WRITE_REFUSED_PAIR(old_path, new_name);
    WRITE(kRefusalChoices);
    unsigned char key = READANSWER(
        "\x1b"
        "ARIT");
    ECHO_ANSWER(key);
    return key;
}

unsigned char PREESISTENTE() {
    WRITELN("*** Accesso negato");
    WRITE(kRefusalChoices);
    unsigned char key = READANSWER(
        "\x1b"
        "ARIT");
    ECHO_ANSWER(key);
    switch (key) {
        case 'R':
            return 'R';
        case 'I':
            GIVE_UP();
            return 'I';
        case 'T':
            IGNORE_ALL();
            return 'I';
        default:
            ERR(ErrorCode::kCancelled);
    }
}

}  // namespace dolv
