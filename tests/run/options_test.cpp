#include "run/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/counters.h"
#include "report/settings.h"

namespace dolv {
namespace {

using Args = std::vector<std::string>;

// The Windows reading, where every '/' starts a segment (the POSIX reading
// of paths is a table in tests/logic/arguments_test.cpp).
const Settings& Read(const Args& args) {
    reset_settings();
    read_arguments(args, false);
    return settings;
}

TEST(ResetSettings, GivesTheDefaultsAndZeroCounters) {
    settings.SBS = settings.REN = settings.IGNORA = settings.TERMINALE = true;
    settings.simula = settings.annulla = true;
    settings.MAIUSCOLO = '+';
    settings.ACCODA = 'S';
    settings.OUTFILE = "x";
    settings.NN = 9;
    settings.GIUSTIFICA = 'L';
    counters.APPLY = counters.NEGATI = counters.SALTATI = counters.TOT = 3;
    reset_settings();
    EXPECT_FALSE(settings.SBS || settings.REN || settings.IGNORA || settings.TERMINALE ||
                 settings.VISUALIZZA || settings.ESCLUDI || settings.simula || settings.annulla);
    EXPECT_EQ(settings.MAIUSCOLO, '0');
    EXPECT_EQ(settings.ACCODA, 'C');
    EXPECT_TRUE(settings.OUTFILE.empty());
    EXPECT_EQ(settings.NN, 0);
    EXPECT_EQ(settings.GIUSTIFICA, 0);
    EXPECT_EQ(counters.APPLY + counters.NEGATI + counters.SALTATI + counters.TOT, 0);
}

TEST(ReadArguments, OperandsAndJoinedOptions) {
    const Settings& s = Read({"*.txt", "*.bak/P/I"});
    EXPECT_EQ(s.FILE1, "*.txt");
    EXPECT_EQ(s.FILE2, "*.bak");
    EXPECT_TRUE(s.SBS);
    EXPECT_TRUE(s.IGNORA);
    EXPECT_TRUE(s.TESTA.empty());
    EXPECT_TRUE(s.CODA.empty());
}

TEST(ReadArguments, SwitchesIgnoreLetterCaseAndTheLastOneWins) {
    const Settings& s = Read({"/p", "/-p", "/i", "/r", "/v", "/t", "/e", "/s", "/u", "/AE", "/aa"});
    EXPECT_FALSE(s.SBS);
    EXPECT_TRUE(s.IGNORA && s.REN && s.VISUALIZZA && s.TERMINALE && s.ESCLUDI && s.simula &&
                s.annulla);
    EXPECT_EQ(s.ACCODA, 'A');
    const Settings& t = Read({"/I/-i/R/-r/V/-v/T/-t/E/-e/S/-s/as"});
    EXPECT_FALSE(t.IGNORA || t.REN || t.VISUALIZZA || t.TERMINALE || t.ESCLUDI || t.simula);
    EXPECT_EQ(t.ACCODA, 'S');
    EXPECT_EQ(Read({"/ac"}).ACCODA, 'C');
}

TEST(ReadArguments, CaseOptions) {
    EXPECT_EQ(Read({"/+"}).MAIUSCOLO, '+');
    EXPECT_EQ(Read({"/+/-"}).MAIUSCOLO, '-');
    EXPECT_EQ(Read({"/-/0"}).MAIUSCOLO, '0');
}

TEST(ReadArguments, PrefixAndSuffixTexts) {
    const Settings& s = Read({"/-[abc", "/[abc", "/-]xY", "/]xY"});
    EXPECT_EQ(s.REM_PREFISSO, "ABC");
    EXPECT_EQ(s.PREFISSO, "abc");
    EXPECT_EQ(s.REM_SUFFISSO, "XY");
    EXPECT_EQ(s.SUFFISSO, "xY");
    EXPECT_EQ(Read({"/-[ABC"}).REM_PREFISSO, "ABC");
    // A marker alone clears its own field and no other.
    const Settings& t = Read({"/[p", "/-[q", "/["});
    EXPECT_TRUE(t.PREFISSO.empty());
    EXPECT_EQ(t.REM_PREFISSO, "Q");
    // A '/' inside an option text starts a new segment (refused below).
    EXPECT_EQ(Read({"/[a/P"}).PREFISSO, "a");
    EXPECT_TRUE(settings.SBS);
}

TEST(ReadArguments, ReportFileName) {
    EXPECT_EQ(Read({"+rep.txt/I"}).OUTFILE, "+rep.txt");
    EXPECT_TRUE(settings.IGNORA);
    EXPECT_EQ(Read({"++x"}).OUTFILE, "++x");
    EXPECT_EQ(Read({"+"}).OUTFILE, "+");
    // Not at the start of its segment, '+' is no report file.
    const Settings& s = Read({"/I+rep.txt"});
    EXPECT_TRUE(s.OUTFILE.empty());
    EXPECT_FALSE(s.IGNORA);
    EXPECT_EQ(s.FILE1, "/I+rep.txt");
}

TEST(ReadArguments, PaddingLengths) {
    const Settings& s = Read({"/LL10", "/lr20"});
    EXPECT_EQ(s.GIUSTIFICA, 'R');
    EXPECT_EQ(s.NN, 20);
    EXPECT_EQ(s.CODE, 0);
    EXPECT_EQ(Read({"/ll2"}).NN, 2);
    EXPECT_EQ(settings.GIUSTIFICA, 'L');
    EXPECT_EQ(Read({"/LR255"}).NN, 255);
}

TEST(ReadArguments, AnOperandOpensItsArgument) {
    // A segment that opens its argument and matches no option takes a free
    // operand slot, '/' or not.
    const Settings& s = Read({"/X", "/Y"});
    EXPECT_EQ(s.FILE1, "/X");
    EXPECT_EQ(s.FILE2, "/Y");
    const Settings& t = Read({"a/P", "b/I"});
    EXPECT_EQ(t.FILE1, "a");
    EXPECT_EQ(t.FILE2, "b");
    EXPECT_TRUE(t.SBS && t.IGNORA);
    // Operands keep the case typed; "/x" is no option.
    const Settings& v = Read({"MiXeD.Txt", "/x"});
    EXPECT_EQ(v.FILE1, "MiXeD.Txt");
    EXPECT_EQ(v.FILE2, "/x");
}

TEST(ReadArgumentsDeathTest, RefusedWithErrorCode1) {
    const std::string over(256, 'd');
    const std::vector<Args> cases = {
        // A later segment that is no option, with both operand slots free.
        {"a/b"},
        {"/P/X"},
        {"/[a/b"},
        {"Photos/", "/-"},
        {"project/src"},
        // An argument over 255 bytes, also when the cut would leave a name.
        {over},
        {over + "\\*.txt", "x.txt"},
        {"a", std::string(255, 'n') + "x/P"},
    };
    for (const Args& args : cases) {
        SCOPED_TRACE(args.front().substr(0, 20));
        EXPECT_EXIT(Read(args), ::testing::ExitedWithCode(1), "");
    }
}

TEST(ReadArguments, EmptyArgumentsChangeNothing) {
    const Settings& s = Read({"", "a", "", "b", ""});
    EXPECT_EQ(s.FILE1, "a");
    EXPECT_EQ(s.FILE2, "b");
}

TEST(ReadArguments, ArgumentsOf255BytesAreReadWhole) {
    const std::string longname(253, 'n');
    const Settings& s = Read({longname + "/P", std::string(255, 'b')});
    EXPECT_EQ(s.FILE1.str(), longname);
    EXPECT_TRUE(s.SBS);
    EXPECT_EQ(s.FILE2.str(), std::string(255, 'b'));
}

TEST(ReadArguments, ReadsUpTo255Arguments) {
    Args args(255, "/P");
    args[0] = "a";
    args[1] = "b";
    EXPECT_TRUE(Read(args).SBS);
}

}  // namespace
}  // namespace dolv
