#pragma once
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "FakeDatabaseEngine.h"
#include "FakeFileSystem.h"
#include "FakeForeignWindows.h"
#include "FakeProcesses.h"
#include "FakeServiceManager.h"
#include "platform/platform.h"

namespace fakes {

// Thrown by FakeConsole::exitProcess so that a test sees where the program ended.
struct ProcessExited {
    int code;
};

// The exit code the call ends the program with; -1 (and a test failure) when it returns.
template <class Call>
int exitCodeOf(Call&& call) {
    try {
        call();
    } catch (const ProcessExited& exited) {
        return exited.code;
    }
    ADD_FAILURE() << "the program was expected to end";
    return -1;
}

class FakeConsole final : public platform::Console {
public:
    std::string line;
    std::string out, err;
    std::vector<std::string> outWrites;
    platform::ErrorCode writeError = 0;
    std::size_t writeLimit = std::string::npos;

    std::string argumentLine() override { return line; }
    platform::Result<std::size_t> writeStdOut(const std::string& bytes) override {
        if (writeError) return platform::Result<std::size_t>::failure(writeError);
        const std::string written = bytes.substr(0, writeLimit);
        outWrites.push_back(written);
        out += written;
        return {written.size(), 0};
    }
    void writeStdErr(const std::string& bytes) override { err += bytes; }

protected:
    void endProcess(int code) override { throw ProcessExited{code}; }
};

class FakeMessageBoxes final : public platform::MessageBoxes {
public:
    std::vector<std::string> shown;
    std::vector<platform::MessageIcon> icons;
    void showMessage(const std::string& text, const std::string&,
                     platform::MessageIcon icon) override {
        shown.push_back(text);
        icons.push_back(icon);
    }
};

// Code page 866 → 1251 for the Cyrillic letters the tests use; other pairs unchanged.
class FakeCodePages final : public platform::CodePages {
public:
    unsigned ansiCodePage() override { return 1252; }
    platform::Result<std::string> convert(const std::string& bytes, unsigned, unsigned,
                                          char) override {
        return {bytes, 0};
    }
    // Counts characters as UTF-8, so that a test can see where a cut falls.
    std::size_t lengthOfCharacters(const std::string& text, std::size_t characters) override {
        std::size_t counted = 0;
        for (std::size_t at = 0; at < text.size(); ++at)
            if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && counted++ == characters)
                return at;
        return text.size();
    }
};

class FakeSystemErrors final : public platform::SystemErrors {
public:
    platform::ErrorCode last = 0;
    std::string text(platform::ErrorCode code) override { return "System error " + std::to_string(code) + "."; }
    platform::ErrorCode lastError() override { return last; }
};

// A clock that moves only when slept on or advanced.
class FakeClock final : public platform::Clock {
public:
    std::chrono::milliseconds now{0};
    platform::LocalTime local{2026, 12, 8, 9, 5, 7};
    std::vector<std::chrono::milliseconds> sleeps;
    std::chrono::milliseconds monotonicNow() override { return now; }
    platform::LocalTime localNow() override { return local; }
    void sleep(std::chrono::milliseconds duration) override {
        sleeps.push_back(duration);
        now += duration;
    }
};

// Plays back the given unit values (then repeats the last) and counts reseeds.
class FakeRandom final : public platform::Random {
public:
    std::vector<double> units{0.5};
    std::uint32_t nextBits = 0x12345;
    int reseeds = 0;
    void reseed() override { ++reseeds; }
    double unit() override {
        const double value = units[std::min(index_, units.size() - 1)];
        ++index_;
        return value;
    }
    std::uint32_t bits() override { return nextBits++; }

private:
    std::size_t index_ = 0;
};

inline const platform::Conventions& windowsConventions() {
    static const platform::Conventions conventions{
        "\\", ".exe", ".bat", "\r\n", platform::CommandFileKind::batchFile, "net"};
    return conventions;
}

inline const platform::Conventions& linuxConventions() {
    static const platform::Conventions conventions{
        "/", "", ".sh", "\n", platform::CommandFileKind::shellScript, "harvella-sc"};
    return conventions;
}

// No form is ever answered here: showing one fails the test.
struct FakeModalForms final : platform::ModalForms {
    void showModal(const platform::FormDesign& design, platform::FormEvents&) override {
        throw std::logic_error("unexpected form: " + design.caption);
    }
};

// Every fake, wired as main wires the real services.
struct FakeServices {
    FakeFileSystem files;
    FakeProcessLauncher processes;
    FakeConsole console;
    FakeMessageBoxes messageBoxes;
    FakeCodePages codePages;
    FakeSystemErrors errors;
    FakeClock clock;
    FakeRandom random;
    FakeForeignWindows windows;
    FakeDatabaseEngine databases;
    servicefakes::Journal serviceCalls;
    servicefakes::FakeServiceManager serviceManager{serviceCalls};
    FakeModalForms forms;
    platform::Services services{files,     processes,      console, messageBoxes,       codePages,
                                errors,    clock,          random,  linuxConventions(), windows,
                                databases, serviceManager, forms};

    // The same fakes with the Windows spellings.
    platform::Services onWindows() {
        return {files,     processes,      console, messageBoxes,         codePages,
                errors,    clock,          random,  windowsConventions(), windows,
                databases, serviceManager, forms};
    }
};

}  // namespace fakes
