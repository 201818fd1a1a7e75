#include "run/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/counters.h"
#include "report/settings.h"

namespace dolv {
namespace {

using Args = std::vector<std::string>;

const Settings& Read(const Args& args) {
    RESET_SETTINGS();
    READ_ARGUMENTS(args);
    return settings;
}

TEST(ResetSettings, GivesTheDefaultsAndZeroCounters) {
    settings.SBS = settings.REN = settings.IGNORA = settings.TERMINALE = true;
    settings.MAIUSCOLO = '+';
    settings.ACCODA = 'S';
    settings.OUTFILE = "x";
    settings.NN = 9;
    settings.GIUSTIFICA = 'L';
    counters.APPLY = counters.NEGATI = counters.SALTATI = counters.TOT = 3;
    RESET_SETTINGS();
    EXPECT_FALSE(settings.SBS || settings.REN || settings.IGNORA || settings.TERMINALE ||
                 settings.VISUALIZZA || settings.ESCLUDI);
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
    const Settings& s = Read({"/p", "/-p", "/i", "/r", "/v", "/t", "/e", "/AE", "/aa"});
    EXPECT_FALSE(s.SBS);
    EXPECT_TRUE(s.IGNORA && s.REN && s.VISUALIZZA && s.TERMINALE && s.ESCLUDI);
    EXPECT_EQ(s.ACCODA, 'A');
    const Settings& t = Read({"/I/-i/R/-r/V/-v/T/-t/E/-e/as"});
    EXPECT_FALSE(t.IGNORA || t.REN || t.VISUALIZZA || t.TERMINALE || t.ESCLUDI);
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
    // A '/' inside an option text starts a new segment: here an operand.
    const Settings& u = Read({"/[a/b"});
    EXPECT_EQ(u.PREFISSO, "a");
    EXPECT_EQ(u.FILE1, "/[");
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

TEST(ReadArguments, AnOperandIsTheArgumentsFirstCharacters) {
    // A segment that matches no option takes a free operand slot.
    const Settings& s = Read({"/X", "/Y"});
    EXPECT_EQ(s.FILE1, "/X");
    EXPECT_EQ(s.FILE2, "/Y");
    // Not opening its argument, the segment gives as many characters from
    // the argument's start.
    const Settings& t = Read({"/P/X"});
    EXPECT_TRUE(t.SBS);
    EXPECT_EQ(t.FILE1, "/P");
    const Settings& u = Read({"a/b"});
    EXPECT_EQ(u.FILE1, "a");
    EXPECT_EQ(u.FILE2, "a/");
    // Operands keep the case typed; "/x" is no option.
    const Settings& v = Read({"MiXeD.Txt", "/x"});
    EXPECT_EQ(v.FILE1, "MiXeD.Txt");
    EXPECT_EQ(v.FILE2, "/x");
}

TEST(ReadArguments, EmptyArgumentsChangeNothing) {
    const Settings& s = Read({"", "a", "", "b", ""});
    EXPECT_EQ(s.FILE1, "a");
    EXPECT_EQ(s.FILE2, "b");
}

TEST(ReadArguments, ArgumentsAreCutTo255BytesBeforeSplitting) {
    // The /P after byte 255 is lost with the cut.
    const std::string longname(254, 'n');
    const Settings& s = Read({longname + "x/P", "b"});
    EXPECT_EQ(s.FILE1.str(), longname + "x");
    EXPECT_FALSE(s.SBS);
}

TEST(ReadArguments, ReadsUpTo255Arguments) {
    Args args(255, "/P");
    args[0] = "a";
    args[1] = "b";
    EXPECT_TRUE(Read(args).SBS);
}

}  // namespace
}  // namespace dolv
