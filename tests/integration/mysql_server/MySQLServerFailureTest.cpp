// The server steps failing for real, each with its number, source text and
// description, and leaving nothing half done behind.
#include <filesystem>

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
    EXPECT_EQ(
        testsupport::runProgram("/bin/sh -c \"cd '" + stage + "' && zip -q -r -y ../p.zip .\"")
            .exitCode,
        0);
    return stage + "/../p.zip";
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
    EXPECT_TRUE(fs::is_empty(install));
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
    EXPECT_TRUE(fs::is_empty(install));

    initialize();
    unpackWithPort(27351);
    testsupport::makeFolders(install + "/Quimbo.unpacking/" MYSQL_PACKAGE_FOLDER_NAME "/bin");
    steps->removeFolder();
    EXPECT_TRUE(fs::is_empty(install));
}

// While another run holds the installation, a run is refused before it does anything.
TEST_F(ServerStepFailure, ARunOnAnInstallationAnotherRunHoldsIsRefusedWith2018) {
    const auto held = system->services().files.lockFile(install + "/Quimbo.lock");
    ASSERT_TRUE(held.ok());
    const auto run = testsupport::runProgram(
        "\"" + testsupport::binDir() + "/Quimbo\" \"1|" + install +
        "|MySQL|harvella.config|1|2|3|4|5|6|InstallMySQL|" + root / "no-porttool" +
        "|/usr/bin/unzip|none.zip|mysql-pkg|" + serviceName + "|\"");
    EXPECT_EQ(run.exitCode, 2018 & 0xFF) << run.err;
    EXPECT_NE(run.err.find("Another setup run is working on the installation"), std::string::npos);
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
