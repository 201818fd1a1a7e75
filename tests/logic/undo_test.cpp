// /U in process: a run, then what changed on disk since, then /U; the items
// and their contents afterwards, and /U's own lines. Each item holds its
// own first name, so a content shows where an item came from. The folders
// of the fake file system can fold names and give each spelling its own
// number (as exFAT in user space does: the listing then gives no
// identity), give a freed identity again at once (as ext4 does), take a
// new name with a placeholder first; the store can hold a journal made by
// hand, one another process holds, or a folder nobody may trust.
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
const std::string kTemp = "@!$\x9C@!$\x9C.TMP";

std::string Restored(int n, int of, int lost) {
    return "Ripristinati " + std::to_string(n) + " elementi su " + std::to_string(of) +
           " ,non ripristinabili " + std::to_string(lost) + "\n";
}
std::string Back(const std::string& now, const std::string& old) {
    return "Ripristino del file \\DATI\\" + now + " in " + old + "\n";
}
std::string Lost(const std::string& text, const std::string& name) {
    return "*** " + text + ": \\DATI\\" + name + "\n";
}

// The current directory with contents, and d's after " | " when it exists.
std::string Everything() {
    std::string out = Fs::Contents();
    if (Fs::IsDir("d")) out += " | " + Fs::Contents("d");
    return out;
}

