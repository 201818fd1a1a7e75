// The preview (/S) in process: every kind of conflict, chains and cycles of
// names, case-only changes, /P, /R, /T and the report file under /S, and the
// closing counts. No row may change the disk.
#include <gtest/gtest.h>

#include "fakes/run_row.h"

namespace dolv::fake {
namespace {

using namespace std::string_literals;

const std::string kTemp = "@!$\x9C@!$\x9C.TMP";

// Every item below the current directory with its content, the report file
// left aside.
std::string Tree(const std::string& dir = kCurrentDir) {
    std::string all;
    for (const std::string& name : Fs::Names(dir)) {
        if (name == "rep.txt") continue;
        const std::string path = dir + "\\" + name;
        all += name + (Fs::IsDir(path) ? "{" + Tree(path) + "} " : "=" + Fs::Content(path) + " ");
    }
    return all;
}

void BInD() {
    Fs::Remove("b");
    Fs::File("d\\b", "b");
}
void Leftover() {
    BInD();
    Fs::File(kTemp, "t");
}
void SecondStepBlocked() {
    BInD();
    Fs::File("d\\a", "x");
}
void FoldedLetters() {
    Fs::FoldCase(kCurrentDir);
}
void OldReport() {
    Fs::File("rep.txt", "old\r\n");
}

// The console column holds everything written; `after` is unused: the disk
// must stay as it was.
const RunRow kRows[] = {
    {"FreeDestinationIsReportedNotRenamed",
     "a.txt",
     nullptr,
     {"a.txt", "a.bak", "/S"},
     "",
     0,
     "",
     "Rinomina del file \\DATI\\a.txt in a.bak\n[5 bytes] A____\n"
     "Simulazione: sarebbero rinominati 1 elementi su 1 ,negati 0 ,saltati 0 ,con domanda 0\n"},
    {"Counts",
     "a.txt b.txt b.bak c.doc",
     nullptr,
     {"*.*", "*.bak", "/S"},
     "",
     0,
     "",
     "Rinomina del file \\DATI\\a.txt in a.bak\n"
     "[5 bytes] A____\n"
     "File saltato: \\DATI\\b.bak\n"
     "Rinomina del file \\DATI\\b.txt in b.bak\n"
     "[5 bytes] A____\n"
     "Simulazione: la destinazione esiste gia', verrebbe chiesto cosa fare\n"
     "Simulazione: con S il file preesistente andrebbe nel cestino\n"
     "Rinomina del file \\DATI\\c.doc in c.bak\n"
     "[5 bytes] A____\n"
     "Simulazione: sarebbero rinominati 2 elementi su 4 ,negati 0 ,saltati 1 ,con domanda 1\n"},
    {"ExistingDestinationWouldAsk",
     "a.txt a.bak",
     nullptr,
     {"a.txt", "a.bak", "/S"},
     "",
     0,
     "",
     "Rinomina del file \\DATI\\a.txt in a.bak\n"
     "[5 bytes] A____\n"
     "Simulazione: la destinazione esiste gia', verrebbe chiesto cosa fare\n"
     "Simulazione: con S il file preesistente andrebbe nel cestino\n"
     "Simulazione: sarebbero rinominati 0 elementi su 1 ,negati 0 ,saltati 0 ,con domanda 1\n"},
    // Where no trash can take the file in the way, S would delete it.
    {"ExistingDestinationWithoutATrash",
     "a.txt a.bak",
     [] { Fs::NoTrash(); },
     {"a.txt", "a.bak", "/S"},
     "",
     0,
     "",
     "Rinomina del file \\DATI\\a.txt in a.bak\n"
     "[5 bytes] A____\n"
     "Simulazione: la destinazione esiste gia', verrebbe chiesto cosa fare\n"
     "Simulazione: con S il file preesistente verrebbe cancellato, non ripristinabile\n"
     "Simulazione: sarebbero rinominati 0 elementi su 1 ,negati 0 ,saltati 0 ,con domanda 1\n"},
    {"ExistingDestinationUnderIWouldBeRefused",
     "a.txt a.bak",
     nullptr,
     {"a.txt", "a.bak", "/S", "/I"},
     "",
     0,
     "",
     "Rinomina del file \\DATI\\a.txt in a.bak\n"
     "[5 bytes] A____\n"
     "Simulazione: la destinazione esiste gia', l' elemento verrebbe negato\n"
     "Simulazione: sarebbero rinominati 0 elementi su 1 ,negati 1 ,saltati 0 ,con domanda 0\n"},
    {"ChainIsJudgedWithTheNamesFreedBefore",
     "xa xxa",
     nullptr,
     {"*", "*", "/-[x", "/S"},
     "",
     0,
     "",
     "Rinomina del file \\DATI\\xa in a\n"
     "[2 bytes] A____\n"
     "Rinomina del file \\DATI\\xxa in xa\n"
     "[3 bytes] A____\n"
     "Simulazione: sarebbero rinominati 2 elementi su 2 ,negati 0 ,saltati 0 ,con domanda 0\n"},
    {"ChainTheOtherWayMeetsTheNameNotYetFreed",
     "x xx",
     nullptr,
     {"*", "*", "/[x", "/S"},
     "",
     0,
     "",
     "Rinomina del file \\DATI\\x in xx\n"
     "[1 bytes] A____\n"
     "Simulazione: la destinazione esiste gia', verrebbe chiesto cosa fare\n"
     "Simulazione: con S il file preesistente andrebbe nel cestino\n"
     "Rinomina del file \\DATI\\xx in xxx\n"
     "[2 bytes] A____\n"
     "Simulazione: sarebbero rinominati 1 elementi su 2 ,negati 0 ,saltati 0 ,con domanda 1\n"},
    {"InvalidNewNameWouldAsk",
     "a.txt",
     nullptr,
     {"a.txt", "*.*", "/[<", "/S"},
     "",
     0,
     "",
     "*** Impossibile rinominare a.txt in <a.txt\n"
     "Nome di file di destinazione non valido, controllare le opzioni\n"
     "Simulazione: verrebbe chiesto cosa fare\n"
     "Simulazione: sarebbero rinominati 0 elementi su 1 ,negati 0 ,saltati 0 ,con domanda 1\n"},
    {"InvalidNewNameUnderI",
     "a.txt",
     nullptr,
     {"a.txt", "*.*", "/[<", "/S", "/I"},
     "",
     0,
     "",
     "*** Impossibile rinominare a.txt in <a.txt\n"
     "Nome di file di destinazione non valido, controllare le opzioni\n"
     "Simulazione: sarebbero rinominati 0 elementi su 1 ,negati 0 ,saltati 0 ,con domanda 0\n"},
    {"CaseOnlyChangeIsARename",
     "ab.txt",
     nullptr,
     {"ab.txt", "*.*", "/+", "/S"},
     "",
     0,
     "",
     "Rinomina del file \\DATI\\ab.txt in AB.TXT\n"
     "[6 bytes] A____\n"
     "Simulazione: sarebbero rinominati 1 elementi su 1 ,negati 0 ,saltati 0 ,con domanda 0\n"},
    {"CaseOnlyChangeOnFoldedLetters",
     "ab.txt",
     FoldedLetters,
     {"ab.txt", "*.*", "/+", "/S"},
     "",
     0,
     "",
     "Rinomina del file \\DATI\\ab.txt in AB.TXT\n"
     "[6 bytes] A____\n"
     "Simulazione: sarebbero rinominati 1 elementi su 1 ,negati 0 ,saltati 0 ,con domanda 0\n"},
    {"PAsksNothing",
     "a.txt",
     nullptr,
     {"*.txt", "*.bak", "/P", "/S"},
     "",
     0,
     "",
     "Rinomina del file \\DATI\\a.txt in a.bak\n"
     "[5 bytes] A____\n"
     "Simulazione: sarebbero rinominati 1 elementi su 1 ,negati 0 ,saltati 0 ,con domanda 0\n"},
    {"SwitchedOffByMinusS",
     "a.txt",
     nullptr,
     {"a.txt", "a.bak", "/S", "/-S", "/P"},
     "n",
     0,
     "",
     "Rinominare il file \\DATI\\a.txt in a.bak ?\n"
     "[5 bytes] A____  [Si,No,Tutti,Annulla] N\n"
     "\n"
     "Rinominati 0 elementi su 1 ,negati 0 ,saltati 0\n"
     "Nessun file e' stato rinominato\n"},
    {"ExchangeIsReportedNotMade",
     "a b",
     nullptr,
     {"a", "b", "/R", "/S"},
     "",
     0,
     "",
     "Scambio del file a con il file \\DATI\\b\n"
     "Simulazione: sarebbero rinominati 2 elementi ,negati 0 ,saltati 0 ,con domanda 0\n"},
    {"ExchangeWithPAsksNothing",
     "a b",
     nullptr,
     {"a", "b", "/R", "/P", "/S"},
     "",
     0,
     "",
     "Scambio del file a con il file \\DATI\\b\n"
     "Simulazione: sarebbero rinominati 2 elementi ,negati 0 ,saltati 0 ,con domanda 0\n"},
    {"ExchangeLeftoverTemporaryName",
     "a b",
     Leftover,
     {"a", "d\\b", "/R", "/S"},
     "",
     0,
     "",
     "Scambio del file a con il file \\DATI\\d\\b\n"
     "Il nome temporaneo esiste gia'\n"
     "*** Impossibile scambiare a con \\DATI\\d\\b\n"
     "Simulazione: verrebbe chiesto cosa fare\n"
     "Simulazione: sarebbero rinominati 0 elementi ,negati 0 ,saltati 0 ,con domanda 1\n"},
    {"ExchangeLeftoverTemporaryNameUnderI",
     "a b",
     Leftover,
     {"a", "d\\b", "/R", "/S", "/I"},
     "",
     1,
     "",
     "Scambio del file a con il file \\DATI\\d\\b\n"
     "Il nome temporaneo esiste gia'. Impossibile scambiare gli elementi.\n"},
    {"ExchangeSecondStepBlocked",
     "a b",
     SecondStepBlocked,
     {"a", "d\\b", "/R", "/S"},
     "",
     0,
     "",
     "Scambio del file a con il file \\DATI\\d\\b\n"
     "*** Impossibile scambiare a con \\DATI\\d\\b\n"
     "Simulazione: verrebbe chiesto cosa fare\n"
     "Simulazione: sarebbero rinominati 0 elementi ,negati 0 ,saltati 0 ,con domanda 1\n"},
    {"ExchangeMissingItem",
     "a",
     nullptr,
     {"a", "b", "/R", "/S"},
     "",
     1,
     "",
     "File non trovato: \\DATI\\b\n"},
    {"ExchangeOfAnItemWithItself",
     "a",
     nullptr,
     {"a", ".\\a", "/R", "/S"},
     "",
     1,
     "",
     "I due parametri indispensabili sono uguali\n"},
    {"ExchangeOfNestedItems",
     "d/",
     BInD,
     {"d", "d\\b", "/R", "/S"},
     "",
     1,
     "",
     "Nome file duplicato o file gia' in uso\n"
     "Nessun file e' stato rinominato\n"},
    {"TerminalTypedName",
     "a.txt",
     nullptr,
     {"a.txt", "/T", "/S"},
     "\x1b"
     "b.txt\r",
     0,
     "",
     "\n"
     "[5 bytes]   A____\n"
     "Nome originale del file a.txt\n"
     "[a.txt                                                                        ][             "
     "                                                                ][b                          "
     "                                                  ][b.                                       "
     "                                    ][b.t                                                    "
     "                      ][b.tx                                                                 "
     "        ][b.txt                                                                        ]\n"
     "\n"
     "\n"
     "\n"
     "Simulazione: sarebbero rinominati 1 elementi su 1 ,negati 0 ,saltati 0 ,con domanda 0\n"},
    {"TerminalCycle",
     "a b",
     nullptr,
     {"*", "/T", "/S"},
     "\x1b"
     "b\r\x1b"
     "a\r",
     0,
     "",
     "\n"
     "[1 bytes]   A____\n"
     "Nome originale del file a\n"
     "[a                                                                            ][             "
     "                                                                ][b                          "
     "                                                  ]\n"
     "\n"
     "Simulazione: la destinazione esiste gia', verrebbe chiesto cosa fare\n"
     "Simulazione: con S il file preesistente andrebbe nel cestino\n"
     "\n"
     "[1 bytes]   A____\n"
     "Nome originale del file b\n"
     "[b                                                                            ][             "
     "                                                                ][a                          "
     "                                                  ]\n"
     "\n"
     "Simulazione: la destinazione esiste gia', verrebbe chiesto cosa fare\n"
     "Simulazione: con S il file preesistente andrebbe nel cestino\n"
     "\n"
     "\n"
     "Simulazione: sarebbero rinominati 0 elementi su 2 ,negati 0 ,saltati 0 ,con domanda 2\n"},
    {
        "ReportFile",
        "a.txt",
        nullptr,
        {"a.txt", "a.bak", "/I", "+rep.txt", "/S"},
        "",
        0,
        "",
        "",
    },
    {
        "ExistingReportFileIsAppendedToWithoutAQuestion",
        "a.txt",
        OldReport,
        {"a.txt", "a.bak", "/I", "+rep.txt", "/S"},
        "",
        0,
        "",
        "",
    },
};

class Preview : public InProcess, public ::testing::WithParamInterface<RunRow> {};

// Runs the row; checks the exit code and that the disk, the report file
// aside, has not changed.
void RunPreview(const RunRow& row) {
    Items(row.items);
    Console::Reset(row.keys);
    if (row.setup) row.setup();
    const std::string before = Tree();
    set_cancel_action(CancelRun);
    EXPECT_EQ(Ends([&] { run(row.args); }), row.code);
    EXPECT_EQ(Tree(), before);
    EXPECT_EQ(Fs::Calls(Op::kRename) + Fs::Calls(Op::kDelete), 0);
}

TEST_P(Preview, Row) {
    RunPreview(GetParam());
    EXPECT_EQ(Console::Text(), GetParam().console);
}

INSTANTIATE_TEST_SUITE_P(Table, Preview, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The report file of a preview holds the report lines and the closing line;
// one that exists already is appended to, as no question is asked.
TEST_F(InProcess, PreviewReportFile) {
    const std::string report =
        "Rinomina del file \\DATI\\a.txt in a.bak\r\n[5 bytes] A____\r\n"
        "Simulazione: la destinazione esiste gia', l' elemento verrebbe negato\r\n"
        "Simulazione: sarebbero rinominati 0 elementi su 1 ,negati 1 ,saltati 0 ,con domanda "
        "0\r\n" +
        std::string(20, '-') + "FINE" + std::string(20, '-') + "\r\n\r\n";
    const std::vector<std::string> args{"a.txt", "a.bak", "/I", "+rep.txt", "/S"};
    RunPreview({"", "a.txt a.bak", nullptr, args, "", 0, "", ""});
    EXPECT_EQ(Fs::Content("rep.txt"), report);
    EXPECT_EQ(Console::Text(), "");

    FreshRun();
    RunPreview({"", "a.txt a.bak", OldReport, args, "", 0, "", ""});
    EXPECT_EQ(Fs::Content("rep.txt"), "old\r\n" + report);
    EXPECT_EQ(Console::KeysRead(), 0);
}

}  // namespace
}  // namespace dolv::fake
