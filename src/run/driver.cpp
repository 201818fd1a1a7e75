#include "run/driver.h"

#include "interactive/terminal.h"
#include "names/paths.h"
#include "names/validity.h"
#include "platform/console.h"
#include "rename/batch.h"
#include "rename/exchange.h"
#include "report/channel.h"
#include "report/counters.h"
#include "report/err.h"
#include "report/settings.h"
#include "run/options.h"

namespace dolv {

namespace {

// The report file: kept only with /I and without /P, then checked and opened.
void SET_UP_REPORT() {
    Settings& s = settings;
    if (s.OUTFILE == "+") ERR(1);
    if (!s.IGNORA || s.SBS) s.OUTFILE = ShortText();
    if (s.OUTFILE.empty()) return;
    s.OUTFILE = s.OUTFILE.sub(2);
    if (!s.OUTFILE.empty()) OPEN_REPORT();
}

// The operand checks, in their fixed order; the first failure ends the run.
void CHECK_OPERANDS() {
    Settings& s = settings;
    if (!PATHOF(s.FILE2).empty() && !s.REN) ERR(6);
    if (s.FILE1.last() == '\\') s.FILE1 += "*.*";
    if (!s.TERMINALE && s.FILE2.empty()) ERR(2);
    if (NAMEOF(s.FILE1) == s.FILE2 && s.MAIUSCOLO == '0' && s.PREFISSO.empty() &&
        s.SUFFISSO.empty() && s.REM_PREFISSO.empty() && s.REM_SUFFISSO.empty())
        ERR(3);
    if (!s.REN && CHARRESERVED(s.FILE2, false) != 0) ERR(8);
    if (s.REN && CHARRESERVED(NAMEOF(s.FILE2), false) != 0) ERR(8);
}

void CLOSING_LINES() {
    if (!settings.REN) {
        WRITELN2("Rinominati " + DIM_PUNTO(counters.APPLY) + " elementi su " +
                 DIM_PUNTO(counters.TOT) + " ,negati " + DIM_PUNTO(counters.NEGATI) + " ,saltati " +
                 DIM_PUNTO(counters.SALTATI));
    }
    if (counters.APPLY == 0) WRITELN2("Nessun file e' stato rinominato");
    if (!settings.OUTFILE.empty()) {
        WRITELN2(ShortText::repeat('-', 20) + "FINE" + ShortText::repeat('-', 20));
        WRITELN2();
    }
}

}  // namespace

int RUN(const std::vector<std::string>& args) {
    if (LASTMODE() != 3) TEXTMODE(3);
    TEXTCOLOR(7);
    TEXTBACKGROUND(0);
    RESET_SETTINGS();
    READ_ARGUMENTS(args);
    SET_UP_REPORT();
    CHECK_OPERANDS();

    // The modes get their own copies of the operands.
    const ShortText file1 = settings.FILE1;
    const ShortText file2 = settings.FILE2;
    if (settings.REN) {
        EXCHANGENAME(file1, file2);
    } else if (settings.TERMINALE) {
        TERMINALE_INTERATTIVO(file1);
    } else {
        RINOMINA(file1, file2);
    }

    CLOSING_LINES();
    // The closing lines must reach the file: a failure here is an error too.
    COMMIT_REPORT();
    CLOSE_REPORT();
    CURSORON();
    return 0;
}

}  // namespace dolv
