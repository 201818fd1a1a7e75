// The batch rename on a real disk: one run over files, a directory and a
// hidden file, a case-only change on a disk that tells letter case apart,
// ten thousand files, and the open report file among the matches. What the
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

TEST(Batch, RenamesFilesDirectoriesAndHiddenFilesWithTheirReportLines) {
    Folder f;
    f.Put("a.txt", "alpha");
    f.Put("b.txt", "");
    f.Put(".h.txt", "hidden");
    f.Dir("d.txt");
    f.Put("d.txt/inner", "in");
    f.Put("other.doc", "doc");

    auto r = Dolv(f, {"*.txt", "*.bak"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{".h.bak", "a.bak", "b.bak", "d.bak", "other.doc"}));
    EXPECT_EQ(f.Get("a.bak"), "alpha");
    EXPECT_EQ(f.Get(".h.bak"), "hidden");
    EXPECT_EQ(f.Get("d.bak/inner"), "in");
    EXPECT_EQ(f.Get("other.doc"), "doc");

    EXPECT_NE(r.out.find("Rinomina del file "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("a.txt in a.bak\n[5 bytes] A____\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Rinomina della directory "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("d.txt in d.bak\n[-1 bytes] ____D\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(".h.txt in .h.bak\n[6 bytes] A_H__\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Rinominati 4 elementi su 4 ,negati 0 ,saltati 0\n"), std::string::npos)
        << r.out;
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
}  // namespace dolv
