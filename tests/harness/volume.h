// A file system of a test's own: an image file made with mkfs, on a loop
// device, mounted in a temporary folder (exFAT through FUSE, ext4 by the
// kernel), unmounted and let go when the object goes. Needs root, a loop
// device, the tools, and for exFAT /dev/fuse.
#pragma once

#include <string>

#include "harness/pty.h"

namespace dolv {

// A system program by name, from PATH or the usual places of system tools;
// empty when there is none.
std::string FindTool(const std::string& name);

class LoopVolume {
  public:
    enum class Kind { kExfat, kExt4 };
    explicit LoopVolume(Kind kind, int megabytes = 64) : kind_(kind), megabytes_(megabytes) {}
    ~LoopVolume();
    LoopVolume(const LoopVolume&) = delete;
    LoopVolume& operator=(const LoopVolume&) = delete;
    // Makes and mounts the volume: empty when it is mounted, else why not.
    // A reason that starts with "failed:" is a fault of the test's own;
    // any other is the machine's (no root, no loop device, no tool).
    std::string Mount();
    // Unmounts the volume and mounts it again: the system forgets what it
    // knew of its items (a file system in user space, the numbers it gave
    // them). False when that fails.
    bool Remount();
    // The mounted volume's root folder.
    const std::string& Root() const { return mnt_; }

  private:
    Kind kind_;
    int megabytes_;
    TempDir tmp_;
    std::string mnt_;
    std::string loop_;
    std::string mount_tool_;
    bool mounted_ = false;
};

}  // namespace dolv
