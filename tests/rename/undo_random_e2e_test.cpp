// /U after random runs, on tmpfs and on a real exFAT: a few files, a run
// (a batch, many names to one with answers N, S, I and R, a change of
// letter case, an exchange), killed at a random moment in one scenario of
// three, then another program that renames, deletes or makes files at the
// names the run gave or took, then /U. Whatever happened: every item the
// run renamed (or deleted) is back under its name or named in a line of
// /U, every other item stays where it is, no file is lost, none of the
// program's placeholders is left, and the closing counts are of items:
// each item brought home counted once, each one named counted once.
//
// DOLV_TEST_EXE runs the scenarios against another build; the test says
// how many of them fail. DOLV_RANDOM_SEED (a number) picks other scenarios.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "harness/volume.h"
#include "rename/rename_e2e.h"

namespace dolv {
namespace {

namespace fs = std::filesystem;
using e2e::Lines;
using Tree = std::map<std::string, std::string>;  // name -> content

std::string Folded(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

Tree TreeOf(const std::string& dir) {
    Tree tree;
    std::error_code none;
    if (!fs::is_directory(dir, none)) return tree;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.is_regular_file()) tree[e.path().filename().string()] = ReadFile(e.path().string());
    return tree;
}

// Where each content is in a tree.
std::map<std::string, std::string> Places(const Tree& tree) {
    std::map<std::string, std::string> at;
    for (const auto& [name, content] : tree) at[content] = name;
    return at;
}

// The contents of a tree's files; empty ones (placeholders: every file a
// scenario makes holds something) aside.
std::multiset<std::string> Contents(const Tree& tree) {
    std::multiset<std::string> all;
    for (const auto& [name, content] : tree)
        if (!content.empty()) all.insert(content);
    return all;
}

struct Scenario {
    Lines run;
    std::string keys;
    bool kill = false;
    int kill_after_us = 0;
};

// The runs a scenario picks from.
Scenario PickRun(std::mt19937& rng) {
    static const Lines kRuns[] = {
        {"*.txt", "*.bak", "/I"}, {"*.txt", "*.bak"},
        {"*.txt", "x.txt"},       {"*.*", "*.*", "/+", "/I"},
        {"a.txt", "b.txt", "/R"}, {"*.txt", "?.dat", "/I"},
        {"*.txt", "b.txt", "/I"}, {"x.txt", "a.txt", "/R", "/I"},
    };
    Scenario s;
    s.run = kRuns[rng() % std::size(kRuns)];
    for (int i = 0; i < 4; ++i) s.keys += "NSIRN"[rng() % 5];
    s.kill = rng() % 3 == 0;
    s.kill_after_us = static_cast<int>(rng() % 6000);
    if (s.kill) s.keys.clear();
    return s;
}

void MakeFiles(const std::string& dir, std::mt19937& rng) {
    static const char* kNames[] = {"a.txt", "b.txt", "c.txt", "x.txt", "a.bak", "Readme.TXT"};
    int made = 0;
    for (const char* name : kNames) {
        if (rng() % 4 == 0 && made >= 2) continue;
        // Some of one length, so that a size tells nothing.
        WriteFile(dir + "/" + name, "c" + std::to_string(made++) + std::string(rng() % 3, '.'));
    }
}

// Runs the program with its journal in state, killed after a moment when
// the scenario says so.
void RunOrKill(const std::string& dir, const std::string& state, const Scenario& s) {
    if (!s.kill) {
        e2e::Journaled(dir, state, s.run, s.keys);
        return;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(126);
        unsetenv("DOLV_NO_JOURNAL");
        setenv("XDG_STATE_HOME", state.c_str(), 1);
        setenv("XDG_DATA_HOME", (state + "/data").c_str(), 1);
        if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "r", stdin))
            _exit(125);
        std::vector<const char*> argv{DOLV_EXE};
        for (const std::string& a : s.run) argv.push_back(a.c_str());
        argv.push_back(nullptr);
        execv(DOLV_EXE, const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(s.kill_after_us));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

// Another program between the run and /U: moves an item away, deletes
// one, makes a file where a renamed one was, or at a name one left.
void Interfere(const std::string& dir, const Tree& before, std::mt19937& rng, int scenario) {
    const int actions = static_cast<int>(rng() % 3);
    for (int k = 0; k < actions; ++k) {
        const Tree now = TreeOf(dir);
        if (now.empty()) return;
        auto it = now.begin();
        std::advance(it, rng() % now.size());
        const std::string tag = std::to_string(scenario) + "." + std::to_string(k);
        switch (rng() % 4) {
            case 0:
                fs::rename(dir + "/" + it->first, dir + "/moved" + tag);
                break;
            case 1:
                fs::remove(dir + "/" + it->first);
                break;
            case 2:  // a new file where an item was: moved away, one made there
                fs::rename(dir + "/" + it->first, dir + "/away" + tag);
                WriteFile(dir + "/" + it->first, it->second.size() % 2 ? "new" + tag : "n" + tag);
                break;
            default:  // a file at a name an item had before the run
                for (const auto& [name, content] : before)
                    if (!now.contains(name) && !std::filesystem::exists(dir + "/" + name)) {
                        WriteFile(dir + "/" + name, "blk" + tag);
                        break;
                    }
        }
    }
}

// The counts of /U's closing line; false when there is none.
bool Closing(const std::string& out, int& restored, int& of, int& lost) {
    const size_t at = out.find("Ripristinati ");
    return at != std::string::npos &&
           std::sscanf(out.c_str() + at, "Ripristinati %d elementi su %d ,non ripristinabili %d",
                       &restored, &of, &lost) == 3;
}

// Whether a line of /U names a path ending with the name.
bool Named(const std::string& out, const std::string& name, bool folding) {
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("*** ")) continue;
        const std::string tail = "/" + name;
        if (folding ? Folded(line).ends_with(Folded(tail)) : line.ends_with(tail)) return true;
    }
    return false;
}

