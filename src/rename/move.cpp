#include "rename/move.h"

#include <string_view>

#include "base/hot.h"
#include "names/items.h"
#include "platform/fs.h"
#include "platform/name_chars.h"
#include "platform/trash.h"
#include "report/channel.h"
#include "report/journal.h"

namespace dolv {
namespace {

int g_io_status = 0;

// The place a replaced file is about to take in the trash, recorded before
// it goes there.
bool trash_notice(const ShortText& path, const ShortText& trashed) {
    return journal(Step::kTrashed, path, trashed, ItemId());
}

// Whether two paths are one text for the system: a drive in front is not
// part of a path on POSIX, and `/` is `\`.
bool same_path_text(std::string_view a, std::string_view b) {
    if (a.size() >= 2 && a[1] == ':') a.remove_prefix(2);
    if (b.size() >= 2 && b[1] == ':') b.remove_prefix(2);
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] == '/' ? '\\' : a[i];
        const char y = b[i] == '/' ? '\\' : b[i];
        if (x != y) return false;
    }
    return true;
}

// One rename that never replaces, with the guards every rename keeps.
DOLV_HOT int guarded_rename(const ShortText& old_path, const ShortText& new_path) {
    const int refusal = rename_guard(old_path, new_path);
    return refusal != 0 ? refusal : rename_no_replace(old_path, new_path);
}

// A new name that may name the item itself (another spelling on a file
// system that folds names): the item goes to a temporary name, and then to
// the new name, which is free exactly when it named the item; when it is
// not, the item goes back.
int rename_via_temp(const ShortText& from, const ShortText& to) {
    ShortText temp;
    int err = move_aside(from, temp);
    if (err != 0) return err;
    err = rename_no_replace(temp, to);
    if (err != 0) rename_no_replace(temp, from);
    return err;
}

}  // namespace

DOLV_HOT void RENAME(const ShortText& old_path, const ShortText& new_path) {
    int err = guarded_rename(old_path, new_path);
    if (err == kStatusExists && !same_path_text(old_path.view(), new_path.view()) &&
        may_be_one_item(old_path, new_path))
        err = rename_via_temp(old_path, new_path);
    if (err == 0) journal_made();
    g_io_status = err;
}

DOLV_HOT int rename_guard(const ShortText& old_path, const ShortText& new_path) {
    if (!windows_path_chars(new_path.view())) return kStatusInvalidName;
    // The open report file keeps its name, as an open file does on Windows:
    // the record of the run stays where the user asked for it.
    if (is_open_report(old_path)) return kStatusInUse;
    return 0;
}

DOLV_HOT int IORESULT() {
    const int status = g_io_status;
    g_io_status = 0;
    return status;
}

DOLV_HOT bool rename_if_free(const ShortText& old_path, const ShortText& new_path) {
    if (guarded_rename(old_path, new_path) != 0) return false;
    journal_made();
    return true;
}

bool DELETEFILE(const ShortText& path) {
    ItemInfo info;
    if (item_info(path, 0, info) != 0 || (info.attr & FA_DIRECTORY) || delete_file(path) != 0)
        return false;
    journal_made();
    return true;
}

Discarded discard_existing(const ShortText& path) {
    ShortText trashed;
    if (trash_file(path, trashed, trash_notice) == 0) {
        journal_made();
        return Discarded::kTrashed;
    }
    if (journal(Step::kDeleted, path, ShortText(), ItemId()) && DELETEFILE(path))
        return Discarded::kDeleted;
    return Discarded::kKept;
}

}  // namespace dolv
