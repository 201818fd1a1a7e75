#include "report/err.h"

#include <cstdint>

#include "platform/console.h"
#include "platform/exit.h"
#include "report/counters.h"
#include "report/settings.h"

namespace dolv {

namespace {

// The message of each error code; kBadOption, kReportWriteFailed,
// kReservedName and kBadOptionValue are followed by the text they quote.
const char* message_of(ErrorCode code) {
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
ShortText quoted_text(ErrorCode code) {
    switch (code) {
        case ErrorCode::kBadOption:
        case ErrorCode::kBadOptionValue:
            return settings.TESTA;
        case ErrorCode::kReportWriteFailed:
            // The output that failed: the console's, or the report file.
            return output_failed() ? ShortText("standard output") : settings.OUTFILE;
        case ErrorCode::kReservedName:
            return settings.OUTFILE;
        default:
            return ShortText();
    }
}

// The message must be read: with standard output broken, it goes to
// standard error.
void start_message() {
    FLUSH();
    if (output_failed()) output_to_errors();
    freshline();
}

[[noreturn]] void finish(ErrorCode code) {
    if (code == ErrorCode::kCancelled || code == ErrorCode::kDuplicateName) {
        if (int64_t(counters.APPLY) + counters.NEGATI + counters.SALTATI != 0) {
            WRITELN("Rinominati " + DIM_PUNTO(counters.APPLY) + " elementi ,negati " +
                    DIM_PUNTO(counters.NEGATI) + " ,saltati " + DIM_PUNTO(counters.SALTATI));
        }
        if (counters.APPLY == 0) WRITELN("Nessun file e' stato rinominato");
    }
    end_run(1);
}

}  // namespace

void ERR(ErrorCode code) {
    start_message();
    if (const char* message = message_of(code)) {
        // Written in two pieces so that a long quoted text is never cut.
        WRITE(ShortText(message));
        WRITELN(quoted_text(code));
    }
    finish(code);
}

void ERR(ErrorCode code, const ShortText& message) {
    start_message();
    ShortText rest = message;
    for (int cut; (cut = rest.find('\n')) != 0; rest = rest.sub(cut + 1))
        WRITELN(rest.left(cut - 1));
    WRITELN(rest);
    finish(code);
}

}  // namespace dolv
