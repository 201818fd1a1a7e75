#include "run/help.h"

#include <string_view>

#include "platform/console.h"
#include "platform/entry.h"
#include "platform/exit.h"
#include "platform/system.h"

namespace dolv {

namespace {

// Lines 1 to 21, before the pause; the last one is empty and is written over
// after the key.
const char* const kFirstBlock[] = {
    "DOLV : Rinomina uno o piu' files (e/o directory), o ne scambia i nomi.",
    "",
    nullptr,  // the version line
    "",
    "        /?         Questa schermata",
    "        /P         Chiede conferma passo passo prima di rinominare",
    "        /I         Ignora gli accessi negati",
    "        file1      Nomi file/directory d' origine",
    "        file2      Nomi file/directory di destinazione",
    "        +outfile   Scrive le informazioni in outfile se e' presente /I e /-P",
    "                   Se si indica +NUL non vi sara' alcuna descrizione al video.",
    "        /V         Visualizza le informazioni anche se esiste +outfile.",
    "                   ( +outfile deve essere diverso da +NUL )",
    "        /AA        Se outfile esiste, accoda le informazioni",
    "        /AC        Se outfile esiste, chiede se accodare o sovrascrivere le",
    "                   informazioni o uscire dal programma",
    "        /AS        Se outfile esiste, sovrascrive le informazioni",
    "        /AE        Se outfile esiste, il programma si chiude",
    "        /R         Scambia i due nomi indicati, anche su directory diverse.",
    "                   Esclude le opzioni successive.",
    "",
};

// Lines 22 to 37, after the pause.
const char* const kSecondBlock[] = {
    "        /T         Rinomina del nome interattivamente dal terminale.",
    "                   Esclude le opzioni successive.",
    "        /+ /- /0   Rinominano rispettivamente il nome in maiuscolo, minuscolo, ",
    "                   inalterato. Valide nella versione a 32 bit sotto Windows.",
    "        /E         Esclude le informazioni sui file saltati: output piu' veloce",
    "        /[prefisso Aggiunge il prefisso al file di destinazione",
    "        /]suffisso Aggiunge il suffisso al file di destinazione",
    "        /LL<nn>  /LR<nn>  Aggiungono il carattere '_' a sinistra/destra del",
    "                          nome del file fino a renderlo lungo <nn> caratteri.",
    "                          Tali opzioni si escludono a vicenda.",
    "        /S         Simula: mostra cosa verrebbe fatto senza rinominare nulla",
    "        /U         Annulla l' ultima esecuzione nella directory attuale o sotto",
    "",
    "Non e' possibile specificare una nuova unita' o percorso per la destinazione.",
    "Opzioni inverse: /-P  /-I  /-V  /-E  /-R  /-[  /-]  /-T  /-S",
    "Opzioni inizialmente abilitate: /-P  /-I  /-V  /AC  /0  /-E  /-R  /-T",
};

// The version as the help screen shows it: major and minor ("1.30").
ShortText short_version() {
    std::string_view version = program_version();
    size_t first_dot = version.find('.');
    size_t second_dot =
        first_dot == std::string_view::npos ? first_dot : version.find('.', first_dot + 1);
    return version.substr(0, second_dot);
}

ShortText version_line() {
    return "  DOLV  file1  file2  [opzioni]              Versione " + short_version() + " per " +
           OS_PROG() + " " + ShortText("32") + " bit";
}

}  // namespace

const char* program_version() {
    return DOLV_VERSION;
}

ShortText OS_PROG() {
    return ShortText(platform_name()).left(3);
}

void HELP() {
    if (WHEREX() != 1) WRITELN();
    for (const char* line : kFirstBlock) WRITELN(line ? ShortText(line) : version_line());

    WRITE("Premere un tasto per continuare...");
    if (READKEY() == 0) READKEY();
    // Erase the prompt and go back onto the empty line above it.
    GOTOXY(1, WHEREY());
    CLREOL();
    GOTOXY(1, WHEREY() - 1);

    for (const char* line : kSecondBlock) WRITELN(line);
    end_run(1);
}

}  // namespace dolv
