#pragma once
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// Looks for secrets where another local user could read them. From its
// construction on, it samples the command line and the environment of every
// process over and over; `finish` ends the sampling, searches what it saw and
// then the files under the given folders that others may read.
//
//     testsupport::SecretScan scan({rootPassword, productPassword});
//     ... run the flow ...
//     EXPECT_EQ(scan.finish({installDir, machineRoot, tempDir}), std::vector<std::string>{});
//     EXPECT_TRUE(scan.saw("mysqldump"));
//
// A secret that the flow itself makes (a generated password) is given to
// `finish` once the flow has stored it. Give secrets that nothing else on the
// machine holds (add the test's pid).
class SecretScan {
public:
    explicit SecretScan(std::vector<std::string> secrets);
    ~SecretScan();
    SecretScan(const SecretScan&) = delete;
    SecretScan& operator=(const SecretScan&) = delete;

    // One line per place where a secret was found: a process's command line or
    // environment, a file's name or content. Empty when there was none.
    std::vector<std::string> finish(const std::vector<std::string>& folders,
                                    const std::vector<std::string>& secretsMadeByTheFlow = {});
    // Whether a sampled process ran a program whose path holds `program`: shows
    // that the sampling caught the flow's processes at all.
    bool saw(const std::string& program) const;

private:
    void sampleUntilStopped();
    void sampleOnce();
    void keep(std::string text, std::string where);
    void scanFolder(const std::string& folder);
    void lookIn(const std::string& text, char separator, const std::string& where);

    std::vector<std::string> secrets_;
    std::atomic<bool> running_{true};
    mutable std::mutex mutex_;
    // Every distinct command line and environment seen, with where it was first.
    std::map<std::string, std::string> sampled_;
    std::set<std::string> findings_;
    std::thread sampler_;
};

}  // namespace testsupport
