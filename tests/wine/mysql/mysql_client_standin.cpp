// Stands in for the MySQL client under Wine. Insists on --defaults-file as its
// first option, then prints a column-name line, its other options, the lines
// of the options file and the lines of the script it read on standard input,
// one row each. A script holding "fail" ends with an error, "warn" adds a
// warning on standard error, "silent" ends with code 3 and no word.
// Started as mysqldump.exe it writes its arguments, one a line, into the file
// of its --result-file= option instead.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

void printLines(const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        std::printf("%s\n", line.c_str());
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int dump(int argc, char** argv) {
    const std::string resultOption = "--result-file=";
    std::string arguments, resultFile;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        arguments += argument + "\n";
        if (argument.rfind(resultOption, 0) == 0) resultFile = argument.substr(resultOption.size());
    }
    std::ofstream(resultFile, std::ios::binary) << arguments;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (endsWith(argv[0], "mysqldump.exe")) return dump(argc, argv);
    const char* const optionsOption = "--defaults-file=";
    if (argc < 2 || std::strncmp(argv[1], optionsOption, std::strlen(optionsOption)) != 0) {
        std::fputs("mysql: --defaults-file must be the first option\n", stderr);
        return 2;
    }
    std::ifstream optionsFile(argv[1] + std::strlen(optionsOption), std::ios::binary);
    std::stringstream options;
    options << optionsFile.rdbuf();
    std::stringstream script;
    script << std::cin.rdbuf();
    const std::string sql = script.str();

    if (sql.find("silent") != std::string::npos) return 3;
    if (sql.find("fail") != std::string::npos) {
        std::fputs("ERROR 1064 (42000): stand-in failure\n", stderr);
        return 1;
    }
    if (sql.find("warn") != std::string::npos) std::fputs("Warning: stand-in warning\n", stderr);
    std::string arguments = "args:";
    for (int i = 2; i < argc; ++i)
        arguments += std::string(" ") + argv[i];
    std::printf("line\n%s\n", arguments.c_str());
    printLines(options.str());
    printLines(sql);
    return 0;
}
