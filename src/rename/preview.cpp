#include "rename/preview.h"

#include <string>
#include <unordered_map>

#include "names/items.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "platform/trash.h"
#include "report/answer.h"
#include "report/channel.h"
#include "report/counters.h"
#include "report/err.h"
#include "report/journal.h"
#include "report/settings.h"

namespace dolv {

namespace {

// Full path (letters as written) -> true when a recorded rename took the
// name, false when one freed it. A name not here is as it is on disk.
std::unordered_map<std::string, bool> names;

std::string KEY(const ShortText& path) {
    return FEXPAND(path).str();
}

bool same_item_on_disk(const ShortText& a, const ShortText& b) {
    ItemId ia, ib;
    return itemid(a, ia) && itemid(b, ib) && ia.device == ib.device && ia.inode == ib.inode;
}

}  // namespace

void preview_clear() {
    names.clear();
}

bool preview_blocked(const ShortText& from, const ShortText& to) {
    const auto known = names.find(KEY(to));
    if (known != names.end()) return known->second;
    ItemId id;
    if (!itemid(to, id)) return false;
    // The destination on disk may be the item itself, under a name that
    // differs only in letter case on a volume that folds letters: the real
    // rename changes the case.
    if (names.count(KEY(from)) != 0) return true;
    return !same_item_on_disk(from, to);
}

void preview_move(const ShortText& from, const ShortText& to) {
    names[KEY(from)] = false;
    names[KEY(to)] = true;
}

void preview_rename(const ShortText& source, const ShortText& destination) {
    // A step the journal could not take back is refused, as the real run
    // refuses it: given up under /I, asked about otherwise.
    if (!journal_takes(source) || !journal_takes(destination)) {
        if (!settings.IGNORA) return preview_asks("Simulazione: verrebbe chiesto cosa fare");
        freshline();
        WRITELN2("*** Accesso negato");
        counters.NEGATI++;
        return;
    }
    if (!preview_blocked(source, destination)) {
        preview_move(source, destination);
        counters.simulati++;
        return;
    }
    // The real rename never replaces: under /I the item is given up,
    // otherwise the user is asked.
    if (settings.IGNORA) {
        freshline();
        WRITELN2("Simulazione: la destinazione esiste gia', l' elemento verrebbe negato");
        counters.NEGATI++;
        return;
    }
    preview_asks("Simulazione: la destinazione esiste gia', verrebbe chiesto cosa fare");
    // What the answer S would do with the item in the way: the trash of its
    // file system (the destination's, or the source's folder when the way
    // is blocked by an earlier rename of the run) takes it, or it is gone.
    ItemInfo info;
    const bool on_disk = item_info(destination, 0, info) == 0;
    if (on_disk && (info.attr & FA_DIRECTORY)) return;
    WRITELN2(
        trash_takes(on_disk ? destination : source)
            ? "Simulazione: con S il file preesistente andrebbe nel cestino"
            : "Simulazione: con S il file preesistente verrebbe cancellato, non ripristinabile");
}

void preview_asks(const ShortText& line) {
    freshline();
    WRITELN2(line);
    counters.domande++;
}

ShortText preview_summary(bool of_total) {
    ShortText line =
        "Simulazione: sarebbero rinominati " + DIM_PUNTO(counters.simulati) + " elementi";
    if (of_total) line += " su " + DIM_PUNTO(counters.TOT);
    return line + " ,negati " + DIM_PUNTO(counters.NEGATI) + " ,saltati " +
           DIM_PUNTO(counters.SALTATI) + " ,con domanda " + DIM_PUNTO(counters.domande);
}

}  // namespace dolv
