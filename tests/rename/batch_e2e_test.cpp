// The batch rename, end to end: real files in a temporary folder, answers
// through a pipe, contents checked afterwards.
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

TEST(Batch, AWalkThatFindsNothingEndsWithFileNotFound) {
    Folder f;
    f.Put("a.txt", "1");
    for (const char* source : {"*.xyz", "missing\\*.txt"}) {
        SCOPED_TRACE(source);
        auto r = Dolv(f, {source, "*.abc"});
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.out.find("File non trovato"), std::string::npos) << r.out;
    }
}

TEST(Batch, ALiteralSourceNameIsFoundWithLettersFolded) {
    Folder f;
    f.Put("readme.TXT", "r");
    f.Put("Notes.md", "n");
    auto r = Dolv(f, {"README.txt", "*.bak"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("readme.TXT in readme.bak\n"), std::string::npos) << r.out;
    // In the terminal mode too: the name typed at the editor is the new name.
    r = Dolv(f, {"notes.MD", "/T"}, std::string(8, '\x7f') + "n.md\r");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"n.md", "readme.bak"}));
    EXPECT_EQ(f.Get("n.md"), "n");
}

TEST(Batch, ItemsInASubdirectoryKeepTheirDirectory) {
    Folder f;
    f.Put("sub/one.txt", "1");
    f.Put("sub/two.txt", "2");
    f.Put("one.txt", "top");
    auto r = Dolv(f, {"sub\\", "*.old"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names("sub"), (Lines{"one.old", "two.old"}));
    EXPECT_EQ(f.Get("sub/two.old"), "2");
    EXPECT_EQ(f.Get("one.txt"), "top");
}

TEST(Batch, RenamedItemsThatStillMatchAreRenamedOnce) {
    Folder f;
    f.Put("abc.txt", "1");
    f.Put("def.txt", "2");
    f.Put("ghi.txt", "3");

    auto r = Dolv(f, {"*.txt", "x*.txt"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"xbc.txt", "xef.txt", "xhi.txt"}));
    EXPECT_NE(r.out.find("Rinominati 3 elementi su 3 ,negati 0 ,saltati 0"), std::string::npos)
        << r.out;

    // A prefix would grow on every second visit.
    r = Dolv(f, {"*.txt", "*.txt", "/[p"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"pxbc.txt", "pxef.txt", "pxhi.txt"}));
    EXPECT_EQ(f.Get("pxef.txt"), "2");
}

TEST(Batch, AnItemWhosePathIsTooLongIsRefusedAndNoOtherItemIsTouched) {
    Folder f;
    const std::string long_name = std::string(254, 'a') + "b";  // 255 bytes
    const std::string decoy = std::string(253, 'a');            // "d\" + decoy = the cut path
    f.Put("d/" + long_name, "long");
    f.Put("d/" + decoy, "decoy");
    auto r = Dolv(f, {"d\\aaaaaaaaaa*b", "x.txt", "/I"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("Nome di file di destinazione non valido"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("d/" + long_name), "long");
    EXPECT_EQ(f.Get("d/" + decoy), "decoy");
    EXPECT_EQ(f.Names("d").size(), 2u);
}

TEST(Batch, ACaseOnlyChangeUnderUpperCaseIsRenamedWithoutAQuestion) {
    Folder f;
    f.Put("Mixed.txt", "m");
    auto r = Dolv(f, {"*.txt", "*.*", "/+"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"MIXED.TXT"}));
    EXPECT_NE(r.out.find("Rinominati 1 elementi su 1 ,negati 0 ,saltati 0"), std::string::npos)
        << r.out;

    r = Dolv(f, {"*.txt", "*.*", "/-", "/I"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"mixed.txt"}));
    EXPECT_EQ(f.Get("mixed.txt"), "m");
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
