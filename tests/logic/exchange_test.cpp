// The exchange in process: each of its three renames failing, each answer
// at its question, /I, the undo when it stops half-way, and /P.
#include <gtest/gtest.h>

#include "fakes/run_row.h"

namespace dolv::fake {
namespace {

using namespace std::string_literals;

const std::string kTemp = "@!$\x9C@!$\x9C.TMP";
const std::string kReport = "Scambio del file a con il file \\DATI\\d\\b\n";
const std::string kFailed =
    "*** Impossibile scambiare a con \\DATI\\d\\b\nAnnulla, Riprova ?  [A,R] ";
const std::string kCancelled = "Operazione interrotta dall' utente\n";
const std::string kNone = "Nessun file e' stato rinominato\n";
const std::string kDuplicate = "Nome file duplicato o file gia' in uso\n";
const char kUntouched[] = "a=a d=<directory> | b=b";
const char kSwapped[] = "b=a d=<directory> | a=b";

// a in the current directory, b in d: the second rename (b to d\a) fails
// when d\a exists, the third (the temporary name to b) when b exists.
void BInD() {
    Fs::Remove("b");
    Fs::File("d\\b", "b");
}
void SecondStepBlocked() {
    BInD();
    Fs::File("d\\a", "x");
}
void ThirdStepBlocked() {
    BInD();
    Fs::File("b", "x");
}
void Leftover() {
    BInD();
    Fs::File(kTemp, "t");
}
void FirstStepRefusedOnce() {
    BInD();
    Fs::Fail(Op::kRename, 1);
}
void FirstStepRefused() {
    BInD();
    Fs::Fail(Op::kRename, 0, "a");
}
void UndoRefused() {  // the second step fails, and so does putting a back
    BInD();
    Fs::Fail(Op::kRename, 2);
    Fs::Fail(Op::kRename, 3);
}
void CancelAtTheQuestion() {
    SecondStepBlocked();
    Console::CancelAtKey(1);
}
void CancelDuringTheRenames() {
    BInD();
    Fs::Before(Op::kRename, 2, [] { Console::raise_cancel(); });
}
void DirD() {
    Fs::File("d\\x", "x");
}
// Names that make a path of the exchange too long for a text.
const std::string kLong(249, 'a');
const std::string kDeep(200, 'e');
const std::string kSixty(60, 's');
void LongA() {
    Fs::File(kLong, "l");
}
void DeepB() {
    Fs::File(kSixty, "s");
    Fs::File(kDeep + "\\b", "b");
}
void Folded() {
    Fs::FoldCase(kCurrentDir);
}

struct Row {
    RunRow run;
    std::string contents;  // current directory | d, with the contents
};

const Row kRows[] = {
    {{"Swaps", "a b", BInD, {"a", "d\\b", "/R"}, "", 0, "", kReport}, kSwapped},
    {{"ConfirmYes",
      "a b",
      BInD,
      {"a", "d\\b", "/R", "/P"},
      "\0\x50xs"s,
      0,
      "",
      "Scambiare il file \\DATI\\a con il file \\DATI\\d\\b ?  [Si,No] S\n"},
     kSwapped},
    {{"ConfirmNoCancels",
      "a b",
      BInD,
      {"a", "d\\b", "/R", "/P"},
      "n",
      1,
      "",
      "Scambiare il file \\DATI\\a con il file \\DATI\\d\\b ?  [Si,No] N\n" + kCancelled + kNone},
     kUntouched},
    {{"ConfirmEsc",
      "a b",
      BInD,
      {"a", "d\\b", "/R", "/P"},
      "",
      1,
      "",
      "Scambiare il file \\DATI\\a con il file \\DATI\\d\\b ?  [Si,No] \x1b\n" + kCancelled +
          kNone},
     kUntouched},
    {{"MissingItemsAreBothNamed",
      "",
      nullptr,
      {"x", "y", "/R"},
      "",
      1,
      "",
      "File non trovato: \\DATI\\x\nFile non trovato: \\DATI\\y\n"},
     ""},
    {{"AWildcardNamesNoItem",
      "a b",
      BInD,
      {"*", "d\\b", "/R"},
      "",
      1,
      "",
      "File non trovato: \\DATI\\*\n"},
     kUntouched},
    {{"LeftoverTemporaryRetryThenCancel",
      "a b",
      Leftover,
      {"a", "d\\b", "/R"},
      "ra",
      1,
      "",
      kReport + "Il nome temporaneo esiste gia'\n" + kFailed + "R\n\n" +
          "Il nome temporaneo esiste gia'\n" + kFailed + "A\n\n" + kCancelled + kNone},
     "@!$\x9C@!$\x9C.TMP=t a=a d=<directory> | b=b"},
    {{"LeftoverTemporaryUnderI",
      "a b",
      Leftover,
      {"a", "d\\b", "/R", "/I"},
      "",
      1,
      "",
      kReport + "Il nome temporaneo esiste gia'. Impossibile scambiare gli elementi.\n"},
     "@!$\x9C@!$\x9C.TMP=t a=a d=<directory> | b=b"},
    {{"FirstStepRetried",
      "a b",
      FirstStepRefusedOnce,
      {"a", "d\\b", "/R"},
      "r",
      0,
      "",
      kReport + kFailed + "R\n\n"},
     kSwapped},
    {{"FirstStepRefusedUnderI",
      "a b",
      FirstStepRefused,
      {"a", "d\\b", "/R", "/I"},
      "",
      1,
      "",
      kReport + kDuplicate + kNone},
     kUntouched},
    {{"SecondStepUnderIUndoes",
      "a b",
      SecondStepBlocked,
      {"a", "d\\b", "/R", "/I"},
      "",
      1,
      "",
      kReport + kDuplicate + kNone},
     "a=a d=<directory> | a=x b=b"},
    {{"SecondStepCancelUndoes",
      "a b",
      SecondStepBlocked,
      {"a", "d\\b", "/R"},
      "a",
      1,
      "",
      kReport + kFailed + "A\n\n" + kCancelled + kNone},
     "a=a d=<directory> | a=x b=b"},
    {{"SecondStepEscUndoes",
      "a b",
      SecondStepBlocked,
      {"a", "d\\b", "/R"},
      "",
      1,
      "",
      kReport + kFailed + "\x1b\n\n" + kCancelled + kNone},
     "a=a d=<directory> | a=x b=b"},
    {{"ThirdStepUnderIUndoes",
      "a b",
      ThirdStepBlocked,
      {"a", "d\\b", "/R", "/I"},
      "",
      1,
      "",
      kReport + kDuplicate + kNone},
     "a=a b=x d=<directory> | b=b"},
    {{"ThirdStepRetryThenCancelUndoes",
      "a b",
      ThirdStepBlocked,
      {"a", "d\\b", "/R"},
      "ra",
      1,
      "",
      kReport + kFailed + "R\n\n" + kFailed + "A\n\n" + kCancelled + kNone},
     "a=a b=x d=<directory> | b=b"},
    {{"AnItemThatCannotBePutBackIsNamed",
      "a b",
      UndoRefused,
      {"a", "d\\b", "/R"},
      "a",
      1,
      "",
      kReport + kFailed + "A\n\nIl file \\DATI\\a e' rimasto con il nome \\DATI\\" + kTemp + "\n" +
          kCancelled + kNone},
     "@!$\x9C@!$\x9C.TMP=a d=<directory> | b=b"},
    {{"ACancelAtTheQuestionUndoes",
      "a b",
      CancelAtTheQuestion,
      {"a", "d\\b", "/R"},
      "r",
      1,
      "",
      kReport + kFailed + "\n" + kCancelled + kNone},
     "a=a d=<directory> | a=x b=b"},
    // A cancel between the renames waits until the exchange is done.
    {{"ACancelDuringTheRenamesWaits",
      "a b",
      CancelDuringTheRenames,
      {"a", "d\\b", "/R"},
      "",
      1,
      "",
      kReport + kCancelled + "Rinominati 2 elementi ,negati 0 ,saltati 0\n"},
     kSwapped},
    {{"TheSameItemTwice",
      "a",
      Folded,
      {"a", "A", "/R"},
      "",
      1,
      "",
      "I due parametri indispensabili sono uguali\n"},
     "a=a"},
    {{"AnItemInsideTheOther", "a b", BInD, {"d", "d\\b", "/R"}, "", 1, "", kDuplicate + kNone},
     kUntouched},
    {{"AFileAndADirectory",
      "a",
      DirD,
      {"a", "d", "/R"},
      "",
      0,
      "",
      "Scambio del file a con la directory \\DATI\\d\n"},
     "a=<directory> d=a"},
    {{"ADirectoryAndAFile",
      "a",
      DirD,
      {"d", "a", "/R"},
      "",
      0,
      "",
      "Scambio della directory d con il file \\DATI\\a\n"},
     "a=<directory> d=a"},
    {{"TheFirstInsideTheSecond", "a b", BInD, {"d\\b", "d", "/R"}, "", 1, "", kDuplicate + kNone},
     kUntouched},
    {{"TheCurrentDirectoryHoldsTheOther",
      "a b",
      BInD,
      {".", "d", "/R"},
      "",
      1,
      "",
      kDuplicate + kNone},
     kUntouched},
    // A name that merely begins like the other's is no nesting.
    {{"ANameThatBeginsLikeTheOther",
      "a dx",
      BInD,
      {"d", "dx", "/R"},
      "",
      0,
      "",
      "Scambio della directory d con il file \\DATI\\dx\n"},
     "a=a d=dx dx=<directory>"},
    {{"APathTooLongIsRefused",
      "b",
      LongA,
      {kLong, "b", "/R"},
      "",
      1,
      "",
      "Percorso troppo lungo per lo scambio: " + kLong + "\n"},
     kLong + "=l b=b"},
    // Both items fit; only the second one's new name would not.
    {{"ANewNameTooLongIsRefused",
      "",
      DeepB,
      {kSixty, kDeep + "\\b", "/R", "/I"},
      "",
      1,
      "",
      "Percorso troppo lungo per lo scambio: \\DATI\\" + kDeep + "\\b\n"},
     kDeep + "=<directory> " + kSixty + "=s"},
    {{"TwoItemsOfOneNameNeedNothing",
      "a",
      [] { Fs::File("d\\a", "x"); },
      {"a", "d\\a", "/R"},
      "",
      0,
      "",
      kNone},
     "a=a d=<directory> | a=x"},
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.run.name;
}

class Exchange : public InProcess, public ::testing::WithParamInterface<Row> {};

TEST_P(Exchange, Row) {
    const Row& row = GetParam();
    EXPECT_EQ(RunProgram(row.run), row.run.code);
    std::string contents = Fs::Contents();
    if (Fs::IsDir("d")) contents += " | " + Fs::Contents("d");
    EXPECT_EQ(contents, row.contents);
    EXPECT_EQ(Console::Text(), row.run.console);
}

INSTANTIATE_TEST_SUITE_P(Table, Exchange, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.run.name); });

// The question never bears the temporary name as its cause unless an item
// has it, and its names are coloured.
TEST_F(InProcess, TheExchangeQuestionColoursItsNames) {
    RunProgram({"", "a b", SecondStepBlocked, {"a", "d\\b", "/R"}, "a", 1, "", ""});
    EXPECT_EQ(Console::InColour(4).at(1), "a");
    EXPECT_EQ(Console::InColour(2).at(1), "\\DATI\\d\\b");
}

}  // namespace
}  // namespace dolv::fake
