// The help screen: its 37 lines, the pause for one key, the prompt erased.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

const std::vector<std::string> kFirst = {
    "DOLV : Rinomina uno o piu' files (e/o directory), o ne scambia i nomi.",
    "",
    "  DOLV  file1  file2  [opzioni]              Versione 1.30 per LNX 32 bit",
    "",
    "        /?         Questa schermata",
    "        /P         Chiede conferma passo passo prima di rinominare",
    "        /I         Ignora gli accessi negati",
    "        file1      Nomi file/directory d' origine",
    "        file2      Nomi file/directory di destinazione",
    "        +outfile   Scrive le informazioni in outfile se e' presente /I e /-P",
    "                   Se si indica +NUL non vi sara' alcuna descrizione al video.",
    "        /V         Visualizza le informazioni anche se esiste +outfile.",
    "                   ( +outfile deve essere diverso da +NUL )",
    "        /AA        Se outfile esiste, accoda le informazioni",
    "        /AC        Se outfile esiste, chiede se accodare o sovrascrivere le",
    "                   informazioni o uscire dal programma",
    "        /AS        Se outfile esiste, sovrascrive le informazioni",
    "        /AE        Se outfile esiste, il programma si chiude",
    "        /R         Scambia i due nomi indicati, anche su directory diverse.",
    "                   Esclude le opzioni successive.",
    "",
};
const std::vector<std::string> kSecond = {
    "        /T         Rinomina del nome interattivamente dal terminale.",
    "                   Esclude le opzioni successive.",
    "        /+ /- /0   Rinominano rispettivamente il nome in maiuscolo, minuscolo, ",
    "                   inalterato. Valide nella versione a 32 bit sotto Windows.",
    "        /E         Esclude le informazioni sui file saltati: output piu' veloce",
    "        /[prefisso Aggiunge il prefisso al file di destinazione",
    "        /]suffisso Aggiunge il suffisso al file di destinazione",
    "        /LL<nn>  /LR<nn>  Aggiungono il carattere '_' a sinistra/destra del",
    "                          nome del file fino a renderlo lungo <nn> caratteri.",
    "                          Tali opzioni si escludono a vicenda.",
    "        /S         Simula: mostra cosa verrebbe fatto senza rinominare nulla",
    "        /U         Annulla l' ultima esecuzione nella directory attuale o sotto",
    "",
    "Non e' possibile specificare una nuova unita' o percorso per la destinazione.",
    "Opzioni inverse: /-P  /-I  /-V  /-E  /-R  /-[  /-]  /-T  /-S",
    "Opzioni inizialmente abilitate: /-P  /-I  /-V  /AC  /0  /-E  /-R  /-T",
};
const char kPrompt[] = "Premere un tasto per continuare...";

std::string Joined(const std::vector<std::string>& lines, const std::string& end) {
    std::string all;
    for (const std::string& line : lines) all += line + end;
    return all;
}

