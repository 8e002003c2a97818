// Small texts of values that the settings record and the command line's
// options write and read alike.
#pragma once

#include <string>
#include <vector>

namespace karwen {

[[nodiscard]] std::string lowered(std::string text);
[[nodiscard]] std::vector<std::string> splitAt(const std::string& text, char separator);
// The shortest decimal text of a value: 2.5, 256.
[[nodiscard]] std::string numberText(double value);
// The shortest text that reads back as the same double: 0.6366197723675814.
[[nodiscard]] std::string exactNumberText(double value);

} // namespace karwen
