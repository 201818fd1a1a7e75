#include "report/err.h"

#include <cstdint>

#include "platform/console.h"
#include "report/channel.h"
#include "report/counters.h"
#include "run/settings.h"

namespace dolv {

namespace {

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
    CLOSE_REPORT();
    CURSORON();
    HALT(1);
}

ShortText FREVERSE(const ShortText& text) {
    ShortText reversed = text;
    const int n = text.size();
    for (int i = 1; i <= n; ++i) reversed.set(i, static_cast<char>(text.at(n - i + 1)));
    return reversed;
}

ShortText DIM_PUNTO(int64_t value) {
    const bool negative = value < 0;
    // The magnitude as unsigned, so that the most negative value has one too.
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    ShortText reversed;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) reversed += '.';
        reversed += static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    ShortText result = FREVERSE(reversed);
    return negative ? "-" + result : result;
}

}  // namespace dolv