// What the invariants find wrong after /U; empty when nothing.
// trashed: what the trash held before /U and after it.
std::string Check(const Tree& start, const Tree& after_run, const Tree& before_undo,
                  const Tree& after_undo, const std::pair<Tree, Tree>& trashed,
                  const std::string& out, bool folding) {
    std::string wrong;
    const auto all = [](const Tree& a, const Tree& b) {
        std::multiset<std::string> both = Contents(a), more = Contents(b);
        both.insert(more.begin(), more.end());
        return both;
    };
    if (all(before_undo, trashed.first) != all(after_undo, trashed.second))
        wrong += " a file lost or made;";
    auto home = Places(start), left = Places(after_run), found = Places(before_undo),
         now = Places(after_undo);
    for (auto* places : {&home, &left, &found, &now}) places->erase("");
    int came_home = 0, unnamed = 0;
    for (const auto& [content, name] : home) {
        const bool run_item = !left.contains(content) || left.at(content) != name;
        if (!run_item) continue;
        const bool at_home = now.contains(content) && now.at(content) == name;
        if (at_home && !(found.contains(content) && found.at(content) == name)) ++came_home;
        if (at_home) continue;
        const bool named = Named(out, name, folding) ||
                           (left.contains(content) && Named(out, left.at(content), folding));
        if (!named) ++unnamed, wrong += " " + name + " neither home nor named;";
        if (now.contains(content) && found.contains(content) &&
            now.at(content) != found.at(content))
            wrong += " " + name + " moved elsewhere;";
    }
    for (const auto& [content, name] : found) {
        const bool run_item = home.contains(content) &&
                              (!left.contains(content) || left.at(content) != home.at(content));
        if (!run_item && now.contains(content) && now.at(content) != name)
            wrong += " " + name + " is no item of the run, and moved;";
    }
    // A placeholder the run left where it made it is gone (another
    // program may have moved it elsewhere, where it is no longer the run's).
    for (const auto& [name, content] : after_undo)
        if (content.empty() && after_run.contains(name) && after_run.at(name).empty())
            wrong += " " + name + " left empty;";
    int restored = 0, of = 0, lost = 0;
    if (Closing(out, restored, of, lost)) {
        if (restored != came_home) wrong += " counted " + std::to_string(restored) + " home;";
        if (restored + lost != of) wrong += " counts do not add up;";
    } else if (came_home != 0) {
        wrong += " items came home without a closing line;";
    }
    return wrong;
}

