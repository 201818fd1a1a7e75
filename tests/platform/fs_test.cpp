#include "platform/fs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "harness/dolv_run.h"
#include "names/items.h"
#include "names/search.h"
#include "platform/fs_testing.h"
#include "rename/move.h"

namespace dolv {
namespace {

namespace fs = std::filesystem;

class FsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        force_rename_fallback(false);
        force_rename_placeholder(false);
    }
    // The program's form of a path inside the folder: `\` separators.
    ShortText path(const std::string& rel = "") const {
        return ShortText(WithBackslashes((root_ / rel).string()));
    }
    void touch(const std::string& rel, const std::string& content = "") const {
        WriteFile((root_ / rel).string(), content);
    }
    std::string content(const std::string& rel) const { return ReadFile((root_ / rel).string()); }
    std::vector<std::string> search(const std::string& pattern, uint8_t mask = 0x76) const {
        std::vector<std::string> names;
        SearchRec rec;
        for (FINDFIRST(path(pattern), mask, rec); DOSERROR() == 0; FINDNEXT(rec))
            names.push_back(rec.name.str());
        findclose(rec);
        return names;
    }
    TempDir tmp_;
    fs::path root_ = tmp_.path();
};

using Names = std::vector<std::string>;

TEST_F(FsTest, SearchIsSortedAndFollowsTheMask) {
    for (const char* n : {"b.txt", "A.txt", "a.TXT", "c.bak", ".hidden.txt", "_x.txt"}) touch(n);
    fs::create_directory(root_ / "d.txt");
    // A wildcard never takes a name's leading '.' here; a pattern that
    // begins with '.' does.
    EXPECT_EQ(search("*.txt"), (Names{"A.txt", "a.TXT", "b.txt", "d.txt", "_x.txt"}));
    EXPECT_EQ(search(".*"), (Names{".", "..", ".hidden.txt"}));
    EXPECT_EQ(search(".h*", 0x66), (Names{".hidden.txt"}));
    // 0x66: no directories; 0x20 alone: neither hidden nor directories.
    EXPECT_EQ(search("*.txt", 0x66), (Names{"A.txt", "a.TXT", "b.txt", "_x.txt"}));
    EXPECT_EQ(search(".*", 0x20), (Names{}));
    EXPECT_EQ(search("*", 0x3F).size(), 6u);
    EXPECT_TRUE(search("*.zip").empty());
    EXPECT_TRUE(search("missing\\*.txt").empty());
}

TEST_F(FsTest, SearchReportsSizeAndAttributes) {
    touch("f.dat", "12345");
    touch(".h");
    fs::create_directory(root_ / "sub");
    touch("ro.txt", "x");
    fs::permissions(root_ / "ro.txt", fs::perms::owner_write, fs::perm_options::remove);
    SearchRec rec;
    FINDFIRST(path("?*"), 0x3F, rec);
    std::vector<std::pair<std::string, int>> got;
    for (; DOSERROR() == 0; FINDNEXT(rec)) {
        got.emplace_back(rec.name.str(), rec.attr);
        if (rec.name == "f.dat") {
            EXPECT_EQ(rec.size, 5);
        }
        if (rec.name == "sub") {
            EXPECT_EQ(rec.size, 0);
        }
    }
    EXPECT_NE(DOSERROR(), 0);
    FINDNEXT(rec);  // past the end stays at the end
    EXPECT_NE(DOSERROR(), 0);
    std::vector<std::pair<std::string, int>> expected = {
        {"f.dat", FA_ARCHIVE}, {"ro.txt", FA_READONLY | FA_ARCHIVE}, {"sub", FA_DIRECTORY}};
    EXPECT_EQ(got, expected);
}

