// The run driver from outside: the operand checks and their order, the
// argument reader's errors, the closing lines and the exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

// A run that must end with exactly one message line and exit code 1.
struct Refusal {
    std::vector<std::string> args;
    std::string message;
};

// Runs each case in turn in the folder dir.
void ExpectRefused(const TempDir& dir, const std::vector<Refusal>& cases) {
    for (const Refusal& c : cases) {
        std::string shown = "dolv";
        for (const std::string& arg : c.args) shown += " [" + arg + "]";
        SCOPED_TRACE(shown);
        PipedResult r = RunDolv(dir.path(), c.args);
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.output, c.message + "\r\n");
    }
}

const char kMissing[] = "Manca un parametro indispensabile";
const char kEqual[] = "I due parametri indispensabili sono uguali";
const char kPath[] = "Non e' possibile specificare una nuova unita' o percorso per la destinazione";
const char kReserved[] =
    "Il file di destinazione contiene caratteri riservati che non pu\xc3\xb2 avere.";

TEST(DriverE2E, MissingOperands) {
    TempDir dir;
    const std::vector<Refusal> cases = {
        {{}, kMissing},  // no help screen without arguments
        {{"*.txt"}, kMissing},
        {{"", "*.txt", ""}, kMissing},  // empty arguments count for nothing
        // In terminal mode the destination may be missing, but then both are "equal".
        {{"/T"}, kEqual},
    };
    ExpectRefused(dir, cases);
}

TEST(DriverE2E, EqualOperandsUnlessANameOptionChangesTheName) {
    TempDir dir;
    const std::vector<Refusal> cases = {
        {{"a.txt", "a.txt"}, kEqual},
        {{"a.txt", "a.txt", "/LL10"}, kEqual},  // padding takes no part
        {{"sub\\a.txt", "a.txt"}, kEqual},      // the name part is compared
        {{"a.txt", "a.txt", "/[x", "/["}, kEqual},
    };
    ExpectRefused(dir, cases);

    WriteFile(dir / "a.txt", "A");
    PipedResult r = RunDolv(dir.path(), {"a.txt", "a.txt", "/[x"});
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"xa.txt"});
    r = RunDolv(dir.path(), {"xa.txt", "xa.txt", "/+"});
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"XA.TXT"});
    // The comparison is case-sensitive: the run goes on (and the batch passes
    // a change of case alone over).
    r = RunDolv(dir.path(), {"XA.TXT", "xa.txt"});
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.output.find("Rinominati 0 elementi su 1 ,negati 0 ,saltati 1\r\n"),
              std::string::npos)
        << r.output;
    EXPECT_EQ(ReadFile(dir / "XA.TXT"), "A");
}

TEST(DriverE2E, DestinationWithADriveOrDirectory) {
    TempDir dir;
    const std::vector<Refusal> cases = {
        {{"*.txt", "c:\\*.bak"}, kPath},
        {{"*.txt", "sub\\x.bak"}, kPath},
        {{"*.txt", "c:x.bak"}, kPath},
    };
    ExpectRefused(dir, cases);
    // A source with a directory is fine; in exchange mode so is the destination.
    EXPECT_EQ(RunDolv(dir.path(), {"c:\\dir\\*.txt", "*.bak"}).output.find(kPath),
              std::string::npos);
    EXPECT_EQ(RunDolv(dir.path(), {"a.txt", "c:\\b.txt", "/R"}).output.find(kPath),
              std::string::npos);
}

TEST(DriverE2E, ReservedCharactersInTheDestination) {
    TempDir dir;
    std::vector<Refusal> cases;
    for (const char* bad : {"b|c.txt", "b+c.txt", "b c.txt", "b,c", "b;c", "b=c", "b<c", "b\"c"})
        cases.push_back({{"a.txt", bad}, kReserved});
    // Wildcards are allowed in the pattern: the run goes on to the walk.
    cases.push_back({{"a.txt", "b?.txt"}, "File non trovato"});
    // In exchange mode only the name part is checked.
    cases.push_back({{"a.txt", "x\\b+c", "/R"}, kReserved});
    ExpectRefused(dir, cases);
    EXPECT_EQ(RunDolv(dir.path(), {"a.txt", "x;y\\b.txt", "/R"}).output.find(kReserved),
              std::string::npos);
}

