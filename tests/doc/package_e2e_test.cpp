// The Debian package built from this build folder: its name, its control
// fields, and what it puts where.
#include <gtest/gtest.h>

#include <string>

#include "harness/dolv_run.h"

namespace {

using dolv::RunShell;
using dolv::ShellQuote;
using dolv::ShellResult;

const std::string kSourceDir = std::string(DOLV_TEST_DATA) + "/../..";

// A shell command's standard output and error, and its exit status.
ShellResult Shell(const std::string& command) {
    return RunShell(command, true);
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

class Package : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"cpack", "dpkg-deb", "dpkg"})
            if (Shell(std::string("command -v ") + tool).status != 0)
                GTEST_SKIP() << tool << " is not installed";
        std::string exe = DOLV_EXE;
        build_ = exe.substr(0, exe.rfind('/'));
        if (Shell("test -f " + ShellQuote(build_ + "/CPackConfig.cmake")).status != 0)
            GTEST_SKIP() << "no CPack configuration in " << build_;
        scratch_ = Trimmed(Shell("mktemp -d \"${TMPDIR:-/tmp}/dolv-package.XXXXXX\"").out);
        ASSERT_FALSE(scratch_.empty());
    }
    void TearDown() override {
        if (!scratch_.empty()) Shell("rm -rf " + ShellQuote(scratch_));
    }

    // Makes the package in the scratch folder; returns its path, and its
    // version in version ("" when it failed).
    std::string BuildDeb(std::string& version) {
        ShellResult cpack =
            Shell("cpack -G DEB --config " + ShellQuote(build_ + "/CPackConfig.cmake") + " -B " +
                  ShellQuote(scratch_ + "/out"));
        EXPECT_EQ(cpack.status, 0) << cpack.out;
        version = Trimmed(Shell("sed -n 's/^set(CPACK_PACKAGE_VERSION \"\\(.*\\)\")$/\\1/p' " +
                                ShellQuote(build_ + "/CPackConfig.cmake"))
                              .out);
        std::string arch = Trimmed(Shell("dpkg --print-architecture").out);
        EXPECT_FALSE(version.empty());
        std::string deb = scratch_ + "/out/dolv_" + version + "_" + arch + ".deb";
        if (Shell("test -f " + ShellQuote(deb)).status == 0) return deb;
        ADD_FAILURE() << "no " << deb << " after:\n" << cpack.out;
        return "";
    }

    std::string build_;
    std::string scratch_;
};

TEST_F(Package, HoldsTheProgramAndTheCompressedManualPage) {
    std::string version;
    std::string deb = BuildDeb(version);
    ASSERT_FALSE(deb.empty());

    ShellResult fields =
        Shell("dpkg-deb -f " + ShellQuote(deb) + " Package Version Section Maintainer Description");
    EXPECT_NE(fields.out.find("Package: dolv\n"), std::string::npos) << fields.out;
    EXPECT_NE(fields.out.find("Version: " + version + "\n"), std::string::npos) << fields.out;
    EXPECT_NE(fields.out.find("Section: utils\n"), std::string::npos) << fields.out;
    EXPECT_NE(fields.out.find("Maintainer: "), std::string::npos) << fields.out;
    // A short description, then a long one on indented lines.
    EXPECT_NE(fields.out.find("Description: rename files and directories in batches\n "),
              std::string::npos)
        << fields.out;

    ShellResult listing = Shell("dpkg-deb -c " + ShellQuote(deb));
    EXPECT_NE(listing.out.find(" ./usr/bin/dolv\n"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find(" ./usr/share/man/man1/dolv.1.gz\n"), std::string::npos)
        << listing.out;
    EXPECT_EQ(listing.out.find(" ./usr/share/man/man1/dolv.1\n"), std::string::npos) << listing.out;

    // Unpacked into a scratch root: the page is the one in the sources, and
    // the program runs (the help screen ends with exit status 1).
    std::string root = scratch_ + "/root";
    ASSERT_EQ(Shell("dpkg -x " + ShellQuote(deb) + " " + ShellQuote(root)).status, 0);
    EXPECT_EQ(Shell("gzip -dc " + ShellQuote(root + "/usr/share/man/man1/dolv.1.gz") + " | cmp - " +
                    ShellQuote(kSourceDir + "/doc/dolv.1"))
                  .status,
              0);
    ShellResult help = Shell("printf x | " + ShellQuote(root + "/usr/bin/dolv") + " '/?'");
    EXPECT_EQ(help.status, 1) << help.out;
    EXPECT_NE(help.out.find("Versione "), std::string::npos) << help.out;
    if (Shell("command -v nm").status == 0) {
        ShellResult symbols = Shell("nm " + ShellQuote(root + "/usr/bin/dolv"));
        EXPECT_NE(symbols.out.find("no symbols"), std::string::npos)
            << "the program is not stripped";
    }

    // A native package's changelog, whose latest entry is this version.
    ShellResult changelog =
        Shell("gzip -dc " + ShellQuote(root + "/usr/share/doc/dolv/changelog.gz") + " | head -n 1");
    EXPECT_EQ(changelog.out, "dolv (" + version + ") unstable; urgency=medium\n");
}

// lintian, where it is installed, finds no error and no warning but the
// missing copyright file (the licence is not chosen yet), and no missing
// hardening (which it tells only as information).
TEST_F(Package, PassesLintian) {
    if (Shell("command -v lintian").status != 0) GTEST_SKIP() << "lintian is not installed";
    if (!DOLV_OPTIMISED_BUILD) GTEST_SKIP() << "a debug build: lintian judges the optimised one";
    std::string version;
    std::string deb = BuildDeb(version);
    ASSERT_FALSE(deb.empty());
    ShellResult lintian =
        Shell("lintian --pedantic --display-info --tag-display-limit 0 --fail-on none " +
              ShellQuote(deb));
    EXPECT_EQ(lintian.status, 0) << "lintian did not run:\n" << lintian.out;
    std::string faults;
    size_t start = 0;
    while (start < lintian.out.size()) {
        size_t end = lintian.out.find('\n', start);
        if (end == std::string::npos) end = lintian.out.size();
        std::string line = lintian.out.substr(start, end - start);
        start = end + 1;
        bool fault = line.rfind("E: ", 0) == 0 || line.rfind("W: ", 0) == 0 ||
                     line.find(": hardening-") != std::string::npos;
        if (fault && line.find(" no-copyright-file") == std::string::npos) faults += line + "\n";
    }
    EXPECT_EQ(faults, "") << lintian.out;
}

}  // namespace
