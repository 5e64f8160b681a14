#pragma once
#include <optional>
#include <string>

namespace Quimbo {

// What one client run hands back: the rows the client printed, read line by
// line, or the error text.
class MySQLResultSet {
public:
    MySQLResultSet() = default;
    static MySQLResultSet failed(std::string error);
    // `output` is everything the client printed on standard output.
    explicit MySQLResultSet(std::string output);

    bool hasErrors() const { return error_ && !error_->empty(); }
    std::string error() const { return error_.value_or(""); }
    bool hasNext() const { return reader_ && position_ < output_.size(); }
    // The next line without its line break; none at the end.
    std::optional<std::string> next();
    void close();

private:
    bool reader_ = false;
    std::string output_;
    std::size_t position_ = 0;
    std::optional<std::string> error_;
};

}  // namespace Quimbo
