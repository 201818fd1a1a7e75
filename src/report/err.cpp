#include "report/err.h"

#include <cstdint>

#include "platform/console.h"
#include "report/counters.h"
#include "report/settings.h"

namespace dolv {

namespace {

ReportCloser report_closer = nullptr;

// The message of each error code; the codes 1, 10, 11 and 13 are followed
// by the text they quote.
const char* MESSAGE(uint8_t code) {
    switch (code) {
        case 1:
            return "Opzione non valida: ";
        case 2:
            return "Manca un parametro indispensabile";
        case 3:
            return "I due parametri indispensabili sono uguali";
        case 4:
            return "Operazione interrotta dall' utente";
        case 5:
            return "File non trovato";
        case 6:
            return "Non e' possibile specificare una nuova unita' o percorso per la destinazione";
        case 7:
            return "Nome file duplicato o file gia' in uso";
        case 8:
            return "Il file di destinazione contiene caratteri riservati che non pu\x95 avere.";
        case 9:
            return "Il nome temporaneo esiste gia'. Impossibile scambiare gli elementi.";
        case 10:
            return "Errore in scrittura del file di output: ";
        case 11:
            return "Nome di file riservato ";
        case 12:
            return "Il file di output esiste gia'";
        case 13:
            return "Valore non valido per l'opzione: ";
        default:
            return nullptr;
    }
}

// The text a message quotes after its fixed part.
ShortText QUOTED(uint8_t code) {
    switch (code) {
        case 1:
        case 13:
            return settings.TESTA;
        case 10:
        case 11:
            return settings.OUTFILE;
        default:
            return ShortText();
    }
}

}  // namespace

void SET_REPORT_CLOSER(ReportCloser closer) {
    report_closer = closer;
}

void ERR(uint8_t code) {
    if (WHEREX() != 1) WRITELN();
    if (const char* message = MESSAGE(code)) {
        // Written in two pieces so that a long quoted text is never cut.
        WRITE(ShortText(message));
        WRITELN(QUOTED(code));
    }
    if (code == 4 || code == 7) {
        if (int64_t(counters.APPLY) + counters.NEGATI + counters.SALTATI != 0) {
            WRITELN("Rinominati " + DIM_PUNTO(counters.APPLY) + " elementi ,negati " +
                    DIM_PUNTO(counters.NEGATI) + " ,saltati " + DIM_PUNTO(counters.SALTATI));
        }
        if (counters.APPLY == 0) WRITELN("Nessun file e' stato rinominato");
    }
    if (report_closer) report_closer();
    CURSORON();
    HALT(1);
}

}  // namespace dolv