TEST_F(FsTest, LazySearchGivesTheSameEntriesOnceDetailsAreRead) {
    touch("f.dat", "12345");
    touch(".h", "1");
    fs::create_directory(root_ / "sub");
    touch("ro.txt", "x");
    fs::permissions(root_ / "ro.txt", fs::perms::owner_write, fs::perm_options::remove);
    fs::create_symlink("f.dat", root_ / "link");
    for (uint8_t mask : {uint8_t{0x76}, uint8_t{0x3F}, uint8_t{0x20}, uint8_t{0x66}}) {
        SCOPED_TRACE("mask " + std::to_string(mask));
        std::vector<std::tuple<std::string, int64_t, int>> eager, lazy;
        SearchRec rec;
        for (FINDFIRST(path("*"), mask, rec); DOSERROR() == 0; FINDNEXT(rec))
            eager.emplace_back(rec.name.str(), rec.size, rec.attr);
        findclose(rec);
        for (findfirst_lazy(path("*"), mask, rec); DOSERROR() == 0; FINDNEXT(rec)) {
            finddetails(rec);
            lazy.emplace_back(rec.name.str(), rec.size, rec.attr);
        }
        findclose(rec);
        EXPECT_EQ(lazy, eager);
        EXPECT_FALSE(eager.empty());
    }
}

TEST_F(FsTest, NamesTheProgramCannotAddressArePassedOver) {
    touch("ok.txt");
    touch("co:lon.txt");
    touch("star*.txt");
    touch("tab\t.txt");
    touch("bad\xff.txt");            // not UTF-8
    touch("euro\xE2\x82\xAC.txt");   // a character CP850 lacks
    touch("\xC3\xA9t\xC3\xA9.txt");  // été: fine
    touch("del\x7F.txt");            // a raw DEL
    touch("del\xE2\x8C\x82.txt");    // del⌂.txt: fine, the CP850 byte 0x7F
    EXPECT_EQ(search("*.txt"), (Names{"del\x7F.txt", "ok.txt", "\x82t\x82.txt"}));
    // The CP850 byte 0x7F reaches the house sign on disk, never the raw DEL.
    EXPECT_EQ(rename_no_replace(path("del\x7F.txt"), path("x.txt")), 0);
    EXPECT_EQ(content("x.txt"), "");
    EXPECT_TRUE(fs::exists(root_ / "del\x7F.txt"));
    EXPECT_FALSE(fs::exists(root_ / "del\xE2\x8C\x82.txt"));
    // Nor are they found by name.
    SearchRec rec;
    FINDFIRST(path("co:lon.txt"), 0x3F, rec);
    EXPECT_NE(DOSERROR(), 0);
}

// Every entry once, with its CP850 name, its kind, its hidden flag and
// what keeps the program from its name.
struct Listed {
    std::string name;
    int attr;
    NameFault fault;
    bool operator==(const Listed&) const = default;
};

void PrintTo(const Listed& e, std::ostream* os) {
    *os << "{" << ::testing::PrintToString(e.name) << " " << e.attr << " "
        << static_cast<int>(e.fault) << "}";
}

std::vector<Listed> Sorted(std::vector<Listed> v) {
    std::sort(v.begin(), v.end(), [](const Listed& a, const Listed& b) {
        return std::tie(a.name, a.attr) < std::tie(b.name, b.attr);
    });
    return v;
}

class Collect final : public DirVisitor {
  public:
    bool entry(const OpenDir&, const ListedEntry& e) override {
        got.push_back({std::string(e.name), e.attr, e.fault});
        natives.emplace_back(e.native);
        return true;
    }
    std::vector<Listed> got;
    std::vector<std::string> natives;
};

TEST_F(FsTest, ListingGivesEveryEntryWithWhatKeepsItsNameAway) {
    touch("ok.txt");
    touch(".hidden");
    fs::create_directory(root_ / "d");
    touch("co:lon.txt");
    touch("bad\xff.txt");            // not UTF-8
    touch("euro\xE2\x82\xAC.txt");   // a character CP850 lacks
    touch("del\x7F.txt");            // a raw DEL
    touch("\xC3\xA9t\xC3\xA9.txt");  // été: fine
    touch("\xE2\x96\xBA.txt");       // the glyph of the control byte 0x10
    Collect c;
    std::unique_ptr<OpenDir> dir = list_directory(path() + "\\", c);
    ASSERT_TRUE(dir);
    const NameFault none = NameFault::kNone, lacking = NameFault::kNoCp850;
    const std::vector<Listed> expected = {
        {"bad\x1A.txt", FA_ARCHIVE, lacking},
        {"del\x1A.txt", FA_ARCHIVE, lacking},
        {"euro\x1A.txt", FA_ARCHIVE, lacking},
        {".", FA_DIRECTORY, none},
        {"..", FA_DIRECTORY, none},
        {".hidden", FA_ARCHIVE | FA_HIDDEN, none},
        {"\x10.txt", FA_ARCHIVE, NameFault::kWindowsChars},
        {"\x82t\x82.txt", FA_ARCHIVE, none},
        {"co:lon.txt", FA_ARCHIVE, NameFault::kWindowsChars},
        {"d", FA_DIRECTORY, none},
        {"ok.txt", FA_ARCHIVE, none},
    };
    EXPECT_EQ(Sorted(c.got), Sorted(expected));
    EXPECT_NE(dir->id_device, 0u);
    // The details of an entry come by its native name, from the open folder.
    ItemInfo info;
    touch("d/inner", "12345");
    EXPECT_TRUE(listed_details(*dir, "\xC3\xA9t\xC3\xA9.txt", info));
    EXPECT_EQ(info.attr, FA_ARCHIVE);
    EXPECT_FALSE(listed_details(*dir, "missing", info));
    Collect none_there;
    EXPECT_FALSE(list_directory(path("missing\\"), none_there));
}

