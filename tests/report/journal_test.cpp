// The journal's text: the quick fields against plain byte-by-byte versions
// of the same rules, the files of both systems read back (the ones written
// before paths took the program's form too), and the files' names.
#include "report/journal.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "harness/dolv_run.h"
#include "names/paths.h"
#include "platform/cp850.h"
#include "platform/store.h"
#include "report/journal_runs.h"

namespace dolv {
namespace {

// A path's field one byte at a time: the CP850 name's UTF-8, the bytes
// %, tab, LF, CR and NUL as %XX.
std::string plain_field(std::string_view path) {
    std::string out;
    for (char c : path) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
        if (c == '%' || c == '\t' || c == '\n' || c == '\r' || c == '\0')
            out += hex;
        else
            out += cp850_name_to_utf8(std::string_view(&c, 1));
    }
    return out;
}

TEST(JournalText, FieldAgreesWithTheByteByByteVersion) {
    std::mt19937 rng(20261209);
    char field[3 * 255 + 1];
    for (int i = 0; i < 5000; ++i) {
        std::string path(rng() % 256, '\0');
        for (char& c : path) c = static_cast<char>(rng() % 256);
        const char* end = journal_put_field(field, path, '\n');
        ASSERT_EQ(std::string_view(field, static_cast<size_t>(end - field)),
                  plain_field(path) + "\n")
            << "case " << i;
    }
}

// The quick field for a plain name against the general one.
TEST(JournalText, PlainFieldAgreesWithTheGeneralField) {
    std::mt19937 rng(20261207);
    char quick[3 * 255 + 1];
    char general[3 * 255 + 1];
    // Printable names, one in three with a byte the quick field leaves alone.
    const std::string odd("%\\/:\t\n\x01\x1F\x7F\x85\xFF", 11);
    int taken = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string name;
        const size_t length = 1 + rng() % (i % 4 == 0 ? 255 : 40);
        while (name.size() < length) name += static_cast<char>(0x20 + rng() % 0x5F);
        if (i % 3 == 0) name[rng() % name.size()] = odd[rng() % odd.size()];
        const char* q = journal_put_plain_field(quick, name, '\t');
        if (!q) continue;  // the general field writes it
        ++taken;
        const char* g = journal_put_field(general, name, '\t');
        ASSERT_EQ(std::string_view(quick, static_cast<size_t>(q - quick)),
                  std::string_view(general, static_cast<size_t>(g - general)))
            << "case " << i;
    }
    EXPECT_GT(taken, 3000);  // the quick field was tried, not only refused
    EXPECT_EQ(journal_put_plain_field(quick, "a\\b", '\n'), nullptr);
    EXPECT_EQ(journal_put_plain_field(quick, "50%", '\n'), nullptr);
    EXPECT_EQ(journal_put_plain_field(quick, "c:d", '\n'), nullptr);
    // Numbers (device, inode) in hex as printf writes them.
    for (int i = 0; i < 2000; ++i) {
        const uint64_t n =
            i < 64 ? (uint64_t{1} << i) - (i % 2) : (uint64_t{rng()} << 32 | rng()) >> (i % 64);
        char printed[24];
        std::snprintf(printed, sizeof printed, "%llx;", static_cast<unsigned long long>(n));
        const char* end = journal_put_number(quick, n, ';');
        ASSERT_EQ(std::string_view(quick, static_cast<size_t>(end - quick)), printed) << n;
    }
}

// "kind old>new dev:ino" for each record (in hex), the identity "-" when
// unknown, with ":size:modified" where fingerprinted, "!" after a record
// too long to address; "damaged" for a text with a line that is no
// journal's.
std::string Read(std::string_view text) {
    std::vector<JournalRecord> records;
    if (!journal_parse(text, records)) return "damaged";
    std::string out;
    for (const JournalRecord& r : records) {
        out += static_cast<char>(r.step);
        out += " " + r.old_path.str() + ">" + r.new_path.str() + " ";
        const StepIdentity& who = r.identity;
        char id[80];
        std::snprintf(id, sizeof id, "%llx:%llx", static_cast<unsigned long long>(who.id.device),
                      static_cast<unsigned long long>(who.id.inode));
        out += who.id.device == 0 && who.id.inode == 0 ? std::string("-") : std::string(id);
        if (who.fingerprinted)
            out += ":" + std::to_string(who.size) + ":" + std::to_string(who.modified_ns);
        out += r.too_long ? "!\n" : "\n";
    }
    return out;
}

