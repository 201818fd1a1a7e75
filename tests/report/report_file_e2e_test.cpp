// The report channel and the report file from outside: when the file is
// kept, how it is created, emptied, appended or refused, the question about
// an existing file, the silent null device, and write failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

// Every line end is CR LF.
bool CrLfOnly(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    }
    return true;
}

const char kMarker[] = "--------------------FINE--------------------\r\n\r\n";
const char kQuestion[] =
    "\r\nIl file di output esiste gia'\r\nSovrascrivi, Accoda, Esci ?  [S,A,E] ";
const char kCancelled[] =
    "Operazione interrotta dall' utente\r\nNessun file e' stato rinominato\r\n";

TEST(ReportFileE2E, KeptWithIgnoraAndClosedWithTheSummaryAndTheMarker) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    WriteFile(dir / "b.txt", "");
    PipedResult r = RunDolv(dir.path(), {"*.txt", "*.bak", "/I", "+rep.log"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output, "");  // every report line went to the file
    const std::string report = ReadFile(dir / "rep.log");
    EXPECT_TRUE(EndsWith(
        report, std::string("Rinominati 2 elementi su 2 ,negati 0 ,saltati 0\r\n") + kMarker))
        << report;
    EXPECT_NE(report.find("a.bak"), std::string::npos);
    EXPECT_TRUE(CrLfOnly(report));
}

TEST(ReportFileE2E, NothingRenamedIsRecordedToo) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    RunDolv(dir.path(), {"a.txt", "*.*", "/I", "+rep.log", "/E"});
    EXPECT_EQ(ReadFile(dir / "rep.log"),
              std::string("Rinominati 0 elementi su 1 ,negati 0 ,saltati 1\r\n"
                          "Nessun file e' stato rinominato\r\n") +
                  kMarker);
}

TEST(ReportFileE2E, WithVTheConsoleShowsWhatTheFileGets) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    WriteFile(dir / "b.txt", "");
    PipedResult r = RunDolv(dir.path(), {"*.txt", "*.bak", "/I", "+rep.log", "/v"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output, ReadFile(dir / "rep.log"));
    EXPECT_NE(r.output.find("Rinominati 2 elementi su 2"), std::string::npos);
}

TEST(ReportFileE2E, NotKeptWithoutIgnoraOrWithConfirmation) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    PipedResult r = RunDolv(dir.path(), {"a.txt", "b.txt", "+rep.log"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_TRUE(EndsWith(r.output, "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\r\n"));
    EXPECT_EQ(r.output.find("FINE"), std::string::npos);
    r = RunDolv(dir.path(), {"b.txt", "c.txt", "/I", "/P", "+rep.log"}, "s");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_TRUE(EndsWith(r.output, "Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\r\n"));
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"c.txt"});
}

TEST(ReportFileE2E, OverwriteAppendOrEndWhenItExists) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    WriteFile(dir / "rep.log", "OLD\r\n");
    // /AE: the run ends before anything is renamed; the file is untouched.
    PipedResult r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", "+rep.log", "/AS", "/AE"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, "Il file di output esiste gia'\r\n");
    EXPECT_EQ(ReadFile(dir / "rep.log"), "OLD\r\n");
    EXPECT_TRUE(FileExists(dir / "a.txt"));
    // /AA appends.
    r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", "+rep.log", "/aa"});
    EXPECT_EQ(r.exit_code, 0);
    std::string report = ReadFile(dir / "rep.log");
    EXPECT_EQ(report.rfind("OLD\r\n", 0), 0u) << report;
    EXPECT_TRUE(EndsWith(report, kMarker));
    // /AS empties.
    r = RunDolv(dir.path(), {"b.txt", "a.txt", "/I", "+rep.log", "/as"});
    EXPECT_EQ(r.exit_code, 0);
    report = ReadFile(dir / "rep.log");
    EXPECT_EQ(report.find("OLD"), std::string::npos);
    EXPECT_EQ(report.find("FINE"), report.rfind("FINE"));  // one run's lines only
}

TEST(ReportFileE2E, AMissingFileIsCreatedWhateverTheMode) {
    for (const char* mode : {"/AA", "/AE", "/AS", "/AC"}) {
        TempDir dir;
        WriteFile(dir / "a.txt", "");
        PipedResult r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", "+rep.log", mode});
        EXPECT_EQ(r.exit_code, 0) << mode;
        EXPECT_EQ(r.output, "") << mode;
        EXPECT_TRUE(EndsWith(ReadFile(dir / "rep.log"), kMarker)) << mode;
    }
}

TEST(ReportFileE2E, TheQuestionAboutAnExistingFile) {
    struct Case {
        std::string input;
        std::string echo;  // as the console shows it
        int exit_code;
        bool kept_old;  // the old content is still at the start
    };
    const Case cases[] = {
        {"xqa", "A", 0, true},          // other keys are ignored
        {"s", "S", 0, false},           // lower case is folded
        {"\x1b[3~", "S", 0, false},     // Del: scan code 83 is 'S'
        {"\x1b[18~", "A", 0, true},     // F7: scan code 65 is 'A'
        {"e", "E", 1, true},            // end the run
        {"", "\xe2\x86\x90", 1, true},  // no input left: Esc, shown as its glyph
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteFile(dir / "a.txt", "");
        WriteFile(dir / "rep.log", "OLD\r\n");
        PipedResult r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", "+rep.log"}, c.input);
        EXPECT_EQ(r.exit_code, c.exit_code) << c.echo;
        std::string expected = kQuestion + c.echo + "\r\n";
        if (c.exit_code == 1) expected += kCancelled;
        EXPECT_EQ(r.output, expected);
        const std::string report = ReadFile(dir / "rep.log");
        EXPECT_EQ(report.rfind("OLD\r\n", 0) == 0, c.kept_old) << c.echo;
        if (c.exit_code == 0) {
            EXPECT_TRUE(EndsWith(report, kMarker)) << report;
        } else {
            EXPECT_EQ(report, "OLD\r\n");
            EXPECT_TRUE(FileExists(dir / "a.txt"));
        }
    }
}