// A visitor that takes only the first entries, and the room it was promised.
class FirstEntries final : public DirVisitor {
  public:
    explicit FirstEntries(size_t wanted) : wanted_(wanted) {}
    void room(size_t entries) override { promised = entries; }
    bool entry(const OpenDir&, const ListedEntry&) override { return ++seen < wanted_; }
    size_t promised = 0, seen = 0;

  private:
    size_t wanted_;
};

TEST_F(FsTest, ListingStopsWhereTheVisitorSays) {
    for (int i = 0; i < 50; ++i) touch("f" + std::to_string(i));
    FirstEntries first(3);
    ASSERT_TRUE(list_directory(path() + "\\", first));
    EXPECT_EQ(first.seen, 3u);
    FirstEntries all(1000);
    ASSERT_TRUE(list_directory(path() + "\\", all));
    EXPECT_EQ(all.seen, 52u);  // "." and ".." too
    // The room is a hint from the folder's size, where the system gives one.
    EXPECT_LE(all.promised, size_t{1} << 20);
}

TEST_F(FsTest, ItemInfoTellsAMissingItemFromOneItCannotTell) {
    touch("f", "abc");
    fs::create_directory(root_ / "d");
    ItemInfo info;
    ASSERT_EQ(item_info(path("f"), 0, info), 0);
    EXPECT_EQ(info.attr, FA_ARCHIVE);
    EXPECT_EQ(info.size, 3);
    EXPECT_FALSE(info.id_decides);
    EXPECT_TRUE(info.stored_name.empty());
    ItemInfo again;
    ASSERT_EQ(item_info(path("d\\..\\f"), kAskIdentity | kAskAfresh, again), 0);
    EXPECT_EQ(again.id.inode, info.id.inode);
    EXPECT_EQ(again.modified_ns, info.modified_ns);
    ASSERT_EQ(item_info(path("d"), 0, info), 0);
    EXPECT_EQ(info.attr, FA_DIRECTORY);
    EXPECT_EQ(item_info(path("missing"), 0, info), kStatusFileNotFound);
    EXPECT_EQ(item_info(path("nodir\\f"), 0, info), kStatusFileNotFound);
    const int status = item_info(path("f\\inside"), 0, info);  // f is no folder
    EXPECT_NE(status, 0);
    EXPECT_NE(status, kStatusFileNotFound);
    EXPECT_EQ(item_info("", 0, info), kStatusFileNotFound);
}

TEST_F(FsTest, SymlinksAreItemsOfTheirOwn) {
    fs::create_directory(root_ / "realdir");
    fs::create_directory_symlink(root_ / "realdir", root_ / "linkdir");
    fs::create_symlink(root_ / "nowhere", root_ / "dangling");
    EXPECT_EQ(search("*", 0x66), (Names{"dangling", "linkdir"}));  // links are no directories
    SearchRec rec;
    FINDFIRST(path("dangling"), 0x66, rec);  // found by its own lstat
    EXPECT_EQ(DOSERROR(), 0);
    EXPECT_EQ(rec.attr, FA_ARCHIVE);
    EXPECT_EQ(GETFATTR(path("linkdir")) & FA_DIRECTORY, 0);
    EXPECT_EQ(GETFATTR(path("realdir")) & FA_DIRECTORY, FA_DIRECTORY);
    GETFATTR(path("missing"));
    EXPECT_NE(DOSERROR(), 0);
}

