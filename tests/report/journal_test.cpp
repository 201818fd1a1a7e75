// The journal's text: the quick fields against plain byte-by-byte versions
// of the same rules, the files of both systems read back (the ones written
// before paths took the program's form too), and the files' names.
#include "report/journal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/cp850.h"

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
// unknown, "!" after a record too long to address (its paths then left
// empty from the first that does not fit).
std::string Read(std::string_view text) {
    std::vector<JournalRecord> records;
    journal_parse(text, records);
    std::string out;
    for (const JournalRecord& r : records) {
        out += static_cast<char>(r.step);
        out += " " + r.old_path.str() + ">" + r.new_path.str() + " ";
        char id[40];
        std::snprintf(id, sizeof id, "%llx:%llx", static_cast<unsigned long long>(r.id.device),
                      static_cast<unsigned long long>(r.id.inode));
        out += r.id.device == 0 && r.id.inode == 0 ? std::string("-") : std::string(id);
        out += r.too_long ? "!\n" : "\n";
    }
    return out;
}

TEST(JournalText, ReadsTheFilesOfBothSystemsOldAndNew) {
    const std::string kBack = "R \\home\\ada\\a 100%.txt>\\home\\ada\\a.bak 801:1f\n";
    // This build's, the same on both systems but for the drive.
    EXPECT_EQ(Read("dolv-journal 1\nP\t\\home\\ada\\\nR\t801\t1f\ta 100%25.txt\ta.bak\n"), kBack);
    EXPECT_EQ(Read("dolv-journal 1\nP\tZ:\\home\\ada\\\nR\t801\t1f\ta 100%25.txt\ta.bak\n"),
              "R Z:\\home\\ada\\a 100%.txt>Z:\\home\\ada\\a.bak 801:1f\n");
    // Before it: POSIX wrote its own paths, Windows whole paths and no
    // directory lines.
    EXPECT_EQ(Read("dolv-journal 1\nP\t/home/ada/\nR\t801\t1f\ta 100%25.txt\ta.bak\n"), kBack);
    EXPECT_EQ(Read("dolv-journal 1\nR\t801\t1f\tC:\\ada\\a.txt\tC:\\ada\\b.txt\n"),
              "R C:\\ada\\a.txt>C:\\ada\\b.txt 801:1f\n");
    // Whole paths beside a directory line, an unknown identity, a deleted
    // item, the bytes of the upper half and the escaped ones.
    EXPECT_EQ(Read("dolv-journal 1\nP\t\\d\\\n1\t-\t-\tx\t\\t\\x.tmp\nD\t1\t2\t\xC3\xA8%09%0D\t\n"),
              "1 \\d\\x>\\t\\x.tmp -\nD \\d\\\x8A\t\r> 1:2\n");
}

TEST(JournalText, ZeroRoomCutLinesAndPathsTooLong) {
    // The room of a block never used, and a last line cut short by a kill.
    const std::string zeros(300, '\0');
    EXPECT_EQ(Read("dolv-journal 1\nP\t\\d\\\nR\t1\t2\ta\tb\n" + zeros + "R\t1\t3\tc\td\n" + zeros +
                   "R\t1\t4\te\t"),
              "R \\d\\a>\\d\\b 1:2\nR \\d\\c>\\d\\d 1:3\n");
    // A path longer than a text, and one that holds a NUL after its whole
    // length (the writer's mark of an absolute form that may be cut).
    const std::string dir(250, 'd');
    EXPECT_EQ(Read("dolv-journal 1\nP\t\\" + dir + "\\\nR\t1\t2\tname\tn\n"), "R > 1:2!\n");
    EXPECT_EQ(Read("dolv-journal 1\nR\t1\t2\t\\" + std::string(254, 'x') + "%00\t\\b\n"),
              "R > 1:2!\n");
}

TEST(JournalText, NamesSortAsTheRunsWereMade) {
    // 2024-06-11 09:30:00.123456789 UTC.
    const int64_t at = 1718098200LL * 1000000000 + 123456789;
    EXPECT_EQ(journal_file_name(at, 4242), "20240611T093000.123456789Z-4242.journal");
    EXPECT_EQ(journal_file_name(0, 1), "19700101T000000.000000000Z-1.journal");
    EXPECT_LT(journal_file_name(at, 99999), journal_file_name(at + 1, 1));
    // The names of the Windows journals before this build (100 ns steps
    // since 1601, twenty digits) sort before every new one.
    EXPECT_LT(std::string("00133625718001234567-4242.journal"), journal_file_name(0, 1));
}

}  // namespace
}  // namespace dolv
