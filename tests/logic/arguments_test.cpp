// The command line read both ways, row by row: the POSIX reading, where
// only the trailing segments of an argument that are whole options are
// options and '/' separates the path before them, and the Windows reading,
// where every '/' starts a segment. Each row says what each reading makes
// of the same arguments: the operands, the report file and the switches, or
// the line that refuses them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/in_process.h"
#include "run/options.h"

namespace dolv::fake {
namespace {

struct ArgumentsRow {
    const char* name;
    void (*setup)();
    std::vector<std::string> args;
    std::string posix;    // what the POSIX reading makes of them
    std::string windows;  // what the Windows reading makes of them
};

void PrintTo(const ArgumentsRow& row, std::ostream* os) {
    *os << row.name;
}

void Docs() {
    Fs::Dir("docs\\i");
}

const std::string kBad = "Opzione non valida: ";
const std::string kAmbiguous =
    "Argomento ambiguo: docs/i\nScrivere docs/i/ per l' elemento, docs /i per l' opzione\n";

const ArgumentsRow kRows[] = {
    {"RelativePath",
     nullptr,
     {"files/*.txt", "*.bak"},
     "1=files\\*.txt 2=*.bak",
     kBad + "/*.txt\n"},
    {"AbsolutePath",
     nullptr,
     {"/srv/w/files/a.txt", "b.txt"},
     "1=\\srv\\w\\files\\a.txt 2=b.txt",
     kBad + "/w\n"},
    {"TrailingSeparatorNamesTheFolder",
     nullptr,
     {"Photos_2023/", "x"},
     "1=Photos_2023 2=x",
     kBad + "/\n"},
    {"NestedFolderWithTrailingSeparator",
     nullptr,
     {"dir/sub/", "x"},
     "1=dir\\sub 2=x",
     kBad + "/sub\n"},
    {"ReportFileWithAPath",
     nullptr,
     {"a", "b", "+/srv/w/r.log"},
     "1=a 2=b out=+\\srv\\w\\r.log",
     kBad + "/srv\n"},
    {"JoinedOptions",
     nullptr,
     {"*.txt/P/I", "*.bak"},
     "1=*.txt 2=*.bak P I",
     "1=*.txt 2=*.bak P I"},
    {"OptionsAlone", nullptr, {"/P/I"}, "1= 2= P I", "1= 2= P I"},
    {"NoOptionIsAnAbsolutePath", nullptr, {"/X", "y"}, "1=\\X 2=y", "1=/X 2=y"},
    {"ADestinationWithAFolder", nullptr, {"a", "b/X"}, "1=a 2=b\\X", kBad + "/X\n"},
    {"ReportFileAndItsOption",
     nullptr,
     {"+rep.txt/I"},
     "1= 2= out=+rep.txt I",
     "1= 2= out=+rep.txt I"},
    {"PrefixJoined", nullptr, {"a/[new", "b"}, "1=a 2=b pre=new", "1=a 2=b pre=new"},
    {"BadLengthJoined",
     nullptr,
     {"a/LL1"},
     "Valore non valido per l'opzione: /LL1\n",
     "Valore non valido per l'opzione: /LL1\n"},
    {"AThirdPathIsRefusedWhole", nullptr, {"a", "b", "c/d"}, kBad + "c/d\n", kBad + "c\n"},
    {"TheRootAlone", nullptr, {"/"}, "1=\\ 2=", "1=/ 2="},
    {"BothReadingsOfAnExistingFolder", Docs, {"docs/i", "x"}, kAmbiguous, "1=docs 2=x I"},
    {"BothReadingsButNoSuchItem", nullptr, {"docs/i", "x"}, "1=docs 2=x I", "1=docs 2=x I"},
    {"TheFolderWrittenAsThePathTold", Docs, {"docs/i/", "x"}, "1=docs\\i 2=x", kBad + "/\n"},
};

class Arguments : public InProcess, public ::testing::WithParamInterface<ArgumentsRow> {};

TEST_P(Arguments, Row) {
    const ArgumentsRow& row = GetParam();
    auto read = [&](bool slash_paths) {
        FreshRun();
        if (row.setup) row.setup();
        const int code = Ends([&] { read_arguments(row.args, slash_paths); });
        if (code != kReturned) return Console::Text();
        const Settings& s = settings;
        std::string out = "1=" + s.FILE1.str() + " 2=" + s.FILE2.str();
        if (!s.OUTFILE.empty()) out += " out=" + s.OUTFILE.str();
        if (!s.PREFISSO.empty()) out += " pre=" + s.PREFISSO.str();
        if (s.SBS) out += " P";
        if (s.IGNORA) out += " I";
        return out;
    };
    EXPECT_EQ(read(true), row.posix);
    EXPECT_EQ(read(false), row.windows);
}

INSTANTIATE_TEST_SUITE_P(Table, Arguments, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dolv::fake
