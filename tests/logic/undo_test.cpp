// /U in process: a run, then what changed on disk since, then /U; the items
// and their contents afterwards, and /U's own lines. Each item holds its
// own first name, so a content shows where an item came from.
#include <gtest/gtest.h>

#include <cstdio>

#include "fakes/fake_store.h"
#include "fakes/run_row.h"
#include "names/items.h"
#include "rename/move.h"
#include "report/journal.h"

namespace dolv::fake {
namespace {

using namespace std::string_literals;

const std::string kNothing = "Nessuna esecuzione da annullare\n";

std::string Restored(int n, int of, int lost) {
    return "Ripristinati " + std::to_string(n) + " elementi su " + std::to_string(of) +
           " ,non ripristinabili " + std::to_string(lost) + "\n";
}
std::string Back(const std::string& now, const std::string& old) {
    return "Ripristino del file \\DATI\\" + now + " in " + old + "\n";
}

// The current directory with contents, and d's after " | " when it exists.
std::string Everything() {
    std::string out = Fs::Contents();
    if (Fs::IsDir("d")) out += " | " + Fs::Contents("d");
    return out;
}

void BInD() {
    Fs::Remove("b");
    Fs::File("d\\b", "b");
}
void KilledAtThirdRename() {
    Fs::Before(Op::kRename, 3, [] { throw Halted{137}; });
}
void RenamedAgain() {
    RENAME("a.bak", "z.bak");
}
// A journal (another build's, or one edited) whose step names a name no
// Windows name could be: the rename back refuses it.
void StepToANameNoWindowsNameCouldBe() {
    journal(Step::kRename, "a|b.txt", "a.bak", ItemId());
    Journal::EndRun();
}
void Deleted() {
    Fs::Remove("a.bak");
}
void OldNameTaken() {
    Fs::File("a.txt", "new");
}
void AnotherItemUnderTheNewName() {
    Fs::Remove("a.bak");
    Fs::File("a.bak", "other");
}

struct Row {
    const char* name;
    const char* items;
    void (*setup)();  // before the run
    std::vector<std::string> run;
    std::string keys;
    void (*between)();  // after the run, before /U
    std::vector<std::string> undo;
    int code;           // /U's exit code
    const char* after;  // Everything() after /U
    std::string console;
};
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

const std::vector<std::string> kBatch{"*.txt", "*.bak", "/I", "+NUL"};
const std::vector<std::string> kU{"/U"};

const Row kRows[] = {
    {"Batch", "a.txt b.txt c.doc", nullptr, kBatch, "", nullptr, kU, 0,
     "a.txt=a.txt b.txt=b.txt c.doc=c.doc",
     Back("b.bak", "b.txt") + Back("a.bak", "a.txt") + Restored(2, 2, 0)},
    {"AnswerNBackupComesBack",
     "a.txt b.txt",
     nullptr,
     {"a.txt", "b.txt"},
     "N",
     nullptr,
     kU,
     0,
     "a.txt=a.txt b.txt=b.txt",
     Back("b.txt", "a.txt") + Back("b.bak", "b.txt") + Restored(2, 2, 0)},
    {"AnswerSDeletedFileIsNamed",
     "a.txt b.txt",
     nullptr,
     {"a.txt", "b.txt"},
     "S",
     nullptr,
     kU,
     0,
     "a.txt=a.txt",
     Back("b.txt", "a.txt") + "*** Sostituito e cancellato, non ripristinabile: \\DATI\\b.txt\n" +
         Restored(1, 2, 1)},
    {"AnswerIIsNoStep",
     "a.txt b.txt",
     nullptr,
     {"a.txt", "b.txt"},
     "I",
     nullptr,
     kU,
     0,
     "a.txt=a.txt b.txt=b.txt",
     Restored(0, 0, 0)},
    {"ANameNoWindowsNameCouldBeIsNotMade", "a.txt", nullptr, kBatch, "",
     StepToANameNoWindowsNameCouldBe, kU, 0, "a.bak=a.txt",
     Back("a.bak", "a|b.txt") + "*** Impossibile ripristinare: \\DATI\\a.bak\n" +
         Restored(0, 1, 1)},
    {"Exchange",
     "a",
     BInD,
     {"a", "d\\b", "/R"},
     "",
     nullptr,
     kU,
     0,
     "a=a d=<directory> | b=b",
     "Ripristino del file \\DATI\\b in a\n"
     "Ripristino del file \\DATI\\d\\a in b\n" +
         Restored(2, 2, 0)},
    {"ExchangePreviewJudgesTheChain",
     "a",
     BInD,
     {"a", "d\\b", "/R"},
     "",
     nullptr,
     {"/U", "/S"},
     0,
     "b=a d=<directory> | a=b",
     "Ripristino del file \\DATI\\b in a\n"
     "Ripristino del file \\DATI\\d\\a in b\n"
     "Simulazione: sarebbero ripristinati 2 elementi su 2 ,non ripristinabili 0\n"},
    {"TerminalRun",
     "a.txt b.txt",
     nullptr,
     {"*.txt", "/T"},
     "\x1bx\r\x1by\r",
     nullptr,
     kU,
     0,
     "a.txt=a.txt b.txt=b.txt",
     Back("y", "b.txt") + Back("x", "a.txt") + Restored(2, 2, 0)},
    // a.txt to c.txt, then b.txt to the name a.txt freed: taken back in the
    // other order, each name is free when its item comes back.
    {"Chain",
     "a.txt b.txt",
     nullptr,
     {"*.txt", "/T"},
     "\x1b"
     "c.txt\r\x1b"
     "a.txt\r",
     nullptr,
     kU,
     0,
     "a.txt=a.txt b.txt=b.txt",
     Back("a.txt", "b.txt") + Back("c.txt", "a.txt") + Restored(2, 2, 0)},
    {"ChainPreviewJudgedAsTheRunWouldBe",
     "a.txt b.txt",
     nullptr,
     {"*.txt", "/T"},
     "\x1b"
     "c.txt\r\x1b"
     "a.txt\r",
     nullptr,
     {"/U", "/S"},
     0,
     "a.txt=b.txt c.txt=a.txt",
     Back("a.txt", "b.txt") + Back("c.txt", "a.txt") +
         "Simulazione: sarebbero ripristinati 2 elementi su 2 ,non ripristinabili 0\n"},
    {"KilledMidBatchOnlyTheDoneGoBack", "a.txt b.txt c.txt d.txt", KilledAtThirdRename, kBatch, "",
     nullptr, kU, 0, "a.txt=a.txt b.txt=b.txt c.txt=c.txt d.txt=d.txt",
     Back("b.bak", "b.txt") + Back("a.bak", "a.txt") + Restored(2, 2, 0)},
    {"RenamedAgainSince", "a.txt b.txt", nullptr, kBatch, "", RenamedAgain, kU, 0,
     "b.txt=b.txt z.bak=a.txt",
     Back("b.bak", "b.txt") + "*** Non piu' presente: \\DATI\\a.bak\n" + Restored(1, 2, 1)},
    {"DeletedSince", "a.txt b.txt", nullptr, kBatch, "", Deleted, kU, 0, "b.txt=b.txt",
     Back("b.bak", "b.txt") + "*** Non piu' presente: \\DATI\\a.bak\n" + Restored(1, 2, 1)},
    {"OldNameTakenSince", "a.txt b.txt", nullptr, kBatch, "", OldNameTaken, kU, 0,
     "a.bak=a.txt a.txt=new b.txt=b.txt",
     Back("b.bak", "b.txt") + "*** Il nome originale e' gia' in uso: \\DATI\\a.txt\n" +
         Restored(1, 2, 1)},
    {"AnotherItemUnderTheNewName", "a.txt b.txt", nullptr, kBatch, "", AnotherItemUnderTheNewName,
     kU, 0, "a.bak=other b.txt=b.txt",
     Back("b.bak", "b.txt") + "*** Non e' piu' lo stesso elemento: \\DATI\\a.bak\n" +
         Restored(1, 2, 1)},
    {"PreviewChangesNothing",
     "a.txt b.txt",
     nullptr,
     kBatch,
     "",
     nullptr,
     {"/U", "/S"},
     0,
     "a.bak=a.txt b.bak=b.txt",
     Back("b.bak", "b.txt") + Back("a.bak", "a.txt") +
         "Simulazione: sarebbero ripristinati 2 elementi su 2 ,non ripristinabili 0\n"},
    {"ReportChannelSilent",
     "a.txt b.txt",
     nullptr,
     kBatch,
     "",
     nullptr,
     {"/U", "/I", "+NUL"},
     0,
     "a.txt=a.txt b.txt=b.txt",
     ""},
    {"ReportFile",
     "a.txt",
     nullptr,
     kBatch,
     "",
     nullptr,
     {"/U", "/I", "+..\\r.log"},
     0,
     "a.txt=a.txt",
     ""},
    {"NothingRenamedNoJournal",
     "a.txt",
     nullptr,
     {"*.zip", "*.bak"},
     "",
     nullptr,
     kU,
     1,
     "a.txt=a.txt",
     kNothing},
};

class Undo : public InProcess, public ::testing::WithParamInterface<Row> {};

TEST_P(Undo, Row) {
    const Row& row = GetParam();
    RunProgram({row.name, row.items, row.setup, row.run, row.keys, 0, "", ""});
    if (row.between) row.between();
    EXPECT_EQ(RunProgram({row.name, "", nullptr, row.undo, "", 0, "", ""}), row.code);
    EXPECT_EQ(Everything(), row.after);
    EXPECT_EQ(Console::Text(), row.console);
}

INSTANTIATE_TEST_SUITE_P(Table, Undo, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

RunRow Command(std::vector<std::string> args) {
    return {"", "", nullptr, std::move(args), "", 0, "", ""};
}

TEST_F(InProcess, SecondUndoTakesTheRunBefore) {
    Items("a.txt");
    RunProgram(Command(kBatch));
    RunProgram(Command({"*.bak", "*.old", "/I", "+NUL"}));
    EXPECT_EQ(RunProgram(Command(kU)), 0);
    EXPECT_EQ(Fs::Listing(), "a.bak");
    EXPECT_EQ(RunProgram(Command(kU)), 0);
    EXPECT_EQ(Fs::Listing(), "a.txt");
    EXPECT_EQ(RunProgram(Command(kU)), 1);
    EXPECT_EQ(Console::Text(), kNothing);
    EXPECT_EQ(Journal::Undone(), 2);
}

TEST_F(InProcess, PreviewLeavesTheRunToUndo) {
    Items("a.txt");
    RunProgram(Command(kBatch));
    RunProgram(Command({"/U", "/S"}));
    EXPECT_EQ(Journal::Undone(), 0);
    EXPECT_EQ(RunProgram(Command(kU)), 0);
    EXPECT_EQ(Fs::Listing(), "a.txt");
}

TEST_F(InProcess, ReportFileTakesTheLines) {
    Fs::Dir("\\OUT");
    Items("a.txt");
    RunProgram(Command(kBatch));
    RunProgram(Command({"/U", "/I", "+\\OUT\\r.log"}));
    EXPECT_EQ(Console::Text(), "");
    const std::string report = Fs::Content("\\OUT\\r.log");
    EXPECT_NE(report.find("Ripristino del file \\DATI\\a.bak in a.txt\r\n"), std::string::npos)
        << report;
    EXPECT_NE(report.find("Ripristinati 1 elementi su 1 ,non ripristinabili 0\r\n"),
              std::string::npos)
        << report;
}

TEST_F(InProcess, UnwritableJournalLetsTheRunGoOn) {
    Journal::Unwritable();
    Items("a.txt b.txt");
    EXPECT_EQ(RunProgram(Command(kBatch)), 0);
    EXPECT_EQ(Fs::Listing(), "a.bak b.bak");
    EXPECT_EQ(Journal::Errors(),
              "Impossibile scrivere il registro: questa esecuzione non potra' essere annullata\n");
    EXPECT_EQ(RunProgram(Command(kU)), 1);
}

// The text a run leaves: a batch's directory once, then names; a step
// whose path lies elsewhere names it whole.
TEST_F(InProcess, JournalTextOfARun) {
    Items("a.txt b%.txt");
    Fs::File("d\\c", "c");
    ItemId a, b;
    ASSERT_TRUE(itemid("a.txt", a) && itemid("b%.txt", b));
    RunProgram(Command(kBatch));
    RunProgram(Command({"a.bak", "d\\c", "/R"}));
    const std::vector<std::string> names = Store::Names();
    ASSERT_EQ(names.size(), 2u);
    auto hex = [](uint64_t n) {
        char text[20];
        std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(n));
        return std::string(text);
    };
    EXPECT_EQ(Store::Content(names[0]), "dolv-journal 1\nP\t\\DATI\\\nR\t1\t" + hex(a.inode) +
                                            "\ta.txt\ta.bak\nR\t1\t" + hex(b.inode) +
                                            "\tb%25.txt\tb%25.bak\n");
    // The exchange: its temporary name (CP850 0x9C is U+00A3), then B's
    // directory, then A's again.
    ItemId c;
    ASSERT_TRUE(itemid("d\\a.bak", c));
    const std::string temp = "@!$\xC2\xA3@!$\xC2\xA3.TMP";
    EXPECT_EQ(Store::Content(names[1]), "dolv-journal 1\nP\t\\DATI\\\n1\t1\t" + hex(a.inode) +
                                            "\ta.bak\t" + temp + "\nP\t\\DATI\\d\\\n2\t1\t" +
                                            hex(c.inode) + "\tc\ta.bak\nP\t\\DATI\\\n3\t1\t" +
                                            hex(a.inode) + "\t" + temp + "\tc\n");
}

// A journal that fails mid-run (the disk full at its next block) goes,
// with one line on standard error; the run goes on.
TEST_F(InProcess, JournalFailingMidRunGoesAndTheRunGoesOn) {
    std::string items;
    for (int i = 0; i < 400; ++i) items += "f" + std::to_string(1000 + i) + ".txt ";
    Items(items);
    Fs::Before(Op::kRename, 3, [] { Journal::Unwritable(); });
    EXPECT_EQ(RunProgram(Command(kBatch)), 0);
    EXPECT_EQ(Fs::Listing().find(".txt"), std::string::npos);
    EXPECT_EQ(Journal::Errors(), std::string(kJournalUnwritable) + "\n");
    EXPECT_EQ(Journal::Runs(), 0);
}

// A run that ends in an error closes its journal: no room is left after
// the last step.
TEST_F(InProcess, RunEndedByACancelClosesItsJournal) {
    Items("a.txt b.txt c.txt");
    Fs::Before(Op::kRename, 2, [] { Console::raise_cancel(); });
    EXPECT_EQ(RunProgram(Command(kBatch)), 1);
    EXPECT_EQ(Journal::Steps(), "R a.txt>a.bak R b.txt>b.bak");
    const std::string text = Store::Content(Store::Names().at(0));
    EXPECT_TRUE(text.ends_with("\tb.txt\tb.bak\n")) << text.size();
}

TEST_F(InProcess, NoJournalVariable) {
    struct Case {
        const char* value;
        int runs;
    };
    for (const Case& c : {Case{"1", 0}, Case{"", 1}}) {
        FreshRun();
        Fs::Env("DOLV_NO_JOURNAL", c.value);
        Items("a.txt");
        RunProgram(Command(kBatch));
        EXPECT_EQ(Journal::Runs(), c.runs) << "DOLV_NO_JOURNAL=" << c.value;
        EXPECT_EQ(Journal::Errors(), "");
    }
}

TEST_F(InProcess, PreviewRunKeepsNoJournal) {
    Items("a.txt");
    Fs::Dir("d");
    Fs::File("d\\b", "b");
    RunProgram(Command({"*.txt", "*.bak", "/S"}));
    RunProgram(Command({"a.txt", "d\\b", "/R", "/S"}));
    EXPECT_EQ(Journal::Runs(), 0);
    EXPECT_EQ(RunProgram(Command(kU)), 1);
}

TEST_F(InProcess, UndoKeepsNoJournalOfItsOwn) {
    Items("a.txt");
    RunProgram(Command(kBatch));
    RunProgram(Command(kU));
    EXPECT_EQ(Journal::Runs(), 1);
}

}  // namespace
}  // namespace dolv::fake
