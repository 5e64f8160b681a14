#pragma once
#include <sys/types.h>

#include <string>

namespace testsupport {

// A program on a pseudo-terminal of its own, read and typed into as a person
// would; killed if it still runs when the object goes.
class Terminal {
public:
    Terminal(const std::string& program, const std::string& argument);
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Reads on until the text shows after what was waited for before; false
    // when the program ends or says nothing for a minute first.
    bool waitFor(const std::string& text);
    void type(const std::string& keys);
    // Reads to the end of the terminal, then waits for the program's end.
    int exitCode();

    std::string screen;

private:
    bool readMore();

    int master_ = -1;
    pid_t pid_ = -1;
    std::size_t seen_ = 0;
};

}  // namespace testsupport
