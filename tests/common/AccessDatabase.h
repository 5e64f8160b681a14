#pragma once
// A test's own view of the SQLite files the Access path works on, for the
// Linux runs and the Wine runs alike.
#include <sqlite3.h>

#include <string>

namespace accesstest {

// Runs SQL on the file (created when missing); every row's columns joined by
// "/", rows by ","; throws on any error.
std::string sql(const std::string& path, const std::string& statements);

// Holds an exclusive lock on the database file while it lives, as a program
// that has the file open for writing does.
class ExclusiveLock {
public:
    explicit ExclusiveLock(const std::string& path);
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    sqlite3* db_ = nullptr;
};

}  // namespace accesstest