TEST_F(FsTest, LiteralSearchAsksAboutOneName) {
    touch("file.txt", "abc");
    fs::create_directory(root_ / "dir");
    SearchRec rec;
    FINDFIRST(path("file.txt"), 0x66, rec);
    EXPECT_EQ(DOSERROR(), 0);
    EXPECT_EQ(rec.name, "file.txt");
    EXPECT_EQ(rec.size, 3);
    FINDNEXT(rec);
    EXPECT_NE(DOSERROR(), 0);
    FINDFIRST(path("dir"), 0x66, rec);  // a directory is not a file
    EXPECT_NE(DOSERROR(), 0);
    FINDFIRST(path("dir"), 0x76, rec);
    EXPECT_EQ(DOSERROR(), 0);
    FINDFIRST(path("dir\\"), 0x76, rec);
    EXPECT_NE(DOSERROR(), 0);
}

TEST_F(FsTest, SourcePathFindsALiteralNameWithLettersFolded) {
    touch("readme.TXT", "r");
    touch("Readme.txt", "R");
    touch("\xC3\xA9t\xC3\xA9.doc");  // été.doc
    touch("exact.txt");
    touch("EXACT.TXT");
    fs::create_directory(root_ / "Docs");
    struct Case {
        std::string operand, expected;
    } cases[] = {
        {"README.txt", "Readme.txt"},        // the first in the search's order
        {"\x90T\x90.DOC", "\x82t\x82.doc"},  // ÉTÉ.DOC: accented letters fold too
        {"exact.txt", "exact.txt"},          // the exact name comes first
        {"EXACT.TXT", "EXACT.TXT"},
        {"docs", "Docs"},
        {"missing.txt", "missing.txt"},  // nothing found: unchanged
        {"READ*.txt", "READ*.txt"},      // a pattern: unchanged
        {"nodir\\readme.txt", "nodir\\readme.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(source_path(path(c.operand)), path(c.expected)) << c.operand;
}

// The ways the rename that never replaces goes: renameat2 with
// RENAME_NOREPLACE; link and unlink where the flag is refused; a
// placeholder where hard links are refused too.
enum class RenameWay { kNoReplace, kLink, kPlaceholder };

void UseRenameWay(RenameWay way) {
    force_rename_fallback(way == RenameWay::kLink);
    force_rename_placeholder(way == RenameWay::kPlaceholder);
}

const char* WayName(RenameWay way) {
    switch (way) {
        case RenameWay::kNoReplace:
            return "renameat2";
        case RenameWay::kLink:
            return "link";
        default:
            return "placeholder";
    }
}

TEST_F(FsTest, RenameNeverReplaces) {
    for (RenameWay way : {RenameWay::kNoReplace, RenameWay::kLink, RenameWay::kPlaceholder}) {
        SCOPED_TRACE(WayName(way));
        UseRenameWay(way);
        fs::remove_all(root_);
        fs::create_directories(root_);
        touch("src", "source");
        touch("file", "keep");
        touch("empty", "");  // what a placeholder looks like: still not ours
        fs::create_directory(root_ / "dir");
        fs::create_symlink(root_ / "nowhere", root_ / "link");
        fs::create_directory(root_ / "srcdir");
        fs::create_symlink(root_ / "src", root_ / "srclink");
        for (const char* dest : {"file", "empty", "dir", "link"}) {
            for (const char* source : {"src", "srcdir", "srclink"}) {
                EXPECT_EQ(rename_no_replace(path(source), path(dest)), kStatusExists)
                    << source << " to " << dest;
            }
        }
        EXPECT_EQ(content("src"), "source");
        EXPECT_EQ(content("file"), "keep");
        EXPECT_EQ(content("empty"), "");
        EXPECT_TRUE(fs::is_symlink(root_ / "link"));
        EXPECT_TRUE(fs::is_directory(root_ / "srcdir"));
        EXPECT_TRUE(fs::is_symlink(root_ / "srclink"));
        // Nothing left behind by a refused rename.
        EXPECT_EQ(ListDir(root_.string()),
                  (Names{"dir", "empty", "file", "link", "src", "srcdir", "srclink"}));
        // And a free name works, for a file, a directory and a symlink.
        EXPECT_EQ(rename_no_replace(path("src"), path("moved")), 0);
        EXPECT_EQ(content("moved"), "source");
        EXPECT_FALSE(fs::exists(root_ / "src"));
        touch("srcdir/inner", "in");
        EXPECT_EQ(rename_no_replace(path("srcdir"), path("moveddir")), 0);
        EXPECT_EQ(content("moveddir/inner"), "in");
        EXPECT_EQ(rename_no_replace(path("link"), path("link2")), 0);
        EXPECT_TRUE(fs::is_symlink(root_ / "link2"));
        EXPECT_EQ(fs::read_symlink(root_ / "link2"), root_ / "nowhere");
        EXPECT_EQ(rename_no_replace(path("missing"), path("other")), kStatusFileNotFound);
        EXPECT_EQ(ListDir(root_.string()),
                  (Names{"dir", "empty", "file", "link2", "moved", "moveddir", "srclink"}));
    }
}

// A rename that fails after the placeholder took the new name leaves no
// trace of it.
TEST_F(FsTest, AFailedRenameTakesItsPlaceholderAway) {
    UseRenameWay(RenameWay::kPlaceholder);
    // A directory into itself: the placeholder can be made, the rename not.
    fs::create_directory(root_ / "d");
    EXPECT_NE(rename_no_replace(path("d"), path("d\\sub")), 0);
    EXPECT_TRUE(fs::is_empty(root_ / "d"));
    // A file the system will not rename (immutable), where it allows that.
    touch("fixed", "data");
    const std::string fixed = (root_ / "fixed").string();
    if (RunShell("chattr +i " + ShellQuote(fixed) + " 2>/dev/null").status != 0)
        GTEST_SKIP() << "no immutable files here (chattr)";
    const int status = rename_no_replace(path("fixed"), path("other"));
    RunShell("chattr -i " + ShellQuote(fixed));
    EXPECT_NE(status, 0);
    EXPECT_EQ(ListDir(root_.string()), (Names{"d", "fixed"}));
    EXPECT_EQ(content("fixed"), "data");
}

// The placeholder is told before it is made and once it is made (with its
// identity); a notice that says no leaves everything as it was.
std::vector<std::string> g_told;
bool g_allow = true;
bool TellPlaceholder(const ShortText& path, const ItemId& made) {
    g_told.push_back(std::string(path.view().substr(path.view().rfind('\\') + 1)) +
                     (made.inode != 0 ? " made" : " before"));
    return g_allow;
}

TEST_F(FsTest, PlaceholderIsToldBeforeAndOnceMade) {
    UseRenameWay(RenameWay::kPlaceholder);
    set_placeholder_notice(TellPlaceholder);
    g_told.clear();
    touch("a", "data");
    EXPECT_EQ(rename_no_replace(path("a"), path("b")), 0);
    EXPECT_EQ(g_told, (Names{"b before", "b made"}));
    g_allow = false;
    EXPECT_EQ(rename_no_replace(path("b"), path("c")), kStatusUnrecorded);
    g_allow = true;
    set_placeholder_notice(nullptr);
    EXPECT_EQ(ListDir(root_.string()), (Names{"b"}));
    EXPECT_EQ(content("b"), "data");
}

// A temporary move is told before it is tried; no from the notice, no move.
TEST_F(FsTest, MoveAsideIsToldFirst) {
    touch("a");
    set_aside_notice([](const ShortText&, const ShortText&) { return false; });
    ShortText temp;
    EXPECT_EQ(move_aside(path("a"), temp), kStatusUnrecorded);
    set_aside_notice(nullptr);
    EXPECT_EQ(ListDir(root_.string()), (Names{"a"}));
    EXPECT_EQ(move_aside(path("a"), temp), 0);
    EXPECT_EQ(ListDir(root_.string()), (Names{".dolv-" + std::to_string(process_id()) + "-0.tmp"}));
}

// The birth time: kept by a rename, the new item's own under an old name;
// the identity of a local file system lasts.
TEST_F(FsTest, BirthTimeAndLastingIdentity) {
    touch("a");
    ItemInfo first, renamed, again;
    ASSERT_EQ(item_info(path("a"), kAskIdentity | kAskBirth, first), 0);
    if (first.birth_ns == 0) GTEST_SKIP() << "this file system keeps no birth times";
    EXPECT_TRUE(first.id_lasting);
    ASSERT_EQ(rename_no_replace(path("a"), path("b")), 0);
    ASSERT_EQ(item_info(path("b"), kAskIdentity | kAskBirth, renamed), 0);
    EXPECT_EQ(renamed.birth_ns, first.birth_ns);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // past a clock tick
    touch("a");
    ASSERT_EQ(item_info(path("a"), kAskBirth, again), 0);
    EXPECT_GT(again.birth_ns, first.birth_ns);
    ItemInfo plain;
    ASSERT_EQ(item_info(path("a"), 0, plain), 0);
    EXPECT_EQ(plain.birth_ns, 0);
}

TEST_F(FsTest, RemoveEmptyDirectory) {
    fs::create_directories(root_ / "full" / "inner");
    fs::create_directory(root_ / "empty");
    EXPECT_NE(remove_empty_directory(path("full")), 0);
    EXPECT_EQ(remove_empty_directory(path("empty")), 0);
    EXPECT_EQ(ListDir(root_.string()), (Names{"full"}));
}

TEST_F(FsTest, RenameRefusesNamesNoWindowsNameCouldBe) {
    touch("a");
    for (const char* bad : {"b:c", "b*", "b?", "b\"", "b<", "b>", "b|", "b\x01", "x:y\\b"}) {
        RENAME(path("a"), path(bad));
        EXPECT_NE(IORESULT(), 0) << bad;
    }
    EXPECT_TRUE(fs::exists(root_ / "a"));
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), {}), 1);
    // Either separator leads into a folder.
    fs::create_directory(root_ / "sub");
    for (const char* into : {"\\b", "/b"}) {
        RENAME(path("a"), path("sub") + into);
        EXPECT_EQ(IORESULT(), 0) << into;
        RENAME(path("sub") + into, path("a"));
        EXPECT_EQ(IORESULT(), 0) << into;
    }
    fs::remove(root_ / "sub");
    // A drive in front of an absolute path is dropped, not refused.
    RENAME(ShortText("C:") + path("a"), ShortText("C:") + path("\x82.txt"));
    EXPECT_EQ(IORESULT(), 0);
    EXPECT_EQ(IORESULT(), 0);  // read once, reset
    EXPECT_TRUE(fs::exists(root_ / "\xC3\xA9.txt"));
}

