// The Debian package built from this build folder: its name, its control
// fields, and what it puts where.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::string kSourceDir = std::string(DOLV_TEST_DATA) + "/../..";

struct Outcome {
    std::string out;
    int status = -1;
};

// Runs a shell command and collects its standard output and error; the
// command's exit status is reported by the shell on the last line.
Outcome Shell(const std::string& command) {
    Outcome run;
    std::string script = "( " + command + " ) 2>&1; echo \"@rc=$?\"";
    FILE* pipe = popen(script.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    pclose(pipe);
    size_t at = run.out.rfind("@rc=");
    if (at != std::string::npos) {
        run.status = std::atoi(run.out.c_str() + at + 4);
        run.out.erase(at);
    }
    return run;
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
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
        if (Shell("test -f " + Quote(build_ + "/CPackConfig.cmake")).status != 0)
            GTEST_SKIP() << "no CPack configuration in " << build_;
        scratch_ = Trimmed(Shell("mktemp -d \"${TMPDIR:-/tmp}/dolv-package.XXXXXX\"").out);
        ASSERT_FALSE(scratch_.empty());
    }
    void TearDown() override {
        if (!scratch_.empty()) Shell("rm -rf " + Quote(scratch_));
    }

    std::string build_;
    std::string scratch_;
};

TEST_F(Package, HoldsTheProgramAndTheCompressedManualPage) {
    Outcome cpack = Shell("cpack -G DEB --config " + Quote(build_ + "/CPackConfig.cmake") + " -B " +
                          Quote(scratch_ + "/out"));
    ASSERT_EQ(cpack.status, 0) << cpack.out;

    std::string version =
        Trimmed(Shell("sed -n 's/^set(CPACK_PACKAGE_VERSION \"\\(.*\\)\")$/\\1/p' " +
                      Quote(build_ + "/CPackConfig.cmake"))
                    .out);
    std::string arch = Trimmed(Shell("dpkg --print-architecture").out);
    ASSERT_FALSE(version.empty());
    std::string deb = scratch_ + "/out/dolv_" + version + "_" + arch + ".deb";
    ASSERT_EQ(Shell("test -f " + Quote(deb)).status, 0) << "no " << deb << " after:\n" << cpack.out;

    Outcome fields =
        Shell("dpkg-deb -f " + Quote(deb) + " Package Version Section Maintainer Description");
    EXPECT_NE(fields.out.find("Package: dolv\n"), std::string::npos) << fields.out;
    EXPECT_NE(fields.out.find("Version: " + version + "\n"), std::string::npos) << fields.out;
    EXPECT_NE(fields.out.find("Section: utils\n"), std::string::npos) << fields.out;
    EXPECT_NE(fields.out.find("Maintainer: "), std::string::npos) << fields.out;
    // A short description, then a long one on indented lines.
    EXPECT_NE(fields.out.find("Description: rename files and directories in batches\n "),
              std::string::npos)
        << fields.out;

    Outcome listing = Shell("dpkg-deb -c " + Quote(deb));
    EXPECT_NE(listing.out.find(" ./usr/bin/dolv\n"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find(" ./usr/share/man/man1/dolv.1.gz\n"), std::string::npos)
        << listing.out;
    EXPECT_EQ(listing.out.find(" ./usr/share/man/man1/dolv.1\n"), std::string::npos) << listing.out;

    // Unpacked into a scratch root: the page is the one in the sources, and
    // the program runs (the help screen ends with exit status 1).
    std::string root = scratch_ + "/root";
    ASSERT_EQ(Shell("dpkg -x " + Quote(deb) + " " + Quote(root)).status, 0);
    EXPECT_EQ(Shell("gzip -dc " + Quote(root + "/usr/share/man/man1/dolv.1.gz") + " | cmp - " +
                    Quote(kSourceDir + "/doc/dolv.1"))
                  .status,
              0);
    Outcome help = Shell("printf x | " + Quote(root + "/usr/bin/dolv") + " '/?'");
    EXPECT_EQ(help.status, 1) << help.out;
    EXPECT_NE(help.out.find("Versione "), std::string::npos) << help.out;
}

}  // namespace
