// An existing destination and a refused rename, end to end: every answer of
// the questions, and the report lines under /I.
#include <gtest/gtest.h>

#include <string>

#include "rename/rename_e2e.h"

namespace dolv {
namespace {

using e2e::Dolv;
using e2e::Folder;
using e2e::Lines;

const char kExists[] =
    "La destinazione esiste gia'\n*** Accesso negato\n"
    "Annulla, Riprova, Ignora, ignora Tutti, Sostituisci, riNomina ?  [A,R,I,T,S,N] ";
const char kRetryChoices[] = "Annulla, Riprova, Ignora, ignora Tutti ?  [A,R,I,T] ";

void TwoFiles(Folder& f) {
    f.Put("a.txt", "from a");
    f.Put("b.txt", "old b");
}

TEST(Conflict, ReplaceDeletesTheDestinationFirst) {
    Folder f;
    TwoFiles(f);
    auto r = Dolv(f, {"a.txt", "b.txt"}, "s");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find(std::string(kExists) + "S\n"), std::string::npos) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"b.txt"}));
    EXPECT_EQ(f.Get("b.txt"), "from a");
    EXPECT_NE(r.out.find("Rinominati 1 elementi su 1 ,negati 0"), std::string::npos) << r.out;
}

TEST(Conflict, RenameAsideKeepsTheDestinationAsABackup) {
    Folder f;
    TwoFiles(f);
    auto r = Dolv(f, {"a.txt", "b.txt"}, "n");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"b.bak", "b.txt"}));
    EXPECT_EQ(f.Get("b.txt"), "from a");
    EXPECT_EQ(f.Get("b.bak"), "old b");
}

