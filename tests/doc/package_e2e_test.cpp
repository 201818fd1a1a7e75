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

    std::string build_;
    std::string scratch_;
};

TEST_F(Package, HoldsTheProgramAndTheCompressedManualPage) {
    ShellResult cpack = Shell("cpack -G DEB --config " + ShellQuote(build_ + "/CPackConfig.cmake") +
                              " -B " + ShellQuote(scratch_ + "/out"));
    ASSERT_EQ(cpack.status, 0) << cpack.out;

    std::string version =
        Trimmed(Shell("sed -n 's/^set(CPACK_PACKAGE_VERSION \"\\(.*\\)\")$/\\1/p' " +
                      ShellQuote(build_ + "/CPackConfig.cmake"))
                    .out);
    std::string arch = Trimmed(Shell("dpkg --print-architecture").out);
    ASSERT_FALSE(version.empty());
    std::string deb = scratch_ + "/out/dolv_" + version + "_" + arch + ".deb";
    ASSERT_EQ(Shell("test -f " + ShellQuote(deb)).status, 0) << "no " << deb << " after:\n"
                                                             << cpack.out;

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
}

}  // namespace
