#pragma once
// Harvella_Access run as a user runs it: with its standard streams read
// back, or on a pseudo-terminal that answers its prompt with a key.
#include <string>
#include <vector>

namespace launchertest {

struct LauncherRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string launcherPath();
// Standard input is not a terminal, so nothing waits for a key.
LauncherRun runLauncher(const std::vector<std::string>& words);
// Everything the terminal showed goes into `out`, line ends as "\n". `key`
// is typed once `prompt` has shown.
LauncherRun runOnTerminal(const std::vector<std::string>& words, const std::string& prompt,
                          const std::string& key);

}  // namespace launchertest
