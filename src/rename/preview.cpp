#include "rename/preview.h"

#include <string>
#include <unordered_map>

#include "names/items.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "report/answer.h"
#include "report/channel.h"
#include "report/counters.h"
#include "report/err.h"
#include "report/settings.h"

namespace dolv {

namespace {

// Full path (letters as written) -> true when a recorded rename took the
// name, false when one freed it. A name not here is as it is on disk.
std::unordered_map<std::string, bool> names;

std::string KEY(const ShortText& path) {
    return FEXPAND(path).str();
}

bool SAME_ITEM_ON_DISK(const ShortText& a, const ShortText& b) {
    ItemId ia, ib;
    return ITEMID(a, ia) && ITEMID(b, ib) && ia.device == ib.device && ia.inode == ib.inode;
}

}  // namespace

void PREVIEW_CLEAR() {
    names.clear();
}

bool PREVIEW_BLOCKED(const ShortText& from, const ShortText& to) {
    const auto known = names.find(KEY(to));
    if (known != names.end()) return known->second;
    ItemId id;
    if (!ITEMID(to, id)) return false;
    // The destination on disk may be the item itself, under a name that
    // differs only in letter case on a volume that folds letters: the real
    // rename changes the case.
    if (names.count(KEY(from)) != 0) return true;
    return !SAME_ITEM_ON_DISK(from, to);
}

void PREVIEW_MOVE(const ShortText& from, const ShortText& to) {
    names[KEY(from)] = false;
    names[KEY(to)] = true;
}

void PREVIEW_RENAME(const ShortText& source, const ShortText& destination) {
    if (!PREVIEW_BLOCKED(source, destination)) {
        PREVIEW_MOVE(source, destination);
        counters.SIMULATI++;
        return;
    }
    // The real rename never replaces: under /I the item is given up,
    // otherwise the user is asked.
    if (settings.IGNORA) {
        FRESHLINE();
        WRITELN2("Simulazione: la destinazione esiste gia', l' elemento verrebbe negato");
        counters.NEGATI++;
        return;
    }
    PREVIEW_ASKS("Simulazione: la destinazione esiste gia', verrebbe chiesto cosa fare");
}

void PREVIEW_ASKS(const ShortText& line) {
    FRESHLINE();
    WRITELN2(line);
    counters.DOMANDE++;
}

ShortText PREVIEW_SUMMARY(bool of_total) {
    ShortText line =
        "Simulazione: sarebbero rinominati " + DIM_PUNTO(counters.SIMULATI) + " elementi";
    if (of_total) line += " su " + DIM_PUNTO(counters.TOT);
    return line + " ,negati " + DIM_PUNTO(counters.NEGATI) + " ,saltati " +
           DIM_PUNTO(counters.SALTATI) + " ,con domanda " + DIM_PUNTO(counters.DOMANDE);
}

}  // namespace dolv