TEST_F(FsTest, CaseOnlyRenameOnACaseSensitiveVolume) {
    touch("name.txt", "x");
    RENAME(path("name.txt"), path("NAME.TXT"));
    EXPECT_EQ(IORESULT(), 0);
    EXPECT_TRUE(fs::exists(root_ / "NAME.TXT"));
    EXPECT_FALSE(fs::exists(root_ / "name.txt"));
    // Two hard links of one file look like one item under two names: the
    // detour through a temporary name must not lose either of them.
    touch("one", "data");
    fs::create_hard_link(root_ / "one", root_ / "two");
    RENAME(path("one"), path("two"));
    EXPECT_NE(IORESULT(), 0);
    EXPECT_EQ(content("one"), "data");
    EXPECT_EQ(content("two"), "data");
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), {}), 3);
}

TEST_F(FsTest, SameItemAsksTheFileSystem) {
    touch("f", "x");
    touch("g", "x");
    fs::create_directory(root_ / "d");
    fs::create_hard_link(root_ / "f", root_ / "h");
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    for (const Case& c : {Case{"f", "f", true}, Case{"f", "d\\..\\f", true}, Case{"f", "h", true},
                          Case{"d", "d\\", true}, Case{"f", "g", false}, Case{"f", "d", false},
                          Case{"f", "missing", false}, Case{"missing", "missing", false}}) {
        EXPECT_EQ(sameitem(path(c.a), path(c.b)), c.same) << c.a << " " << c.b;
    }
    // Asking moves nothing.
    EXPECT_EQ(ListDir(root_.string()), (Names{"d", "f", "g", "h"}));
}

