#include "rename/walk.h"

#include "base/hot.h"
#include "names/paths.h"
#include "platform/console.h"
#include "report/channel.h"
#include "report/counters.h"
#include "report/err.h"

namespace dolv {

namespace {

// "Nome non rappresentabile ...: <path>", each character the program cannot
// show as '?'.
[[gnu::noinline]] void name_unshown(const ShortText& dir, const SearchRec& rec) {
    ShortText path = FEXPAND2(dir.empty() ? ShortText(".") : dir);
    if (path.last() != '\\') path += '\\';
    for (int i = 1; i <= rec.name.size(); ++i)
        path += rec.name.at(i) == 0x1A ? '?' : static_cast<char>(rec.name.at(i));
    freshline();
    WRITELN2("Nome non rappresentabile, elemento non esaminato: " + path);
    counters.non_rappresentabili++;
}

}  // namespace

void write_unshown_count() {
    if (counters.non_rappresentabili == 0) return;
    WRITELN2("Elementi non esaminati per il nome non rappresentabile: " +
             DIM_PUNTO(counters.non_rappresentabili));
}

DOLV_HOT void walk_entries(SearchRec& rec, int32_t expected, const ShortText& dir,
                           const std::function<void(SearchRec&)>& each) {
    int status = DOSERROR();
    // The bound counts the entries handed on; a name passed over after the
    // last of them is still named.
    while (status == 0 && (expected > counters.TOT || rec.unshown)) {
        if (rec.unshown) {
            name_unshown(dir, rec);
        } else if (!(rec.name == ".") && !(rec.name == "..")) {
            counters.TOT++;
            each(rec);
            check_cancel();
        }
        FINDNEXT(rec);
        status = DOSERROR();
    }
    findclose(rec);
    if (counters.TOT == 0) ERR(ErrorCode::kNotFound);
}

}  // namespace dolv
