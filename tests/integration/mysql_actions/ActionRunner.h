#pragma once
// What the action scenario (MySQLActionsTest.cpp) asks of the build it runs
// on. One runner is linked into each: LinuxRunner.cpp runs build/bin/Quimbo
// on a stand-in machine with the page on the terminal;
// tests/wine/mysql_actions/WineRunner.cpp runs Quimbo.exe under Wine in the
// fake installer page, on the Windows test package. Everything the scenario
// checks is the same on both; what a build leaves out, it says in leftOut.
#include <string>
#include <vector>

namespace runner {

struct PageRun {
    int exitCode = -1;  // as the build delivers it (arrives())
    std::string out;
    // What the page showed, one line per change as the Linux page prints
    // them: "[page] log: TEXT", "[page] action: TEXT", "[page] progress N%",
    // "[page] window N clicked|enabled|disabled", N the control's place
    // among the six handles (1 Next, 2 Back, 3 Cancel).
    std::string page;
    // How often the line went to the page's log.
    long logged(const std::string& line) const {
        long count = 0;
        for (auto at = page.find("log: " + line + "\n"); at != std::string::npos;
             at = page.find("log: " + line + "\n", at + 1))
            ++count;
        return count;
    }
};

struct Run {
    int exitCode = -1;
    std::string out;
};

struct Machine {
    std::string root;     // the run's folder: removed at the end
    std::string install;  // the installation folder, its path holding a blank
    std::string temp;     // the programs' temporary folder, empty after each run
    std::vector<std::string> watched;  // where the secret scan looks at files
};

// A fresh machine; the programs started from here on use its folders.
Machine makeMachine();
// Removes what the run left: services, folders.
void dismantleMachine(const Machine& machine);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// The exit code `code` as the program's caller sees it: Linux keeps its low byte.
int arrives(int code);
// The fields of the argument lines that differ: the page's six handles, the
// Next handle alone, and port tool|unzip program|MySQL package|its folder.
std::string pageHandles();
std::string nextHandle();
std::string toolFields();
// The product's MySQL scripts of the fixtures.
std::string scriptsSource();
// Part of the path of the MySQL server's program, for SecretScan::saw.
std::string serverProgram();
// The description the utility reports when "net start" refuses a service
// that does not exist: the reason the service starter gives.
std::string serviceStartRefusal(const std::string& service);

// Quimbo with the argument line, under the installer's page.
PageRun quimboOnPage(const std::string& argumentLine);
// Quimbo without a page (a check that needs none).
Run quimbo(const std::string& argumentLine);
// Quimbo under the page; each time the root password dialog asks, the next
// password is typed and OK pressed.
PageRun quimboAnsweringPasswords(const std::string& argumentLine,
                                 const std::vector<std::string>& passwords);

// A service that depends on `service`, started; then stopped and removed,
// the MySQL service stopped after it. The launcher's own under Wine.
void startDependentService(const Machine& machine, const std::string& service);
void removeDependentService(const Machine& machine);

// Why this build leaves the scenario's case out, or "".
std::string leftOut(const std::string& caseName);
// Quimbo under the page, the installation's server killed as soon as the page
// shows `line`; the run must then end by itself.
PageRun quimboKillingTheServerAt(const Machine& machine, const std::string& argumentLine,
                                 const std::string& line);
// A volume of 8 KiB mounted over the folder; false when that cannot be done.
bool mountSmallVolume(const std::string& folder);
void unmountSmallVolume(const std::string& folder);

}  // namespace runner