TEST(DriverE2E, ChecksComeInTheirOrder) {
    TempDir dir;
    const std::vector<Refusal> cases = {
        // Directory in the destination (6) before reserved characters (8).
        {{"a", "sub\\b+c"}, kPath},
        // Directory in the destination (6) before equal operands (3).
        {{"x\\a", "x\\a"}, kPath},
        // Missing destination (2) before equal operands (3) outside terminal mode.
        {{"/P"}, kMissing},
        // Equal operands (3) before reserved characters (8).
        {{"a;b", "a;b"}, kEqual},
        // The reader's errors come before every operand check.
        {{"/LL1"}, "Valore non valido per l'opzione: /LL1"},
        {{"/LL1", "/?"}, "Valore non valido per l'opzione: /LL1"},
        {{"/X", "/Y", "/Z", "/?"}, "Opzione non valida: /Z"},
        // A bare '+' is refused after the reading, before the operands.
        {{"+"}, "Opzione non valida: "},
        {{"a", "b", "+"}, "Opzione non valida: "},
        // The report file is checked (11) before the operands (2).
        {{"/I", "+con"}, "Nome di file riservato con"},
    };
    ExpectRefused(dir, cases);
}

TEST(DriverE2E, ReaderErrorsQuoteTheSegment) {
    TempDir dir;
    std::vector<Refusal> cases = {
        {{"a", "b", "/X"}, "Opzione non valida: /X"},
        {{"a", "b/P/Q/I"}, "Opzione non valida: /Q"},
        // /U takes back a run already made: it takes no operand.
        {{"/U", "a"}, "Opzione non valida: a"},
        {{"*.txt", "*.bak", "/u"}, "Opzione non valida: *.txt"},
    };
    for (const char* bad : {"/LL08", "/LL+8", "/LL 8", "/LL", "/LL256", "/LL-3", "/lr0"})
        cases.push_back({{"a", "b", bad}, std::string("Valore non valido per l'opzione: ") + bad});
    ExpectRefused(dir, cases);
}

TEST(DriverE2E, ALaterSegmentOrALongArgumentIsRefusedBeforeAnythingIsTouched) {
    TempDir dir;
    const std::string d(255, 'd');
    for (const std::string& folder : {std::string("Photos"), std::string("project"), d})
        std::filesystem::create_directory(dir / folder);
    WriteFile(dir / "project/src", "");
    WriteFile(dir / (d + "/a.txt"), "");
    const std::vector<std::string> before = ListDir(dir.path());
    const std::vector<Refusal> cases = {
        // A trailing '/' from the shell's completion; a path with '/'.
        {{"Photos/", "/-"}, "Opzione non valida: /"},
        {{"project/src"}, "Opzione non valida: /src"},
        {{"a/b"}, "Opzione non valida: /b"},
        {{"/[x/y", "a", "b"}, "Opzione non valida: /y"},
        // Cut to 255 bytes, these would name the folder itself.
        {{d + "\\*.txt", "x.txt"}, "Opzione non valida: " + d},
        {{"*.txt", d + "x"}, "Opzione non valida: " + d},
    };
    ExpectRefused(dir, cases);
    EXPECT_EQ(ListDir(dir.path()), before);
    EXPECT_EQ(ListDir(dir / d), std::vector<std::string>{"a.txt"});
    // A segment that opens its argument is still an operand.
    PipedResult r = RunDolv(dir.path(), {"/X", "y"});
    EXPECT_EQ(r.output, "File non trovato\r\n");
}

TEST(DriverE2E, At255ArgumentsTheNextOneIsRefused) {
    TempDir dir;
    std::vector<std::string> args(255, "/P");
    args[0] = "a.txt";
    args[1] = "b.txt";
    std::vector<std::string> surplus = args;
    surplus.push_back("surplus");
    surplus.push_back("more");
    const std::vector<Refusal> cases = {
        {args, "File non trovato"},  // 255 arguments are read: on to the walk
        {surplus, "Opzione non valida: surplus"},
    };
    ExpectRefused(dir, cases);
}

