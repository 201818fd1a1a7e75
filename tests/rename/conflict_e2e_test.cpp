// An existing destination and a refused rename on a real folder: one answer
// that replaces, a destination the folder will not let go, a directory in the
// way. Every answer of the questions is in the logic tables.
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

TEST(Conflict, ReplaceClearsTheDestinationFirst) {
    Folder f;
    TwoFiles(f);
    auto r = Dolv(f, {"a.txt", "b.txt"}, "s");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find(std::string(kExists) + "S\n"), std::string::npos) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"b.txt"}));
    EXPECT_EQ(f.Get("b.txt"), "from a");
    EXPECT_NE(r.out.find("Rinominati 1 elementi su 1 ,negati 0"), std::string::npos) << r.out;
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

TEST(Conflict, ADirectoryInTheWayMakesTheRenameFailAndAsks) {
    // A real directory is no existing destination for the question, and the
    // rename over it is refused: nothing is lost.
    Folder f;
    f.Put("a.txt", "a");
    f.Put("b.txt/keep", "k");
    auto r = Dolv(f, {"a.txt", "b.txt"}, "i");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out.find("La destinazione esiste gia'"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("*** Impossibile rinominare "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(std::string(kRetryChoices) + "I\n\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("negati 1"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "a");
    EXPECT_EQ(f.Get("b.txt/keep"), "k");
}

}  // namespace
}  // namespace dolv
