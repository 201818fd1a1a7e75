// The run-wide operands and options, read from the command line and global
// for the whole process.
#pragma once

#include <cstdint>

#include "base/short_text.h"

namespace dolv {

struct Settings {
    ShortText FILE1;          // source operand
    ShortText FILE2;          // destination pattern (a full name under /R)
    bool SBS = false;         // /P  confirm step by step
    bool REN = false;         // /R  exchange two names
    bool IGNORA = false;      // /I  pass over refusals without questions
    bool VISUALIZZA = false;  // /V  report lines on the console too
    bool ESCLUDI = false;     // /E  no lines about skipped items
    bool TERMINALE = false;   // /T  edit each name on the terminal
    bool simula = false;      // /S  preview: nothing renamed, no question
    bool annulla = false;     // /U  take back the latest run
    char MAIUSCOLO = '0';     // '0' unchanged, '+' upper, '-' lower
    char ACCODA = 'C';        // report file exists: A append, C ask, E end, S overwrite
    ShortText OUTFILE;        // report file (with its leading '+' until the driver drops it)
    ShortText PREFISSO;       // prefix to add, as typed
    ShortText SUFFISSO;       // suffix to add, as typed
    ShortText REM_PREFISSO;   // prefix to remove, upper case
    ShortText REM_SUFFISSO;   // suffix to remove, upper case
    char GIUSTIFICA = 0;      // padding: 0 none, 'L' left, 'R' right
    int32_t NN = 0;           // padded length, 2..255
    int16_t CODE = 0;         // result of the last number conversion
    ShortText TESTA;          // segment being read (quoted by messages 1 and 13)
    ShortText CODA;           // rest of the argument after TESTA
};

extern Settings settings;

}  // namespace dolv