TEST_F(FsTest, DeleteFileAndItemId) {
    touch("f");
    fs::create_directory(root_ / "d");
    EXPECT_FALSE(DELETEFILE(path("d")));
    ItemId a, b;
    EXPECT_TRUE(itemid(path("f"), a));
    EXPECT_TRUE(itemid(path("d\\..\\f"), b));
    EXPECT_EQ(a.inode, b.inode);
    EXPECT_TRUE(DELETEFILE(path("f")));
    EXPECT_FALSE(itemid(path("f"), a));
    EXPECT_FALSE(DELETEFILE(path("f")));
}

TEST_F(FsTest, ReportFileWritesConsoleTextWithLfAndSlashes) {
    ItemId id;
    EXPECT_EQ(report_create(path("rep.txt"), id), 0);
    ItemInfo info;
    ASSERT_EQ(item_info(path("rep.txt"), kAskIdentity, info), 0);
    EXPECT_EQ(id.inode, info.id.inode);
    EXPECT_EQ(report_write("pu\x95", false), 0);
    EXPECT_EQ(report_write(" \x10", true), 0);
    EXPECT_EQ(report_close(), 0);
    EXPECT_EQ(report_append(path("rep.txt"), id), 0);
    report_write("\\a\\x", true);
    report_close();
    EXPECT_EQ(content("rep.txt"), "pu\xC3\xB2 \xE2\x96\xBA\n/a/x\n");
    EXPECT_NE(report_write("after close", true), 0);
    EXPECT_NE(report_create(path("nodir\\rep.txt"), id), 0);
}