// Runs the scenarios in dir (emptied for each), the journal in state, the
// files that answer S replaces in the trash; the number that fail, their
// faults on standard error.
int Scenarios(const std::string& dir, const std::string& state, const std::string& trash, int count,
              unsigned seed, bool folding) {
    std::mt19937 rng(seed);
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
        fs::remove_all(state + "/dolv");
        fs::remove_all(trash);
        MakeFiles(dir, rng);
        const Tree start = TreeOf(dir);
        const Scenario s = PickRun(rng);
        RunOrKill(dir, state, s);
        const Tree after_run = TreeOf(dir);
        Interfere(dir, start, rng, i);
        const Tree before_undo = TreeOf(dir), trashed = TreeOf(trash + "/files");
        const std::string out = e2e::Journaled(dir, state, {"/U", "/I"}).out;
        const Tree after_undo = TreeOf(dir);
        const std::string wrong = Check(start, after_run, before_undo, after_undo,
                                        {trashed, TreeOf(trash + "/files")}, out, folding);
        if (wrong.empty()) continue;
        ++failed;
        std::string args;
        for (const std::string& a : s.run) args += " " + a;
        std::fprintf(stderr, "scenario %d:%s keys %s%s:%s\n%s", i, args.c_str(), s.keys.c_str(),
                     s.kill ? " killed" : "", wrong.c_str(), out.c_str());
        for (const Tree* tree : {&start, &after_run, &before_undo, &after_undo}) {
            std::string line = "  ";
            for (const auto& [name, content] : *tree) line += " " + name + "=" + content;
            std::fprintf(stderr, "%s\n", line.c_str());
        }
    }
    return failed;
}

unsigned Seed(unsigned fixed) {
    const char* chosen = std::getenv("DOLV_RANDOM_SEED");
    return chosen && *chosen ? static_cast<unsigned>(std::strtoul(chosen, nullptr, 10)) + fixed
                             : fixed;
}

// A folder on tmpfs (/dev/shm), or in the temporary folder where there is none.
class ShmDir {
  public:
    ShmDir() {
        std::string base = fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string tmpl = base + "/dolv-random-XXXXXX";
        if (mkdtemp(tmpl.data())) path_ = tmpl;
    }
    ~ShmDir() {
        std::error_code e;
        if (!path_.empty()) fs::remove_all(path_, e);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

TEST(UndoRandom, OnTmpfs) {
    ShmDir root;
    ASSERT_FALSE(root.path().empty());
    fs::create_directory(root.path() + "/files");
    constexpr int kCount = 200;
    const int failed = Scenarios(root.path() + "/files", root.path() + "/state",
                                 root.path() + "/state/data/Trash", kCount, Seed(20261209u), false);
    std::printf("tmpfs: %d of %d scenarios failed\n", failed, kCount);
    EXPECT_EQ(failed, 0);
}

TEST(UndoRandom, OnExfat) {
    LoopVolume volume(LoopVolume::Kind::kExfat);
    const std::string why = volume.Mount();
    if (why.starts_with("failed:")) FAIL() << why;
    if (!why.empty()) GTEST_SKIP() << why;
    TempDir state;
    constexpr int kCount = 100;
    // The items lie below the top of the volume, where the trash is.
    fs::create_directory(volume.Root() + "/files");
    const int failed = Scenarios(volume.Root() + "/files", state.path(),
                                 volume.Root() + "/.Trash-" + std::to_string(geteuid()), kCount,
                                 Seed(20261210u), true);
    std::printf("exFAT: %d of %d scenarios failed\n", failed, kCount);
    EXPECT_EQ(failed, 0);
}

}  // namespace
}  // namespace dolv
