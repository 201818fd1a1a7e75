// The exchange of two names, end to end: each item keeps its data and takes
// the other's name, nothing stays under the temporary name.
#include <gtest/gtest.h>

#include <csignal>
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

TEST(Exchange, OperandsAreFoundWithLettersFolded) {
    Folder f;
    f.Put("Alpha.TXT", "AAA");
    f.Put("beta.txt", "BBB");
    auto r = Dolv(f, {"ALPHA.txt", "BETA.TXT", "/R"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"Alpha.TXT", "beta.txt"}));
    EXPECT_EQ(f.Get("Alpha.TXT"), "BBB");
    EXPECT_EQ(f.Get("beta.txt"), "AAA");
    // Two spellings of one name are one item, never parked.
    r = Dolv(f, {"beta.txt", "BETA.TXT", "/R"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("I due parametri indispensabili sono uguali"), std::string::npos) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"Alpha.TXT", "beta.txt"}));
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

// The second or the third rename fails and the run ends there (under /I, or
// the answer Annulla or Esc): the renames already done are undone.
TEST(Exchange, AnExchangeThatStopsHalfWayPutsBothItemsBack) {
    struct Case {
        std::string blocker;  // the item that makes one rename fail
        Lines options;
        std::string keys;
        std::string message;
    };
    const std::string kDuplicate = "Nome file duplicato o file gia' in uso";
    const std::string kCancelled = "Operazione interrotta dall' utente";
    const Case cases[] = {
        {"d/a", {"/I"}, "", kDuplicate},  // the second rename fails
        {"d/a", {}, "a", kCancelled},    {"d/a", {}, "\x1b", kCancelled},
        {"b", {"/I"}, "", kDuplicate},  // the third rename fails
        {"b", {}, "ra", kCancelled},     {"b", {}, "\x1b", kCancelled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blocker + " " + c.keys);
        Folder f;
        f.Put("a", "A");
        f.Put("d/b", "B");
        f.Put(c.blocker, "X");
        Lines args{"a", "d\\b", "/R"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        auto r = Dolv(f, args, c.keys);
        EXPECT_EQ(r.code, 1) << r.out;
        EXPECT_NE(r.out.find(c.message + "\nNessun file e' stato rinominato"), std::string::npos)
            << r.out;
        EXPECT_EQ(r.out.find("rimasto"), std::string::npos) << r.out;
        EXPECT_EQ(f.Get("a"), "A");
        EXPECT_EQ(f.Get("d/b"), "B");
        EXPECT_EQ(f.Get(c.blocker), "X");
        EXPECT_EQ(f.Names().size() + f.Names("d").size(), 4u);
        EXPECT_EQ(f.Get(kTemp), "<missing>");
    }
}

// A Ctrl-C at the question after a failed rename undoes the exchange before
// the run ends as cancelled.
TEST(Exchange, ACancelDuringTheExchangeWaitsForTheUndo) {
    Folder f;
    f.Put("a", "A");
    f.Put("d/b", "B");
    f.Put("d/a", "X");
    PtySession s({DOLV_EXE, "a", "d\\b", "/R"}, PtyIn(f.Root().string()));
    ASSERT_TRUE(s.wait_for("[A,R] ")) << s.plain();
    s.signal(SIGINT);
    EXPECT_EQ(s.wait_exit(), 1) << s.plain();
    EXPECT_NE(s.plain().find("Operazione interrotta dall' utente"), std::string::npos) << s.plain();
    EXPECT_EQ(f.Get("a"), "A");
    EXPECT_EQ(f.Get("d/b"), "B");
    EXPECT_EQ(f.Get("d/a"), "X");
    EXPECT_EQ(f.Get(kTemp), "<missing>");
}

// When an item cannot be put back, a line tells where it is now. The folder
// is made to refuse renames while the program waits at the question.
TEST(Exchange, AnItemThatCannotBePutBackIsNamedWhereItIs) {
    struct Case {
        std::string blocker;  // in the way of the second or the third rename
        std::string frozen;   // the folder the undo cannot rename in
        std::string item, now, kept;
    };
    const Case cases[] = {
        {"y/a.txt", "x", "x/a.txt", std::string("x/") + kTemp, "y/b.txt"},
        {"x/b.txt", "y", "y/b.txt", "y/a.txt", "x/a.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blocker);
        Folder f;
        f.Put("x/a.txt", "AAA");
        f.Put("y/b.txt", "BBB");
        f.Put(c.blocker, "in the way");
        PtySession s({DOLV_EXE, "x\\a.txt", "y\\b.txt", "/R"}, PtyIn(f.Root().string()));
        ASSERT_TRUE(s.wait_for("[A,R] ")) << s.plain();
        if (!f.Freeze(c.frozen)) GTEST_SKIP() << "cannot make a directory refuse renames here";
        s.send("a");
        const int code = s.wait_exit();
        f.Thaw(c.frozen);
        const std::string out = WithoutCr(s.plain());
        EXPECT_EQ(code, 1) << out;
        const std::string line =
            "Il file " + WithBackslashes(f.At(c.item).string()) + " e' rimasto con il nome " +
            WithBackslashes(f.At(c.now).string()) + "\nOperazione interrotta dall' utente";
        EXPECT_NE(WithoutLineEnds(out).find(WithoutLineEnds(line)), std::string::npos) << out;
        EXPECT_EQ(f.Get(c.now), c.item[0] == 'x' ? "AAA" : "BBB");
        EXPECT_EQ(f.Get(c.kept), c.item[0] == 'x' ? "BBB" : "AAA");
        EXPECT_EQ(f.Get(c.blocker), "in the way");
    }
}

// A path of the exchange longer than a text can hold would be cut: the
// exchange is refused before anything is renamed.
TEST(Exchange, APathTooLongForTheExchangeIsRefused) {
    Folder f;
    const std::string long_name = std::string(240, 'a') + ".txt";
    f.Put(long_name, "AAA");
    f.Put("b", "BBB");
    auto r = Dolv(f, {long_name, "b", "/R"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("Percorso troppo lungo per lo scambio: " + long_name + "\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("Scambio"), std::string::npos) << r.out;
    EXPECT_EQ(f.Names(), (Lines{long_name, "b"}));
    EXPECT_EQ(f.Get(long_name), "AAA");
    EXPECT_EQ(f.Get("b"), "BBB");

    // Both items fit; only the second one's new name would not.
    const std::string deep = std::string(200, 'd');
    const std::string a_name = std::string(60, 'e');
    f.Put(a_name, "E");
    f.Put(deep + "/b", "B2");
    r = Dolv(f, {a_name, deep + "\\b", "/R", "/I"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("Percorso troppo lungo per lo scambio: " +
                         WithBackslashes(f.At(deep + "/b").string()) + "\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(Count(r.out, "Percorso troppo lungo"), 1) << r.out;
    EXPECT_EQ(f.Get(a_name), "E");
    EXPECT_EQ(f.Names(deep), (Lines{"b"}));
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
