// What goes wrong with files, told in plain words that may reach the user.
#pragma once

#include <stdexcept>
#include <string>

namespace karwen::files {

// Raised for a file that cannot be read or written; what() says why.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An errno value in plain words.
[[nodiscard]] std::string reasonOf(int err);
// "<what> '<path>': <reason>" for the current errno.
[[nodiscard]] FileError systemError(const std::string& what, const std::string& path);

} // namespace karwen::files
