#include "MySQLResultSet.h"

#include <utility>

namespace Quimbo {

MySQLResultSet MySQLResultSet::failed(std::string error) {
    MySQLResultSet result;
    result.error_ = std::move(error);
    return result;
}

MySQLResultSet::MySQLResultSet(std::string output) : reader_(true), output_(std::move(output)) {}

std::optional<std::string> MySQLResultSet::next() {
    if (!hasNext()) return std::nullopt;
    const std::size_t lineEnd = output_.find('\n', position_);
    const std::size_t end = lineEnd == std::string::npos ? output_.size() : lineEnd;
    std::string line = output_.substr(position_, end - position_);
    position_ = lineEnd == std::string::npos ? output_.size() : lineEnd + 1;
    // The Windows client ends its lines with CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

void MySQLResultSet::close() {
    reader_ = false;
    output_.clear();
    position_ = 0;
    error_.reset();
}

}  // namespace Quimbo
