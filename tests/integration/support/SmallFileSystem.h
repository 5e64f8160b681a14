#pragma once
#include <string>

namespace testsupport {

// A small file system (tmpfs) mounted over an existing folder for as long as
// the object lives, to run a program against a full disk. Mounting needs
// root; where the machine refuses it, `mounted()` is false and the test
// skips (the fakes' fail-on-call-N cover the same decisions in unit tests).
class SmallFileSystem {
public:
    SmallFileSystem(const std::string& folder, unsigned kibibytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    // Why mounting was refused.
    const std::string& reason() const { return reason_; }
    // Takes every free byte with one file, so that the next write fails.
    void fill();

private:
    std::string folder_;
    bool mounted_ = false;
    std::string reason_;
};

}  // namespace testsupport
