#pragma once
// A small tmpfs mounted on a folder in a mount namespace of the calling thread alone, for
// tests of what a full disk does; needs the right to mount (root outside a restricted
// container), and tells whether it got it.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sched.h>
#include <sys/mount.h>

#include <string>

namespace kolmarin::test {

class SmallFileSystem {
  public:
    // `size` as tmpfs takes it: "64k".
    SmallFileSystem(const QString& dir, const char* size) : dir_(QFile::encodeName(dir)) {
        if (unshare(CLONE_NEWNS) != 0)
            return;
        // Keep the mount from propagating to the namespace the test was started in.
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return;
        mounted_ = mount("tmpfs", dir_.constData(), "tmpfs", 0, ("size=" + std::string(size)).c_str()) == 0;
    }
    ~SmallFileSystem() {
        if (mounted_)
            umount2(dir_.constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool mounted() const { return mounted_; }

  private:
    QByteArray dir_;
    bool mounted_ = false;
};

} // namespace kolmarin::test
