#include "PrivateInstallation.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "frame/ActionArguments.h"
#include "frame/ServicesCmdModule.h"

namespace mysqlserver {
namespace {

char programName[] = "mysql_server_integration_tests";
char* programArguments[] = {programName, nullptr};

}  // namespace

PrivateInstallation::PrivateInstallation()
    : install(root / "Harvella Server"), system(platform::makeSystemServices(1, programArguments)) {
    // The server runs as the unprivileged user "mysql" and must reach its files.
    ::chmod(root.path().c_str(), 0755);
    testsupport::makeFolders(install);
    testsupport::makeFolders(root / "system");
    testsupport::makeFolders(root / "temp");
    platform::Services& services = system->services();
    fso = std::make_unique<Quimbo::FileSystemObject>(services.files, services.random,
                                                     services.conventions);
    manager = std::make_unique<Quimbo::MySQLManager>(services);
    manager->Initialize(*fso);
}

void PrivateInstallation::SetUp() {
    oldPath_ = std::getenv("PATH");
    ::setenv("PATH", (testsupport::binDir() + ":" + oldPath_).c_str(), 1);
    ::setenv("HARVELLA_SYSTEM_ROOT", (root / "system").c_str(), 1);
    ::setenv("TMPDIR", (root / "temp").c_str(), 1);
    initialize();
}

void PrivateInstallation::TearDown() {
    if (serviceState() == Quimbo::serviceIsRunning) sc("stop \"" + service_ + "\"");
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(root / "temp"))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{}) << "temporary files left behind";
    ::setenv("PATH", oldPath_.c_str(), 1);
    ::unsetenv("HARVELLA_SYSTEM_ROOT");
    ::unsetenv("TMPDIR");
}

void PrivateInstallation::initialize(const std::string& service, const std::string& package) {
    service_ = service;
    Quimbo::Args args = Quimbo::SplitArgumentLine(
        "1|" + install + "|MySQL|harvella.config|0|0|0|0|0|0|InstallMySQL|" +
        testsupport::binDir() + "/porttool|/usr/bin/unzip|" + package + "|" +
        MYSQL_PACKAGE_FOLDER_NAME + "|" + service + "|");
    int count = static_cast<int>(args.size());
    installer = std::make_unique<Quimbo::MySQLDBInstaller>(system->services());
    installer->Initialize(args, count);
    steps =
        std::make_unique<Quimbo::MySQLDBInstallerSteps>(Quimbo::MySQLDBInstallerSteps{*installer});
}

std::string PrivateInstallation::mysql(const std::string& relative) const {
    return install + "/MySQL/" + relative;
}

std::string PrivateInstallation::serviceState() {
    return Quimbo::GetServiceStatusText(system->services().serviceManager, service_);
}

testsupport::ProgramRun PrivateInstallation::sc(const std::string& arguments) const {
    return testsupport::runProgram(testsupport::binDir() + "/harvella-sc " + arguments);
}

void PrivateInstallation::unpackWithPort(int port) {
    steps->usePort(static_cast<std::int16_t>(port));
    steps->unzip();
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    const rlimit limited{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
    // Without this the writer is killed instead of seeing its write fail.
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
}

Listener::Listener(const std::string& address, int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<std::uint16_t>(port));
    where.sin_addr.s_addr = ::inet_addr(address.c_str());
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
        ::listen(fd_, 1) != 0)
        throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port));
}

Listener::~Listener() {
    ::close(fd_);
}

int freePorts(int count) {
    std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int first = 20000 + static_cast<int>(random() % 11000);
        try {
            for (int port = first; port < first + count; ++port)
                Listener probe("0.0.0.0", port);
            return first;
        } catch (const std::runtime_error&) {
        }
    }
    throw std::runtime_error("no free ports below 32000");
}

}  // namespace mysqlserver
