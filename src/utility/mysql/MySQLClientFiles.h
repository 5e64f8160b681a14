#pragma once
#include <string>

#include "platform/conventions.h"

namespace Quimbo {

// Where and as whom one client run connects. An empty value is left out of
// the options file, so the client falls back on its own default.
struct MySQLConnection {
    std::string mysqlHome;  // MySQL installation folder; the client is under its bin
    std::string host;
    std::string port;  // decimal text
    std::string user;
    std::string password;
    std::string database;
};

// The temporary files of one client run.
// The client's rows are not among them: they come through the runner's pipe,
// so that an answer that cannot be written (a full temporary folder) is never
// read as an empty one.
struct ClientRunFiles {
    std::string error;
    std::string command;
    std::string options;
    std::string script;
};

// A value as an option file reads it back unchanged: as it is, or in double
// quotes with backslashes and quotes escaped when it holds a character that
// the file format would eat ("#" starts a comment, a backslash escapes, quotes
// and blanks or tabs at the ends are stripped); a line break, which would end
// the line and start another setting, is written as \n or \r.
std::string OptionFileValue(const std::string& value);

// Seconds a client waits for the server's greeting: a server that accepts
// connections but never answers (stopped, frozen) must not hold the
// installer for ever.
constexpr int connectTimeoutSeconds = 20;

// "[client]" and one LF-ended line per non-empty connection value, then the
// connect time-out. The password lives only here, never on a command line.
std::string ClientOptionsText(const MySQLConnection& connection);

// The client line of the command file: batch mode, go on after a failing
// statement, standard error and input redirected to the run's files. Every
// path is a literal word of the command file; one that cannot be raises.
std::string ClientCommandLine(const platform::Conventions& conventions,
                              const std::string& clientPath, const ClientRunFiles& files);

// The command file: the console switched to the ANSI code page (written with a
// leading sign blank, "CHCP  1252") where the system has one, then the client
// line. cmd prints nothing of its own: its standard output is the client's rows.
std::string ClientCommandFileText(const platform::Conventions& conventions, unsigned ansiCodePage,
                                  const std::string& clientLine);

}  // namespace Quimbo
