#include "run/driver.h"

#include "interactive/terminal.h"
#include "names/paths.h"
#include "names/validity.h"
#include "platform/console.h"
#include "platform/exit.h"
#include "rename/batch.h"
#include "rename/exchange.h"
#include "rename/preview.h"
#include "rename/undo.h"
#include "rename/walk.h"
#include "report/channel.h"
#include "report/counters.h"
#include "report/err.h"
#include "report/journal.h"
#include "report/settings.h"
#include "run/options.h"

namespace dolv {

namespace {

// The report file: kept only with /I and without /P, then checked and opened.
void set_up_report() {
    Settings& s = settings;
    if (s.OUTFILE == "+") ERR(ErrorCode::kBadOption);
    if (!s.IGNORA || s.SBS) {
        // Named, so that nobody looks for a file that is not written.
        if (!s.OUTFILE.empty())
            write_error_line("Il file di output non viene scritto senza /I o con /P: " +
                             s.OUTFILE.sub(2));
        s.OUTFILE = ShortText();
    }
    if (s.OUTFILE.empty()) return;
    s.OUTFILE = s.OUTFILE.sub(2);
    if (!s.OUTFILE.empty()) open_report();
}

// The operand checks, in their fixed order; the first failure ends the run.
// An operand with a character the program cannot hold (the command line's
// 0x1A) could match no name and make none: the run says so, before any
// other check would call it missing or reserved.
void refuse_unshown_characters(const ShortText& operand) {
    if (!operand.contains('\x1a')) return;
    ShortText shown;
    for (int i = 1; i <= operand.size(); ++i)
        shown += operand.at(i) == 0x1A ? '?' : static_cast<char>(operand.at(i));
    settings.TESTA = operand;
    ERR(ErrorCode::kBadOption, "Il parametro contiene caratteri non rappresentabili: " + shown);
}

void check_operands() {
    Settings& s = settings;
    refuse_unshown_characters(s.FILE1);
    refuse_unshown_characters(s.FILE2);
    if (!PATHOF(s.FILE2).empty() && !s.REN) ERR(ErrorCode::kDestinationPath);
    if (s.FILE1.last() == '\\') s.FILE1 += "*.*";
    if (!s.TERMINALE && s.FILE2.empty()) ERR(ErrorCode::kMissingOperand);
    if (NAMEOF(s.FILE1) == s.FILE2 && s.MAIUSCOLO == '0' && s.PREFISSO.empty() &&
        s.SUFFISSO.empty() && s.REM_PREFISSO.empty() && s.REM_SUFFISSO.empty())
        ERR(ErrorCode::kSameOperands);
    if (!s.REN && CHARRESERVED(s.FILE2, false) != 0) ERR(ErrorCode::kReservedCharacters);
    if (s.REN && CHARRESERVED(NAMEOF(s.FILE2), false) != 0) ERR(ErrorCode::kReservedCharacters);
}

// The report file's last line, after a run's closing lines.
void closing_marker() {
    if (!settings.OUTFILE.empty()) {
        WRITELN2(ShortText::repeat('-', 20) + "FINE" + ShortText::repeat('-', 20));
        WRITELN2();
    }
}

void closing_lines() {
    if (settings.simula) {
        WRITELN2(preview_summary(!settings.REN));
        write_unshown_count();
    } else {
        if (!settings.REN) {
            WRITELN2("Rinominati " + DIM_PUNTO(counters.APPLY) + " elementi su " +
                     DIM_PUNTO(counters.TOT) + " ,negati " + DIM_PUNTO(counters.NEGATI) +
                     " ,saltati " + DIM_PUNTO(counters.SALTATI));
            write_unshown_count();
        }
        if (counters.APPLY == 0) WRITELN2("Nessun file e' stato rinominato");
    }
    closing_marker();
}

// The run's mode, on its own copies of the operands.
void rename_mode() {
    // A preview asks nothing: the /P questions are left out too.
    if (settings.simula) {
        settings.SBS = false;
        preview_clear();
    }
    const ShortText file1 = settings.FILE1;
    const ShortText file2 = settings.FILE2;
    if (settings.REN) {
        EXCHANGENAME(file1, file2);
    } else if (settings.TERMINALE) {
        TERMINALE_INTERATTIVO(file1);
    } else {
        RINOMINA(file1, file2);
    }
    closing_lines();
}

// /U takes back a run already made: an operand would name something it
// does not use, and is refused as an option that does not belong.
void undo_mode() {
    if (!settings.FILE1.empty()) {
        settings.TESTA = settings.FILE1;
        ERR(ErrorCode::kBadOption);
    }
    annulla_ultima();
    closing_marker();
}

}  // namespace

void run(const std::vector<std::string>& args) {
    close_at_end(journal_close);
    journal_begin();
    if (LASTMODE() != 3) TEXTMODE(3);
    TEXTCOLOR(kColourNormal);
    TEXTBACKGROUND(kColourBackground);
    reset_settings();
    read_arguments(args);
    set_up_report();
    if (settings.annulla) {
        undo_mode();
    } else {
        check_operands();
        rename_mode();
    }
    // The closing lines must reach the output and the file: a failure here
    // is an error too.
    FLUSH();
    commit_report();
    end_run(0);
}

}  // namespace dolv
