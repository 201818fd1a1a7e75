// The manual page: it renders cleanly, and it names exactly the options that
// the program's own help screen names.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "harness/dolv_run.h"

namespace {

using dolv::RunShell;
using dolv::ShellQuote;
using dolv::ShellResult;

const std::string kPage = std::string(DOLV_TEST_DATA) + "/../../doc/dolv.1";

bool Have(const std::string& tool) {
    return RunShell("command -v " + tool + " >/dev/null 2>&1").status == 0;
}

// The page as plain text: wide lines, so that no option is split at a line
// end, and no bold or underline overstriking.
std::string RenderPage() {
    return RunShell("groff -man -Tutf8 -P-cbu -rLL=250n " + ShellQuote(kPage) + " 2>/dev/null").out;
}

bool IsUpper(char c) {
    return std::isupper(static_cast<unsigned char>(c)) != 0;
}
bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Every option that a text names: a word that starts with "/", an optional
// "-", then capital letters or one of ? + 0 [ ]. Option values that follow
// ("/LL<nn>", "/[prefisso") are not part of the name; "+outfile" counts too.
std::set<std::string> OptionsNamed(const std::string& text) {
    std::set<std::string> names;
    for (size_t i = 0; i < text.size(); ++i) {
        bool word_start =
            i == 0 || IsSpace(text[i - 1]) || std::strchr("(\"'", text[i - 1]) != nullptr;
        if (!word_start) continue;
        if (text.compare(i, 8, "+outfile") == 0) {
            names.insert("+outfile");
            continue;
        }
        if (text[i] != '/') continue;
        std::string name = "/";
        size_t j = i + 1;
        if (j < text.size() && text[j] == '-') name += text[j++];
        if (j < text.size() && IsUpper(text[j])) {
            while (j < text.size() && IsUpper(text[j])) name += text[j++];
        } else if (j < text.size() && std::strchr("?+0[]", text[j]) != nullptr) {
            name += text[j];
        } else if (name == "/") {
            continue;  // a slash that opens no option
        }
        names.insert(name);
    }
    return names;
}

TEST(ManPage, RendersWithoutWarnings) {
    if (!Have("groff")) GTEST_SKIP() << "groff is not installed (Debian: groff-base)";
    ShellResult run = RunShell("groff -man -Tutf8 -ww -z " + ShellQuote(kPage) + " 2>&1");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "") << "groff warnings";

    if (!Have("man")) GTEST_SKIP() << "man is not installed (Debian: man-db)";
    ShellResult man = RunShell("MANWIDTH=80 man -l " + ShellQuote(kPage) + " 2>&1");
    EXPECT_EQ(man.status, 0);
    for (const char* section :
         {"SYNOPSIS", "OPTIONS", "THE NAME MERGE", "QUESTIONS", "THE REPORT FILE", "EXIT STATUS",
          "MESSAGES", "ENVIRONMENT", "PATHS ON LINUX", "EXAMPLES"})
        EXPECT_NE(man.out.find(section), std::string::npos) << section;
    EXPECT_NE(man.out.find("può"), std::string::npos) << "messages are quoted in UTF-8";
}

TEST(ManPage, NamesTheOptionsOfTheHelpScreen) {
    if (!Have("groff")) GTEST_SKIP() << "groff is not installed (Debian: groff-base)";
    ShellResult help = RunShell("printf x | " + ShellQuote(DOLV_EXE) + " '/?'");
    ASSERT_EQ(help.status, 1) << help.out;
    std::set<std::string> on_screen = OptionsNamed(help.out);

    // Guard against two empty lists comparing equal.
    for (const char* option :
         {"/?",  "/P",  "/I",  "+outfile", "/V",  "/AA", "/AC", "/AS", "/AE", "/R",
          "/T",  "/+",  "/-",  "/0",       "/E",  "/[",  "/]",  "/LL", "/LR", "/-P",
          "/-I", "/-V", "/-E", "/-R",      "/-[", "/-]", "/-T", "/S",  "/-S", "/U"})
        EXPECT_EQ(on_screen.count(option), 1u) << option << " is missing from the help screen";

    std::set<std::string> in_page = OptionsNamed(RenderPage());
    for (const std::string& option : on_screen)
        EXPECT_EQ(in_page.count(option), 1u)
            << option << " is on the help screen but not in the manual page";
    for (const std::string& option : in_page)
        EXPECT_EQ(on_screen.count(option), 1u)
            << option << " is in the manual page but not on the help screen";
}