// Runs the help screen on a terminal tall enough for all of it, pressing key
// at the pause; checks every row, the pause and the exit code.
void CheckHelpOnTerminal(const std::vector<std::string>& args, const std::string& key) {
    TempDir dir;
    std::vector<std::string> argv{DOLV_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    PtyOptions options = PtyIn(dir.path());
    options.rows = 40;
    PtySession s(argv, options);
    ASSERT_TRUE(s.wait_for(kPrompt));
    ASSERT_TRUE(s.wait_idle());  // the pause waits for its key
    EXPECT_FALSE(s.exited());
    for (size_t i = 0; i < kFirst.size(); ++i) {
        EXPECT_EQ(s.screen().row(static_cast<int>(i) + 1), kFirst[i]) << "row " << i + 1;
    }
    EXPECT_EQ(s.screen().row(22), kPrompt);
    EXPECT_EQ(s.screen().cursor_y(), 22);
    EXPECT_EQ(s.screen().cursor_x(), static_cast<int>(sizeof(kPrompt)));

    s.send(key);
    // One key press ends the pause, an extended key included: the program
    // ends without waiting for another key.
    EXPECT_EQ(s.wait_exit(3000), 1);
    // The list continues over the empty line 21; the prompt is gone.
    std::vector<std::string> expected(kFirst.begin(), kFirst.end() - 1);
    expected.insert(expected.end(), kSecond.begin(), kSecond.end());
    std::string screen = s.screen().text();
    std::string want = Joined(expected, "\n");
    want.pop_back();
    // The trailing blank of line 24 is removed by the screen's row().
    const std::string line24 = kSecond[2];
    want.replace(want.find(line24), line24.size(), line24.substr(0, line24.size() - 1));
    EXPECT_EQ(screen, want);
    EXPECT_EQ(s.screen().full_row(23).substr(0, line24.size()), line24);
    EXPECT_EQ(s.plain().find("Rinominati"), std::string::npos);
    EXPECT_TRUE(ListDir(dir.path()).empty());
}

TEST(HelpE2E, ScreenPauseAndExitCode) {
    CheckHelpOnTerminal({"/?"}, "x");
}

TEST(HelpE2E, AnExtendedKeyAtThePauseIsOneKeyPress) {
    CheckHelpOnTerminal({"/?"}, keys::kF7);
    CheckHelpOnTerminal({"/?"}, keys::kDel);
}

TEST(HelpE2E, OptionsBeforeItHaveNoEffectAndNoFileIsWritten) {
    // The report file options never take the help screen into a file.
    CheckHelpOnTerminal({"a", "b", "/P", "/I", "+rep.txt", "/V", "/AS", "/?"}, "x");
    CheckHelpOnTerminal({"/?/P", "+rep.txt", "/I"}, "x");
}

// The requests every command on Linux answers, from the real program: the
// version line alone (LF, nothing else on the output) and exit code 0; -h is
// the help screen. Which words count, and where, are rows of the driver table.
TEST(HelpE2E, LinuxHelpAndVersionRequests) {
    TempDir dir;
    WriteFile(dir.path() + "/a.txt", "a");
    PipedResult version = RunDolv(dir.path(), {"a.txt", "b.txt", "--version"});
    EXPECT_EQ(version.exit_code, 0);
    // "dolv 1.30.0": the release that the help screen's "Versione 1.30" names.
    size_t at = kFirst[2].find("Versione ") + 9;
    std::string short_version = kFirst[2].substr(at, kFirst[2].find(' ', at) - at);
    EXPECT_EQ(version.output.rfind("dolv " + short_version + ".", 0), 0u) << version.output;
    EXPECT_TRUE(EndsWith(version.output, "\n") && Count(version.output, "\n") == 1)
        << version.output;
    EXPECT_EQ(version.output.find_first_not_of("dolv 0123456789.\n"), std::string::npos)
        << version.output;
    PipedResult help = RunDolv(dir.path(), {"a.txt", "-h"});
    EXPECT_EQ(help.exit_code, 1);
    EXPECT_EQ(help.output, Joined(kFirst, "\n") + kPrompt + "\n" + Joined(kSecond, "\n"));
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"a.txt"});
}

TEST(HelpE2E, PipedInputAndOutput) {
    TempDir dir;
    PipedOptions options;
    options.cwd = dir.path();
    for (StdinMode mode : {StdinMode::kBytes, StdinMode::kDevNull, StdinMode::kClosed}) {
        options.stdin_mode = mode;
        // With no key left, the pause reads Esc and the screen goes on.
        PipedResult r = RunPiped({DOLV_EXE, "/?"}, "", options);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.exit_code, 1);
        // No cursor moves reach a pipe: the prompt stays, on a line of its
        // own, and the second block follows it.
        EXPECT_EQ(r.output, Joined(kFirst, "\n") + kPrompt + "\n" + Joined(kSecond, "\n"));
    }
}

}  // namespace
}  // namespace dolv
