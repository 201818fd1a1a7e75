#include "rename/walk.h"

#include "base/hot.h"
#include "platform/console.h"
#include "report/counters.h"
#include "report/err.h"

namespace dolv {

DOLV_HOT void walk_entries(SearchRec& rec, int32_t expected,
                           const std::function<void(SearchRec&)>& each) {
    int status = DOSERROR();
    while (status == 0 && expected > counters.TOT) {
        if (!(rec.name == ".") && !(rec.name == "..")) {
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
