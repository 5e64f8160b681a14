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
