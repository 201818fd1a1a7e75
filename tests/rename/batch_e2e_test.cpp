// The batch rename on a real disk: one run over files, a directory and a
// hidden file, a case-only change on a disk that tells letter case apart,
// ten thousand files, the open report file among the matches, and the
// habits of Linux (dot-files, names DOLV cannot hold, LF, questions that
// reach the terminal when the output goes to a file). What the
// walk does with names, answers and refusals is in the batch table.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "rename/rename_e2e.h"

namespace dolv {
namespace {

using e2e::Dolv;
using e2e::Folder;
using e2e::Lines;

// Files and directories alike; a wildcard leaves a dot-file alone, as the
// shell's does, and a pattern that begins with '.' takes it.
TEST(Batch, RenamesFilesDirectoriesAndDotFilesWithTheirReportLines) {
    Folder f;
    f.Put("a.txt", "alpha");
    f.Put("b.txt", "");
    f.Put(".h.txt", "hidden");
    f.Dir("d.txt");
    f.Put("d.txt/inner", "in");
    f.Put("other.doc", "doc");

    auto r = Dolv(f, {"*.txt", "*.bak"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{".h.txt", "a.bak", "b.bak", "d.bak", "other.doc"}));
    EXPECT_NE(r.out.find("Rinominati 3 elementi su 3 ,negati 0 ,saltati 0\n"), std::string::npos)
        << r.out;
    auto dots = Dolv(f, {".*.txt", "*.bak"});
    EXPECT_EQ(dots.code, 0) << dots.out;
    EXPECT_NE(dots.out.find(".h.txt in .h.bak\n[6 bytes] A_H__\n"), std::string::npos) << dots.out;
    EXPECT_EQ(f.Get("a.bak"), "alpha");
    EXPECT_EQ(f.Get(".h.bak"), "hidden");
    EXPECT_EQ(f.Get("d.bak/inner"), "in");
    EXPECT_EQ(f.Get("other.doc"), "doc");

    EXPECT_NE(r.out.find("Rinomina del file "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("a.txt in a.bak\n[5 bytes] A____\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Rinomina della directory "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("d.txt in d.bak\n[-1 bytes] ____D\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Nessun file"), std::string::npos) << r.out;
}

TEST(Batch, ACaseOnlyChangeNeverReplacesAnItemOfThatName) {
    // On a file system that tells letter case apart both items exist: the
    // destination question is not asked, and the rename fails without loss.
    Folder f;
    f.Put("a.txt", "lower");
    f.Put("A.TXT", "upper");
    auto r = Dolv(f, {"a.txt", "*.*", "/+", "/I"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out.find("La destinazione esiste gia'"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("*** Accesso negato\n\n"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "lower");
    EXPECT_EQ(f.Get("A.TXT"), "upper");

    // Without /I the refused rename is asked about, not the destination.
    r = Dolv(f, {"a.txt", "*.*", "/+"}, "i");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out.find("La destinazione esiste gia'"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("*** Impossibile rinominare "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("negati 1"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "lower");
    EXPECT_EQ(f.Get("A.TXT"), "upper");
}

TEST(Batch, TenThousandFilesInOneRun) {
    Folder f;
    constexpr int kFiles = 10000;
    for (int i = 0; i < kFiles; ++i) f.Put("f" + std::to_string(i) + ".txt", "");
    auto start = std::chrono::steady_clock::now();
    auto r = Dolv(f, {"*.txt", "*.bak", "/I", "+NUL"}, "", 120);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(r.code, 0) << r.out.substr(0, 2000);
    EXPECT_EQ(f.CountWithSuffix(".bak"), kFiles);
    EXPECT_EQ(f.CountWithSuffix(".txt"), 0);
    EXPECT_EQ(r.out, "") << r.out.substr(0, 2000);
    std::printf("10000 renames: %.2f s\n", seconds);
}

TEST(Batch, TheOpenReportFileKeepsItsNameWhenThePatternMatchesIt) {
    Folder f;
    f.Put("a.txt", "a");
    f.Put("rep.txt", "old report");
    auto r = Dolv(f, {"*.txt", "*.bak", "/I", "+rep.txt", "/AS"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"a.bak", "rep.txt"}));
    EXPECT_EQ(f.Get("a.bak"), "a");
    const std::string report = f.Get("rep.txt");
    EXPECT_NE(report.find("*** Accesso negato"), std::string::npos) << report;
    EXPECT_NE(report.find("Rinominati 1 elementi su 2 ,negati 1 ,saltati 0"), std::string::npos)
        << report;
}

}  // namespace
// Linux: a wildcard leaves the dot-files alone and `.*` takes them; a name
// with a character code page 850 lacks (Greek, an emoji) is named in its
// place and counted after the summary; every line ends with LF alone.
TEST(Batch, TheWayLinuxUsersWork) {
    Folder f;
    f.Dir(".git");
    f.Put(".bashrc", "rc");
    f.Put("a.txt", "a");
    f.Put("\xCE\xB1\xCE\xB2\xCE\xB3.txt", "greek");
    f.Put("smile\xF0\x9F\x98\x80.txt", "emoji");
    PipedResult r = RunDolv(f.Root().string(), {"*", "*.x"});
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(r.output.find('\r'), std::string::npos) << r.output;
    const std::string root = f.Root().string();
    EXPECT_NE(
        r.output.find("Nome non rappresentabile, elemento non esaminato: " + root + "/???.txt\n"),
        std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("smile?.txt\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Rinominati 1 elementi su 1 ,negati 0 ,saltati 0\n"
                            "Elementi non esaminati per il nome non rappresentabile: 2\n"),
              std::string::npos)
        << r.output;
    EXPECT_EQ(f.Names(), (Lines{".bashrc", ".git", "a.x", "smile\xF0\x9F\x98\x80.txt",
                                "\xCE\xB1\xCE\xB2\xCE\xB3.txt"}));
    PipedResult dots = RunDolv(root, {".*", "*.*", "/+"});
    EXPECT_EQ(dots.exit_code, 0) << dots.output;
    EXPECT_TRUE(f.IsDir(".GIT"));
    EXPECT_EQ(f.Get(".BASHRC"), "rc");
}

// With the output in a file and the keyboard on the terminal, a question
// reaches the terminal (standard error) and the report lines the file.
TEST(Batch, AQuestionReachesTheTerminalWhenTheOutputGoesToAFile) {
    Folder f;
    f.Put("a.txt", "a");
    f.Put("b.txt", "b");
    PtySession s(
        {"/bin/sh", "-c", std::string("exec ") + ShellQuote(DOLV_EXE) + " a.txt b.txt > out.txt"},
        PtyIn(f.Root().string()));
    ASSERT_TRUE(s.wait_for("[A,R,I,T,S,N]")) << s.plain();
    EXPECT_NE(s.plain().find("La destinazione esiste gia'"), std::string::npos) << s.plain();
    s.send("i");
    EXPECT_EQ(s.wait_exit(), 0) << s.plain();
    const std::string out = f.Get("out.txt");
    EXPECT_NE(out.find("Rinomina del file " + f.Root().string() + "/a.txt in b.txt\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Rinominati 0 elementi su 1 ,negati 1 ,saltati 0\n"), std::string::npos)
        << out;
    EXPECT_EQ(out.find("La destinazione"), std::string::npos) << out;
    EXPECT_EQ(out.find("[A,R,I,T,S,N]"), std::string::npos) << out;
}

}  // namespace dolv
