// The batch walk in process: the report lines, skipped and refused names,
// the /P question with every answer, and items that change under the walk.
#include <gtest/gtest.h>

#include "fakes/run_row.h"
#include "platform/system.h"

namespace dolv::fake {
namespace {

using namespace std::string_literals;

const std::string kAsk = "  [Si,No,Tutti,Annulla] ";
const std::string kCancelled = "Operazione interrotta dall' utente\n";
const std::string kNone = "Nessun file e' stato rinominato\n";
const std::string kA = "Rinominare il file \\DATI\\a.txt in a.bak ?\n[5 bytes] A____" + kAsk;
const std::string kB = "Rinominare il file \\DATI\\b.txt in b.bak ?\n[5 bytes] A____" + kAsk;
const std::string kReportB = "Rinomina del file \\DATI\\b.txt in b.bak\n[5 bytes] A____\n";
const std::string kRefusedB =
    "*** Impossibile rinominare b.txt in b.bak\n"
    "Annulla, Riprova, Ignora, ignora Tutti ?  [A,R,I,T] ";

void BVanishes() {
    Fs::Before(Op::kRename, 1, [] { Fs::Remove("a.txt"); });
}
void RefuseB() {
    Fs::Fail(Op::kRename, 0, "b.txt");
}
void SubItems() {
    Fs::File("sub\\one.txt", "1");
    Fs::File("sub\\two.txt", "2");
}
void HiddenInSub() {
    Fs::File("sub\\.profile", "p", FA_HIDDEN);
}
void CancelAfterFirstItem() {
    Console::CancelAtCheck(1);
}
void RefuseAll() {
    Fs::Fail(Op::kRename);
}
void FoldedFolder() {
    Fs::FoldCase(kCurrentDir);
}
// A volume that folds names and gives each spelling its own identity
// (exFAT in user space).
void FoldedFolderWithIdsPerSpelling() {
    Fs::FoldCase(kCurrentDir, true);
}
void AnotherReadme() {
    Fs::File("Readme.txt", "R");
}
void ANameNoWindowsNameMayHold() {
    Fs::File("b|c.txt", "b");
}
// 0x1A in a fake name stands for a character CP850 lacks.
void NameCp850Lacks() {
    Fs::File("b\x1a.txt", "b");
}
void OnlyANameCp850Lacks() {
    Fs::File("x\x1ay.txt", "x");
}
// Dot-files as a shell treats them (POSIX).
void DotFilesAsTheShell() {
    SystemConventions conventions;
    conventions.dot_files = true;
    Fs::Conventions(conventions);
}
void ReadOnlyBackups() {
    Fs::File("c.bak", "c", FA_READONLY);
}
void ReadOnlyData() {
    Fs::File("c.dat", "c", FA_READONLY);
}
// "d\" and the long name make 257 bytes; cut to 255 they would name the decoy.
void PathTooLong() {
    Fs::File("d\\" + std::string(254, 'a') + "b");
    Fs::File("d\\" + std::string(253, 'a'));
}

const RunRow kRows[] = {
    {"ReportLinesForFilesDirectoriesAndHidden",
     "a.txt .h.txt d.txt/ x.doc",
     nullptr,
     {"*.txt", "*.bak"},
     "",
     0,
     ".h.bak a.bak d.bak x.doc",
     "Rinomina del file \\DATI\\.h.txt in .h.bak\n[6 bytes] A_H__\n"
     "Rinomina del file \\DATI\\a.txt in a.bak\n[5 bytes] A____\n"
     "Rinomina della directory \\DATI\\d.txt in d.bak\n[-1 bytes] ____D\n"
     "Rinominati 3 elementi su 3 ,negati 0 ,saltati 0\n"},
    {"UnchangedNamesAreSkipped",
     "ab.txt ac.txt",
     nullptr,
     {"a*.txt", "*.txt"},
     "",
     0,
     "ab.txt ac.txt",
     "File saltato: \\DATI\\ab.txt\nFile saltato: \\DATI\\ac.txt\n"
     "Rinominati 0 elementi su 2 ,negati 0 ,saltati 2\n" +
         kNone},
    {"UnchangedNamesAreSkippedSilentlyUnderE",
     "ab.txt",
     nullptr,
     {"a*.txt", "*.txt", "/E"},
     "",
     0,
     "ab.txt",
     "Rinominati 0 elementi su 1 ,negati 0 ,saltati 1\n" + kNone},
    {"CaseOnlyChangeIsSkippedWithoutCaseOption",
     "ab.txt",
     nullptr,
     {"ab.txt", "AB.TXT"},
     "",
     0,
     "ab.txt",
     "File saltato: \\DATI\\ab.txt\nRinominati 0 elementi su 1 ,negati 0 ,saltati 1\n" + kNone},
    {"NothingFound", "a.txt", nullptr, {"*.xyz", "*.abc"}, "", 1, "a.txt", "File non trovato\n"},
    {"NoSuchDirectory",
     "a.txt",
     nullptr,
     {"missing\\*.txt", "*.abc"},
     "",
     1,
     "a.txt",
     "File non trovato\n"},
    {"ALiteralNameIsFoundWithLettersFolded",
     "readme.TXT",
     nullptr,
     {"README.txt", "*.bak"},
     "",
     0,
     "readme.bak",
     "Rinomina del file \\DATI\\readme.TXT in readme.bak\n[10 bytes] A____\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
    {"ItemsInASubdirectoryKeepTheirDirectory",
     "one.txt",
     SubItems,
     {"sub\\", "*.old"},
     "",
     0,
     "one.txt sub",
     "Rinomina del file \\DATI\\sub\\one.txt in one.old\n[1 bytes] A____\n"
     "Rinomina del file \\DATI\\sub\\two.txt in two.old\n[1 bytes] A____\n"
     "Rinominati 2 elementi su 2 ,negati 0 ,saltati 0\n"},
    // The walk is bounded by the count taken before it: a prefix is added once.
    {"RenamedItemsThatStillMatchAreRenamedOnce",
     "a.txt b.txt",
     nullptr,
     {"*.txt", "*.txt", "/[p"},
     "",
     0,
     "pa.txt pb.txt",
     "Rinomina del file \\DATI\\a.txt in pa.txt\n[5 bytes] A____\n"
     "Rinomina del file \\DATI\\b.txt in pb.txt\n[5 bytes] A____\n"
     "Rinominati 2 elementi su 2 ,negati 0 ,saltati 0\n"},
    {"ACaseOnlyChangeUnderPlusIsRenamedWithoutAQuestion",
     "Mixed.txt",
     nullptr,
     {"*.txt", "*.*", "/+"},
     "",
     0,
     "MIXED.TXT",
     "Rinomina del file \\DATI\\Mixed.txt in MIXED.TXT\n[9 bytes] A____\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
    {"ACaseOnlyChangeUnderMinusOnAFoldingFolder",
     "MIXED.TXT",
     FoldedFolder,
     {"*.txt", "*.*", "/-"},
     "",
     0,
     "mixed.txt",
     "Rinomina del file \\DATI\\MIXED.TXT in mixed.txt\n[9 bytes] A____\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
    // Another spelling of the item's own name is found taken: no question,
    // the rename reaches it through a temporary name.
    {"AnAccentedCaseChangeOnAFoldingFolder",
     "\x82t\x82.txt",
     FoldedFolder,
     {"\x82t\x82.txt", "\x90T\x90.TXT"},
     "",
     0,
     "\x90T\x90.TXT",
     "Rinomina del file \\DATI\\\x82t\x82.txt in \x90T\x90.TXT\n[7 bytes] A____\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
    // Each spelling has its own identity: the item is moved aside for a
    // moment to see that the other spelling goes with it.
    {"AnAccentedCaseChangeWhereEachSpellingHasItsOwnIdentity",
     "\x82t\x82.txt",
     FoldedFolderWithIdsPerSpelling,
     {"\x82t\x82.txt", "\x90T\x90.TXT"},
     "",
     0,
     "\x90T\x90.TXT",
     "Rinomina del file \\DATI\\\x82t\x82.txt in \x90T\x90.TXT\n[7 bytes] A____\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
    {"ALiteralNameStandsForTheFirstFoldedNameInTheSearchOrder",
     "readme.TXT",
     AnotherReadme,
     {"README.txt", "*.bak"},
     "",
     0,
     "Readme.bak readme.TXT",
     "Rinomina del file \\DATI\\Readme.txt in Readme.bak\n[1 bytes] A____\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
    {"ANameNoWindowsNameMayHoldIsNamedAndPassedOver",
     "a.txt",
     ANameNoWindowsNameMayHold,
     {"*.txt", "*.bak"},
     "",
     0,
     "a.bak b|c.txt",
     "Rinomina del file \\DATI\\a.txt in a.bak\n[5 bytes] A____\n"
     "Nome non rappresentabile, elemento non esaminato: \\DATI\\b|c.txt\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"
     "Elementi non esaminati per il nome non rappresentabile: 1\n"},
    {"APathTooLongIsRefusedAndNoOtherItemTouched",
     "",
     PathTooLong,
     {"d\\aaaaaaaaaa*b", "x.txt", "/I"},
     "",
     0,
     "d",
     // The message names the path as far as it goes.
     "*** Impossibile rinominare d\\" + std::string(253, 'a') +
         " in x.txt\nNome di file di destinazione non valido, controllare le opzioni\n"
         "Rinominati 0 elementi su 1 ,negati 0 ,saltati 0\n" +
         kNone},
    {"EveryRenameRefusedUnderI",
     "a.txt b.txt c.txt",
     RefuseAll,
     {"*.txt", "*.bak", "/I"},
     "",
     0,
     "a.txt b.txt c.txt",
     "Rinomina del file \\DATI\\a.txt in a.bak\n[5 bytes] A____\n*** Accesso negato\n\n"
     "Rinomina del file \\DATI\\b.txt in b.bak\n[5 bytes] A____\n*** Accesso negato\n\n"
     "Rinomina del file \\DATI\\c.txt in c.bak\n[5 bytes] A____\n*** Accesso negato\n\n"
     "Rinominati 0 elementi su 3 ,negati 3 ,saltati 0\n" +
         kNone},
    // Under /I no destination is replaced: a directory, a read-only file.
    {"DestinationsThatAreNoPlainFileUnderI",
     "a.bak/ a.txt c.txt",
     ReadOnlyBackups,
     {"*.txt", "*.bak", "/I"},
     "",
     0,
     "a.bak a.txt c.bak c.txt",
     "Rinomina del file \\DATI\\a.txt in a.bak\n[5 bytes] A____\n*** Accesso negato\n\n"
     "Rinomina del file \\DATI\\c.txt in c.bak\n[5 bytes] A____\n*** Accesso negato\n\n"
     "Rinominati 0 elementi su 2 ,negati 2 ,saltati 0\n" +
         kNone},
    // A read-only destination is put aside as a backup like any other.
    {"AReadOnlyDestinationBackedUp",
     "c.txt",
     ReadOnlyData,
     {"*.txt", "*.dat"},
     "N",
     0,
     "c.bak c.dat",
     "Rinomina del file \\DATI\\c.txt in c.dat\n[5 bytes] A____\n"
     "La destinazione esiste gia'\n*** Accesso negato\n"
     "Annulla, Riprova, Ignora, ignora Tutti, Sostituisci, riNomina ?  [A,R,I,T,S,N] N\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
    // One answer for the first question; the second reads the end of the keys.
    {"AnswersThatRunOutCancelAtTheNextQuestion",
     "a.dat a.txt b.dat b.txt c.txt",
     nullptr,
     {"*.txt", "*.dat"},
     "I",
     1,
     "a.dat a.txt b.dat b.txt c.txt",
     "Rinomina del file \\DATI\\a.txt in a.dat\n[5 bytes] A____\n"
     "La destinazione esiste gia'\n*** Accesso negato\n"
     "Annulla, Riprova, Ignora, ignora Tutti, Sostituisci, riNomina ?  [A,R,I,T,S,N] I\n"
     "Rinomina del file \\DATI\\b.txt in b.dat\n[5 bytes] A____\n"
     "La destinazione esiste gia'\n*** Accesso negato\n"
     "Annulla, Riprova, Ignora, ignora Tutti, Sostituisci, riNomina ?  [A,R,I,T,S,N] \x1b\n" +
         kCancelled + "Rinominati 0 elementi ,negati 1 ,saltati 0\n" + kNone},
    {"ConfirmAnswersRunOut",
     "a.txt b.txt c.txt d.txt",
     nullptr,
     {"*.txt", "*.bak", "/P"},
     "ss",
     1,
     "a.bak b.bak c.txt d.txt",
     kA + "S\n\n" + kB + "S\n\n" + "Rinominare il file \\DATI\\c.txt in c.bak ?\n[5 bytes] A____" +
         kAsk + "\x1b\n\n" + kCancelled + "Rinominati 2 elementi ,negati 0 ,saltati 0\n"},
    {"RefusedNameIgnoredOneByOne",
     "a.txt b.txt",
     nullptr,
     {"?.txt", "CON"},
     "ii",
     0,
     "a.txt b.txt",
     "*** Impossibile rinominare a.txt in CON\n"
     "Nome di file di destinazione non valido, controllare le opzioni\n"
     "Annulla, Ignora, ignora Tutti ?  [A,I,T] I\n\n"
     "*** Impossibile rinominare b.txt in CON\n"
     "Nome di file di destinazione non valido, controllare le opzioni\n"
     "Annulla, Ignora, ignora Tutti ?  [A,I,T] I\n\n"
     "Rinominati 0 elementi su 2 ,negati 2 ,saltati 0\n" +
         kNone},
    {"RefusedNameIgnoredAll",
     "a.txt b.txt",
     nullptr,
     {"?.txt", "CON"},
     "t",
     0,
     "a.txt b.txt",
     "*** Impossibile rinominare a.txt in CON\n"
     "Nome di file di destinazione non valido, controllare le opzioni\n"
     "Annulla, Ignora, ignora Tutti ?  [A,I,T] T\n\n"
     "*** Impossibile rinominare b.txt in CON\n"
     "Nome di file di destinazione non valido, controllare le opzioni\n"
     "Rinominati 0 elementi su 2 ,negati 1 ,saltati 0\n" +
         kNone},
    {"ReservedCharacterFromThePrefixUnderI",
     "a.txt b.txt",
     nullptr,
     {"?.txt", "*.*", "/[<", "/I"},
     "",
     0,
     "a.txt b.txt",
     "*** Impossibile rinominare a.txt in <a.txt\n"
     "Nome di file di destinazione non valido, controllare le opzioni\n"
     "*** Impossibile rinominare b.txt in <b.txt\n"
     "Nome di file di destinazione non valido, controllare le opzioni\n"
     "Rinominati 0 elementi su 2 ,negati 0 ,saltati 0\n" +
         kNone},
    // `.profile` merged with `?` gives nothing; `sub\` alone passes the path check.
    {"AnEmptyNewNameBehindADirectory",
     "",
     HiddenInSub,
     {"sub\\.profile", "?"},
     "i",
     0,
     "sub",
     "*** Impossibile rinominare sub\\.profile in \n"
     "Nome di file di destinazione non valido, controllare le opzioni\n"
     "Annulla, Ignora, ignora Tutti ?  [A,I,T] I\n\n"
     "Rinominati 0 elementi su 1 ,negati 1 ,saltati 0\n" +
         kNone},
    {"ANewNameMayNotLeaveItsDirectory",
     "a.txt sub/",
     nullptr,
     {"a.txt", "*.*", "/[sub\\", "/I"},
     "",
     0,
     "a.txt sub",
     "*** Impossibile rinominare a.txt in sub\\a.txt\n"
     "Nome di file di destinazione non valido, controllare le opzioni\n"
     "Rinominati 0 elementi su 1 ,negati 0 ,saltati 0\n" +
         kNone},
    // One question for the first existing destination; T passes over the rest.
    {"ExistingDestinationsIgnoredAll",
     "w.txt/ x.bak x.txt y.bak y.txt z.bak z.txt",
     nullptr,
     {"?.txt", "*.bak"},
     "t",
     0,
     "w.bak x.bak x.txt y.bak y.txt z.bak z.txt",
     "Rinomina della directory \\DATI\\w.txt in w.bak\n[-1 bytes] ____D\n"
     "Rinomina del file \\DATI\\x.txt in x.bak\n[5 bytes] A____\n"
     "La destinazione esiste gia'\n*** Accesso negato\n"
     "Annulla, Riprova, Ignora, ignora Tutti, Sostituisci, riNomina ?  [A,R,I,T,S,N] T\n"
     "Rinomina del file \\DATI\\y.txt in y.bak\n[5 bytes] A____\n*** Accesso negato\n\n"
     "Rinomina del file \\DATI\\z.txt in z.bak\n[5 bytes] A____\n*** Accesso negato\n\n"
     "Rinominati 1 elementi su 4 ,negati 3 ,saltati 0\n"},
    // A directory in the way makes the rename fail; T passes over the rest.
    {"RefusedRenamesIgnoredAll",
     "a.bak/ a.txt b.txt/ c.bak/ c.txt",
     nullptr,
     {"?.txt", "*.bak"},
     "t",
     0,
     "a.bak a.txt b.bak c.bak c.txt",
     "Rinomina del file \\DATI\\a.txt in a.bak\n[5 bytes] A____\n"
     "*** Impossibile rinominare a.txt in a.bak\n"
     "Annulla, Riprova, Ignora, ignora Tutti ?  [A,R,I,T] T\n\n*** Accesso negato\n\n"
     "Rinomina della directory \\DATI\\b.txt in b.bak\n[-1 bytes] ____D\n"
     "Rinomina del file \\DATI\\c.txt in c.bak\n[5 bytes] A____\n*** Accesso negato\n\n"
     "Rinominati 1 elementi su 3 ,negati 2 ,saltati 0\n"},
    {"ConfirmYes",
     "a.txt b.txt",
     nullptr,
     {"*.txt", "*.bak", "/P"},
     "sS",
     0,
     "a.bak b.bak",
     kA + "S\n\n" + kB + "S\n\nRinominati 2 elementi su 2 ,negati 0 ,saltati 0\n"},
    {"ConfirmNoCountsOnlyAsExamined",
     "a.txt b.txt",
     nullptr,
     {"*.txt", "*.bak", "/P"},
     "nN",
     0,
     "a.txt b.txt",
     kA + "N\n\n" + kB + "N\n\nRinominati 0 elementi su 2 ,negati 0 ,saltati 0\n" + kNone},
    // After Tutti the later items are renamed with their report lines.
    {"ConfirmAllRenamesTheRestWithReportLines",
     "a.txt b.txt",
     nullptr,
     {"*.txt", "*.bak", "/P"},
     "t",
     0,
     "a.bak b.bak",
     kA + "T\n\n" + kReportB + "Rinominati 2 elementi su 2 ,negati 0 ,saltati 0\n"},
    // An arrow's second code (72) and Del's (83, an 'S') are dropped; 'x' is ignored.
    {"ConfirmIgnoresOtherKeys",
     "a.txt",
     nullptr,
     {"*.txt", "*.bak", "/P"},
     "\0\x48\0\x53xn"s,
     0,
     "a.txt",
     kA + "N\n\nRinominati 0 elementi su 1 ,negati 0 ,saltati 0\n" + kNone},
    {"ConfirmCancelKeepsWhatWasDone",
     "a.txt b.txt",
     nullptr,
     {"*.txt", "*.bak", "/P"},
     "Sa",
     1,
     "a.bak b.txt",
     kA + "S\n\n" + kB + "A\n\n" + kCancelled + "Rinominati 1 elementi ,negati 0 ,saltati 0\n"},
    {"ConfirmEsc",
     "a.txt",
     nullptr,
     {"*.txt", "*.bak", "/P"},
     "",
     1,
     "a.txt",
     kA + "\x1b\n\n" + kCancelled + kNone},
    {"AnItemVanishedBeforeItsRename",
     "a.txt b.txt",
     BVanishes,
     {"*.txt", "*.bak"},
     "i",
     0,
     "b.bak",
     "Rinomina del file \\DATI\\a.txt in a.bak\n[5 bytes] A____\n"
     "*** Impossibile rinominare a.txt in a.bak\n"
     "Annulla, Riprova, Ignora, ignora Tutti ?  [A,R,I,T] I\n\n" +
         kReportB + "Rinominati 1 elementi su 2 ,negati 1 ,saltati 0\n"},
    {"ARefusedItemDoesNotStopTheWalk",
     "a.txt b.txt c.txt",
     RefuseB,
     {"*.txt", "*.bak"},
     "i",
     0,
     "a.bak b.txt c.bak",
     "Rinomina del file \\DATI\\a.txt in a.bak\n[5 bytes] A____\n" + kReportB + kRefusedB +
         "I\n\nRinomina del file \\DATI\\c.txt in c.bak\n[5 bytes] A____\n"
         "Rinominati 2 elementi su 3 ,negati 1 ,saltati 0\n"},
    // A cancel between two items ends the run there.
    {"ACancelStopsBetweenTwoItems",
     "a.txt b.txt",
     CancelAfterFirstItem,
     {"*.txt", "*.bak"},
     "",
     1,
     "a.bak b.txt",
     "Rinomina del file \\DATI\\a.txt in a.bak\n[5 bytes] A____\n" + kCancelled +
         "Rinominati 1 elementi ,negati 0 ,saltati 0\n"},
    // A name the program cannot hold is named where it stands, its
    // characters shown as '?', and counted after the summary.
    {"ANameCp850LacksIsNamedInItsPlace",
     "a.txt c.txt",
     NameCp850Lacks,
     {"*.txt", "*.bak"},
     "",
     0,
     "a.bak b\x1a.txt c.bak",
     "Rinomina del file \\DATI\\a.txt in a.bak\n[5 bytes] A____\n"
     "Nome non rappresentabile, elemento non esaminato: \\DATI\\b?.txt\n"
     "Rinomina del file \\DATI\\c.txt in c.bak\n[5 bytes] A____\n"
     "Rinominati 2 elementi su 2 ,negati 0 ,saltati 0\n"
     "Elementi non esaminati per il nome non rappresentabile: 1\n"},
    {"OnlyNamesTheProgramCannotHoldIsFileNotFound",
     "",
     OnlyANameCp850Lacks,
     {"x*", "*.bak"},
     "",
     1,
     "x\x1ay.txt",
     "Nome non rappresentabile, elemento non esaminato: \\DATI\\x?y.txt\nFile non trovato\n"},
    // An operand holding such a character can match nothing and make nothing.
    {"AnOperandWithACharacterCp850LacksIsRefused",
     "a.txt",
     nullptr,
     {"\x1a.txt", "*.bak"},
     "",
     1,
     "a.txt",
     "Il parametro contiene caratteri non rappresentabili: ?.txt\n"},
    {"ADestinationWithACharacterCp850LacksIsRefused",
     "a.txt",
     nullptr,
     {"a.txt", "\x1a.bak"},
     "",
     1,
     "a.txt",
     "Il parametro contiene caratteri non rappresentabili: ?.bak\n"},
    // Where dot-files are the shell's, a wildcard never takes the leading
    // dot; a pattern that begins with '.' selects them; a literal name too.
    {"AWildcardLeavesDotFilesAlone",
     "a.txt .bashrc .git/",
     DotFilesAsTheShell,
     {"*", "*.x"},
     "",
     0,
     ".bashrc .git a.x",
     "Rinomina del file \\DATI\\a.txt in a.x\n[5 bytes] A____\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
    {"ADotPatternSelectsDotFiles",
     "a.txt .bashrc",
     DotFilesAsTheShell,
     {".b*", "*.*", "/+"},
     "",
     0,
     ".BASHRC a.txt",
     "Rinomina del file \\DATI\\.bashrc in .BASHRC\n[7 bytes] A_H__\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
    {"ALiteralDotFileIsSelected",
     ".bashrc",
     DotFilesAsTheShell,
     {".bashrc", "x.rc"},
     "",
     0,
     "x.rc",
     "Rinomina del file \\DATI\\.bashrc in x.rc\n[7 bytes] A_H__\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
};

class Batch : public InProcess, public ::testing::WithParamInterface<RunRow> {};

TEST_P(Batch, Row) {
    CheckRun(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, Batch, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The question's choices stand at column 53 of the size line, the old name
// in red and the new one in green.
TEST_F(InProcess, ConfirmationChoicesStandAtColumn53AndNamesAreColoured) {
    RunProgram({"", "a.txt", nullptr, {"*.txt", "*.bak", "/P"}, "n", 0, "", ""});
    EXPECT_EQ(Console::Row(2).find("[Si,No,Tutti,Annulla]"), 54u) << Console::Row(2);
    EXPECT_EQ(Console::InColour(4).at(0), "\\DATI\\a.txt");
    EXPECT_EQ(Console::InColour(2).at(0), "a.bak");
}

}  // namespace
}  // namespace dolv::fake
