#include "harness/volume.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "harness/dolv_run.h"

namespace dolv {

std::string FindTool(const std::string& name) {
    std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "";
    dirs += ":/usr/sbin:/sbin:/usr/bin:/bin";
    std::stringstream in(dirs);
    for (std::string dir; std::getline(in, dir, ':');) {
        const std::string path = dir + "/" + name;
        if (!dir.empty() && access(path.c_str(), X_OK) == 0) return path;
    }
    return "";
}

std::string LoopVolume::Mount() {
    const bool exfat = kind_ == Kind::kExfat;
    if (geteuid() != 0) return "mounting a volume needs root";
    if (exfat && access("/dev/fuse", R_OK | W_OK) != 0) return "no usable /dev/fuse";
    if (access("/dev/loop-control", F_OK) != 0) return "no loop devices";
    const std::string mkfs = FindTool(exfat ? "mkfs.exfat" : "mkfs.ext4");
    const std::string mount = FindTool(exfat ? "mount.exfat-fuse" : "mount");
    const std::string losetup = FindTool("losetup");
    if (mkfs.empty() || mount.empty() || losetup.empty())
        return exfat ? "mkfs.exfat, mount.exfat-fuse or losetup missing "
                       "(packages exfatprogs, exfat-fuse, mount)"
                     : "mkfs.ext4, mount or losetup missing (packages e2fsprogs, mount)";
    const std::string image = tmp_ / "volume.img";
    mnt_ = tmp_ / "mnt";
    std::filesystem::create_directory(mnt_);
    WriteFile(image, "");
    std::filesystem::resize_file(image, static_cast<uintmax_t>(megabytes_) << 20);
    ShellResult made =
        RunShell(ShellQuote(mkfs) + (exfat ? " " : " -q -F ") + ShellQuote(image), true);
    if (made.status != 0) return "failed: " + mkfs + ": " + made.out;
    ShellResult loop = RunShell(ShellQuote(losetup) + " -f --show " + ShellQuote(image) + " 2>&1");
    if (loop.status != 0) return "no loop device for the image: " + loop.out;
    loop_ = loop.out.substr(0, loop.out.find('\n'));
    mount_tool_ = mount;
    ShellResult mounted =
        RunShell(ShellQuote(mount) + " " + ShellQuote(loop_) + " " + ShellQuote(mnt_), true);
    if (mounted.status != 0) return "the machine refuses the mount: " + mounted.out;
    mounted_ = true;
    struct stat inner, outer;
    if (stat(mnt_.c_str(), &inner) != 0 || stat(tmp_.path().c_str(), &outer) != 0 ||
        inner.st_dev == outer.st_dev)
        return "failed: nothing mounted at " + mnt_;
    return "";
}

bool LoopVolume::Remount() {
    if (!mounted_ || RunShell("umount " + ShellQuote(mnt_), true).status != 0) return false;
    mounted_ =
        RunShell(ShellQuote(mount_tool_) + " " + ShellQuote(loop_) + " " + ShellQuote(mnt_), true)
            .status == 0;
    return mounted_;
}

LoopVolume::~LoopVolume() {
    if (mounted_) {
        ShellResult out = RunShell("umount " + ShellQuote(mnt_), true);
        if (out.status != 0) RunShell("umount -l " + ShellQuote(mnt_), true);
    }
    if (!loop_.empty()) RunShell("losetup -d " + ShellQuote(loop_), true);
}

}  // namespace dolv
