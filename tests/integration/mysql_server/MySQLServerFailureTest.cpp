// The server steps failing for real, each with its number, source text and
// description, and leaving nothing half done behind.
#include <filesystem>
#include <thread>

#include "PrivateInstallation.h"
#include "RaisedBy.h"

namespace mysqlserver {
namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::writeFile;

using ServerStepFailure = PrivateInstallation;

// A package zip of what `stage` holds, links stored as links.
std::string zipOf(const std::string& stage) {
    const std::string zip = stage + ".zip";
    const std::string script = stage + ".sh";
    writeFile(script, "#!/bin/sh\ncd \"$1\" && exec zip -q -r -y \"$2\" .\n", true);
    EXPECT_EQ(testsupport::runProgram(script + " \"" + stage + "\" \"" + zip + "\"").exitCode, 0);
    return zip;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ServerStepFailure, APortToolThatCannotRunFindsNoPort) {
    EXPECT_EQ(raisedBy([&] { steps->findFreePort(root / "no-porttool", 31767); }),
              Raised(2000, "find avaible port to install MySQL.", ""));
}

TEST_F(ServerStepFailure, PortToolRefusesWhatIsNotAPortAndAnAddress) {
    const auto run = testsupport::runProgram(testsupport::binDir() + "/porttool 99999 0.0.0.0");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("\"99999\" is not a port number"), std::string::npos) << run.err;
    EXPECT_EQ(testsupport::runProgram(testsupport::binDir() + "/porttool 80 1.2.3").exitCode, 2);
}

TEST_F(ServerStepFailure, AFullDiskStopsTheUnzipAndTheHalfUnpackedPackageGoes) {
    {
        FileSizeLimit diskFull(1 << 20);
        EXPECT_EQ(raisedBy([&] { steps->unzip(); }), Raised(2001, "unzip MySQL", "Disk is full"));
    }
    EXPECT_FALSE(fs::exists(install + "/" MYSQL_PACKAGE_FOLDER_NAME));
    EXPECT_FALSE(fs::exists(mysql("")));
}

TEST_F(ServerStepFailure, AFileWhereTheMySQLFolderGoesStopsTheMoveAndStays) {
    writeFile(install + "/MySQL", "someone's file");
    EXPECT_EQ(raisedBy([&] { steps->unzip(); }),
              Raised(2002, "unzip MySQL", "File already exists"));
    EXPECT_FALSE(fs::exists(install + "/" MYSQL_PACKAGE_FOLDER_NAME));
    EXPECT_EQ(readFile(install + "/MySQL"), "someone's file");
}

TEST_F(ServerStepFailure, APackageHoldingALinkIsRefusedBeforeAnythingIsEdited) {
    const std::string outside = root / "outside.ini";
    writeFile(outside, "SECRET=1\r\nlog-bin=on\r\n");
    const std::string stage = root / "linked";
    testsupport::makeFolders(stage + "/mysql-pkg/bin");
    writeFile(stage + "/mysql-pkg/bin/mysqld", "", true);
    fs::create_symlink(outside, stage + "/mysql-pkg/my-medium.ini");
    initialize(serviceName, zipOf(stage));
    const Raised failed = raisedBy([&] { steps->unzip(); });
    EXPECT_EQ(std::get<0>(failed), 2001);
    EXPECT_NE(std::get<2>(failed).find("holds a link"), std::string::npos) << std::get<2>(failed);
    EXPECT_EQ(namesIn(install), std::vector<std::string>{});
    EXPECT_EQ(readFile(outside), "SECRET=1\r\nlog-bin=on\r\n");
}

