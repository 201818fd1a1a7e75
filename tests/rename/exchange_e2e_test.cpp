// The exchange of two names on a real folder: each item keeps its data and
// takes the other's name, nothing stays under the temporary name. What needs
// a real disk, terminal or signal is here; the flows of the questions, the
// undo and the refusals are rows of the exchange table.
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

// The temporary name is written to the disk in its own characters: a
// leftover item of that name is found, and never replaced.
TEST(Exchange, ALeftoverTemporaryItemIsNamedAndNeverReplaced) {
    Folder f;
    f.Put("a.txt", "AAA");
    f.Put("b.txt", "BBB");
    f.Put(kTemp, "leftover");
    auto r = Dolv(f, {"a.txt", "b.txt", "/R", "/I"});
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
        const std::string line = "Il file " + f.At(c.item).string() + " e' rimasto con il nome " +
                                 f.At(c.now).string() + "\nOperazione interrotta dall' utente";
        EXPECT_NE(WithoutLineEnds(out).find(WithoutLineEnds(line)), std::string::npos) << out;
        EXPECT_EQ(f.Get(c.now), c.item[0] == 'x' ? "AAA" : "BBB");
        EXPECT_EQ(f.Get(c.kept), c.item[0] == 'x' ? "BBB" : "AAA");
        EXPECT_EQ(f.Get(c.blocker), "in the way");
    }
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

}  // namespace
}  // namespace dolv
