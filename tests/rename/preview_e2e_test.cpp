// The preview (/S) on a real folder: the program reports and changes nothing.
#include <gtest/gtest.h>

#include <string>

#include "rename/rename_e2e.h"

namespace dolv {
namespace {

using e2e::Dolv;
using e2e::Folder;

// Every item below the folder, in order: path, modification time and
// content.
std::string Snapshot(const Folder& f) {
    std::string all;
    for (const auto& entry : e2e::fs::recursive_directory_iterator(f.Root())) {
        const std::string rel = entry.path().lexically_relative(f.Root()).string();
        const auto time = entry.last_write_time().time_since_epoch().count();
        all += rel + " " + std::to_string(time) + " " + f.Get(rel) + "\n";
    }
    return all;
}

TEST(Preview, NothingOnDiskChanges) {
    Folder f;
    f.Put("a.txt", "alpha");
    f.Put("b.txt", "beta");
    f.Put("b.bak", "old");
    f.Dir("d.txt");
    f.Put("d.txt/inner", "in");
    const std::string before = Snapshot(f);

    auto r = Dolv(f, {"*.txt", "*.bak", "/S"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(Snapshot(f), before);
    EXPECT_NE(r.out.find("a.txt in a.bak\n[5 bytes] A____\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Simulazione: la destinazione esiste gia', verrebbe chiesto cosa fare\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Simulazione: sarebbero rinominati 2 elementi su 3 ,negati 0 ,saltati 0 "
                         ",con domanda 1\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("Rinominati"), std::string::npos) << r.out;

    r = Dolv(f, {"a.txt", "d.txt", "/R", "/P", "/S"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(Snapshot(f), before);
    EXPECT_NE(r.out.find("Simulazione: sarebbero rinominati 2 elementi ,negati 0"),
              std::string::npos)
        << r.out;
}

}  // namespace
}  // namespace dolv