TEST(ReportFileE2E, TheQuestionOnATerminal) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    WriteFile(dir / "rep.log", "OLD\r\n");
    PtySession s({DOLV_EXE, "a.txt", "b.txt", "/I", "+rep.log"}, PtyIn(dir.path()));
    ASSERT_TRUE(s.wait_for("[S,A,E] "));
    ASSERT_TRUE(s.wait_idle());
    EXPECT_EQ(s.screen().row(2), "Il file di output esiste gia'");
    EXPECT_EQ(s.screen().row(3), "Sovrascrivi, Accoda, Esci ?  [S,A,E]");
    EXPECT_EQ(s.screen().cursor_x(), 38);
    s.send_keys({"x", keys::kF1});  // scan code 59: no answer
    ASSERT_TRUE(s.wait_idle()) << s.plain();
    EXPECT_FALSE(s.exited());
    EXPECT_EQ(s.screen().row(3), "Sovrascrivi, Accoda, Esci ?  [S,A,E]");
    s.send(keys::kDel);
    EXPECT_EQ(s.wait_exit(), 0);
    EXPECT_EQ(s.screen().row(3), "Sovrascrivi, Accoda, Esci ?  [S,A,E] S");
    EXPECT_EQ(ReadFile(dir / "rep.log").find("OLD"), std::string::npos);
}

TEST(ReportFileE2E, NulSilencesTheReportButNotQuestionsOrErrors) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    PipedResult r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", "+NUL", "/V"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output, "");
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"b.txt"});
    r = RunDolv(dir.path(), {"x.*", "y.*", "/I", "+NUL"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, "File non trovato\r\n");
    // Questions are still asked on the console: here the terminal mode's.
    r = RunDolv(dir.path(), {"b.txt", "/T", "/I", "+NUL"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.output.find("Nome originale"), std::string::npos) << r.output;
    EXPECT_TRUE(EndsWith(r.output, kCancelled)) << r.output;
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"b.txt"});
}

TEST(ReportFileE2E, NulWithADirectoryIsSilentToo) {
    TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    WriteFile(dir / "a.txt", "");
    for (const char* name : {"+sub\\NUL", "+c:NUL", "+nodir\\NUL"}) {
        PipedResult r = RunDolv(dir.path(), {"*.txt", "*.bak", "/I", name, "/V"});
        EXPECT_EQ(r.exit_code, 0) << name << r.output;
        EXPECT_EQ(r.output, "") << name;
        PipedResult back = RunDolv(dir.path(), {"*.bak", "*.txt", "/I", name});
        EXPECT_EQ(back.exit_code, 0) << name << back.output;
    }
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"a.txt", "sub"}));
    EXPECT_TRUE(ListDir(dir / "sub").empty());
}

TEST(ReportFileE2E, ReservedDeviceNamesAreRefused) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    for (const char* name : {"nul", "CON", "sub\\prn.txt", "NUL.log", "com1", "Lpt9"}) {
        PipedResult r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", std::string("+") + name});
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.output, std::string("Nome di file riservato ") + name + "\r\n");
    }
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"a.txt"});
}

TEST(ReportFileE2E, OpenedBeforeTheOperandsAreChecked) {
    TempDir dir;
    WriteFile(dir / "rep.log", "OLD\r\n");
    PipedResult r = RunDolv(dir.path(), {"a.txt", "/I", "+rep.log", "/AS"});
    EXPECT_EQ(r.output, "Manca un parametro indispensabile\r\n");
    // Emptied, and no marker: an error exit writes none.
    EXPECT_EQ(ReadFile(dir / "rep.log"), "");
}

TEST(ReportFileE2E, AnErrorExitKeepsWhatWasWritten) {
    TempDir dir;
    WriteFile(dir / "rep.log", "OLD\r\n");
    PipedResult r = RunDolv(dir.path(), {"x.*", "y.*", "/I", "+rep.log", "/AA"});
    EXPECT_EQ(r.output, "File non trovato\r\n");
    EXPECT_EQ(ReadFile(dir / "rep.log"), "OLD\r\n");
}

TEST(ReportFileE2E, APlusInTheNameIsKept) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    PipedResult r = RunDolv(dir.path(), {"a.txt", "b.txt", "++x.log/I"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_TRUE(EndsWith(ReadFile(dir / "+x.log"), kMarker));
}

TEST(ReportFileE2E, AFileThatCannotBeWrittenEndsTheRun) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    PipedResult r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", "+nodir\\rep.log"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, "Errore in scrittura del file di output: nodir\\rep.log\r\n");
    EXPECT_FALSE(FileExists(dir / "nodir"));
    // A directory of that name.
    std::filesystem::create_directory(dir / "d");
    r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", "+d", "/AS"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, "Errore in scrittura del file di output: d\r\n");
}

TEST(ReportFileE2E, AFullDiskEndsTheRunWithoutACrash) {
    if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    PipedResult r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", "+\\dev\\full", "/AS", "/V"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(EndsWith(r.output, "Errore in scrittura del file di output: \\dev\\full\r\n"))
        << r.output;
    // With /V the first line reached the console; it is never followed by
    // the summary, and the item whose record could not be written keeps its name.
    EXPECT_EQ(r.output.find("Rinominati"), std::string::npos);
    EXPECT_TRUE(FileExists(dir / "a.txt"));
    EXPECT_FALSE(FileExists(dir / "b.txt"));
}

}  // namespace
}  // namespace dolv