// A package whose folder has another name (2002) leaves nothing of itself,
// nor of what else it held; what a run killed while unpacking left goes with
// the MySQL folder.
TEST_F(ServerStepFailure, NothingAFailedOrKilledUnpackingLeftStaysBehind) {
    const std::string stage = root / "misnamed";
    testsupport::makeFolders(stage + "/other-name/bin");
    testsupport::makeFolders(stage + "/stray");
    writeFile(stage + "/other-name/bin/mysqld", "", true);
    writeFile(stage + "/stray/file", "");
    initialize(serviceName, zipOf(stage));
    EXPECT_EQ(std::get<0>(raisedBy([&] { steps->unzip(); })), 2002);
    EXPECT_EQ(namesIn(install), std::vector<std::string>{});

    initialize();
    unpackWithPort(27351);
    testsupport::makeFolders(install + "/Quimbo.unpacking/" MYSQL_PACKAGE_FOLDER_NAME "/bin");
    steps->removeFolder();
    EXPECT_EQ(namesIn(install), std::vector<std::string>{});
}

// While a first run scans ports, a second run on the installation is refused
// at once with 2018 and changes nothing.
TEST_F(ServerStepFailure, ASecondRunOnTheInstallationIsRefusedWhileTheFirstHoldsIt) {
    const std::string scanning = root / "scanning", secondScanned = root / "second-scanned";
    writeFile(root / "slow-porttool", "#!/bin/sh\ntouch '" + scanning + "'\nsleep 3\nexit 0\n",
              true);
    writeFile(root / "porttool2", "#!/bin/sh\ntouch '" + secondScanned + "'\nexit 0\n", true);
    const auto run = [&](const std::string& portTool) {
        return testsupport::runProgram("\"" + testsupport::binDir() + "/Quimbo\" \"1|" + install +
                                       "|MySQL|harvella.config|1|2|3|4|5|6|InstallMySQL|" +
                                       portTool + "|/usr/bin/unzip|" + root / "no-package.zip" +
                                       "|mysql-pkg|" + serviceName + "|\"");
    };
    testsupport::ProgramRun first;
    std::thread firstRun([&] { first = run(root / "slow-porttool"); });
    while (!fs::exists(scanning))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto second = run(root / "porttool2");
    firstRun.join();
    EXPECT_EQ(second.exitCode, 2018 & 0xFF) << second.err;
    EXPECT_NE(second.err.find("Another setup run is working on the installation"),
              std::string::npos)
        << second.err;
    EXPECT_FALSE(fs::exists(secondScanned)) << "the second run went on";
    EXPECT_EQ(first.exitCode, 2001 & 0xFF) << first.err;
}

TEST_F(ServerStepFailure, AnOptionFileThatCannotBeRewrittenKeepsItsContent) {
    unpackWithPort(27351);
    std::string options = "[mysqld]\r\nport=1\r\n";
    for (int line = 0; line < 1000; ++line)
        options += "# " + std::string(62, 'x') + "\r\n";
    writeFile(mysql("my-medium.ini"), options);
    {
        FileSizeLimit diskFull(16 << 10);
        EXPECT_EQ(raisedBy([&] { steps->configure(); }), Raised(2003, "config MySQL", ""));
    }
    EXPECT_EQ(readFile(mysql("my-medium.ini")), options);
}

TEST_F(ServerStepFailure, AnOptionTheServerDoesNotKnowFailsTheDataCatalogWithItsExitCode) {
    unpackWithPort(27351);
    writeFile(mysql("my-medium.ini"), "[mysqld]\r\nno-such-option=1\r\n");
    steps->configure();
    const Raised failed = raisedBy([&] { steps->initDataCatalog(); });
    EXPECT_EQ(std::get<0>(failed), 1);
    EXPECT_EQ(std::get<1>(failed), "");
    EXPECT_NE(std::get<2>(failed).find("unknown variable 'no-such-option=1'"), std::string::npos)
        << std::get<2>(failed);
}

TEST_F(ServerStepFailure, AServiceNameTheManagerRefusesFailsTheInstallation) {
    initialize("Hv/MySQL");
    unpackWithPort(27351);
    const Raised failed = raisedBy([&] { steps->installService(); });
    EXPECT_EQ(std::get<0>(failed), 2004);
    EXPECT_EQ(std::get<1>(failed), "install MySQL Service");
    EXPECT_NE(std::get<2>(failed).find("FAILED 123"), std::string::npos) << std::get<2>(failed);
}

}  // namespace
}  // namespace mysqlserver