std::string Hex(uint64_t n) {
    char text[20];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(n));
    return text;
}
// The "dev<tab>ino" fields of the item at a path now.
std::string IdOf(const std::string& path) {
    ItemId id;
    itemid(ShortText(path), id);
    return Hex(id.device) + "\t" + Hex(id.inode);
}
// A journal put in the store by hand, its run started now: the header, the
// start, then the lines given.
void PutJournal(uint64_t sequence, const std::string& lines,
                StoreStatus status = StoreStatus::kOk) {
    Store::Put(journal_file_name(sequence),
               std::string(kJournalHeader) + "S\t" + Hex(static_cast<uint64_t>(Fs::Clock())) +
                   "\n" + lines,
               status);
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
    PutJournal(9, "P\t\\DATI\\\nR\t" + IdOf("a.bak") + "\ta|b.txt\ta.bak\n");
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
// ext4 gives the freed inode number to the next file made.
void ReusedIdentities() {
    Fs::ReuseIds();
}
void NewFileUnderTheNameGiven() {
    Fs::Remove("b.txt");
    Fs::File("b.txt", "other");
}
void ReusedIdentitiesNoBirthTimes() {
    Fs::ReuseIds();
    Fs::NoBirthTimes();
}
// A folder as exFAT in user space has it: names folded, a number for each
// spelling, no identity in the listing.
void LikeExfat() {
    Fs::FoldCase(kCurrentDir, true);
}
void MovedAndAnotherMade() {
    RENAME("a.dat", "a.moved");
    Fs::File("a.dat", "other");
}
void LikeExfatWithABackup() {
    LikeExfat();
    Fs::File("b.bak", "c");
}
void LikeExfatKilledAtTheTemporaryName() {
    LikeExfat();
    // The first try meets the other spelling, the second takes Readme.TXT
    // aside, the third would take it on.
    Fs::Before(Op::kRename, 3, [] { throw Halted{137}; });
}
void KilledOnThePlaceholder() {
    Fs::Placeholders(kCurrentDir);
    Fs::Before(Op::kOntoPlaceholder, 1, [] { throw Halted{137}; });
}
void Placeholders() {
    Fs::Placeholders(kCurrentDir);
}
// The exchange's first name taken by another file since.
void ExchangedNameTaken() {
    RENAME("a", "a.other");
    Fs::File("a", "other");
}
void YInTheWay() {
    Fs::Remove("y");
    Fs::File("d\\y", "y");
    Fs::File("y", "c");
}
// A hand-made journal whose path is longer than a text.
void StepWithAPathTooLong() {
    PutJournal(9, "P\t\\DATI\\\nR\t" + IdOf("a.bak") + "\t" + std::string(260, 'q') + "\ta.bak\n");
}
// A journal of a run killed before its first rename was made.
void RunKilledBeforeItsFirstRename() {
    PutJournal(9, "P\t\\DATI\\\nR\t" + IdOf("b.txt") + "\tb.txt\tc.txt\n");
}

// A run killed between making a placeholder and recording it: its journal
// ends with the intent; the empty file there goes, a filled one stays.
void PlaceholderNeverRecorded() {
    PutJournal(9, "P\t\\DATI\\\nR\t" + IdOf("a.txt") + "\ta.txt\tb.txt\nH\t-\t-\t\tb.txt\n");
    Fs::File("b.txt", "");
}
void PlaceholderNeverRecordedFilledSince() {
    PutJournal(9, "P\t\\DATI\\\nR\t" + IdOf("a.txt") + "\ta.txt\tb.txt\nH\t-\t-\t\tb.txt\n");
    Fs::File("b.txt", "mine");
}
// No trash takes the file S replaces: it is deleted.
void NoTrash() {
    Fs::NoTrash();
}
void LikeExfatNoTrash() {
    LikeExfat();
    Fs::NoTrash();
}
void TrashEmptied() {
    Fs::Remove("\\TRASH\\files\\b.txt");
}
std::string FromTrash(const std::string& name, const std::string& home) {
    return "Ripristino del file \\TRASH\\files\\" + name + " in \\DATI\\" + home + "\n";
}
void HomeTaken() {
    Fs::File("b.txt", "new");
}
void BackupGone() {
    Fs::Remove("x.bak");
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
const std::vector<std::string> kUpper{"Readme.TXT", "*.*", "/+"};
const std::vector<std::string> kToX{"*.txt", "x.txt"};
const std::vector<std::string> kAToB{"a.txt", "b.txt"};
const std::vector<std::string> kUI{"/U", "/I"};
// The texts of the items /U names.
const char kReplaced[] = "Sostituito e cancellato, non ripristinabile";
const char kTaken[] = "Il nome originale e' gia' in uso";
const char kGone[] = "Non piu' presente";
const char kOther[] = "Non e' piu' lo stesso elemento";
// A batch of a.txt and b.txt to .bak taken back.
const std::string kBothBack = Back("b.bak", "b.txt") + Back("a.bak", "a.txt") + Restored(2, 2, 0);

const Row kRows[] = {
    {"Batch", "a.txt b.txt c.doc", nullptr, kBatch, "", nullptr, kU, 0,
     "a.txt=a.txt b.txt=b.txt c.doc=c.doc", kBothBack},
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
    {"AnswerSTrashedFileComesBack",
     "a.txt b.txt",
     nullptr,
     {"a.txt", "b.txt"},
     "S",
     nullptr,
     kU,
     0,
     "a.txt=a.txt b.txt=b.txt",
     Back("b.txt", "a.txt") + FromTrash("b.txt", "b.txt") + Restored(2, 2, 0)},
    {"AnswerSTrashEmptiedSince",
     "a.txt b.txt",
     nullptr,
     {"a.txt", "b.txt"},
     "S",
     TrashEmptied,
     kU,
     0,
     "a.txt=a.txt",
     Back("b.txt", "a.txt") + Lost(kReplaced, "b.txt") + Restored(1, 2, 1)},
    // x.txt, a.txt's new name, went to the trash when b.txt came: from
    // there a.txt comes home.
    {"AnswerSTrashedItemComesHomeByItsName", "a.txt b.txt", nullptr, kToX, "S", nullptr, kU, 0,
     "a.txt=a.txt b.txt=b.txt",
     Back("x.txt", "b.txt") + FromTrash("x.txt", "a.txt") + Restored(2, 2, 0)},
    {"AnswerSDeletedFileIsNamed",
     "a.txt b.txt",
     NoTrash,
     {"a.txt", "b.txt"},
     "S",
     nullptr,
     kU,
     0,
     "a.txt=a.txt",
     Back("b.txt", "a.txt") + Lost(kReplaced, "b.txt") + Restored(1, 2, 1)},
    // Each item once, under the name it had: the file S deleted is a.txt,
    // which x.txt held when b.txt came.
    {"AnswerSDeletedItemNamedOnceByItsName", "a.txt b.txt", NoTrash, kToX, "S", nullptr, kU, 0,
     "b.txt=b.txt", Back("x.txt", "b.txt") + Lost(kReplaced, "a.txt") + Restored(1, 2, 1)},
    {"AnswerNTwoItemsCountedOnce", "a.txt b.txt", nullptr, kToX, "N", nullptr, kU, 0,
     "a.txt=a.txt b.txt=b.txt",
     Back("x.txt", "b.txt") + Back("x.bak", "a.txt") + Restored(2, 2, 0)},
    // The answer I made no step: the run keeps no journal.
    {"AnswerIIsNoStep",
     "a.txt b.txt",
     nullptr,
     {"a.txt", "b.txt"},
     "I",
     nullptr,
     kU,
     1,
     "a.txt=a.txt b.txt=b.txt",
     kNothing},
    {"ANameNoWindowsNameCouldBeIsNotMade", "a.txt", nullptr, kBatch, "",
     StepToANameNoWindowsNameCouldBe, kU, 0, "a.bak=a.txt",
     Back("a.bak", "a|b.txt") + Lost("Impossibile ripristinare", "a.bak") + Restored(0, 1, 1)},
    {"StepWithAPathTooLongIsNamed", "a.txt", nullptr, kBatch, "", StepWithAPathTooLong, kU, 0,
     "a.bak=a.txt",
     "*** Percorso troppo lungo: ..." + std::string(252, 'q') + "\n" + Restored(0, 1, 1)},
    {"Exchange",
     "a",
     BInD,
     {"a", "d\\b", "/R"},
     "",
     nullptr,
     kU,
     0,
     "a=a d=<directory> | b=b",
     "Ripristino del file \\DATI\\d\\a in b\n"
     "Ripristino del file \\DATI\\b in a\n" +
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
     "Ripristino del file \\DATI\\d\\a in b\n"
     "Ripristino del file \\DATI\\b in a\n"
     "Simulazione: sarebbero ripristinati 2 elementi su 2 ,non ripristinabili 0\n"},
    // A's first name taken since, B moved away: nothing moves, and no item
    // is left under the temporary name; each is named once.
    {"ExchangeThatCannotBeCompleted",
     "a b",
     nullptr,
     {"a", "b", "/R"},
     "",
     ExchangedNameTaken,
     kUI,
     0,
     "a=other a.other=b b=a",
     Lost(kOther, "a") + Lost(kTaken, "a") + Restored(0, 2, 2)},
    // The run put both items back itself: there is nothing to take back.
    {"ExchangeTheRunPutBack",
     "x",
     YInTheWay,
     {"x", "d\\y", "/R"},
     "A",
     nullptr,
     kUI,
     1,
     "d=<directory> x=x y=c | y=y",
     kNothing},
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
     nullptr, kU, 0, "a.txt=a.txt b.txt=b.txt c.txt=c.txt d.txt=d.txt", kBothBack},
    {"RenamedAgainSince", "a.txt b.txt", nullptr, kBatch, "", RenamedAgain, kU, 0,
     "b.txt=b.txt z.bak=a.txt", Back("b.bak", "b.txt") + Lost(kGone, "a.bak") + Restored(1, 2, 1)},
    {"DeletedSince", "a.txt b.txt", nullptr, kBatch, "", Deleted, kU, 0, "b.txt=b.txt",
     Back("b.bak", "b.txt") + Lost(kGone, "a.bak") + Restored(1, 2, 1)},
    {"OldNameTakenSince", "a.txt b.txt", nullptr, kBatch, "", OldNameTaken, kU, 0,
     "a.bak=a.txt a.txt=new b.txt=b.txt",
     Back("b.bak", "b.txt") + Lost(kTaken, "a.txt") + Restored(1, 2, 1)},
    {"AnotherItemUnderTheNewName", "a.txt b.txt", nullptr, kBatch, "", AnotherItemUnderTheNewName,
     kU, 0, "a.bak=other b.txt=b.txt",
     Back("b.bak", "b.txt") + Lost(kOther, "a.bak") + Restored(1, 2, 1)},
    // A file made under a name the run gave, with the identity the renamed
    // item had (freed when it was deleted): made after the run, it is
    // another item.
    {"NewFileWithTheFreedIdentity", "a.txt", ReusedIdentities, kAToB, "", NewFileUnderTheNameGiven,
     kU, 0, "b.txt=other", Lost(kOther, "b.txt") + Restored(0, 1, 1)},
    // Where the system keeps no birth time, the last change tells as much.
    {"NewFileWithTheFreedIdentityNoBirthTimes", "a.txt", ReusedIdentitiesNoBirthTimes, kAToB, "",
     NewFileUnderTheNameGiven, kU, 0, "b.txt=other", Lost(kOther, "b.txt") + Restored(0, 1, 1)},
    // No identity in the listing: each record carries the item's own
    // number and fingerprint, and a file made where the item was is not it.
    {"NoIdentityInTheListing",
     "a.txt",
     LikeExfat,
     {"*.txt", "*.dat"},
     "",
     MovedAndAnotherMade,
     kUI,
     0,
     "a.dat=other a.moved=a.txt",
     Lost(kOther, "a.dat") + Restored(0, 1, 1)},
    // A step refused and never made is no loss.
    {"RefusedStepIsNoLoss",
     "a.txt b.txt",
     LikeExfatWithABackup,
     {"*.txt", "*.bak", "/I"},
     "",
     nullptr,
     kUI,
     0,
     "a.txt=a.txt b.bak=c b.txt=b.txt",
     Back("a.bak", "a.txt") + Restored(1, 1, 0)},
    // Three files to one name, N then S: the backup and the deletion are of
    // the items before, each named once.
    {"ManyToOneOnAFoldingFolder", "a.txt b.txt c.txt", LikeExfatNoTrash, kToX, "NS", nullptr, kUI,
     0, "a.txt=a.txt c.txt=c.txt",
     Back("x.txt", "c.txt") + Lost(kReplaced, "b.txt") + Back("x.bak", "a.txt") +
         Restored(2, 3, 1)},
    {"ManyToOneOnAFoldingFolderWithATrash", "a.txt b.txt c.txt", LikeExfat, kToX, "NS", nullptr,
     kUI, 0, "a.txt=a.txt b.txt=b.txt c.txt=c.txt",
     Back("x.txt", "c.txt") + FromTrash("x.txt", "b.txt") + Back("x.bak", "a.txt") +
         Restored(3, 3, 0)},
    {"CaseOnlyRenameOnAFoldingFolder", "Readme.TXT", LikeExfat, kUpper, "", nullptr, kU, 0,
     "Readme.TXT=Readme.TXT", Back("README.TXT", "Readme.TXT") + Restored(1, 1, 0)},
    // Killed while the item bore a temporary name: it comes back home.
    {"KilledAtTheTemporaryName", "Readme.TXT", LikeExfatKilledAtTheTemporaryName, kUpper, "",
     nullptr, kU, 0, "Readme.TXT=Readme.TXT",
     Back(".dolv-4242-0.tmp", "Readme.TXT") + Restored(1, 1, 0)},
    // Killed with the placeholder made: it goes, and the item, never
    // renamed, stays.
    {"KilledOnThePlaceholder", "a.txt", KilledOnThePlaceholder, kBatch, "", nullptr, kU, 1,
     "a.txt=a.txt", kNothing},
    {"RenamedOntoPlaceholders", "a.txt b.txt", Placeholders, kBatch, "", nullptr, kU, 0,
     "a.txt=a.txt b.txt=b.txt", kBothBack},
    // A journal whose run renamed nothing is passed over: the run before
    // is taken back.
    {"RunThatRenamedNothingIsPassedOver",
     "a.txt b.txt",
     nullptr,
     {"a.txt", "a.bak"},
     "",
     RunKilledBeforeItsFirstRename,
     kU,
     0,
     "a.txt=a.txt b.txt=b.txt",
     Back("a.bak", "a.txt") + Restored(1, 1, 0)},
    {"PlaceholderNeverRecordedGoes",
     "a.txt",
     nullptr,
     {"*.zip", "*.bak"},
     "",
     PlaceholderNeverRecorded,
     kU,
     1,
     "a.txt=a.txt",
     kNothing},
    {"PlaceholderNeverRecordedFilledStays",
     "a.txt",
     nullptr,
     {"*.zip", "*.bak"},
     "",
     PlaceholderNeverRecordedFilledSince,
     kU,
     1,
     "a.txt=a.txt b.txt=mine",
     kNothing},
    // a.txt's way back goes through x.txt, which b.txt keeps (its own name
    // taken): it goes straight home.
    {"StepBackTakenStraightHome", "a.txt b.txt", nullptr, kToX, "N", HomeTaken, kU, 0,
     "a.txt=a.txt b.txt=new x.txt=b.txt",
     Lost(kTaken, "b.txt") + Back("x.bak", "a.txt") + Restored(1, 2, 1)},
    // An item of several records that is gone is named by its own name.
    {"ItemOfSeveralRecordsGoneNamedByItsName", "a.txt b.txt", nullptr, kToX, "N", BackupGone, kU, 0,
     "b.txt=b.txt", Back("x.txt", "b.txt") + Lost(kGone, "a.txt") + Restored(1, 2, 1)},
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

void RunAndChange(const Row& row) {
    RunProgram({row.name, row.items, row.setup, row.run, row.keys, 0, "", ""});
    if (row.between) row.between();
}

TEST_P(Undo, Row) {
    const Row& row = GetParam();
    RunAndChange(row);
    EXPECT_EQ(RunProgram({row.name, "", nullptr, row.undo, "", 0, "", ""}), row.code);
    EXPECT_EQ(Everything(), row.after);
    EXPECT_EQ(Console::Text(), row.console);
}

INSTANTIATE_TEST_SUITE_P(Table, Undo, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// /U /S and /U side by side over the table's runs: the same lines and the
// same counts, the preview's closing line aside.
TEST_P(Undo, PreviewAgreesWithTheUndo) {
    const Row& row = GetParam();
    std::vector<std::string> undo = row.undo;
    std::erase(undo, "/S");
    RunAndChange(row);
    std::vector<std::string> preview = undo;
    preview.push_back("/S");
    const int preview_code = RunProgram({row.name, "", nullptr, preview, "", 0, "", ""});
    std::string foreseen = Console::Text();
    Fs::Remove("..\\r.log");  // the report file the preview wrote
    const std::string said = "Simulazione: sarebbero ripristinati";
    if (size_t at = foreseen.find(said); at != std::string::npos)
        foreseen.replace(at, said.size(), "Ripristinati");
    EXPECT_EQ(RunProgram({row.name, "", nullptr, undo, "", 0, "", ""}), preview_code);
    EXPECT_EQ(Console::Text(), foreseen);
}

RunRow Command(std::vector<std::string> args) {
    return {"", "", nullptr, std::move(args), "", 0, "", ""};
}

// Answer S: the old file's place in the trash is in the journal before it
// goes there, and /U takes its description away with it. Where no trash
// takes it, the replace says that it cannot be taken back.
TEST_F(InProcess, AnswerSTrashesOrSaysItDeleted) {
    for (const bool trash : {true, false}) {
        FreshRun();
        Items("a.txt b.txt");
        if (!trash) Fs::NoTrash();
        RunProgram({"", "", nullptr, {"a.txt", "b.txt"}, "S", 0, "", ""});
        const std::string said = Console::Text();
        EXPECT_EQ(said.find("*** Il file preesistente e' stato cancellato, non ripristinabile\n") !=
                      std::string::npos,
                  !trash)
            << said;
        EXPECT_EQ(Fs::Exists("\\TRASH\\info\\b.txt.trashinfo"), trash);
        const std::string text = Store::Content(Store::Names().at(0));
        EXPECT_NE(text.find(trash ? "\nT+\t" + IdOf("\\TRASH\\files\\b.txt") +
                                        "\tb.txt\t\\TRASH\\files\\b.txt\n"
                                  : "\nD+\t"),
                  std::string::npos)
            << text;
        EXPECT_EQ(RunProgram(Command(kU)), 0);
        EXPECT_FALSE(Fs::Exists("\\TRASH\\info\\b.txt.trashinfo"));
        EXPECT_EQ(Fs::Exists("b.txt"), trash);
    }
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

// The report file takes the lines, and ends with the closing marker as a
// run's does.
TEST_F(InProcess, ReportFileTakesTheLinesAndItsMarker) {
    Fs::Dir("\\OUT");
    Items("a.txt");
    RunProgram(Command(kBatch));
    RunProgram(Command({"/U", "/I", "+\\OUT\\r.log"}));
    EXPECT_EQ(Console::Text(), "");
    EXPECT_EQ(Fs::Content("\\OUT\\r.log"),
              "Ripristino del file \\DATI\\a.bak in a.txt\r\n"
              "Ripristinati 1 elementi su 1 ,non ripristinabili 0\r\n"
              "--------------------FINE--------------------\r\n\r\n");
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

// The text a run leaves: its start, a batch's directory once, then names; a
// step whose path lies elsewhere names it whole.
TEST_F(InProcess, JournalTextOfARun) {
    Items("a.txt b%.txt");
    Fs::File("d\\c", "c");
    ItemId a, b;
    ASSERT_TRUE(itemid("a.txt", a) && itemid("b%.txt", b));
    RunProgram(Command(kBatch));
    RunProgram(Command({"a.bak", "d\\c", "/R"}));
    const std::vector<std::string> names = Store::Names();
    ASSERT_EQ(names, (std::vector<std::string>{"0000000001.journal", "0000000002.journal"}));
    // The header, then the run's start: before the first record, after
    // every item of the run was made.
    const std::string first = Store::Content(names[0]);
    ASSERT_TRUE(first.starts_with("dolv-journal 2\nS\t")) << first;
    const size_t start_end = first.find('\n', 17);
    // Each step marked made (+) once it was.
    EXPECT_EQ(first.substr(start_end), "\nP\t\\DATI\\\nR+\t1\t" + Hex(a.inode) +
                                           "\ta.txt\ta.bak\nR+\t1\t" + Hex(b.inode) +
                                           "\tb%25.txt\tb%25.bak\n");
    // The exchange: its temporary name (CP850 0x9C is U+00A3), then B's
    // directory, then A's again.
    ItemId c;
    ASSERT_TRUE(itemid("d\\a.bak", c));
    const std::string temp = "@!$\xC2\xA3@!$\xC2\xA3.TMP";
    const std::string second = Store::Content(names[1]);
    EXPECT_EQ(second.substr(second.find('\n', 17)),
              "\nP\t\\DATI\\\n1+\t1\t" + Hex(a.inode) + "\ta.bak\t" + temp +
                  "\nP\t\\DATI\\d\\\n2+\t1\t" + Hex(c.inode) + "\tc\ta.bak\nP\t\\DATI\\\n3+\t1\t" +
                  Hex(a.inode) + "\t" + temp + "\tc\n");
}

// One record for each step, however the step is tried: a first try that
// fails without a question is not written again.
TEST_F(InProcess, OneRecordForEachStep) {
    struct Case {
        const char* items;
        void (*setup)();
        std::vector<std::string> args;
        std::string keys;
        std::string steps;
    };
    const Case cases[] = {
        {"a.txt b.txt", nullptr, {"*.txt", "*.bak"}, "", "R a.txt>a.bak R b.txt>b.bak"},
        // The first try refused by the system, the rename then made.
        {"a.txt", [] { Fs::Fail(Op::kRename, 1); }, {"a.txt", "b.txt"}, "", "R a.txt>b.txt"},
        // Another spelling of the item's own name: through a temporary name.
        {"Readme.TXT",
         LikeExfat,
         {"Readme.TXT", "*.*", "/+"},
         "",
         "R Readme.TXT>README.TXT A Readme.TXT>.dolv-4242-0.tmp"},
        // A question's steps come between: the rename's record again after them.
        {"a.txt b.txt",
         nullptr,
         {"a.txt", "b.txt"},
         "N",
         "R a.txt>b.txt B b.txt>b.bak R a.txt>b.txt"},
        // A placeholder: before it is made, and once made.
        {"a.txt", Placeholders, {"a.txt", "b.txt"}, "", "R a.txt>b.txt H >b.txt H >b.txt"},
    };
    for (const Case& c : cases) {
        FreshRun();
        Items(c.items);
        RunProgram({"", "", c.setup, c.args, c.keys, 0, "", ""});
        EXPECT_EQ(Journal::Steps(), c.steps) << c.args[0];
    }
}

// A long run vouches for its folder at its end: a silent /U of a folder
// nobody has changed since renames its items back without asking about
// them first; one changed since is asked about item by item. A step that
// failed is not marked made.
TEST_F(InProcess, LongRunVouchesForItsFolder) {
    struct Case {
        void (*between)();
        bool asked;
    };
    const Case cases[] = {{nullptr, false}, {[] { Fs::File("new.doc", "x"); }, true}};
    const uint64_t before_run = journal_vouching_run;
    journal_vouching_run = 40;
    for (const Case& c : cases) {
        FreshRun();
        std::string items;
        for (int i = 0; i < 50; ++i) items += "f" + std::to_string(100000 + i) + ".txt ";
        Items(items + "f100000.bak");
        RunProgram(Command(kBatch));
        const std::string text = Store::Content(Store::Names().at(0));
        EXPECT_NE(text.find("\nR-\t" + IdOf("f100000.txt") + "\tf100000.txt\tf100000.bak\n"),
                  std::string::npos);
        EXPECT_NE(text.find("\nE\t"), std::string::npos);
        if (c.between) c.between();
        const int before = Fs::Calls(Op::kItemInfo);
        EXPECT_EQ(RunProgram(Command({"/U", "/I", "+NUL"})), 0);
        EXPECT_EQ(Fs::Calls(Op::kItemInfo) - before >= 49, c.asked);
        const std::vector<std::string> names = Fs::Names();
        EXPECT_EQ(std::count_if(names.begin(), names.end(),
                                [](const std::string& n) { return n.ends_with(".txt"); }),
                  50);
        EXPECT_TRUE(Fs::Exists("f100000.bak"));
    }
    journal_vouching_run = before_run;
}

// A step whose whole path is too long to be written is not made: refused
// as the system would refuse it, in the preview too. The names are given
// relative to the current directory, where they fit.
TEST_F(InProcess, StepTooLongToTakeBackIsNotMade) {
    const std::string name(250, 'z');
    Fs::File(name, "x");
    const std::vector<std::string> args{"z*", "y*", "/I"};
    EXPECT_EQ(RunProgram(Command(args)), 0);
    EXPECT_EQ(Fs::Listing(), name);
    EXPECT_NE(Console::Text().find("*** Accesso negato\n"), std::string::npos) << Console::Text();
    EXPECT_NE(Console::Text().find("Rinominati 0 elementi su 1 ,negati 1"), std::string::npos);
    std::vector<std::string> preview = args;
    preview.push_back("/S");
    RunProgram(Command(preview));
    EXPECT_NE(Console::Text().find("sarebbero rinominati 0 elementi su 1 ,negati 1"),
              std::string::npos)
        << Console::Text();
    // Without a journal nothing needs taking back: the step is made.
    Fs::Env("DOLV_NO_JOURNAL", "1");
    RunProgram(Command(args));
    EXPECT_EQ(Fs::Listing(), "y" + name.substr(1));
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
// the last step. One that made no step leaves none.
TEST_F(InProcess, RunEndedByACancelClosesItsJournal) {
    Items("a.txt b.txt c.txt");
    Fs::Before(Op::kRename, 2, [] { Console::raise_cancel(); });
    EXPECT_EQ(RunProgram(Command(kBatch)), 1);
    EXPECT_EQ(Journal::Steps(), "R a.txt>a.bak R b.txt>b.bak");
    const std::string text = Store::Content(Store::Names().at(0));
    EXPECT_TRUE(text.ends_with("\tb.txt\tb.bak\n")) << text.size();
    FreshRun();
    Items("a.txt b.txt");
    EXPECT_EQ(RunProgram({"", "", nullptr, {"*.txt", "b.txt"}, "A", 0, "", ""}), 1);
    EXPECT_EQ(Journal::Runs(), 0);
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

// The store nobody else may steer: a folder that is a link, another
// user's, or open to others and not to be closed, keeps no journal (one
// line says why, the run goes on), and /U ends there with code 1; a
// folder that can be closed is closed and used.
TEST_F(InProcess, StoreFolderNobodyElseCanSteer) {
    struct Case {
        StoreStatus status;
        bool tightened;
        std::string line;
    };
    const std::string undone = ": questa esecuzione non potra' essere annullata\n";
    const Case cases[] = {
        {StoreStatus::kLink, false, "La cartella del registro e' un collegamento"},
        {StoreStatus::kForeign, false, "La cartella del registro appartiene a un altro utente"},
        {StoreStatus::kOpen, false, "La cartella del registro e' accessibile ad altri utenti"},
        {StoreStatus::kWrongKind, false, "La cartella del registro non e' una directory"},
        {StoreStatus::kOpen, true, ""},
    };
    for (const Case& c : cases) {
        FreshRun();
        Store::Folder(c.status, c.tightened);
        Items("a.txt");
        EXPECT_EQ(RunProgram(Command(kBatch)), 0);
        EXPECT_EQ(Fs::Listing(), "a.bak");
        EXPECT_EQ(Journal::Errors(), c.line.empty() ? "" : c.line + undone);
        EXPECT_EQ(Journal::Runs(), c.line.empty() ? 1 : 0);
        EXPECT_EQ(RunProgram(Command(kU)), c.line.empty() ? 0 : 1);
        EXPECT_EQ(Fs::Listing(), c.line.empty() ? "a.txt" : "a.bak");
        if (!c.line.empty()) {
            EXPECT_TRUE(Journal::Errors().ends_with(c.line + ": impossibile annullare\n"))
                << Journal::Errors();
        }
    }
    EXPECT_TRUE(Store::Tightened());
}

// A journal /U cannot trust, or cannot read, ends it there, naming it:
// nothing older is taken back past it.
TEST_F(InProcess, JournalsUndoCannotTrustOrRead) {
    struct Case {
        std::string text;
        StoreStatus status;
        std::string out;     // on the console
        std::string errors;  // on standard error
    };
    const std::string name = "0000000009.journal";
    const Case cases[] = {
        {"dolv-journal 2\nS\t1\n", StoreStatus::kForeign, "",
         "Il registro " + name + " appartiene a un altro utente: impossibile annullare\n"},
        {"dolv-journal 2\nS\t1\n", StoreStatus::kOpen, "",
         "Il registro " + name + " e' accessibile ad altri utenti: impossibile annullare\n"},
        {"dolv-journal 2\nS\t1\n", StoreStatus::kLink, "",
         "Il registro " + name + " e' un collegamento: impossibile annullare\n"},
        {"dolv-journal 3\nS\t1\nR\t1\t2\ta\tb\n", StoreStatus::kOk,
         "Registro di una versione successiva del programma: " + name + "\n", ""},
        {"dolv-jour\xFFnal 2\n", StoreStatus::kOk, "Registro illeggibile: " + name + "\n", ""},
        {"dolv-journal 2\nS\t1\nR\t1\t2\ta.txt\n", StoreStatus::kOk,
         "Registro illeggibile: " + name + "\n", ""},
    };
    for (const Case& c : cases) {
        FreshRun();
        Items("a.txt");
        RunProgram(Command(kBatch));
        Store::Put(name, c.text, c.status);
        EXPECT_EQ(RunProgram(Command(kU)), 1) << c.text;
        EXPECT_EQ(Fs::Listing(), "a.bak");
        EXPECT_EQ(Console::Text(), c.out);
        EXPECT_EQ(Journal::Errors(), c.errors);
    }
}

// The runs' order is the program's own sequence, not the clock: a run
// numbered after another is the later one, whatever time it started at.
// The journals of the build before, named after their time, come first.
TEST_F(InProcess, RunsInTheOrderOfTheirSequence) {
    Items("a.txt b.txt");
    const std::string a = IdOf("a.txt");
    const std::string b = IdOf("b.txt");
    RENAME("a.txt", "a.1");
    RENAME("b.txt", "b.1");
    Fs::AdvanceClock(1000000000);
    Store::Put("20990101T000000.000000000Z-1.journal",
               "dolv-journal 1\nP\t\\DATI\\\nR\t" + b + "\tb.txt\tb.1\n");
    PutJournal(7, "P\t\\DATI\\\nR\t" + a + "\ta.txt\ta.1\n");
    EXPECT_EQ(RunProgram(Command({"/U", "/I", "+NUL"})), 0);
    EXPECT_EQ(Fs::Listing(), "a.txt b.1");
    EXPECT_EQ(RunProgram(Command({"/U", "/I", "+NUL"})), 0);
    EXPECT_EQ(Fs::Listing(), "a.txt b.txt");
    EXPECT_EQ(Journal::Undone(), 2);
}

// A run in progress holds its journal: /U says so, and renames nothing.
TEST_F(InProcess, RunInProgressIsNotTakenBack) {
    Items("a.txt");
    RunProgram(Command(kBatch));
    Store::Lock(Store::Names().at(0));
    EXPECT_EQ(RunProgram(Command(kU)), 1);
    EXPECT_EQ(Console::Text(),
              "Un' esecuzione e' ancora in corso: nessun elemento e' stato ripristinato\n");
    EXPECT_EQ(Fs::Listing(), "a.bak");
}

// The undo is recorded before it is made: where it cannot be, nothing is
// renamed and /U says so; the run is still there for the next /U.
TEST_F(InProcess, UndoThatCannotBeRecordedRenamesNothing) {
    Items("a.txt");
    RunProgram(Command(kBatch));
    Store::Frozen();
    EXPECT_EQ(RunProgram(Command(kU)), 1);
    EXPECT_EQ(Console::Text(),
              "Impossibile scrivere il registro: nessun elemento e' stato ripristinato\n");
    EXPECT_EQ(Fs::Listing(), "a.bak");
    EXPECT_EQ(Journal::Undone(), 0);
}

// An undo cut short (a kill, Ctrl-C) goes on where it stopped at the next
// /U, which counts what is left.
TEST_F(InProcess, UndoCutShortGoesOn) {
    Items("a.txt b.txt c.txt");
    RunProgram(Command(kBatch));
    Fs::Before(Op::kRename, Fs::Calls(Op::kRename) + 2, [] { throw Halted{137}; });
    RunProgram(Command(kU));
    EXPECT_EQ(Fs::Listing(), "a.bak b.bak c.txt");
    EXPECT_EQ(RunProgram(Command(kU)), 0);
    EXPECT_EQ(Console::Text(), Back("b.bak", "b.txt") + Back("a.bak", "a.txt") + Restored(2, 2, 0));
    EXPECT_EQ(Fs::Listing(), "a.txt b.txt c.txt");
    EXPECT_EQ(Journal::Undone(), 1);
    // Cancelled: the counts so far, and the rest for the next /U.
    FreshRun();
    Items("a.txt b.txt");
    RunProgram(Command(kBatch));
    Fs::Before(Op::kRename, Fs::Calls(Op::kRename) + 1, [] { Console::raise_cancel(); });
    RunProgram(Command(kU));
    EXPECT_EQ(Console::Text(),
              Back("b.bak", "b.txt") + "Operazione interrotta dall' utente\n" + Restored(1, 1, 0));
    EXPECT_EQ(RunProgram(Command(kU)), 0);
    EXPECT_EQ(Fs::Listing(), "a.txt b.txt");
}

// /U belongs to the folder it is typed in: it takes back the latest run
// that renamed an item there or below, and says where the latest one is
// when none did.
TEST_F(InProcess, UndoBelongsToTheCurrentFolder) {
    Items("a.txt");
    Fs::File("sub\\s.txt", "s");
    Fs::File("\\ALTRO\\b.txt", "b");
    RunProgram(Command({"sub\\*.txt", "*.bak", "/I", "+NUL"}));
    RunProgram(Command({"\\ALTRO\\*.txt", "*.bak", "/I", "+NUL"}));
    EXPECT_EQ(RunProgram(Command({"/U", "/I", "+NUL"})), 0);
    EXPECT_EQ(Fs::Listing("sub"), "s.txt");
    EXPECT_EQ(Fs::Listing("\\ALTRO"), "b.bak");
    EXPECT_EQ(RunProgram(Command(kU)), 1);
    EXPECT_EQ(Console::Text(),
              "Nessuna esecuzione da annullare in questa directory\n"
              "L' ultima esecuzione da annullare ha rinominato elementi in \\ALTRO\\\n");
    EXPECT_EQ(Fs::Listing("\\ALTRO"), "b.bak");
}

}  // namespace
}  // namespace dolv::fake
