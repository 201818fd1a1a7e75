// The report file on a real disk: written with CR LF and closed with the
// marker, the question on a terminal, and files that cannot be written.
// When the file is kept, its modes, the answers of the question and the
// null device are rows of the report table.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

// Every line end is LF alone, as this system ends lines.
bool LfOnly(const std::string& text) {
    return text.find('\r') == std::string::npos;
}

const char kMarker[] = "--------------------FINE--------------------\n\n";

TEST(ReportFileE2E, KeptWithIgnoraAndClosedWithTheSummaryAndTheMarker) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    WriteFile(dir / "b.txt", "");
    PipedResult r = RunDolv(dir.path(), {"*.txt", "*.bak", "/I", "+rep.log"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output, "");  // every report line went to the file
    const std::string report = ReadFile(dir / "rep.log");
    EXPECT_TRUE(EndsWith(
        report, std::string("Rinominati 2 elementi su 2 ,negati 0 ,saltati 0\n") + kMarker))
        << report;
    EXPECT_NE(report.find("a.bak"), std::string::npos);
    EXPECT_TRUE(LfOnly(report));
}

TEST(ReportFileE2E, TheQuestionOnATerminal) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    WriteFile(dir / "rep.log", "OLD\n");
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

TEST(ReportFileE2E, AFileThatCannotBeWrittenEndsTheRun) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    PipedResult r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", "+nodir/rep.log"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, "Errore in scrittura del file di output: nodir/rep.log\n");
    EXPECT_FALSE(FileExists(dir / "nodir"));
    // A directory of that name.
    std::filesystem::create_directory(dir / "d");
    r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", "+d", "/AS"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, "Errore in scrittura del file di output: d\n");
}

TEST(ReportFileE2E, AFullDiskEndsTheRunWithoutACrash) {
    if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    PipedResult r = RunDolv(dir.path(), {"a.txt", "b.txt", "/I", "+/dev/full", "/AS", "/V"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(EndsWith(r.output, "Errore in scrittura del file di output: /dev/full\n"))
        << r.output;
    // With /V the first line reached the console; it is never followed by
    // the summary, and the item whose record could not be written keeps its name.
    EXPECT_EQ(r.output.find("Rinominati"), std::string::npos);
    EXPECT_TRUE(FileExists(dir / "a.txt"));
    EXPECT_FALSE(FileExists(dir / "b.txt"));
}

}  // namespace
}  // namespace dolv