TEST_F(FsTest, ReportFileOnAFullDiskFailsWhenItsLinesArePushedOut) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ItemId id;
    EXPECT_EQ(report_create("\\dev\\full", id), 0);
    // Lines are buffered; the flush that pushes them out meets the full disk.
    report_write("first", false);
    report_write(" line", true);
    EXPECT_NE(report_flush(), 0);
    report_write("second", true);
    EXPECT_NE(report_close(), 0);
}

TEST_F(FsTest, ReportFileHoldsEveryLineAfterAFlush) {
    ItemId id;
    ASSERT_EQ(report_create(path("rep.txt"), id), 0);
    report_write("pi\x95", false);
    EXPECT_EQ(report_write(" uno", true), 0);
    EXPECT_EQ(report_flush(), 0);
    EXPECT_EQ(content("rep.txt"), "pi\xc3\xb2 uno\n");
    report_write("due", true);
    EXPECT_EQ(report_close(), 0);
    EXPECT_EQ(content("rep.txt"), "pi\xc3\xb2 uno\ndue\n");
}

TEST(PathText, ExpandResolvesByTextFromTheCurrentDirectory) {
    std::string cwd = fs::current_path().string();
    for (char& c : cwd)
        if (c == '/') c = '\\';
    if (cwd == "\\") cwd.clear();
    EXPECT_EQ(FEXPAND("x.txt"), ShortText(cwd + "\\x.txt"));
    EXPECT_EQ(FEXPAND("sub\\..\\x.txt"), ShortText(cwd + "\\x.txt"));
    EXPECT_EQ(FEXPAND("sub/./y/"), ShortText(cwd + "\\sub\\y\\"));
    EXPECT_EQ(FEXPAND("\\a\\..\\..\\b"), "\\b");
    EXPECT_EQ(FEXPAND("\\"), "\\");
    EXPECT_EQ(FEXPAND("C:\\Docs\\.\\A.txt"), "C:\\Docs\\A.txt");
    EXPECT_EQ(FEXPAND("c:x"), ShortText("c:" + cwd + "\\x"));
    EXPECT_EQ(FEXPAND("\\\\srv\\share\\..\\x"), "\\\\srv\\share\\x");
    EXPECT_EQ(FEXPAND(""), ShortText(cwd.empty() ? "\\" : cwd));
}

TEST(PathText, Getenv) {
    setenv("DOLV_TEST_VAR", "caf\xC3\xA9\xE2\x82\xAC", 1);
    EXPECT_EQ(GETENV("DOLV_TEST_VAR"), "caf\x82\x1A");
    EXPECT_EQ(GETENV("DOLV_TEST_UNSET_VAR"), "");
    EXPECT_EQ(GETENV(""), "");
}

}  // namespace
}  // namespace dolv
