#include "report/channel.h"

#include "base/hot.h"
#include "names/paths.h"
#include "names/validity.h"
#include "platform/console.h"
#include "platform/exit.h"
#include "platform/fs.h"
#include "platform/name_chars.h"
#include "report/err.h"
#include "report/settings.h"

namespace dolv {

namespace {

// Set when the report file names the null device with a directory in front
// (`sub\NUL`): nothing is opened, so the channel stays silent like `NUL`.
bool null_device = false;
// Set when the report file was created or opened; a channel in file mode
// without it fails at its first line.
bool report_open = false;
// The open report file's last name as opened, and its identity; an empty
// name when none is open or the system told no identity.
ShortText report_name;
ItemId report_id;

bool is_silent() {
    return null_device || settings.OUTFILE == "NUL";
}

void to_file(const ShortText& text, bool line_end) {
    if (report_open && report_write(text, line_end) == 0) return;
    ERR(ErrorCode::kReportWriteFailed);
}

// A report line's piece on the console (report_output: where questions go
// elsewhere, report lines keep to standard output).
DOLV_HOT void to_console(const ShortText& text, bool line_end) {
    report_output(true);
    if (line_end) {
        WRITELN(text);
    } else {
        WRITE(text);
    }
    report_output(false);
}

DOLV_HOT void put_text(const ShortText& text, bool line_end) {
    if (settings.OUTFILE.empty()) {
        to_console(text, line_end);
        return;
    }
    if (is_silent()) return;
    if (settings.VISUALIZZA) to_console(text, line_end);
    to_file(text, line_end);
}

// The question about an existing report file; returns 'S' or 'A', or ends
// the run. The scan code of an extended key is taken as the answer as it is.
char ask_existing() {
    freshline();
    WRITELN();
    WRITELN("Il file di output esiste gia'");
    WRITE("Sovrascrivi, Accoda, Esci ?  [S,A,E] ");
    unsigned char key;
    for (;;) {
        key = READKEY();
        if (key == 0) {
            key = READKEY();
        } else if (key >= 'a' && key <= 'z') {
            key = static_cast<unsigned char>(key - 'a' + 'A');
        }
        if (key == 27 || key == 'A' || key == 'E' || key == 'S') break;
    }
    WRITE(static_cast<char>(key));
    WRITELN();
    settings.ACCODA = static_cast<char>(key);
    if (key == 'E' || key == 27) ERR(ErrorCode::kCancelled);
    return static_cast<char>(key);
}

// Creates the report file, or opens it to append; false when it cannot be.
// A name no Windows name could be, or no file name at all, is refused.
bool open_report_file(const ShortText& path, bool append) {
    std::string_view dir, name;
    split_last(path.view(), dir, name);
    if (!windows_path_chars(path.view()) || name.empty()) return false;
    ItemId id;
    if ((append ? report_append(path, id) : report_create(path, id)) != 0) return false;
    if (id.device != 0 || id.inode != 0) {
        report_name = ShortText(name);
        report_id = id;
    }
    return true;
}

}  // namespace

void WRITE2(const ShortText& text) {
    put_text(text, false);
}

void WRITELN2(const ShortText& text) {
    put_text(text, true);
}

void open_report() {
    close_at_end(close_report);
    null_device = false;
    report_open = false;
    report_name = ShortText();
    if (settings.OUTFILE.empty()) return;
    const ShortText name = NAMEOF(settings.OUTFILE);
    if (name == "NUL") {
        null_device = true;
        return;
    }
    if (NAMERESERVED(name)) ERR(ErrorCode::kReservedName);

    const ShortText& path = settings.OUTFILE;
    const bool exists = EXIST(path) >= 0;
    char action = 'S';
    switch (settings.ACCODA) {
        case 'A':
            action = exists ? 'A' : 'S';
            break;
        case 'E':
            if (exists) ERR(ErrorCode::kReportExists);
            break;
        case 'C':
            // A preview asks nothing and loses nothing: it appends.
            if (exists) action = settings.simula ? 'A' : ask_existing();
            break;
        default:
            break;
    }
    // A file that could not be opened is reported at the first line written.
    report_open = open_report_file(path, action == 'A');
}

DOLV_HOT void commit_report() {
    // The console's report lines go out before the rename they record, as
    // the report file's do: lines lost there (a full disk, a pipe without a
    // reader) are a failed report as well, and no rename follows them.
    FLUSH();
    if (output_failed()) ERR(ErrorCode::kReportWriteFailed);
    if (!report_open) return;
    if (report_flush() != 0) ERR(ErrorCode::kReportWriteFailed);
}

void close_report() {
    if (settings.OUTFILE.empty()) return;
    if (!report_open) return;
    report_open = false;
    report_name = ShortText();
    report_close();
}

DOLV_HOT bool is_open_report(const ShortText& path) {
    // The name is compared first, so that other items cost no query.
    if (report_name.empty()) return false;
    std::string_view dir, name;
    split_last(path.view(), dir, name);
    if (name != report_name.view()) return false;
    ItemInfo info;
    return item_info(path, kAskIdentity, info) == 0 && info.id.device == report_id.device &&
           info.id.inode == report_id.inode;
}

DOLV_HOT bool report_silent() {
    return !settings.OUTFILE.empty() && is_silent();
}

}  // namespace dolv
