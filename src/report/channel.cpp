#include "report/channel.h"

#include "names/paths.h"
#include "names/validity.h"
#include "platform/console.h"
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
    ERR(10);
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
    if (WHEREX() != 1) WRITELN();
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
    if (key == 'E' || key == 27) ERR(4);
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
    SET_REPORT_CLOSER(CLOSE_REPORT);
    null_device = false;
    report_open = false;
    if (settings.OUTFILE.empty()) return;
    const ShortText name = NAMEOF(settings.OUTFILE);
    if (name == "NUL") {
        null_device = true;
        return;
    }
    if (NAMERESERVED(name)) ERR(11);

    const ShortText& path = settings.OUTFILE;
    const bool exists = EXIST(path) >= 0;
    char action = 'S';
    switch (settings.ACCODA) {
        case 'A':
            action = exists ? 'A' : 'S';
            break;
        case 'E':
            if (exists) ERR(12);
            break;
        case 'C':
            action = exists ? ASK_EXISTING() : 'S';
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

void COMMIT_REPORT() {
    if (!report_open) return;
    REPORT_FLUSH();
    if (IORESULT() != 0) ERR(10);
}

void CLOSE_REPORT() {
    if (settings.OUTFILE.empty()) return;
    if (!report_open) return;
    report_open = false;
    REPORT_CLOSE();
    IORESULT();
}

bool REPORT_SILENT() {
    return !settings.OUTFILE.empty() && SILENT();
}

}  // namespace dolv
