// The driver in process: the argument reader's errors, the operand checks
// and their order, each ending the run with one line and nothing touched;
// the runs that pass them, and the closing lines.
#include <gtest/gtest.h>

#include "fakes/run_row.h"
#include "platform/entry.h"
#include "platform/system.h"

namespace dolv::fake {
namespace {

using Args = std::vector<std::string>;

const std::string kMissing = "Manca un parametro indispensabile";
const std::string kEqual = "I due parametri indispensabili sono uguali";
const std::string kPath =
    "Non e' possibile specificare una nuova unita' o percorso per la destinazione";
const std::string kReserved =
    "Il file di destinazione contiene caratteri riservati che non pu\x95 avere.";
const std::string kNotFound = "File non trovato";
const std::string kBadValue = "Valore non valido per l'opzione: ";
const std::string kBad = "Opzione non valida: ";
const std::string kLong(255, 'd');  // an argument that fills the limit

// A run refused with one line: code 1, the directory as it was.
RunRow Refused(const char* name, Args args, const std::string& line) {
    return {name, "a.txt", nullptr, std::move(args), "", 1, "a.txt", line + "\n"};
}

// 255 arguments, the operands first; `more` are added after them.
Args Full(const Args& more = {}) {
    Args args(255, "/P");
    args[0] = "x.txt";
    args[1] = "y.txt";
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

const RunRow kRows[] = {
    Refused("NoArguments", {}, kMissing),
    Refused("OneOperand", {"*.txt"}, kMissing),
    Refused("EmptyArgumentsCountForNothing", {"", "*.txt", ""}, kMissing),
    // In the terminal mode the destination may be missing; then both are "equal".
    Refused("TerminalModeAlone", {"/T"}, kEqual),
    Refused("EqualOperands", {"a.txt", "a.txt"}, kEqual),
    Refused("EqualOperandsPaddingTakesNoPart", {"a.txt", "a.txt", "/LL10"}, kEqual),
    Refused("EqualOperandsNamePartCompared", {"sub\\a.txt", "a.txt"}, kEqual),
    Refused("EqualOperandsPrefixCleared", {"a.txt", "a.txt", "/[x", "/["}, kEqual),
    Refused("DestinationWithDriveAndDirectory", {"*.txt", "c:\\*.bak"}, kPath),
    Refused("DestinationWithDirectory", {"*.txt", "sub\\x.bak"}, kPath),
    Refused("DestinationWithDrive", {"*.txt", "c:x.bak"}, kPath),
    Refused("ReservedBar", {"a.txt", "b|c.txt"}, kReserved),
    Refused("ReservedPlus", {"a.txt", "b+c.txt"}, kReserved),
    Refused("ReservedBlank", {"a.txt", "b c.txt"}, kReserved),
    Refused("ReservedComma", {"a.txt", "b,c"}, kReserved),
    Refused("ReservedSemicolon", {"a.txt", "b;c"}, kReserved),
    Refused("ReservedEquals", {"a.txt", "b=c"}, kReserved),
    Refused("ReservedLess", {"a.txt", "b<c"}, kReserved),
    Refused("ReservedQuote", {"a.txt", "b\"c"}, kReserved),
    // Wildcards are allowed in the pattern: the run goes on to the walk.
    Refused("WildcardsAllowed", {"x.txt", "b?.txt"}, kNotFound),
    // In exchange mode only the destination's name part is checked.
    Refused("ExchangeNamePartReserved", {"a.txt", "x\\b+c", "/R"}, kReserved),
    // The order: path before reserved characters and before equal operands,
    // missing destination before equal operands, equal before reserved.
    Refused("PathBeforeReserved", {"a", "sub\\b+c"}, kPath),
    Refused("PathBeforeEqual", {"x\\a", "x\\a"}, kPath),
    Refused("MissingBeforeEqual", {"/P"}, kMissing),
    Refused("EqualBeforeReserved", {"a;b", "a;b"}, kEqual),
    // The reader's errors come before every operand check.
    Refused("ReaderBeforeOperands", {"/LL1"}, kBadValue + "/LL1"),
    Refused("ReaderBeforeHelp", {"/LL1", "/?"}, kBadValue + "/LL1"),
    Refused("OperandSlotsFullBeforeHelp", {"/X", "/Y", "/Z", "/?"}, kBad + "/Z"),
    // A bare '+' is refused after the reading, before the operands.
    Refused("BarePlus", {"+"}, kBad),
    Refused("BarePlusAfterOperands", {"a", "b", "+"}, kBad),
    // The report file is checked before the operands.
    Refused("ReportFileBeforeOperands", {"/I", "+con"}, "Nome di file riservato con"),
    Refused("UnknownOption", {"a", "b", "/X"}, kBad + "/X"),
    Refused("UnknownJoinedOption", {"a", "b/P/Q/I"}, kBad + "/Q"),
    // /U takes back a run already made: it takes no operand.
    Refused("UndoWithAnOperand", {"/U", "a"}, kBad + "a"),
    Refused("UndoAfterOperands", {"*.txt", "*.bak", "/u"}, kBad + "*.txt"),
    Refused("PaddingLeadingZero", {"a", "b", "/LL08"}, kBadValue + "/LL08"),
    Refused("PaddingSign", {"a", "b", "/LL+8"}, kBadValue + "/LL+8"),
    Refused("PaddingBlank", {"a", "b", "/LL 8"}, kBadValue + "/LL 8"),
    Refused("PaddingMissing", {"a", "b", "/LL"}, kBadValue + "/LL"),
    Refused("PaddingOver255", {"a", "b", "/LL256"}, kBadValue + "/LL256"),
    Refused("PaddingNegative", {"a", "b", "/LL-3"}, kBadValue + "/LL-3"),
    Refused("PaddingUnder2", {"a", "b", "/lr0"}, kBadValue + "/lr0"),
    // A later segment that is no option: a trailing '/' from the shell's
    // completion, a path written with '/'.
    Refused("TrailingSlash", {"Photos/", "/-"}, kBad + "/"),
    Refused("SlashPath", {"project/src"}, kBad + "/src"),
    Refused("SlashPathShort", {"a/b"}, kBad + "/b"),
    Refused("SlashInsideAnOptionText", {"/[x/y", "a", "b"}, kBad + "/y"),
    // Cut to 255 bytes, these would name the folder itself.
    Refused("LongSource", {kLong + "\\*.txt", "x.txt"}, kBad + kLong),
    Refused("LongDestination", {"*.txt", kLong + "x"}, kBad + kLong),
    // A segment that opens its argument is still an operand.
    Refused("AnOpeningSegmentIsAnOperand", {"/X", "y"}, kNotFound),
    // Only the exact segment "/?" asks for the help screen: "/?x" is an operand.
    Refused("HelpIsTheExactSegmentOnly", {"/?x"}, kMissing),
    // 255 arguments are read (on to the walk); the next one is refused.
    Refused("AllOf255ArgumentsAreRead", Full(), kNotFound),
    Refused("AnArgumentAfter255IsRefused", Full({"/I"}), kBad + "/I"),
    // A name option makes equal operands a rename.
    {"EqualOperandsWithAPrefix",
     "a.txt",
     nullptr,
     {"a.txt", "a.txt", "/[x"},
     "",
     0,
     "xa.txt",
     "Rinomina del file \\DATI\\a.txt in xa.txt\n[5 bytes] A____\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
    {"EqualOperandsWithUpperCase",
     "a.txt",
     nullptr,
     {"a.txt", "a.txt", "/+"},
     "",
     0,
     "A.TXT",
     "Rinomina del file \\DATI\\a.txt in A.TXT\n[5 bytes] A____\n"
     "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"},
    // A source with a directory or drive is fine; so is the destination's
    // in exchange mode.
    {"SourceWithDriveAndDirectory",
     "a.txt",
     nullptr,
     {"c:\\dir\\*.txt", "*.bak"},
     "",
     1,
     "a.txt",
     "File non trovato\n"},
    {"ExchangeDestinationWithDrive",
     "a.txt",
     nullptr,
     {"a.txt", "c:\\b.txt", "/R"},
     "",
     1,
     "a.txt",
     "File non trovato: c:\\b.txt\n"},
    // /R wins over /T; an exchange writes no summary.
    {"ExchangeWinsOverTerminalMode",
     "a b",
     nullptr,
     {"a", "b", "/R", "/T"},
     "",
     0,
     "a b",
     "Scambio del file a con il file \\DATI\\b\n"},
};

class Driver : public InProcess, public ::testing::WithParamInterface<RunRow> {};

TEST_P(Driver, Row) {
    CheckRun(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, Driver, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The counts of the summary are written with thousands points.
TEST_F(InProcess, TheSummaryGroupsThousands) {
    for (int i = 0; i < 1235; ++i) Fs::File("f" + std::to_string(i) + ".txt");
    RunProgram({"", "", nullptr, {"*.txt", "*.bak", "/E"}, "", 0, "", ""});
    const std::string tail = "\nRinominati 1.235 elementi su 1.235 ,negati 0 ,saltati 0\n";
    const std::string& text = Console::Text();
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

// The words a command answers where the system has the habit: --help and
// -h stand for /? wherever they stand, --version (when it comes first)
// writes one line; any other argument that begins with "-" is a name. The
// Windows reading (no such habit) takes them all for names.
struct WordsRow {
    bool habit;
    Args args;
    int code;
    const char* after;
    std::string starts;  // the console text begins with it
};

const std::string kHelp =
    "DOLV : Rinomina uno o piu' files (e/o directory), o ne scambia i nomi.\n";
const std::string kVersion = std::string("dolv ") + program_version() + "\n";

const WordsRow kWords[] = {
    {true, {"--help"}, 1, "a.txt", kHelp},
    {true, {"-h"}, 1, "a.txt", kHelp},
    {true, {"a.txt", "--help"}, 1, "a.txt", kHelp},
    {true, {"a.txt", "b.txt", "-h", "--version"}, 1, "a.txt", kHelp},
    {true, {"--version"}, 0, "a.txt", kVersion},
    {true, {"a.txt", "b.txt", "--version"}, 0, "a.txt", kVersion},
    {true, {"--version", "--help"}, 0, "a.txt", kVersion},
    {true, {"a.txt", "-H"}, 0, "-H", "Rinomina"},
    {true, {"a.txt", "--HELP"}, 0, "--HELP", "Rinomina"},
    {true, {"a.txt", "-help"}, 0, "-help", "Rinomina"},
    {true, {"a.txt", "--versions"}, 0, "--versions", "Rinomina"},
    {false, {"a.txt", "--help"}, 0, "--help", "Rinomina"},
    {false, {"a.txt", "--version"}, 0, "--version", "Rinomina"},
};

TEST_F(InProcess, HelpWordsWhereTheSystemHasThem) {
    for (const WordsRow& row : kWords) {
        FreshRun();
        Items("a.txt");
        SystemConventions conventions;
        conventions.help_words = row.habit;
        Fs::Conventions(conventions);
        const int code = Ends([&] { dolv_main(CommandLine{row.args}); });
        const std::string label = row.args.back() + (row.habit ? " (habit)" : "");
        EXPECT_EQ(code, row.code) << label;
        EXPECT_EQ(Fs::Listing(), row.after) << label;
        EXPECT_EQ(Console::Text().substr(0, row.starts.size()), row.starts) << label;
        if (row.starts == kVersion) {
            EXPECT_EQ(Console::Text(), kVersion) << label;
        }
    }
}

// A report file the run will not keep is named on standard error, so that
// nobody looks for it; one the run keeps is not.
TEST_F(InProcess, AReportFileNotKeptIsNamedOnStandardError) {
    const std::string line = "Il file di output non viene scritto senza /I o con /P: rep.txt\n";
    const struct {
        Args args;
        std::string errors;
    } cases[] = {
        {{"a.txt", "b.txt", "+rep.txt"}, line},
        {{"a.txt", "b.txt", "+rep.txt", "/I", "/P"}, line},
        {{"a.txt", "b.txt", "+rep.txt", "/I"}, ""},
        {{"a.txt", "b.txt"}, ""},
    };
    for (const auto& c : cases) {
        FreshRun("S");
        RunProgram({"", "a.txt", nullptr, c.args, "S", 0, "", ""});
        EXPECT_EQ(Console::Errors(), c.errors) << c.args.back();
        EXPECT_EQ(Fs::Exists("rep.txt"), c.errors.empty() && c.args.size() == 4) << c.args.back();
    }
}

}  // namespace
}  // namespace dolv::fake
