#pragma once
#include <string>

namespace Quimbo {

// The three edits of a key=value text, each one pass over the text (files may
// hold lines of any length). A line ends at CR, at LF or at the text's end.
// Keys are taken literally; "blank" below is space, tab, form feed or
// vertical tab, and the white space between a key and its "=" may also hold
// line breaks.

// Every "#" directly followed by the key (case-sensitive) is dropped, wherever
// it stands.
std::string ReenableKey(const std::string& text, const std::string& key);

// Every line whose first word after leading blanks is the key (any case)
// followed by white space and "=" gets a "#" before its leading blanks.
std::string CommentOutKey(const std::string& text, const std::string& key);

// Every line holding the key (any case, anywhere on the line) followed by
// white space and "=" is replaced, up to the end of the line that holds the
// "=", by key=value; the value is taken literally. Without such a line the
// setting is appended on a line of its own, ended by CR LF.
std::string SetKeyValue(const std::string& text, const std::string& key, const std::string& value);

}  // namespace Quimbo
