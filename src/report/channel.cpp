#include "report/channel.h"

#include "base/hot.h"
#include "names/paths.h"
#include "names/validity.h"
#include "platform/console.h"
#include "platform/exit.h"
#include "platform/fs.h"
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

bool SILENT() {
    return null_device || settings.OUTFILE == "NUL";
}

void TO_FILE(const ShortText& text, bool line_end) {
    if (report_open) {
        REPORT_WRITE(text, line_end);
        if (IORESULT() == 0) return;
    }
    ERR(ErrorCode::kReportWriteFailed);
}

void PUT(const ShortText& text, bool line_end) {
    if (settings.OUTFILE.empty()) {
        if (line_end) {
            WRITELN(text);
        } else {
            WRITE(text);
        }
        return;
    }
    if (SILENT()) return;
    if (settings.VISUALIZZA) {
        if (line_end) {
            WRITELN(text);
        } else {
            WRITE(text);
        }
    }
    TO_FILE(text, line_end);
}

// The question about an existing report file; returns 'S' or 'A', or ends
// the run. The scan code of an extended key is taken as the answer as it is.
char ASK_EXISTING() {
    FRESHLINE();
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

}  // namespace

void WRITE2(const ShortText& text) {
    PUT(text, false);
}

void WRITELN2(const ShortText& text) {
    PUT(text, true);
}

void OPEN_REPORT() {
    close_at_end(CLOSE_REPORT);
    null_device = false;
    report_open = false;
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
            if (exists) action = settings.SIMULA ? 'A' : ASK_EXISTING();
            break;
        default:
            break;
    }
    if (action == 'A') {
        REPORT_APPEND(path);
    } else {
        REPORT_CREATE(path);
    }
    // A file that could not be opened is reported at the first line written.
    report_open = IORESULT() == 0;
}

DOLV_HOT void COMMIT_REPORT() {
    // The console's report lines go out before the rename they record, as
    // the report file's do: lines lost there (a full disk, a pipe without a
    // reader) are a failed report as well, and no rename follows them.
    FLUSH();
    if (OUTPUT_FAILED()) ERR(ErrorCode::kReportWriteFailed);
    if (!report_open) return;
    REPORT_FLUSH();
    if (IORESULT() != 0) ERR(ErrorCode::kReportWriteFailed);
}

void CLOSE_REPORT() {
    if (settings.OUTFILE.empty()) return;
    if (!report_open) return;
    report_open = false;
    REPORT_CLOSE();
    IORESULT();
}

DOLV_HOT bool REPORT_SILENT() {
    return !settings.OUTFILE.empty() && SILENT();
}

}  // namespace dolv
