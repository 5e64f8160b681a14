#pragma once
#include <optional>
#include <string>

#include "frame/FileSystemObject.h"

namespace Quimbo {

// What one client run hands back: the output file with a reader on its rows,
// or the error text. Closing deletes the output file; a result set that goes
// out of scope unclosed closes itself, so no output file outlives its reader.
class MySQLResultSet {
public:
    MySQLResultSet() = default;
    static MySQLResultSet failed(std::string error);
    // `output` is the whole text of the output file at `outputPath`.
    MySQLResultSet(FileSystemObject& fso, std::string outputPath, std::string output);
    ~MySQLResultSet();
    MySQLResultSet(MySQLResultSet&& other) noexcept;
    MySQLResultSet& operator=(MySQLResultSet&& other) noexcept;
    MySQLResultSet(const MySQLResultSet&) = delete;
    MySQLResultSet& operator=(const MySQLResultSet&) = delete;

    bool hasErrors() const { return error_ && !error_->empty(); }
    std::string error() const { return error_.value_or(""); }
    bool hasNext() const { return reader_ && position_ < output_.size(); }
    // The next line without its line break; none at the end.
    std::optional<std::string> next();
    void close();

private:
    FileSystemObject* fso_ = nullptr;
    std::optional<std::string> outputPath_;
    bool reader_ = false;
    std::string output_;
    std::size_t position_ = 0;
    std::optional<std::string> error_;
};

}  // namespace Quimbo
