// Error reporting at the C boundary: a thread-local last-error message and
// one wrapper that turns every exception into the failure result 0.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace rix {

// Raised inside the library for anything a caller should be told about.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void setLastError(const char* function, const std::string& message);
void clearLastError();
const char* lastError();

// Runs body() and returns its result; any exception becomes 0 with the
// message recorded under the function's name.
template <class Body> int32_t guarded(const char* function, Body&& body) noexcept
{
    try {
        clearLastError();
        return body();
    } catch (const std::bad_alloc&) {
        setLastError(function, "out of memory");
    } catch (const std::exception& e) {
        setLastError(function, e.what());
    } catch (...) {
        setLastError(function, "unknown error");
    }
    return 0;
}

} // namespace rix