TEST(ManPage, CarriesTheProgramsVersion) {
    ShellResult help = RunShell("printf x | " + ShellQuote(DOLV_EXE) + " '/?'");
    size_t at = help.out.find("Versione ");
    ASSERT_NE(at, std::string::npos) << help.out;
    std::string version = help.out.substr(at + 9, help.out.find(' ', at + 9) - at - 9);
    ShellResult title = RunShell("grep '^\\.TH' " + ShellQuote(kPage));
    EXPECT_NE(title.out.find("\"dolv " + version + "\""), std::string::npos)
        << "the page's title line names another version than " << version << ": " << title.out;
}

// The command lines in the page's example blocks, as a reader types them.
std::vector<std::string> ExampleCommands() {
    std::ifstream in(kPage);
    std::vector<std::string> commands;
    bool in_example = false;
    for (std::string line; std::getline(in, line);) {
        if (line == ".EX" || line == ".EE") in_example = line == ".EX";
        if (!in_example ||
            (line.rfind("dolv ", 0) != 0 && line.find("| dolv ") == std::string::npos))
            continue;
        for (auto [escape, plain] :
             {std::pair{"\\(aq", "'"}, {"\\(dq", "\""}, {"\\-", "-"}, {"\\e", "\\"}})
            for (size_t at; (at = line.find(escape)) != std::string::npos;)
                line.replace(at, std::strlen(escape), plain);
        commands.push_back(line);
    }
    return commands;
}

// Every example runs as typed, in bash, in a folder with the files it
// names: its operands reach the program whole (no pattern is expanded or
// refused by the shell, no backslash lost), and it renames or asks. The
// examples that ask end at the end of their input, as a cancel. An example
// of /U runs in the folder of the example before it, whose run it takes
// back; the journals go to a state folder of the test's own.
TEST(ManPage, ExamplesRunAsTyped) {
    std::vector<std::string> commands = ExampleCommands();
    ASSERT_GE(commands.size(), 10u);
    const char* const kFiles =
        "mkdir docs photos old && for f in a.txt b.txt c.txt 7.jpg 12.jpg x.log old_y.log "
        "docs/n.txt photos/p.jpg old/b.txt; do echo x >\"$f\"; done";
    dolv::TempDir state;
    std::unique_ptr<dolv::TempDir> dir;
    for (const std::string& command : commands) {
        const bool undo = command.rfind("dolv /U", 0) == 0;
        if (!undo || !dir) {
            dir = std::make_unique<dolv::TempDir>();
            ASSERT_EQ(RunShell("cd " + ShellQuote(dir->path()) + " && " + kFiles).status, 0);
        }
        EXPECT_EQ(dolv::UnquotedPatternCharacters(command), "") << command;
        std::string before = RunShell("cd " + ShellQuote(dir->path()) + " && find . | sort").out;
        std::string bin = std::string(DOLV_EXE).substr(0, std::string(DOLV_EXE).rfind('/'));
        ShellResult run = RunShell("cd " + ShellQuote(dir->path()) + " && PATH=" + ShellQuote(bin) +
                                       ":\"$PATH\" XDG_STATE_HOME=" + ShellQuote(state.path()) +
                                       " env -u DOLV_NO_JOURNAL bash -O failglob -c " +
                                       ShellQuote(command) + " </dev/null",
                                   true);
        bool cancelled = run.out.find("Operazione interrotta") != std::string::npos;
        EXPECT_EQ(run.status, cancelled ? 1 : 0) << command << "\n" << run.out;
        std::string after = RunShell("cd " + ShellQuote(dir->path()) + " && find . | sort").out;
        bool asked = run.out.find("[Si,No,Tutti,Annulla]") != std::string::npos ||
                     run.out.find("Nome originale") != std::string::npos;
        // A preview changes nothing; any other example renames or asks.
        if (run.out.find("Simulazione:") != std::string::npos)
            EXPECT_EQ(after, before) << command << "\n" << run.out;
        else
            EXPECT_TRUE(after != before || asked) << command << "\n" << run.out;
    }
}

TEST(OptionsNamed, FindsOptionWordsOnly) {
    EXPECT_EQ(OptionsNamed("  /LL<nn>  /LR<nn>  a sinistra/destra"),
              (std::set<std::string>{"/LL", "/LR"}));
    EXPECT_EQ(OptionsNamed("/[prefisso (/-) /-[ file/directory /usr"),
              (std::set<std::string>{"/[", "/-", "/-["}));
    EXPECT_EQ(OptionsNamed("( +outfile deve essere diverso da +NUL )"),
              (std::set<std::string>{"+outfile"}));
}

}  // namespace
