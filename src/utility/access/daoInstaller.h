#pragma once
#include <string>

#include "frame/ActionArguments.h"
#include "frame/guiManager.h"
#include "platform/platform.h"

namespace Quimbo {

// Makes sure DAO 3.6 can be created: when it cannot, copies the library into
// the shared DAO folder and registers it. Runs alone (action 5, answering by
// exit code) or as the Access installer's first step (answering on its page).
class daoInstaller {
public:
    explicit daoInstaller(platform::Services& services) : services_(services) {}

    // Exactly 3 fields: installation folder, the DAO library to install.
    void InitializeFromParams(Args& args, int& argsQty);
    // The library shipped in the installation, failures shown on the page.
    void Initialize(guiManager& window, const std::string& instDir);
    // Returns when DAO is there or was installed; otherwise ends the program
    // with 3003.
    void SetupDaoIfNeeded();

private:
    void InstallDao();
    std::string targetFolder() const;

    platform::Services& services_;
    guiManager* window_ = nullptr;
    std::string daoSourcePath_;
    bool hasGui_ = false;
};

}  // namespace Quimbo