TEST(Conflict, AnExistingBackupLeadsToItsOwnQuestionAndRetryAsksAfresh) {
    Folder f;
    TwoFiles(f);
    f.Put("b.bak", "older b");
    // N: the backup fails; R there starts the item again (the destination
    // question comes back); then I gives the item up.
    auto r = Dolv(f, {"a.txt", "b.txt"}, "nri");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("Impossibile rinominare il file preesistente in una copia di backup\n"
                         "*** Accesso negato\n" +
                         std::string(kRetryChoices) + "R\n\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(Count(r.out, kExists), 2) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "from a");
    EXPECT_EQ(f.Get("b.txt"), "old b");
    EXPECT_EQ(f.Get("b.bak"), "older b");
    EXPECT_NE(r.out.find("Rinominati 0 elementi su 1 ,negati 1"), std::string::npos) << r.out;

    // T in that question gives the item up and passes over the rest.
    r = Dolv(f, {"a.txt", "b.txt"}, "nt");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("negati 1"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("b.bak"), "older b");
}

TEST(Conflict, ADestinationThatCannotBeDeletedIsAskedAboutAndKept) {
    Folder f;
    f.Put("x/a.txt", "from a");
    f.Put("x/b.txt", "old b");
    if (!f.Freeze("x")) GTEST_SKIP() << "cannot make a directory refuse changes here";
    auto r = Dolv(f, {"x\\a.txt", "b.txt"}, "si");
    f.Thaw("x");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("S\nImpossibile cancellare il file preesistente\n*** Accesso negato\n" +
                         std::string(kRetryChoices) + "I\n\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("negati 1"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("x/a.txt"), "from a");
    EXPECT_EQ(f.Get("x/b.txt"), "old b");
}

TEST(Conflict, RetryTestsTheDestinationAgain) {
    // A destination that is still there is asked about again, never replaced.
    Folder f;
    TwoFiles(f);
    auto r = Dolv(f, {"a.txt", "b.txt"}, "rri");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(Count(r.out, kExists), 3) << r.out;
    EXPECT_EQ(f.Get("b.txt"), "old b");
    EXPECT_EQ(f.Get("a.txt"), "from a");
}

TEST(Conflict, IgnoreAndCancel) {
    Folder f;
    TwoFiles(f);
    auto r = Dolv(f, {"a.txt", "b.txt"}, "I");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("Rinominati 0 elementi su 1 ,negati 1 ,saltati 0"), std::string::npos)
        << r.out;
    EXPECT_EQ(f.Get("b.txt"), "old b");

    r = Dolv(f, {"a.txt", "b.txt"}, "a");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("Operazione interrotta dall' utente\nNessun file e' stato rinominato"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(f.Get("b.txt"), "old b");
    EXPECT_EQ(f.Get("a.txt"), "from a");
}

TEST(Conflict, IgnoreAllPassesOverLaterRefusalsOnTheReportChannel) {
    Folder f;
    for (const char* n : {"x", "y", "z"}) {
        f.Put(std::string(n) + ".txt", n);
        f.Put(std::string(n) + ".bak", std::string("old ") + n);
    }
    f.Dir("w.txt");  // renamed without trouble
    auto r = Dolv(f, {"?.txt", "*.bak"}, "t");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(Count(r.out, kExists), 1) << r.out;
    EXPECT_EQ(Count(r.out, "*** Accesso negato\n\n"), 2) << r.out;
    EXPECT_NE(r.out.find("Rinominati 1 elementi su 4 ,negati 3 ,saltati 0"), std::string::npos)
        << r.out;
    for (const char* n : {"x", "y", "z"}) {
        EXPECT_EQ(f.Get(std::string(n) + ".txt"), n);
        EXPECT_EQ(f.Get(std::string(n) + ".bak"), std::string("old ") + n);
    }
    EXPECT_TRUE(f.IsDir("w.bak"));
}

TEST(Conflict, UnderIgnoreNoQuestionAndTheRefusalGoesToTheReportFile) {
    Folder f;
    TwoFiles(f);
    auto r = Dolv(f, {"a.txt", "b.txt", "/I"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out.find("La destinazione"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("*** Accesso negato\n\nRinominati 0 elementi su 1 ,negati 1"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(f.Get("b.txt"), "old b");

    r = Dolv(f, {"a.txt", "b.txt", "/I", "+rep.txt"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out.find("Accesso negato"), std::string::npos) << r.out;
    std::string report = f.Get("rep.txt");
    EXPECT_NE(report.find("*** Accesso negato\r\n\r\nRinominati 0 elementi su 1 ,negati 1"),
              std::string::npos)
        << report;
    EXPECT_EQ(f.Get("b.txt"), "old b");
}

TEST(Conflict, ADirectoryInTheWayMakesTheRenameFailAndAsks) {
    Folder f;
    f.Put("a.txt", "a");
    f.Put("b.txt/keep", "k");
    // Not an existing destination for the question: the rename is tried and
    // refused. R tries again, then I.
    auto r = Dolv(f, {"a.txt", "b.txt"}, "ri");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out.find("La destinazione esiste gia'"), std::string::npos) << r.out;
    EXPECT_EQ(Count(r.out, "*** Impossibile rinominare "), 2) << r.out;
    EXPECT_EQ(Count(r.out, std::string(kRetryChoices)), 2) << r.out;
    EXPECT_NE(r.out.find(std::string(kRetryChoices) + "I\n\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("negati 1"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "a");
    EXPECT_EQ(f.Get("b.txt/keep"), "k");

    // T: counted, the refusal shown on the console, later ones not asked.
    f.Put("c.txt", "c");
    f.Dir("c.bak");
    f.Dir("a.bak");
    r = Dolv(f, {"?.txt", "*.bak"}, "t");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(Count(r.out, std::string(kRetryChoices)), 1) << r.out;
    EXPECT_NE(r.out.find("*** Accesso negato\n\n"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "a");
    EXPECT_EQ(f.Get("c.txt"), "c");
}

TEST(Conflict, ARefusedRenameCancelledWithEsc) {
    Folder f;
    f.Put("a.txt", "a");
    f.Dir("b.txt");
    auto r = Dolv(f, {"a.txt", "b.txt"}, "\x1b");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("Operazione interrotta dall' utente"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "a");
}

}  // namespace
}  // namespace dolv
