#include "names/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "harness/dolv_run.h"
#include "harness/short_text_print.h"
#include "names/path_split.h"
#include "platform/fs.h"

namespace dolv {

namespace {

namespace fs = std::filesystem;

// The program's form of a POSIX path: `\` separators.
ShortText dos(const fs::path& p) {
    return ShortText(WithBackslashes(p.string()));
}

TEST(Pathof, SplitsAfterTheLastSeparatorOrTheDriveColon) {
    EXPECT_EQ(PATHOF("C:\\dir\\sub\\file.tar.gz"), "C:\\dir\\sub\\");
    EXPECT_EQ(NAMEOF("C:\\dir\\sub\\file.tar.gz"), "file.tar.gz");
    EXPECT_EQ(PATHOF("*.txt"), "");
    EXPECT_EQ(NAMEOF("*.txt"), "*.txt");
    EXPECT_EQ(PATHOF("C:*.txt"), "C:");
    EXPECT_EQ(NAMEOF("C:*.txt"), "*.txt");
    EXPECT_EQ(PATHOF("dir/"), "dir\\");
    EXPECT_EQ(NAMEOF("dir/"), "");
    EXPECT_EQ(NAMEOF("C:\\dir\\"), "");
    EXPECT_EQ(PATHOF("report.txt"), "");
    EXPECT_EQ(NAMEOF("Report.TXT"), "Report.TXT");
    EXPECT_EQ(PATHOF(""), "");
    EXPECT_EQ(NAMEOF(""), "");
}

TEST(PathSplit, SplitFollowsTheDirectoryNameExtensionRule) {
    struct Case {
        const char *path, *dir, *name, *ext;
    } cases[] = {
        {"C:\\dir\\sub\\file.tar.gz", "C:\\dir\\sub\\", "file.tar", ".gz"},
        {"*.txt", "", "*", ".txt"},
        {"C:*.txt", "C:", "*", ".txt"},
        {"dir/", "dir\\", "", ""},
        {"", "", "", ""},
        {"a/b\\c", "a\\b\\", "c", ""},
        {".profile", "", "", ".profile"},
    };
    for (const auto& c : cases) {
        ShortText d, n, e;
        FSPLIT(c.path, d, n, e);
        EXPECT_EQ(d, c.dir) << c.path;
        EXPECT_EQ(n, c.name) << c.path;
        EXPECT_EQ(e, c.ext) << c.path;
    }
}

TEST(PathSplit, ChangeFileExtReplacesTheLastExtensionOfTheName) {
    EXPECT_EQ(CHANGEFILEEXT("a.txt", ".bak"), "a.bak");
    EXPECT_EQ(CHANGEFILEEXT("dir.x\\a", ".bak"), "dir.x\\a.bak");
    EXPECT_EQ(CHANGEFILEEXT("a.b.c", ""), "a.b");
    EXPECT_EQ(CHANGEFILEEXT("c:.x", ".y"), "c:.y");
    EXPECT_EQ(CHANGEFILEEXT(ShortText(std::string(253, 'a')), ".bak").size(), 255);
}

// The folder as the listing takes it and the last name, as the item
// questions and the report file's guard split a path.
TEST(PathSplit, SplitLastIgnoresTrailingSeparators) {
    struct Case {
        const char *path, *dir, *name;
    } cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir\\", "file.txt"},
        {"dir/sub\\", "dir/", "sub"},
        {"file", "", "file"},
        {"C:file", "C:", "file"},
        {"C:\\", "C:\\", ""},
        {"\\\\", "\\", ""},
    };
    for (const auto& c : cases) {
        std::string_view dir, name;
        split_last(c.path, dir, name);
        EXPECT_EQ(dir, c.dir) << c.path;
        EXPECT_EQ(name, c.name) << c.path;
    }
}

class Espansione : public ::testing::Test {
  protected:
    void TearDown() override {
        for (const char* v : {"DOLV_T", "DOLV_A", "DOLV_B", "DOLV_SELF", "DOLV_NEST", "DOLV_PCT"})
            unsetenv(v);
    }
};

TEST_F(Espansione, ReplacesEveryReferenceOrNone) {
    setenv("DOLV_T", "C:\\T", 1);
    setenv("DOLV_A", "aa", 1);
    setenv("DOLV_B", "bb", 1);
    setenv("DOLV_NEST", "%DOLV_A%\\n", 1);
    EXPECT_EQ(ESPANSIONE("%DOLV_T%\\x", false), "C:\\T\\x");
    EXPECT_EQ(ESPANSIONE("%DOLV_A%%DOLV_B%", false), "aabb");
    EXPECT_EQ(ESPANSIONE("x%DOLV_NEST%y", false), "xaa\\ny");
    EXPECT_EQ(ESPANSIONE("%DOLV_UNSET%\\x", false), "%DOLV_UNSET%\\x");
    EXPECT_EQ(ESPANSIONE("%DOLV_A%\\%DOLV_UNSET%", false), "%DOLV_A%\\%DOLV_UNSET%");
    EXPECT_EQ(ESPANSIONE("50%", false), "50%");
    EXPECT_EQ(ESPANSIONE("plain\\name.txt", false), "plain\\name.txt");
    setenv("DOLV_PCT", "50%", 1);
    EXPECT_EQ(ESPANSIONE("%DOLV_PCT%", false), "%DOLV_PCT%");
}

TEST_F(Espansione, AVariableThatRefersToItselfLeavesTheTextAlone) {
    setenv("DOLV_SELF", "x%DOLV_SELF%", 1);
    EXPECT_EQ(ESPANSIONE("a%DOLV_SELF%b", false), "a%DOLV_SELF%b");
    setenv("DOLV_A", "%DOLV_B%", 1);
    setenv("DOLV_B", "%DOLV_A%", 1);
    EXPECT_EQ(ESPANSIONE("%DOLV_A%", true), "%DOLV_A%");
}

TEST_F(Espansione, MakesTheResultAbsoluteOnRequest) {
    const ShortText full = ESPANSIONE("sub\\..\\x.txt", true);
    EXPECT_EQ(full, FEXPAND("x.txt"));
    EXPECT_EQ(full, dos(fs::current_path() / "x.txt"));
    EXPECT_EQ(FEXPAND2("\\aaa\\bbb\\ccc\\file.txt"), "\\aaa\\bbb\\ccc\\file.txt");
    setenv("DOLV_T", "\\aaa", 1);
    EXPECT_EQ(FEXPAND2("%DOLV_T%\\bbb\\..\\x"), "\\aaa\\x");
}

TEST(Truncpath, DropsDirectoriesFromTheLeftUntilThePathFits) {
    const ShortText p("\\aaa\\bbb\\ccc\\file.txt");  // 21 characters
    EXPECT_EQ(TRUNCPATH(p, 21), p);
    EXPECT_EQ(TRUNCPATH(p, 30), p);
    EXPECT_EQ(TRUNCPATH(p, 20), "\\...\\ccc\\file.txt");
    EXPECT_EQ(TRUNCPATH(p, 17), "\\...\\ccc\\file.txt");
    EXPECT_EQ(TRUNCPATH(p, 16), "\\...\\file.txt");
    EXPECT_EQ(TRUNCPATH(p, 5), "\\...\\file.txt");
    EXPECT_EQ(TRUNCPATH("\\a-rather-long-name.txt", 5), "\\a-rather-long-name.txt");

    const ShortText d("C:\\aaa\\bbb\\ccc\\file.txt");
    EXPECT_EQ(TRUNCPATH(d, 15), "C:\\...\\file.txt");
    EXPECT_EQ(TRUNCPATH(d, 19), "C:\\...\\ccc\\file.txt");
    EXPECT_EQ(TRUNCPATH(d, 23), d);
}

// A scratch directory with a few items of every kind.
class Items : public ::testing::Test {
  protected:
    void SetUp() override {
        write(root_ / "a.txt", "hello");
        write(root_ / "empty.txt", "");
        write(root_ / ".hidden", "abc");
        write(root_ / "ro.txt", "r");
        fs::permissions(root_ / "ro.txt",
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        fs::create_directory(root_ / "sub");
        write(root_ / "sub" / "inner.txt", "x");
        fs::create_directory(root_ / "emptydir");
        dir_ = dos(root_);
    }
    static void write(const fs::path& p, const std::string& content) {
        WriteFile(p.string(), content);
    }
    ShortText at(const char* name) const { return dir_ + "\\" + name; }

    TempDir tmp_;
    fs::path root_ = tmp_.path();
    ShortText dir_;
};

TEST_F(Items, ExistGivesTheSizeOfAFileAndMinusOneForAnythingElse) {
    EXPECT_EQ(EXIST(at("a.txt")), 5);
    EXPECT_EQ(EXIST(at("empty.txt")), 0);
    EXPECT_EQ(EXIST(at(".hidden")), 3);
    EXPECT_EQ(EXIST(at("ro.txt")), 1);
    EXPECT_EQ(EXIST(at("sub")), -1);
    EXPECT_EQ(EXIST(at("sub\\")), -1);
    EXPECT_EQ(EXIST(at("sub\\.")), -1);
    EXPECT_EQ(EXIST(at("*.txt")), -1);
    EXPECT_EQ(EXIST(at("a.tx?")), -1);
    EXPECT_EQ(EXIST(at("missing.txt")), -1);
    EXPECT_EQ(EXIST(at("missing\\a.txt")), -1);
    EXPECT_EQ(EXIST(""), -1);
}

TEST_F(Items, IsdirIsTrueOnlyForAnExistingDirectory) {
    EXPECT_TRUE(ISDIR(dir_));
    EXPECT_TRUE(ISDIR(at("sub")));
    EXPECT_TRUE(ISDIR(at("emptydir")));
    EXPECT_FALSE(ISDIR(at("a.txt")));
    EXPECT_FALSE(ISDIR(at("missing")));
    EXPECT_FALSE(ISDIR("\\\\"));
    EXPECT_FALSE(ISDIR(dir_ + "\\\\sub"));
}

TEST_F(Items, AttrShowsArchiveReadOnlyHiddenAndDirectory) {
    EXPECT_EQ(ATTR(at("a.txt")), "A____");
    EXPECT_EQ(ATTR(at(".hidden")), "A_H__");
    EXPECT_EQ(ATTR(at("ro.txt")), "AR___");
    EXPECT_EQ(ATTR(at("sub")), "____D");
    EXPECT_EQ(ATTR(at("sub\\")), "____D");
    EXPECT_EQ(ATTR(at("missing")), "");
}

TEST_F(Items, ContathisCountsFilesDirectoriesAndHiddenItems) {
    // Here the hidden item is counted by a pattern that begins with '.' only.
    EXPECT_EQ(CONTATHIS(dir_, "*.*"), 5);
    EXPECT_EQ(CONTATHIS(dir_ + "\\", "*.*"), 5);
    EXPECT_EQ(CONTATHIS(dir_, ".*"), 1);
    EXPECT_EQ(CONTATHIS(dir_, "*.txt"), 3);
    EXPECT_EQ(CONTATHIS(dir_, "a.txt"), 1);
    EXPECT_EQ(CONTATHIS(dir_, "nothing*"), 0);
    EXPECT_EQ(CONTATHIS(at("emptydir"), "*.*"), 0);
    EXPECT_EQ(CONTATHIS(at("missing"), "*.*"), -1);
    EXPECT_EQ(CONTATHIS(at("a.txt"), "*.*"), -1);
    EXPECT_EQ(CONTATHIS(at("sub\\.."), "*.txt"), 3);
    // The empty directory text is the current directory.
    int here = 0;
    for (const auto& entry : fs::directory_iterator(fs::current_path()))
        if (entry.path().filename().string()[0] != '.') ++here;
    EXPECT_EQ(CONTATHIS("", "*.*"), here);
}

}  // namespace
}  // namespace dolv
