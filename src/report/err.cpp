#include "report/err.h"

#include <cstdint>

#include "platform/console.h"
#include "report/counters.h"
#include "report/journal.h"
#include "report/settings.h"

namespace dolv {

namespace {

ReportCloser report_closer = nullptr;

// The message of each error code; kBadOption, kReportWriteFailed,
// kReservedName and kBadOptionValue are followed by the text they quote.
const char* MESSAGE(ErrorCode code) {
    switch (code) {
        case ErrorCode::kBadOption:
            return "Opzione non valida: ";
        case ErrorCode::kMissingOperand:
            return "Manca un parametro indispensabile";
        case ErrorCode::kSameOperands:
            return "I due parametri indispensabili sono uguali";
        case ErrorCode::kCancelled:
            return "Operazione interrotta dall' utente";
        case ErrorCode::kNotFound:
            return "File non trovato";
        case ErrorCode::kDestinationPath:
            return "Non e' possibile specificare una nuova unita' o percorso per la destinazione";
        case ErrorCode::kDuplicateName:
            return "Nome file duplicato o file gia' in uso";
        case ErrorCode::kReservedCharacters:
            return "Il file di destinazione contiene caratteri riservati che non pu\x95 avere.";
        case ErrorCode::kTempNameExists:
            return "Il nome temporaneo esiste gia'. Impossibile scambiare gli elementi.";
        case ErrorCode::kReportWriteFailed:
            return "Errore in scrittura del file di output: ";
        case ErrorCode::kReservedName:
            return "Nome di file riservato ";
        case ErrorCode::kReportExists:
            return "Il file di output esiste gia'";
        case ErrorCode::kBadOptionValue:
            return "Valore non valido per l'opzione: ";
        default:
            return nullptr;
    }
}

// The text a message quotes after its fixed part.
ShortText QUOTED(ErrorCode code) {
    switch (code) {
        case ErrorCode::kBadOption:
        case ErrorCode::kBadOptionValue:
            return settings.TESTA;
        case ErrorCode::kReportWriteFailed:
            // The output that failed: the console's, or the report file.
            return OUTPUT_FAILED() ? ShortText("standard output") : settings.OUTFILE;
        case ErrorCode::kReservedName:
            return settings.OUTFILE;
        default:
            return ShortText();
    }
}

}  // namespace

void SET_REPORT_CLOSER(ReportCloser closer) {
    report_closer = closer;
}

void ERR(ErrorCode code) {
    // The message must be read: with standard output broken, it goes to
    // standard error.
    FLUSH();
    if (OUTPUT_FAILED()) OUTPUT_TO_ERRORS();
    FRESHLINE();
    if (const char* message = MESSAGE(code)) {
        // Written in two pieces so that a long quoted text is never cut.
        WRITE(ShortText(message));
        WRITELN(QUOTED(code));
    }
    if (code == ErrorCode::kCancelled || code == ErrorCode::kDuplicateName) {
        if (int64_t(counters.APPLY) + counters.NEGATI + counters.SALTATI != 0) {
            WRITELN("Rinominati " + DIM_PUNTO(counters.APPLY) + " elementi ,negati " +
                    DIM_PUNTO(counters.NEGATI) + " ,saltati " + DIM_PUNTO(counters.SALTATI));
        }
        if (counters.APPLY == 0) WRITELN("Nessun file e' stato rinominato");
    }
    if (report_closer) report_closer();
    JOURNAL_CLOSE();
    CURSORON();
    HALT(1);
}

}  // namespace dolv
