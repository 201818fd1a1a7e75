// The terminal rename: every item that matches the source is shown, and the
// user types its new name in the line editor.
#include "interactive/terminal.h"

#include <cstdint>

#include "interactive/editor.h"
#include "names/items.h"
#include "names/paths.h"
#include "names/search.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "platform/key_codes.h"
#include "rename/batch.h"
#include "rename/single.h"
#include "rename/walk.h"
#include "report/counters.h"
#include "report/err.h"
#include "report/settings.h"

namespace dolv {

namespace {

constexpr uint8_t kFieldLeft = 2;
constexpr uint8_t kFieldRight = 79;

void show_item(const ShortText& D, const ShortText& E) {
    ShortText path = D + E;
    freshline();
    WRITELN();
    WRITELN("[" + DIM_PUNTO(EXIST(path)) + " bytes]   " + ATTR(path));
    WRITE("Nome originale ");
    WRITE(ISDIR(path) ? "della directory " : "del file ");
    TEXTCOLOR(kColourOldName);
    WRITE(E);
    TEXTCOLOR(kColourNormal);
    WRITELN();
}

// The new name typed for E, or the end of the run when the user cancels.
// An empty answer keeps the old name.
ShortText ask_new_name(const ShortText& E, bool& overwrite) {
    // The cursor starts just after the name; a name of 255 bytes has no
    // position after its end, so the cursor starts on its last character.
    int start = E.size() + 1;
    if (start > ShortText::kMax) start = ShortText::kMax;
    uint8_t column = static_cast<uint8_t>(start);
    uint8_t position = static_cast<uint8_t>(start);
    uint8_t extended = 0;
    uint8_t last_key = 0;
    ShortText typed =
        READSTRING2(E, kFieldLeft, kFieldRight, overwrite, extended, last_key, column, position);
    if (last_key == kKeyEsc) {
        WRITELN();
        WRITELN();
        ERR(ErrorCode::kCancelled);
    }
    return typed.empty() ? E : typed;
}

void rename_item(const ShortText& D, const SearchRec& rec, bool& overwrite) {
    const ShortText& E = rec.name;
    settings.FILE2 = ask_new_name(E, overwrite);
    const ShortText& N = settings.FILE2;
    if (N == E) {
        ++counters.SALTATI;
        return;
    }
    // The new name must be a bare name: a separator would move the item out
    // of its directory. An old path over 255 bytes cannot be addressed: cut
    // short, it could name another item.
    if (!acceptable_new_name(D, N) || D.size() + E.size() > ShortText::kMax) {
        ERRPRESU(D + E, N);
        return;
    }
    freshline();
    WRITELN();
    DOREN(D, E, N, rec.id);
}

}  // namespace

void TERMINALE_INTERATTIVO(const ShortText& source) {
    counters.TOT = 0;
    counters.APPLY = 0;
    bool overwrite = true;

    ShortText P = source_path(FEXPAND2(source));
    ShortText D = PATHOF(P);
    ShortText counted_dir = D;
    if (D.last() == '\\' && D.size() > 3) counted_dir = D.left(D.size() - 1);
    int32_t expected = CONTATHIS(counted_dir, NAMEOF(P));

    SearchRec rec;
    findfirst_walk(P, FA_ALL_BUT_LABELS, false, rec);
    walk_entries(rec, expected, D, [&](SearchRec& entry) {
        const ShortText E = entry.name;
        show_item(D, E);
        rename_item(D, entry, overwrite);
    });
    WRITELN();
    WRITELN();
}

}  // namespace dolv
