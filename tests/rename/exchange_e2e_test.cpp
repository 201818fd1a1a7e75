// The exchange of two names, end to end: each item keeps its data and takes
// the other's name, nothing stays under the temporary name.
#include <gtest/gtest.h>

#include <string>

#include "rename/rename_e2e.h"

namespace dolv {
namespace {

using e2e::Dolv;
using e2e::Folder;
using e2e::Lines;

// The temporary name as it appears on disk (UTF-8) and in the output.
const char kTemp[] = "@!$\xC2\xA3@!$\xC2\xA3.TMP";

TEST(Exchange, TwoFilesSwapTheirNames) {
    Folder f;
    f.Put("a.txt", "AAA");
    f.Put("b.txt", "BBB");
    auto r = Dolv(f, {"a.txt", "b.txt", "/R"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"a.txt", "b.txt"}));
    EXPECT_EQ(f.Get("a.txt"), "BBB");
    EXPECT_EQ(f.Get("b.txt"), "AAA");
    EXPECT_NE(r.out.find("Scambio del file a.txt con il file "), std::string::npos) << r.out;
    // A completed exchange counts: no "nothing renamed" line after it.
    EXPECT_EQ(r.out.find("Nessun file"), std::string::npos) << r.out;
}

TEST(Exchange, AFileAndADirectorySwapTheirNames) {
    Folder f;
    f.Put("a.txt", "AAA");
    f.Put("d/inner", "in");
    auto r = Dolv(f, {"a.txt", "d", "/R"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("Scambio del file a.txt con la directory "), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("d"), "AAA");
    EXPECT_EQ(f.Get("a.txt/inner"), "in");
    EXPECT_EQ(f.Names(), (Lines{"a.txt", "d"}));

    r = Dolv(f, {"a.txt", "d", "/R"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("Scambio della directory a.txt con il file "), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "AAA");
    EXPECT_EQ(f.Get("d/inner"), "in");
}

TEST(Exchange, ItemsInTwoDirectoriesStayWhereTheyAre) {
    Folder f;
    f.Put("x/a.txt", "AAA");
    f.Put("y/b.txt", "BBB");
    auto r = Dolv(f, {"x\\a.txt", "y\\b.txt", "/R"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names("x"), (Lines{"b.txt"}));
    EXPECT_EQ(f.Names("y"), (Lines{"a.txt"}));
    EXPECT_EQ(f.Get("x/b.txt"), "AAA");
    EXPECT_EQ(f.Get("y/a.txt"), "BBB");
}

TEST(Exchange, AMissingItemStopsBeforeAnythingHappens) {
    Folder f;
    f.Put("a.txt", "AAA");
    auto r = Dolv(f, {"a.txt", "nope.txt", "/R"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_EQ(Count(r.out, "File non trovato: "), 1) << r.out;
    EXPECT_NE(r.out.find("nope.txt\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Scambio"), std::string::npos) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"a.txt"}));

    r = Dolv(f, {"gone.txt", "nope.txt", "/R"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_EQ(Count(r.out, "File non trovato: "), 2) << r.out;
    EXPECT_LT(r.out.find("gone.txt"), r.out.find("nope.txt"));

    // A wildcard names no item, even where matching items exist.
    r = Dolv(f, {"*.txt", "nope.txt", "/R"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_EQ(Count(r.out, "File non trovato: "), 2) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "AAA");
}

TEST(Exchange, ConfirmationYesSwapsAndNoCancels) {
    Folder f;
    f.Put("a.txt", "AAA");
    f.Put("b.txt", "BBB");
    auto r = Dolv(f, {"a.txt", "b.txt", "/R", "/P"}, "\x1b[Bs");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("Scambiare il file "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" [Si,No] S\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Scambio "), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "BBB");

    r = Dolv(f, {"a.txt", "b.txt", "/R", "/P"}, "n");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find(" [Si,No] N\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Operazione interrotta dall' utente"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "BBB");
    EXPECT_EQ(f.Get("b.txt"), "AAA");
}

TEST(Exchange, ALeftoverTemporaryItemIsNamedAndNeverReplaced) {
    Folder f;
    f.Put("a.txt", "AAA");
    f.Put("b.txt", "BBB");
    f.Put(kTemp, "leftover");
    auto r = Dolv(f, {"a.txt", "b.txt", "/R"}, "ra");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_EQ(
        Count(r.out, std::string("Il nome temporaneo esiste gia'\n*** Impossibile scambiare ")), 2)
        << r.out;
    EXPECT_NE(r.out.find("Annulla, Riprova ?  [A,R] R\n\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Operazione interrotta dall' utente"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("a.txt"), "AAA");
    EXPECT_EQ(f.Get("b.txt"), "BBB");
    EXPECT_EQ(f.Get(kTemp), "leftover");

    r = Dolv(f, {"a.txt", "b.txt", "/R", "/I"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("Il nome temporaneo esiste gia'. Impossibile scambiare gli elementi."),
              std::string::npos)
        << r.out;
    EXPECT_EQ(f.Get("a.txt"), "AAA");
    EXPECT_EQ(f.Get("b.txt"), "BBB");
    EXPECT_EQ(f.Get(kTemp), "leftover");
}

TEST(Exchange, UnderIgnoreAFailedFirstStepStopsTheExchange) {
    Folder f;
    f.Put("x/a.txt", "AAA");
    f.Put("y/b.txt", "BBB");
    if (!f.Freeze("x")) GTEST_SKIP() << "cannot make a directory refuse renames here";
    auto r = Dolv(f, {"x\\a.txt", "y\\b.txt", "/R", "/I"});
    f.Thaw("x");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("Nome file duplicato o file gia' in uso"), std::string::npos) << r.out;
    // The second item was not touched.
    EXPECT_EQ(f.Names("y"), (Lines{"b.txt"}));
    EXPECT_EQ(f.Get("y/b.txt"), "BBB");
    EXPECT_EQ(f.Get("x/a.txt"), "AAA");
}

TEST(Exchange, CancelAfterALaterStepLeavesTheFirstItemUnderTheTemporaryName) {
    Folder f;
    f.Put("x/a.txt", "AAA");
    f.Put("y/b.txt", "BBB");
    f.Put("y/a.txt", "in the way");
    auto r = Dolv(f, {"x\\a.txt", "y\\b.txt", "/R"}, "a");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("*** Impossibile scambiare "), std::string::npos) << r.out;
    // A itself bears the temporary name now: it is not a leftover to blame.
    EXPECT_EQ(r.out.find("Il nome temporaneo esiste gia'"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get(std::string("x/") + kTemp), "AAA");
    EXPECT_EQ(f.Get("y/b.txt"), "BBB");
    EXPECT_EQ(f.Get("y/a.txt"), "in the way");

    f.Remove(std::string("x/") + kTemp);
    f.Put("x/a.txt", "AAA");
    r = Dolv(f, {"x\\a.txt", "y\\b.txt", "/R", "/I"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("Nome file duplicato o file gia' in uso"), std::string::npos) << r.out;
    EXPECT_EQ(f.Get("y/a.txt"), "in the way");
}

TEST(Exchange, TwoItemsOfOneNameNeedNoRenameAndNothingIsParked) {
    Folder f;
    f.Put("x/a.txt", "X");
    f.Put("y/a.txt", "Y");
    auto r = Dolv(f, {"x\\a.txt", "y\\a.txt", "/R", "/I"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names("x"), (Lines{"a.txt"}));
    EXPECT_EQ(f.Get("x/a.txt"), "X");
    EXPECT_EQ(f.Get("y/a.txt"), "Y");
    EXPECT_NE(r.out.find("Nessun file e' stato rinominato"), std::string::npos) << r.out;
}

TEST(Exchange, TheSameItemTwiceIsRefused) {
    Folder f;
    f.Put("a.txt", "AAA");
    auto r = Dolv(f, {"a.txt", ".\\a.txt", "/R"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("I due parametri indispensabili sono uguali"), std::string::npos) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"a.txt"}));

    // Two names of one item.
    f.Link("a.txt", "b.txt");
    r = Dolv(f, {"a.txt", "b.txt", "/R"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("I due parametri indispensabili sono uguali"), std::string::npos) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"a.txt", "b.txt"}));
    EXPECT_EQ(f.Names().size(), 2u);
}

TEST(Exchange, AnItemInsideTheOtherIsRefused) {
    Folder f;
    f.Put("d/x.txt", "X");
    for (auto args : {std::vector<std::string>{"d", "d\\x.txt", "/R"},
                      std::vector<std::string>{"d\\x.txt", "d", "/R"},
                      std::vector<std::string>{".", "d", "/R"}}) {
        auto r = Dolv(f, args);
        EXPECT_EQ(r.code, 1) << r.out;
        EXPECT_NE(r.out.find("Nome file duplicato o file gia' in uso"), std::string::npos) << r.out;
        EXPECT_EQ(f.Names(), (Lines{"d"}));
        EXPECT_EQ(f.Get("d/x.txt"), "X");
    }
    // A name that merely begins like the other is no nesting.
    f.Put("dx", "DX");
    auto r = Dolv(f, {"d", "dx", "/R"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Get("d"), "DX");
    EXPECT_EQ(f.Get("dx/x.txt"), "X");
}

}  // namespace
}  // namespace dolv
