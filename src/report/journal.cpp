#include "report/journal.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/hot.h"
#include "names/items.h"
#include "platform/store.h"
#include "report/journal_runs.h"

namespace dolv {

uint64_t journal_vouching_run = 20000;

const char kJournalUnwritable[] =
    "Impossibile scrivere il registro: questa esecuzione non potra' essere annullata";

namespace {

// The room the kind (with its mark) and the identity of a step take at most.
constexpr size_t kJournalHeadMax = 2 + 4 * (1 + 16) + 1;
// The folders a run's directory lines name, vouched for at its end (the
// first ones: a batch has one, an exchange two).
constexpr size_t kVouchedFolders = 16;
// A path's field at most: three bytes for each of a text's bytes, the end.
constexpr size_t kFieldMax = 3 * ShortText::kMax + 1;
// A step's line, or a directory line, at most.
constexpr size_t kLineMax = kJournalHeadMax + 2 * kFieldMax;

enum class State { kUnstarted, kOpen, kOff };

struct Writer {
    State state = State::kUnstarted;
    StoreFile file;
    std::string name;  // the journal's name in the store
    ShortText dir;     // the directory of the last directory line, as the steps name it
    bool has_dir = false;
    int dir_whole = 0;    // the length of that directory's whole path
    uint64_t device = 0;  // the device of the last record, and its text with a tab
    char device_text[20];
    size_t device_length = 0;
    int64_t start_ns = 0;             // the run's start (journal_begin)
    bool made = false;                // a recorded step was made
    uint64_t count = 0;               // records taken
    StoreHandle* attached = nullptr;  // /U: records go to the end of this file
    // The mark of the last step's record, in the block that holds it (a
    // block given up since makes it none): journal_made sets it.
    char* mark = nullptr;
    char* mark_block_end = nullptr;
    std::vector<ShortText> folders;  // the directories of the directory lines
};
Writer g_writer;

bool put_text(Writer& w, std::string_view text) {
    char* room = store_reserve(w.file, text.size());
    if (!room) return false;
    std::memcpy(room, text.data(), text.size());
    store_commit(w.file, room + text.size());
    return true;
}

// The line a journal that cannot be kept leaves: why, where the folder is
// the cause.
std::string unwritable_line(StoreStatus status) {
    const ShortText why = store_trouble(status, true);
    if (status == StoreStatus::kMissing || status == StoreStatus::kFailed || why.empty())
        return kJournalUnwritable;
    return "La cartella del registro " + why.str() +
           ": questa esecuzione non potra' essere annullata";
}

// The run's file, made under the next sequence number (another run that
// takes the same number at the same time makes the next one).
bool start(Writer& w, StoreStatus& status) {
    status = store_open(true);
    if (status != StoreStatus::kOk) return false;
    prune_runs();
    const uint64_t sequence = next_sequence(kept_runs());
    for (uint64_t n = sequence; n < sequence + 8; ++n) {
        w.name = journal_file_name(n);
        if (store_create(w.name, w.file)) break;
    }
    if (!w.file.state) return false;
    char start_line[24] = "S\t";
    *journal_put_number(start_line + 2, static_cast<uint64_t>(w.start_ns), '\n') = '\0';
    if (!put_text(w, kJournalHeader) || !put_text(w, start_line)) return false;
    // From here on, an item the system makes is stamped after the start.
    store_wait_past(w.start_ns);
    return true;
}

// A journal that cannot go on: the file goes, and standard error says so once.
void give_up(Writer& w, StoreStatus status = StoreStatus::kFailed) {
    if (w.file.state) {
        store_close(w.file);
        store_remove(w.name);
    }
    w.state = State::kOff;
    store_warn(unwritable_line(status));
}

// True when the journal is open for a record: the first record opens it,
// unless DOLV_NO_JOURNAL says no.
bool ready(Writer& w) {
    if (w.state == State::kOpen) return true;
    if (w.state == State::kOff) return false;
    if (!GETENV("DOLV_NO_JOURNAL").empty()) {
        w.state = State::kOff;
        return false;
    }
    w.state = State::kOpen;
    if (w.start_ns == 0) w.start_ns = store_stamp().nanoseconds;
    StoreStatus status = StoreStatus::kOk;
    if (start(w, status)) return true;
    give_up(w, status);
    return false;
}

bool separator(char c) {
    return c == '\\' || c == '/';
}

// The length of a path's directory, its closing separator (or drive) included.
size_t dir_length(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i)
        if (separator(path[i - 1])) return i;
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

// True when the path is a name in the directory of the last directory line:
// that directory's text, then a name without a separator or a drive's colon.
bool in_dir(const Writer& w, std::string_view path) {
    const std::string_view dir = w.dir.view();
    if (!w.has_dir || path.size() <= dir.size() ||
        std::memcmp(path.data(), dir.data(), dir.size()) != 0)
        return false;
    for (size_t i = dir.size(); i < path.size(); ++i)
        if (separator(path[i]) || path[i] == ':') return false;
    return true;
}

// A path's field whole, in FEXPAND's absolute form; a directory with its
// closing `\` ("" is the current one). nullptr when the whole path is as
// long as a text, or longer: it may have been cut, and could not be
// addressed again.
char* put_whole(char* out, const ShortText& path, bool is_dir, char end) {
    if (path.empty() && !is_dir) {
        *out++ = end;
        return out;
    }
    const ShortText whole = FEXPAND(path);
    if (whole.size() >= ShortText::kMax) return nullptr;
    out = journal_put_field(out, whole.view(), '\0') - 1;
    if (is_dir && whole.last() != '\\') *out++ = '\\';
    *out++ = end;
    return out;
}

// A directory line when the path lies in another directory than the last
// one written; false when it cannot be written.
bool put_dir(Writer& w, const ShortText& path) {
    if (in_dir(w, path.view())) return true;
    const ShortText dir = path.left(static_cast<int>(dir_length(path.view())));
    if (w.has_dir && w.dir.view() == dir.view()) return true;
    char* start = store_reserve(w.file, kLineMax);
    if (!start) return false;
    start[0] = 'P';
    start[1] = '\t';
    char* end = put_whole(start + 2, dir, true, '\n');
    if (!end) return false;
    w.dir = dir;
    w.has_dir = true;
    w.dir_whole = FEXPAND(dir).size();
    store_commit(w.file, end);
    if (w.folders.size() < kVouchedFolders &&
        std::find(w.folders.begin(), w.folders.end(), dir) == w.folders.end())
        w.folders.push_back(dir);
    return true;
}

// The head of a record: its kind and identity. The device's text is made
// once and kept, as a batch's items all lie on one device.
DOLV_HOT char* put_head(Writer& w, char* out, Step step, const StepIdentity& who) {
    const ItemId& id = who.id;
    *out++ = static_cast<char>(step);
    *out++ = '-';  // the mark: '+' once the step is made
    *out++ = '\t';
    if (id.device == 0 && id.inode == 0) {
        std::memcpy(out, "-\t-\t", 4);
        return out + 4;
    }
    if (id.device != w.device || w.device_length == 0) {
        w.device = id.device;
        w.device_length =
            static_cast<size_t>(journal_put_number(w.device_text, id.device, '\t') - w.device_text);
    }
    std::memcpy(out, w.device_text, w.device_length);
    out = journal_put_number(out + w.device_length, id.inode, '\t');
    if (!who.fingerprinted) return out;
    out = journal_put_number(out, static_cast<uint64_t>(who.size), '\t');
    return journal_put_number(out, static_cast<uint64_t>(who.modified_ns), '\t');
}

// A path's field: its name when it lies in the directory line's directory
// (printable ASCII as it is), else whole; nullptr when it is too long.
char* put_path(const Writer& w, char* out, const ShortText& path, char end) {
    if (!in_dir(w, path.view())) return put_whole(out, path, false, end);
    const std::string_view name = path.view().substr(w.dir.view().size());
    if (w.dir_whole + static_cast<int>(name.size()) >= ShortText::kMax) return nullptr;
    if (char* p = journal_put_plain_field(out, name, end)) return p;
    return journal_put_field(out, name, end);
}

enum class Put { kWritten, kNotQuick, kTooLong, kFailed };

// The usual step of a batch, in few instructions: both paths are plain
// names (journal_put_plain_field) in the directory of the last directory
// line. The line goes straight into the reserved room.
DOLV_HOT Put put_quick(Writer& w, Step step, const StepIdentity& who, std::string_view from,
                       std::string_view to, char*& line) {
    const std::string_view dir = w.dir.view();
    if (!w.has_dir || from.size() <= dir.size() || to.size() <= dir.size() || who.fingerprinted)
        return Put::kNotQuick;
    if (!dir.empty() && (std::memcmp(from.data(), dir.data(), dir.size()) != 0 ||
                         std::memcmp(to.data(), dir.data(), dir.size()) != 0))
        return Put::kNotQuick;
    const size_t longest = std::max(from.size(), to.size()) - dir.size();
    if (static_cast<size_t>(w.dir_whole) + longest >= ShortText::kMax) return Put::kTooLong;
    char* start = store_reserve(w.file, kLineMax);
    if (!start) return Put::kFailed;
    line = start;
    char* from_end =
        journal_put_plain_field(put_head(w, start, step, who), from.substr(dir.size()), '\t');
    char* end = from_end ? journal_put_plain_field(from_end, to.substr(dir.size()), '\n') : nullptr;
    if (!end) {
        // What was begun is no line; the room stays zero bytes, as the reader expects.
        std::memset(start, 0, kJournalHeadMax + from.size() + to.size() + 2);
        return Put::kNotQuick;
    }
    store_commit(w.file, end);
    return Put::kWritten;
}

// A step's line at out, in the directory line's terms; nullptr when a
// path is too long.
char* step_line(const Writer& w, char* out, Step step, const StepIdentity& who,
                const ShortText& from, const ShortText& to) {
    char* p = put_path(w, put_head(const_cast<Writer&>(w), out, step, who), from, '\t');
    return p ? put_path(w, p, to, '\n') : nullptr;
}

// Any other step: a directory line when its path asks for one, then the
// step's line.
Put put_step(Writer& w, Step step, const StepIdentity& who, const ShortText& from,
             const ShortText& to, char*& line) {
    if (!put_dir(w, from.empty() ? to : from)) return Put::kFailed;
    char* start = store_reserve(w.file, kLineMax);
    if (!start) return Put::kFailed;
    line = start;
    char* end = step_line(w, start, step, who, from, to);
    if (!end) {
        std::memset(start, 0, kLineMax);
        return Put::kTooLong;
    }
    store_commit(w.file, end);
    return Put::kWritten;
}

// The identity a record carries: the caller's, or the item's as the system
// tells it now, with a fingerprint where its number does not last. False
// when there is none to be had.
bool identity_of(Step step, const ShortText& path, const ItemId& id, StepIdentity& who) {
    who = StepIdentity();
    who.id = id;
    const bool given = id.device != 0 || id.inode != 0;
    // A placeholder before it is made has none; once made, its number is
    // the system's, and its size and time tell it where the number does not last.
    if (step == Step::kPlaceholder && !given) return true;
    if (given && step != Step::kPlaceholder) return true;
    ItemInfo info;
    if (item_info(path, kAskIdentity, info) != 0) return step == Step::kPlaceholder;
    if (!given) who.id = info.id;
    who.fingerprinted = !info.id_lasting;
    who.size = info.size;
    who.modified_ns = info.modified_ns;
    return true;
}

// /U's own step, at the end of the run it takes back: whole paths.
bool append_step(Writer& w, Step step, const StepIdentity& who, const ShortText& from,
                 const ShortText& to) {
    Writer whole;  // no directory line
    char line[kLineMax];
    char* end = step_line(whole, line, step, who, from, to);
    return end &&
           store_append(*w.attached, std::string_view(line, static_cast<size_t>(end - line)));
}

// Where journal_made marks the step just recorded: the mark after its kind
// in the line just committed. The temporary moves and the placeholders are
// means, never marked: a rename made through them marks its own record.
DOLV_HOT void note_mark(Writer& w, Step step, char* line) {
    if (step == Step::kAside || step == Step::kPlaceholder) return;
    w.mark = line + 1;
    w.mark_block_end = w.file.room_end;
}

// At the end of a long run: each folder's stamp, once the clock that stamps
// new items has passed it, as the run leaves the folder. A later change in
// the folder changes it.
void vouch(Writer& w) {
    if (!w.made || w.count < journal_vouching_run) return;
    for (const ShortText& folder : w.folders) {
        const int64_t stamp = folder_stamp(folder);
        if (stamp == 0) continue;
        store_wait_past(stamp);
        char* room = store_reserve(w.file, kLineMax);
        if (!room) return;
        room[0] = 'E';
        room[1] = '\t';
        char* at = journal_put_number(room + 2, static_cast<uint64_t>(stamp), '\t');
        if (char* end = put_whole(at, folder, true, '\n')) store_commit(w.file, end);
    }
}

bool aside_notice(const ShortText& from, const ShortText& temp) {
    return journal(Step::kAside, from, temp, ItemId());
}

bool placeholder_notice(const ShortText& path, const ItemId& made) {
    return journal(Step::kPlaceholder, ShortText(), path, made);
}

}  // namespace

void journal_begin() {
    g_writer.start_ns = store_stamp().nanoseconds;
    set_aside_notice(aside_notice);
    set_placeholder_notice(placeholder_notice);
}

DOLV_HOT bool journal(Step step, const ShortText& old_path, const ShortText& new_path,
                      const ItemId& id) {
    Writer& w = g_writer;
    StepIdentity who;
    const ShortText& item = step == Step::kPlaceholder ? new_path : old_path;
    if (w.attached)
        return identity_of(step, item, id, who) && append_step(w, step, who, old_path, new_path);
    if (!ready(w)) return true;
    if (!identity_of(step, item, id, who)) return false;
    char* line = nullptr;
    Put put = put_quick(w, step, who, old_path.view(), new_path.view(), line);
    if (put == Put::kNotQuick) put = put_step(w, step, who, old_path, new_path, line);
    if (put == Put::kFailed) give_up(w);
    if (put == Put::kWritten) {
        ++w.count;
        note_mark(w, step, line);
    }
    return put != Put::kTooLong;
}

bool journal_takes(const ShortText& path) {
    return !GETENV("DOLV_NO_JOURNAL").empty() || FEXPAND(path).size() < ShortText::kMax;
}

DOLV_HOT void journal_made() {
    Writer& w = g_writer;
    w.made = true;
    if (w.mark && w.file.room_end == w.mark_block_end) *w.mark = '+';
    w.mark = nullptr;
}

uint64_t journal_count() {
    return g_writer.count;
}

void journal_close() {
    Writer& w = g_writer;
    // A cut that fails leaves the zero tail, which the reader passes over.
    if (w.state == State::kOpen) {
        vouch(w);
        store_close(w.file);
        if (!w.made) store_remove(w.name);
    }
    w.state = State::kOff;
}

void journal_forget() {
    g_writer = Writer();
}

void journal_attach(StoreHandle& run) {
    g_writer.attached = &run;
}

void journal_detach() {
    g_writer.attached = nullptr;
}

}  // namespace dolv
