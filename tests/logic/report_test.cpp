// The report channel in process: +outfile with /AA /AS /AE /AC and every
// answer of the /AC question, +NUL, /V, and report writes that fail.
#include <gtest/gtest.h>

#include "fakes/run_row.h"

namespace dolv::fake {
namespace {

using namespace std::string_literals;

const std::string kLines =
    "Rinomina del file \\DATI\\a.txt in b.txt\n[5 bytes] A____\n"
    "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n";
const std::string kMarker = "--------------------FINE--------------------\r\n\r\n";
const std::string kFile =
    "Rinomina del file \\DATI\\a.txt in b.txt\r\n[5 bytes] A____\r\n"
    "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\r\n" +
    kMarker;
const std::string kAsk = "\nIl file di output esiste gia'\nSovrascrivi, Accoda, Esci ?  [S,A,E] ";
const std::string kCancelled =
    "Operazione interrotta dall' utente\nNessun file e' stato rinominato\n";

void OldReport() {
    Fs::File("rep.txt", "old\r\n");
}
void BInTheWay() {
    Fs::File("b.txt", "b");
}
void WritesFail() {
    Fs::Fail(Op::kReportWrite);
}
void FlushFails() {
    Fs::Fail(Op::kReportFlush);
}
void OpenFails() {
    Fs::Fail(Op::kReportOpen);
}
void OutputFails() {
    Console::FailOutput();
}

struct Row {
    RunRow run;
    std::string report;  // rep.txt afterwards
};
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.run.name;
}

// REPA states the current directory afterwards too.
#define REPA(name, setup, opts, keys, code, after, console, report)      \
    Row {                                                                \
        {name, "a.txt", setup, opts, keys, code, after, console}, report \
    }
#define REP(name, setup, opts, keys, code, console, report) \
    REPA(name, setup, opts, keys, code, "", console, report)

const std::vector<std::string> kKept{"a.txt", "b.txt", "/I", "+rep.txt"};
std::vector<std::string> With(std::string option) {
    std::vector<std::string> args = kKept;
    args.push_back(std::move(option));
    return args;
}

const Row kRows[] = {
    REP("KeptUnderI", nullptr, kKept, "", 0, "", kFile),
    REP("VisibleUnderV", nullptr, With("/V"), "", 0,
        kLines + "--------------------FINE--------------------\n\n", kFile),
    REP("NotKeptWithoutI", nullptr, (std::vector<std::string>{"a.txt", "b.txt", "+rep.txt"}), "", 0,
        kLines, "<missing>"),
    REP("NotKeptUnderP", nullptr, With("/P"), "s", 0,
        "Rinominare il file \\DATI\\a.txt in b.txt ?\n[5 bytes] A____  [Si,No,Tutti,Annulla] S\n\n"
        "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n",
        "<missing>"),
    REP("Overwrite", OldReport, With("/AS"), "", 0, "", kFile),
    REP("Append", OldReport, With("/AA"), "", 0, "", "old\r\n" + kFile),
    REP("AppendCreatesAMissingFile", nullptr, With("/AA"), "", 0, "", kFile),
    REPA("EndWhenItExists", OldReport, With("/AE"), "", 1, "a.txt rep.txt",
         "Il file di output esiste gia'\n", "old\r\n"),
    REP("EndCreatesAMissingFile", nullptr, With("/AE"), "", 0, "", kFile),
    REP("AskOverwrite", OldReport, kKept, "s", 0, kAsk + "S\n", kFile),
    REP("AskAppendAfterOtherKeys", OldReport, kKept, "xqa", 0, kAsk + "A\n", "old\r\n" + kFile),
    REPA("AskEnd", OldReport, kKept, "e", 1, "a.txt rep.txt", kAsk + "E\n" + kCancelled, "old\r\n"),
    REP("AskEsc", OldReport, kKept, "", 1, kAsk + "\x1b\n" + kCancelled, "old\r\n"),
    // The second code of an extended key is the answer as it is: Del
    // (83, 'S') overwrites, F7 (65, 'A') appends.
    REP("AskDelOverwrites", OldReport, kKept, "\0\x53"s, 0, kAsk + "S\n", kFile),
    REP("AskF7Appends", OldReport, kKept, "\0\x41"s, 0, kAsk + "A\n", "old\r\n" + kFile),
    REP("AskNotWhenMissing", nullptr, kKept, "", 0, "", kFile),
    REPA("NulIsSilent", nullptr, (std::vector<std::string>{"a.txt", "b.txt", "/I", "+NUL", "/V"}),
         "", 0, "b.txt", "", "<missing>"),
    REP("NulKeepsErrors", nullptr, (std::vector<std::string>{"x.*", "y.*", "/I", "+NUL"}), "", 1,
        "File non trovato\n", "<missing>"),
    // The terminal mode still asks on the console.
    REP("NulKeepsQuestions", nullptr, (std::vector<std::string>{"a.txt", "/T", "/I", "+NUL"}), "",
        1,
        "\n[5 bytes]   A____\nNome originale del file a.txt\n[a.txt" + std::string(72, ' ') + "][" +
            std::string(77, ' ') + "]\n\n" + kCancelled,
        "<missing>"),
    REP("NulWithADriveIsSilent", nullptr,
        (std::vector<std::string>{"a.txt", "b.txt", "/I", "+c:NUL", "/V"}), "", 0, "", "<missing>"),
    REP("NulWithADirectoryIsSilent", nullptr,
        (std::vector<std::string>{"a.txt", "b.txt", "/I", "+sub\\NUL"}), "", 0, "", "<missing>"),
    REP("ReservedName", nullptr, (std::vector<std::string>{"a.txt", "b.txt", "/I", "+con"}), "", 1,
        "Nome di file riservato con\n", "<missing>"),
    // Only NUL so spelt is the silent device.
    REP("ReservedNameNulInLowerCase", nullptr,
        (std::vector<std::string>{"a.txt", "b.txt", "/I", "+nul"}), "", 1,
        "Nome di file riservato nul\n", "<missing>"),
    REP("NothingRenamedIsRecorded", nullptr,
        (std::vector<std::string>{"a.txt", "*.*", "/I", "+rep.txt", "/E"}), "", 0, "",
        "Rinominati 0 elementi su 1 ,negati 0 ,saltati 1\r\n"
        "Nessun file e' stato rinominato\r\n" +
            kMarker),
    REPA("ARefusalGoesToTheFile", BInTheWay, kKept, "", 0, "a.txt b.txt rep.txt", "",
         "Rinomina del file \\DATI\\a.txt in b.txt\r\n[5 bytes] A____\r\n*** Accesso negato\r\n\r\n"
         "Rinominati 0 elementi su 1 ,negati 1 ,saltati 0\r\nNessun file e' stato rinominato\r\n" +
             kMarker),
    // The file is opened (here emptied) before the operands are checked; an
    // error exit writes no marker.
    REP("OpenedBeforeTheOperandsAreChecked", OldReport,
        (std::vector<std::string>{"a.txt", "/I", "+rep.txt", "/AS"}), "", 1,
        "Manca un parametro indispensabile\n", ""),
    REP("AnErrorExitAddsNoMarker", OldReport,
        (std::vector<std::string>{"x.*", "y.*", "/I", "+rep.txt", "/AA"}), "", 1,
        "File non trovato\n", "old\r\n"),
    // The batch's pattern takes the open report file too: it keeps its name.
    REPA("TheOpenReportFileKeepsItsName", nullptr,
         (std::vector<std::string>{"*.txt", "*.bak", "/I", "+rep.txt"}), "", 0, "a.bak rep.txt", "",
         "Rinomina del file \\DATI\\a.txt in a.bak\r\n[5 bytes] A____\r\n"
         "Rinomina del file \\DATI\\rep.txt in rep.bak\r\n[57 bytes] A____\r\n"
         "*** Accesso negato\r\n\r\nRinominati 1 elementi su 2 ,negati 1 ,saltati 0\r\n" +
             kMarker),
    // A report file no Windows name could be is not made: the first line fails.
    REPA("AReportNameNoWindowsNameCouldBe", nullptr,
         (std::vector<std::string>{"a.txt", "b.txt", "/I", "+rep<1>.txt"}), "", 1, "a.txt",
         "Errore in scrittura del file di output: rep<1>.txt\n", "<missing>"),
    REP("AFailedWriteEndsTheRun", WritesFail, kKept, "", 1,
        "Errore in scrittura del file di output: rep.txt\n", ""),
    REP("AFailedFlushEndsTheRunBeforeTheRename", FlushFails, kKept, "", 1,
        "Errore in scrittura del file di output: rep.txt\n", ""),
    REP("AFileThatCannotBeOpenedFailsAtTheFirstLine", OpenFails, kKept, "", 1,
        "Errore in scrittura del file di output: rep.txt\n", "<missing>"),
    // Report lines on a console output that fails: the run ends before the rename.
    REP("AFailedConsoleOutputEndsTheRun", OutputFails, (std::vector<std::string>{"a.txt", "b.txt"}),
        "", 1,
        kLines.substr(0, kLines.find("Rinominati")) +
            "Errore in scrittura del file di output: standard output\n",
        "<missing>"),
};

class Report : public InProcess, public ::testing::WithParamInterface<Row> {};

TEST_P(Report, Row) {
    const Row& row = GetParam();
    EXPECT_EQ(RunProgram(row.run), row.run.code);
    EXPECT_EQ(Console::Text(), row.run.console);
    EXPECT_EQ(Fs::Content("rep.txt"), row.report);
    if (*row.run.after) {
        EXPECT_EQ(Fs::Listing(), row.run.after);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Report, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.run.name); });

// A failed report flush stops the run before the item changes.
TEST_F(InProcess, TheRecordReachesTheFileBeforeTheItemChanges) {
    RunProgram({"", "a.txt", FlushFails, kKept, "", 1, "", ""});
    EXPECT_EQ(Fs::Listing(), "a.txt rep.txt");
}

// So does a failed console output, and the message goes to standard error.
TEST_F(InProcess, AFailedConsoleOutputStopsTheRunBeforeTheItemChanges) {
    RunProgram({"", "a.txt", OutputFails, {"a.txt", "b.txt"}, "", 1, "", ""});
    EXPECT_EQ(Fs::Listing(), "a.txt");
    EXPECT_TRUE(Console::ToErrors());
}

}  // namespace
}  // namespace dolv::fake
