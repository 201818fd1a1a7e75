// The README's examples. Every "$" line of its indented blocks runs as typed,
// in order, in bash, in a scratch folder that holds the demo's sample files,
// with this build's dolv on the PATH; what the README shows below a command
// is what the command prints. And the README's tour is the demo's output,
// command for command.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

const std::string kSourceDir = std::string(DOLV_TEST_DATA) + "/../..";

// One command with what is shown below it: its output, the folder listing
// after it (the demo's "   files: ..." line, when there is one) and its exit
// status (0 unless a line "(exit status N)" says otherwise).
struct Example {
    std::string command;
    std::string output;
    std::string listing;
    int status = 0;
};

bool operator==(const Example& a, const Example& b) {
    return a.command == b.command && a.output == b.output && a.listing == b.listing &&
           a.status == b.status;
}

std::ostream& operator<<(std::ostream& out, const Example& e) {
    return out << "$ " << e.command << "\n"
               << e.output << "   files: " << e.listing << "\n(exit status " << e.status << ")";
}

// Without CR bytes, without empty lines at the end, and with the scratch
// folder's random part, which differs from run to run, made constant.
std::string Normalized(const std::string& text) {
    static const std::regex scratch("dolv-demo\\.[A-Za-z0-9]{6}");
    std::string plain = std::regex_replace(WithoutCr(text), scratch, "dolv-demo.XXXXXX");
    while (EndsWith(plain, "\n\n")) plain.pop_back();
    return plain;
}

void Finish(std::vector<Example>& examples, std::vector<std::string>& shown) {
    if (examples.empty()) return;
    while (!shown.empty() && shown.back().empty()) shown.pop_back();
    Example& e = examples.back();
    for (const std::string& line : shown) {
        if (line.rfind("   files: ", 0) == 0) {
            e.listing = line.substr(10);
        } else if (line.rfind("(exit status ", 0) == 0) {
            e.status = std::atoi(line.c_str() + 13);
        } else {
            e.output += line + "\n";
        }
    }
    shown.clear();
}

// The "$" lines of a text and the lines below each. In the README they are
// indented by 4 (indent "    "); in the demo's output not at all. A block
// ends at the next "$" line, or at a line outside the indented block.
std::vector<Example> Examples(const std::string& text, const std::string& indent) {
    std::vector<Example> examples;
    std::vector<std::string> shown;
    std::istringstream in(Normalized(text));
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(indent + "$ ", 0) == 0) {
            Finish(examples, shown);
            examples.push_back({line.substr(indent.size() + 2), "", "", 0});
            inside = true;
        } else if (inside && line.empty()) {
            shown.push_back("");
        } else if (inside && line.rfind(indent, 0) == 0 && line.rfind("== ", 0) != 0) {
            shown.push_back(line.substr(indent.size()));
        } else {
            Finish(examples, shown);
            inside = false;
        }
    }
    Finish(examples, shown);
    return examples;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A scratch folder named as the demo names its own, so that the shortened
// paths in the report come out the same, with bin/dolv in it.
class Readme : public testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/dolv-demo.XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        scratch_ = name;
        ASSERT_EQ(RunShell("mkdir " + ShellQuote(scratch_ + "/bin") + " && ln -s " +
                           ShellQuote(DOLV_EXE) + " " + ShellQuote(scratch_ + "/bin/dolv"))
                      .status,
                  0);
    }
    void TearDown() override {
        if (!scratch_.empty()) RunShell("rm -rf " + ShellQuote(scratch_));
    }
    std::string scratch_;
};

TEST_F(Readme, EveryCommandRunsAsShown) {
    std::vector<Example> examples = Examples(ReadAll(kSourceDir + "/README.md"), "    ");
    ASSERT_GE(examples.size(), 7u) << "the README's examples were not found";
    const std::string& work = scratch_;
    ASSERT_EQ(RunShell("sh " + ShellQuote(kSourceDir + "/demo/samples.sh") + " " + ShellQuote(work))
                  .status,
              0);

    for (const Example& e : examples) {
        // bash passes an unclosed "[" on, zsh stops at it ("bad pattern"),
        // so the shell's run alone does not tell.
        EXPECT_EQ(UnquotedPatternCharacters(e.command), "") << e.command;
        // failglob: a pattern that the shell would expand and that matches
        // nothing stops the command, as zsh stops it.
        ShellResult run =
            // The journal on, in the scratch folder, as the demo keeps it: /U
            // takes back the README's own runs.
            RunShell("cd " + ShellQuote(work) + " && unset DOLV_NO_JOURNAL && XDG_STATE_HOME=" +
                         ShellQuote(scratch_ + "/.state") +
                         " PATH=" + ShellQuote(scratch_ + "/bin") +
                         ":\"$PATH\" bash -O failglob -c " + ShellQuote(e.command) + " </dev/null",
                     true);
        Example got{e.command, Normalized(run.out), e.listing, run.status};
        if (!e.listing.empty()) {
            std::string files = RunShell("cd " + ShellQuote(work) + " && LC_ALL=C ls files").out;
            for (char& c : files) c = c == '\n' ? ' ' : c;
            got.listing = files.substr(0, files.find_last_not_of(' ') + 1);
        }
        EXPECT_EQ(got, e);
    }
}

TEST_F(Readme, TheTourIsTheDemosOutput) {
    ShellResult demo = RunShell(
        "TMPDIR=/tmp sh " + ShellQuote(kSourceDir + "/demo/demo.sh") + " " + ShellQuote(DOLV_EXE),
        true);
    ASSERT_EQ(demo.status, 0) << demo.out;
    std::vector<Example> in_demo = Examples(demo.out, "");
    std::vector<Example> in_readme = Examples(ReadAll(kSourceDir + "/README.md"), "    ");
    ASSERT_FALSE(in_demo.empty()) << demo.out;
    ASSERT_LE(in_demo.size(), in_readme.size());
    for (size_t i = 0; i < in_demo.size(); ++i)
        EXPECT_EQ(in_readme[i], in_demo[i]) << "example " << i + 1;
}

}  // namespace
}  // namespace dolv