TEST(JournalText, ReadsTheFilesOfBothSystemsOldAndNew) {
    const std::string kBack = "R \\home\\ada\\a 100%.txt>\\home\\ada\\a.bak 801:1f\n";
    // This build's, the same on both systems but for the drive.
    EXPECT_EQ(Read("dolv-journal 2\nS\t1\nP\t\\home\\ada\\\nR\t801\t1f\ta 100%25.txt\ta.bak\n"),
              kBack);
    EXPECT_EQ(Read("dolv-journal 2\nS\t1\nP\tZ:\\home\\ada\\\nR\t801\t1f\ta 100%25.txt\ta.bak\n"),
              "R Z:\\home\\ada\\a 100%.txt>Z:\\home\\ada\\a.bak 801:1f\n");
    // The builds before: first paths in the program's form, before them
    // POSIX wrote its own paths, Windows whole paths and no directory lines.
    EXPECT_EQ(Read("dolv-journal 1\nP\t\\home\\ada\\\nR\t801\t1f\ta 100%25.txt\ta.bak\n"), kBack);
    EXPECT_EQ(Read("dolv-journal 1\nP\t/home/ada/\nR\t801\t1f\ta 100%25.txt\ta.bak\n"), kBack);
    EXPECT_EQ(Read("dolv-journal 1\nR\t801\t1f\tC:\\ada\\a.txt\tC:\\ada\\b.txt\n"),
              "R C:\\ada\\a.txt>C:\\ada\\b.txt 801:1f\n");
    // Whole paths beside a directory line, an unknown identity, a deleted
    // item, the bytes of the upper half and the escaped ones; an identity
    // with its size and time of change; a temporary move and a placeholder.
    EXPECT_EQ(Read("dolv-journal 2\nP\t\\d\\\n1\t-\t-\tx\t\\t\\x.tmp\nD\t1\t2\t\xC3\xA8%09%0D\t\n"),
              "1 \\d\\x>\\t\\x.tmp -\nD \\d\\\x8A\t\r> 1:2\n");
    EXPECT_EQ(
        Read(
            "dolv-journal 2\nP\t\\d\\\nR\t1\t2\t5\t3b9aca00\ta\tb\nA\t1\t2\ta\t.t\nH\t-\t-\t\tb\n"),
        "R \\d\\a>\\d\\b 1:2:5:1000000000\nA \\d\\a>\\d\\.t 1:2\nH >\\d\\b -\n");
}

TEST(JournalText, ZeroRoomCutLinesDamageAndPathsTooLong) {
    // The room of a block never used, and a last line cut short by a kill.
    const std::string zeros(300, '\0');
    EXPECT_EQ(Read("dolv-journal 2\nP\t\\d\\\nR\t1\t2\ta\tb\n" + zeros + "R\t1\t3\tc\td\n" + zeros +
                   "R\t1\t4\te\t"),
              "R \\d\\a>\\d\\b 1:2\nR \\d\\c>\\d\\d 1:3\n");
    // A path longer than a text, and one that holds a NUL after its whole
    // length (the mark of the build before for an absolute form that may
    // have been cut): too long, each named by its end.
    const std::string dir(250, 'd');
    EXPECT_EQ(Read("dolv-journal 2\nP\t\\" + dir + "\\\nR\t1\t2\tname\tn\n"),
              "R ..." + dir.substr(dir.size() - 247) + "\\name>\\" + dir + "\\n 1:2!\n");
    EXPECT_EQ(Read("dolv-journal 1\nR\t1\t2\t\\" + std::string(254, 'x') + "%00\t\\b\n"),
              "R ..." + std::string(252, 'x') + ">\\b 1:2!\n");
    // A line that is none of a journal's: the text is damaged.
    for (const char* line :
         {"R\t1\t2\ta\n", "Q\t1\t2\ta\tb\n", "R\tx\t2\ta\tb\n", "R\t1\t2\t3\ta\tb\n", "junk\n"})
        EXPECT_EQ(Read(std::string("dolv-journal 2\nS\t1\n") + line), "damaged") << line;
}

TEST(JournalText, FormatsAndNames) {
    EXPECT_EQ(journal_format("dolv-journal 1\n"), 1);
    EXPECT_EQ(journal_format(kJournalHeader), 2);
    EXPECT_EQ(journal_format("dolv-journal 17\nS\t1\n"), 17);
    for (const char* text :
         {"", "dolv-journal\n", "dolv-journal x\n", "DOLV-journal 2\n", "dolv-journal 2"})
        EXPECT_EQ(journal_format(text), 0) << text;
    EXPECT_EQ(journal_file_name(42), "0000000042.journal");
    EXPECT_LT(journal_file_name(9), journal_file_name(10));
}