TEST(DriverE2E, ASourceEndingInABackslashMeansEverythingInIt) {
    TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    WriteFile(dir / "sub/a.txt", "a");
    WriteFile(dir / "sub/b", "b");
    PipedResult r = RunDolv(dir.path(), {"sub\\", "*.bak"});
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(ListDir(dir / "sub"), (std::vector<std::string>{"a.bak", "b.bak"}));
}

TEST(DriverE2E, ClosingLinesOfABatchRun) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    // Nothing renamed: the summary and the "nothing renamed" line, exit code 0.
    PipedResult r = RunDolv(dir.path(), {"a.txt", "*.*"});
    EXPECT_EQ(r.exit_code, 0);
    const std::string tail =
        "Rinominati 0 elementi su 1 ,negati 0 ,saltati 1\r\n"
        "Nessun file e' stato rinominato\r\n";
    ASSERT_GE(r.output.size(), tail.size());
    EXPECT_EQ(r.output.substr(r.output.size() - tail.size()), tail) << r.output;

    for (int i = 0; i < 1234; ++i) WriteFile(dir / ("f" + std::to_string(i) + ".txt"), "");
    r = RunDolv(dir.path(), {"*.txt", "*.bak", "/E"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.output.find("\r\nRinominati 1.235 elementi su 1.235 ,negati 0 ,saltati 0\r\n"),
              std::string::npos);
    EXPECT_EQ(r.output.find("Nessun file"), std::string::npos);
}

TEST(DriverE2E, AnExchangeWritesNoSummary) {
    TempDir dir;
    WriteFile(dir / "a", "A");
    WriteFile(dir / "b", "B");
    PipedResult r = RunDolv(dir.path(), {"a", "b", "/R", "/T"});  // /R wins over /T
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(ReadFile(dir / "a"), "B");
    EXPECT_EQ(ReadFile(dir / "b"), "A");
    EXPECT_EQ(r.output.find("Rinominati"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("Nessun file"), std::string::npos) << r.output;
}

TEST(DriverE2E, CancelAtTheEndOfPipedInput) {
    TempDir dir;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
        WriteFile(dir / name, "");
    // No answers at all: the first question reads Esc.
    PipedResult r = RunDolv(dir.path(), {"*.txt", "*.bak", "/P"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_FALSE(r.timed_out);
    const std::string cancelled =
        "Operazione interrotta dall' utente\r\nNessun file e' stato rinominato\r\n";
    ASSERT_GE(r.output.size(), cancelled.size());
    EXPECT_EQ(r.output.substr(r.output.size() - cancelled.size()), cancelled) << r.output;
    EXPECT_EQ(r.output.find("Rinominati"), std::string::npos);

    // Three answers, then the input ends: the partial counts, no "nothing" line.
    r = RunDolv(dir.path(), {"*.txt", "*.bak", "/P"}, "sss");
    EXPECT_EQ(r.exit_code, 1);
    const std::string partial =
        "Operazione interrotta dall' utente\r\nRinominati 3 elementi ,negati 0 ,saltati 0\r\n";
    ASSERT_GE(r.output.size(), partial.size());
    EXPECT_EQ(r.output.substr(r.output.size() - partial.size()), partial) << r.output;
    EXPECT_EQ(ListDir(dir.path()),
              (std::vector<std::string>{"a.bak", "b.bak", "c.bak", "d.txt", "e.txt"}));
}

TEST(DriverE2E, CtrlCAtAQuestionCancelsTheRun) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    PtySession s({DOLV_EXE, "a.txt", "b.txt", "/P"}, PtyIn(dir.path()));
    ASSERT_TRUE(s.wait_for("[Si,No,Tutti,Annulla]"));
    s.send(keys::kCtrlC);
    EXPECT_EQ(s.wait_exit(), 1);
    EXPECT_NE(s.plain().find("Operazione interrotta dall' utente"), std::string::npos) << s.plain();
    EXPECT_TRUE(s.screen().cursor_visible());
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"a.txt"});
}

}  // namespace
}  // namespace dolv
