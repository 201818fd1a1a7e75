// DOREN and ERRPRESU in process: every answer of every question, the
// failures that lead to them, the counters and files afterwards and the
// exact console text (colours in braces).
#include "rename/single.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/in_process.h"
#include "fakes/items.h"

namespace dolv::fake {
namespace {

using namespace std::string_literals;

const std::string kExists =
    "La destinazione esiste gia'\n*** Accesso negato\n"
    "Annulla, Riprova, Ignora, ignora Tutti, Sostituisci, riNomina ?  [A,R,I,T,S,N] ";
const std::string kRefused =
    "*** Impossibile rinominare {4}a.txt{7} in {2}b.txt{7}\n"
    "Annulla, Riprova, Ignora, ignora Tutti ?  [A,R,I,T] ";
const std::string kAgain =
    "*** Accesso negato\nAnnulla, Riprova, Ignora, ignora Tutti ?  [A,R,I,T] ";
const std::string kNoDelete = "Impossibile cancellare il file preesistente\n" + kAgain;
const std::string kNoBackup =
    "Impossibile rinominare il file preesistente in una copia di backup\n" + kAgain;
const std::string kCancelled =
    "Operazione interrotta dall' utente\nNessun file e' stato rinominato\n{on}";

void RefuseRenames() {
    Fs::Fail(Op::kRename);
}
void RefuseFirstRename() {
    // The first try, and the careful rename after it.
    Fs::Fail(Op::kRename, 1);
    Fs::Fail(Op::kRename, 2);
}
// The old file can go neither to the trash nor away.
void RefuseDelete() {
    Fs::Fail(Op::kTrash);
    Fs::Fail(Op::kDelete);
}
void NoTrash() {
    Fs::NoTrash();
}
// The destination goes away while the question is asked.
void DestinationLeavesAtRetry() {
    Fs::Before(Op::kRename, 2, [] { Fs::Remove("b.txt"); });
}
// The item goes away between the search and the rename.
void SourceVanishes() {
    Fs::Before(Op::kRename, 1, [] { Fs::Remove("a.txt"); });
}
void FoldedFolder() {
    Fs::FoldCase(kCurrentDir);
}
void SomeDone() {
    counters.APPLY = 3;
    counters.NEGATI = 1;
}

struct Row {
    const char* name;
    const char* items;
    const char* new_name;
    bool ignora;
    void (*setup)();
    std::string keys;
    int end;             // kReturned, or the HALT code
    const char* after;   // the current directory afterwards
    const char* counts;  // APPLY/NEGATI/SALTATI/TOT
    bool ignora_after;
    std::string console;
};
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

const Row kDoren[] = {
    {"FreeDestination", "a.txt", "b.txt", false, nullptr, "", kReturned, "b.txt", "1/0/0/0", false,
     ""},
    {"FreeDestinationUnderI", "a.txt", "b.txt", true, nullptr, "", kReturned, "b.txt", "1/0/0/0",
     true, ""},
    {"ExistsReplace", "a.txt b.txt", "b.txt", false, nullptr, "S", kReturned, "b.txt", "1/0/0/0",
     false, kExists + "S\n"},
    {"ExistsReplaceWithoutATrashSaysSo", "a.txt b.txt", "b.txt", false, NoTrash, "S", kReturned,
     "b.txt", "1/0/0/0", false,
     kExists + "S\n*** Il file preesistente e' stato cancellato, non ripristinabile\n"},
    {"ExistsReplaceLowerCase", "a.txt b.txt", "b.txt", false, nullptr, "s", kReturned, "b.txt",
     "1/0/0/0", false, kExists + "S\n"},
    {"ExistsBackup", "a.txt b.txt", "b.txt", false, nullptr, "N", kReturned, "b.bak b.txt",
     "1/0/0/0", false, kExists + "N\n"},
    {"ExistsIgnore", "a.txt b.txt", "b.txt", false, nullptr, "I", kReturned, "a.txt b.txt",
     "0/1/0/0", false, kExists + "I\n"},
    {"ExistsIgnoreAll", "a.txt b.txt", "b.txt", false, nullptr, "T", kReturned, "a.txt b.txt",
     "0/1/0/0", true, kExists + "T\n"},
    {"ExistsCancel", "a.txt b.txt", "b.txt", false, nullptr, "A", 1, "a.txt b.txt", "0/0/0/0",
     false, kExists + "A\n" + kCancelled},
    {"ExistsEsc", "a.txt b.txt", "b.txt", false, nullptr, "\x1b", 1, "a.txt b.txt", "0/0/0/0",
     false, kExists + "\x1b\n" + kCancelled},
    {"ExistsCancelShowsTheCounts", "a.txt b.txt", "b.txt", false, SomeDone, "A", 1, "a.txt b.txt",
     "3/1/0/0", false,
     kExists + "A\nOperazione interrotta dall' utente\n"
               "Rinominati 3 elementi ,negati 1 ,saltati 0\n{on}"},
    // Other keys are ignored without a sign; the second code of an extended
    // key (83 is the code of 'S') is dropped.
    {"ExistsIgnoresOtherKeys", "a.txt b.txt", "b.txt", false, nullptr, "xq\0\x53\r i"s, kReturned,
     "a.txt b.txt", "0/1/0/0", false, kExists + "I\n"},
    {"ExistsRetryAsksAgain", "a.txt b.txt", "b.txt", false, nullptr, "RI", kReturned, "a.txt b.txt",
     "0/1/0/0", false, kExists + "R\n" + kExists + "I\n"},
    {"ExistsRetryFindsItGone", "a.txt b.txt", "b.txt", false, DestinationLeavesAtRetry, "R",
     kReturned, "b.txt", "1/0/0/0", false, kExists + "R\n"},
    {"ExistsUnderINoQuestion", "a.txt b.txt", "b.txt", true, nullptr, "", kReturned, "a.txt b.txt",
     "0/1/0/0", true, "*** Accesso negato\n\n"},
    {"ReplaceRefusedIgnore", "a.txt b.txt", "b.txt", false, RefuseDelete, "SI", kReturned,
     "a.txt b.txt", "0/1/0/0", false, kExists + "S\n" + kNoDelete + "I\n\n"},
    {"ReplaceRefusedIgnoreAll", "a.txt b.txt", "b.txt", false, RefuseDelete, "ST", kReturned,
     "a.txt b.txt", "0/1/0/0", true, kExists + "S\n" + kNoDelete + "T\n\n"},
    {"ReplaceRefusedRetryAsksFromTheStart", "a.txt b.txt", "b.txt", false, RefuseDelete, "SRI",
     kReturned, "a.txt b.txt", "0/1/0/0", false,
     kExists + "S\n" + kNoDelete + "R\n\n" + kExists + "I\n"},
    {"ReplaceRefusedCancel", "a.txt b.txt", "b.txt", false, RefuseDelete, "SA", 1, "a.txt b.txt",
     "0/0/0/0", false, kExists + "S\n" + kNoDelete + "A\n\n" + kCancelled},
    {"ReplaceRefusedEsc", "a.txt b.txt", "b.txt", false, RefuseDelete, "S\x1b", 1, "a.txt b.txt",
     "0/0/0/0", false, kExists + "S\n" + kNoDelete + "\x1b\n\n" + kCancelled},
    {"BackupTakenIgnore", "a.txt b.bak b.txt", "b.txt", false, nullptr, "NI", kReturned,
     "a.txt b.bak b.txt", "0/1/0/0", false, kExists + "N\n" + kNoBackup + "I\n\n"},
    {"BackupTakenRetryThenReplace", "a.txt b.bak b.txt", "b.txt", false, nullptr, "NRS", kReturned,
     "b.bak b.txt", "1/0/0/0", false, kExists + "N\n" + kNoBackup + "R\n\n" + kExists + "S\n"},
    {"BackupTakenIgnoreAll", "a.txt b.bak b.txt", "b.txt", false, nullptr, "NT", kReturned,
     "a.txt b.bak b.txt", "0/1/0/0", true, kExists + "N\n" + kNoBackup + "T\n\n"},
    {"BackupTakenCancel", "a.txt b.bak b.txt", "b.txt", false, nullptr, "NA", 1,
     "a.txt b.bak b.txt", "0/0/0/0", false, kExists + "N\n" + kNoBackup + "A\n\n" + kCancelled},
    {"RefusedIgnore", "a.txt", "b.txt", false, RefuseRenames, "I", kReturned, "a.txt", "0/1/0/0",
     false, kRefused + "I\n\n"},
    {"RefusedRetry", "a.txt", "b.txt", false, RefuseFirstRename, "R", kReturned, "b.txt", "1/0/0/0",
     false, kRefused + "R\n\n"},
    {"RefusedIgnoreAllWritesOverTheEmptyLine", "a.txt", "b.txt", false, RefuseRenames, "T",
     kReturned, "a.txt", "0/1/0/0", true, kRefused + "T\n\n{@1,3}*** Accesso negato\n\n"},
    {"RefusedCancel", "a.txt", "b.txt", false, RefuseRenames, "a", 1, "a.txt", "0/0/0/0", false,
     kRefused + "A\n\n" + kCancelled},
    {"RefusedEsc", "a.txt", "b.txt", false, RefuseRenames, "", 1, "a.txt", "0/0/0/0", false,
     kRefused + "\x1b\n\n" + kCancelled},
    {"RefusedIgnoresOtherKeys", "a.txt", "b.txt", false, RefuseRenames, "sn\0\x49i"s, kReturned,
     "a.txt", "0/1/0/0", false, kRefused + "I\n\n"},
    {"RefusedUnderI", "a.txt", "b.txt", true, RefuseRenames, "", kReturned, "a.txt", "0/1/0/0",
     true, "*** Accesso negato\n\n"},
    // A directory in the way is no existing destination: the rename fails.
    {"DirectoryInTheWay", "a.txt b.txt/", "b.txt", false, nullptr, "I", kReturned, "a.txt b.txt",
     "0/1/0/0", false, kRefused + "I\n\n"},
    {"SourceVanished", "a.txt", "b.txt", false, SourceVanishes, "I", kReturned, "", "0/1/0/0",
     false, kRefused + "I\n\n"},
    // Old and new name differ only in letter case: never an existing destination.
    {"CaseOnlyOnAFoldingFolder", "a.txt", "A.TXT", false, FoldedFolder, "", kReturned, "A.TXT",
     "1/0/0/0", false, ""},
    {"CaseOnlyOnAFoldingFolderUnderI", "a.txt", "A.TXT", true, FoldedFolder, "", kReturned, "A.TXT",
     "1/0/0/0", true, ""},
};

class Doren : public InProcess, public ::testing::WithParamInterface<Row> {};

TEST_P(Doren, Row) {
    const Row& row = GetParam();
    Items(row.items);
    settings.IGNORA = row.ignora;
    Console::Reset(row.keys);
    if (row.setup) row.setup();
    const std::string new_name = row.new_name;
    // The refused rename names its new name; the rows above all rename a.txt.
    EXPECT_EQ(Ends([&] { DOREN("", "a.txt", new_name); }), row.end);
    EXPECT_EQ(Fs::Listing(), row.after);
    EXPECT_EQ(Counts(), row.counts);
    EXPECT_EQ(settings.IGNORA, row.ignora_after);
    EXPECT_EQ(Console::Transcript(), row.console);
}

INSTANTIATE_TEST_SUITE_P(Table, Doren, ::testing::ValuesIn(kDoren),
                         [](const auto& info) { return std::string(info.param.name); });

// The contents follow the names: the replaced destination is gone and the
// backup holds what the destination held.
TEST_F(InProcess, ReplaceAndBackupKeepTheRightContents) {
    Items("a.txt b.txt");
    Console::Reset("S");
    DOREN("", "a.txt", "b.txt");
    EXPECT_EQ(Fs::Content("b.txt"), "a.txt");

    FreshRun("N");
    Items("a.txt b.txt");
    DOREN("", "a.txt", "b.txt");
    EXPECT_EQ(Fs::Content("b.txt"), "a.txt");
    EXPECT_EQ(Fs::Content("b.bak"), "b.txt");
}

struct PresuRow {
    const char* name;
    bool ignora;
    std::string keys;
    int end;
    const char* counts;
    bool ignora_after;
    std::string console;
};
void PrintTo(const PresuRow& row, std::ostream* os) {
    *os << row.name;
}

const std::string kPresu =
    "*** Impossibile rinominare {4}a.txt{7} in {2}b<{7}\n"
    "Nome di file di destinazione non valido, controllare le opzioni\n";
const std::string kPresuAsk = kPresu + "Annulla, Ignora, ignora Tutti ?  [A,I,T] ";

const PresuRow kErrpresu[] = {
    {"Ignore", false, "i", kReturned, "0/1/0/0", false, kPresuAsk + "I\n\n"},
    {"IgnoreAll", false, "T", kReturned, "0/1/0/0", true, kPresuAsk + "T\n\n"},
    {"Cancel", false, "A", 1, "0/0/0/0", false, kPresuAsk + "A\n\n" + kCancelled},
    {"Esc", false, "", 1, "0/0/0/0", false, kPresuAsk + "\x1b\n\n" + kCancelled},
    {"OtherKeysIgnored", false, "rs\0\x49t"s, kReturned, "0/1/0/0", true, kPresuAsk + "T\n\n"},
    {"UnderINoQuestionNoCount", true, "", kReturned, "0/0/0/0", true, kPresu},
};

class Errpresu : public InProcess, public ::testing::WithParamInterface<PresuRow> {};

TEST_P(Errpresu, Row) {
    const PresuRow& row = GetParam();
    settings.IGNORA = row.ignora;
    Console::Reset(row.keys);
    WRITE("x");  // the question starts a fresh line
    EXPECT_EQ(Ends([] { ERRPRESU("a.txt", "b<"); }), row.end);
    EXPECT_EQ(Counts(), row.counts);
    EXPECT_EQ(settings.IGNORA, row.ignora_after);
    EXPECT_EQ(Console::Transcript(), "x\n" + row.console);
}

INSTANTIATE_TEST_SUITE_P(Table, Errpresu, ::testing::ValuesIn(kErrpresu),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dolv::fake