// A kept run read a piece at a time, forward and backward alike, across
// the reader's windows: directory lines, whole paths, zero room and lines
// cut short between the records. The names of the store order the runs.
class KeptRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_STATE_HOME", (std::string(tmp_.path()) + "/state").c_str(), 1);
        ASSERT_EQ(store_open(true), StoreStatus::kOk);
    }
    void TearDown() override { unsetenv("XDG_STATE_HOME"); }
    // The text as the writer puts it: a line at a time, each whole in a
    // block (what a block cannot take stays zero room).
    void Put(const std::string& name, const std::string& text) {
        StoreFile f;
        ASSERT_TRUE(store_create(name, f));
        for (size_t at = 0, n; at < text.size(); at += n) {
            const size_t end = text.find('\n', at);
            n = (end == std::string::npos ? text.size() : end + 1) - at;
            char* room = store_reserve(f, n);
            ASSERT_NE(room, nullptr);
            std::memcpy(room, text.data() + at, n);
            store_commit(f, room + n);
        }
        store_close(f);
    }
    TempDir tmp_;
};

TEST_F(KeptRunTest, ReadForwardAndBackwardAlike) {
    std::mt19937 rng(20261209);
    std::string text = std::string(kJournalHeader) + "S\t5\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 40000; ++i) {
        const int dir = static_cast<int>(rng() % 3);
        if (i % 500 == 0) text += "P\t\\d" + std::to_string(dir) + "\\\n";
        if (rng() % 50 == 0) text += std::string(rng() % 3000, '\0');
        // A line cut short, as a kill leaves it: the zero room after it.
        if (rng() % 200 == 0) text += "R\t1\t2\tcut short" + std::string(1 + rng() % 10, '\0');
        const std::string name = "f" + std::to_string(i);
        text += "R\t1\t" + std::to_string(i + 1) + "\t" + name + "\t\\w\\" + name + "\n";
        expected.push_back(name);
    }
    text += "R\t1\t2\tkilled as it was writ";
    Put("0000000003.journal", text);
    const std::vector<KeptRun> runs = kept_runs();
    ASSERT_EQ(runs.size(), 1u);
    RunReader reader;
    ASSERT_EQ(reader.take(runs[0]), StoreStatus::kOk);
    ASSERT_TRUE(reader.scan());
    EXPECT_EQ(reader.format(), 2);
    EXPECT_EQ(reader.start_ns(), 5);
    ASSERT_EQ(reader.count(), expected.size());
    std::vector<std::string> forward, backward;
    std::vector<std::string> dirs;
    JournalRecord r;
    uint32_t number = 0;
    for (reader.from_first(); reader.next(r, number);) {
        EXPECT_EQ(number, forward.size());
        forward.push_back(std::string(NAMEOF(r.old_path).view()));
        dirs.push_back(PATHOF(r.old_path).str());
    }
    EXPECT_EQ(forward, expected);
    size_t k = expected.size();
    for (reader.from_last(); reader.previous(r, number);) {
        ASSERT_GT(k, 0u);
        --k;
        EXPECT_EQ(number, k);
        EXPECT_EQ(std::string(NAMEOF(r.old_path).view()), expected[k]);
        EXPECT_EQ(PATHOF(r.old_path).str(), dirs[k]) << k;
        EXPECT_EQ(r.new_path.str(), "\\w\\" + expected[k]);
    }
    EXPECT_EQ(k, 0u);
}

TEST_F(KeptRunTest, RunsInTheOrderOfTheirNumbersAndStates) {
    for (const char* name :
         {"0000000002.undone", "0000000010.journal", "0000000009.undoing",
          "20240611T093000.123456789Z-4242.journal", "20250101T000000.000000000Z-1.undone",
          "notes.txt", "0000000000.journal"})
        Put(name, kJournalHeader);
    std::string order;
    for (const KeptRun& run : kept_runs()) order += run.name + " ";
    EXPECT_EQ(order,
              "0000000010.journal 0000000009.undoing 0000000002.undone "
              "20250101T000000.000000000Z-1.undone 20240611T093000.123456789Z-4242.journal ");
    EXPECT_EQ(next_sequence(kept_runs()), 11u);
    // The build before's start: the time in its name.
    EXPECT_EQ(kept_runs().back().named_start_ns, 1718098200LL * 1000000000 + 123456789);
    KeptRun run = kept_runs().front();
    ASSERT_TRUE(mark_run(run, RunState::kUndoing));
    EXPECT_EQ(run.name, "0000000010.undoing");
    // A damaged journal, one of a later build: no reading past them.
    Put("0000000011.journal", "dolv-journal 3\nS\t1\n");
    Put("0000000012.journal", "dolv-journal 2\nS\t1\nQ\tjunk\n");
    RunReader reader;
    for (const KeptRun& kept : kept_runs()) {
        if (kept.sequence < 11) continue;
        ASSERT_EQ(reader.take(kept), StoreStatus::kOk);
        EXPECT_FALSE(reader.scan()) << kept.name;
        EXPECT_EQ(reader.format(), kept.sequence == 11 ? 3 : 2);
    }
}

}  // namespace
}  // namespace dolv
