#include "errors.h"

#include <cerrno>
#include <cstring>

namespace rix {

namespace {
thread_local std::string tlsLastError;
}

void setLastError(const char* function, const std::string& message)
{
    tlsLastError = std::string(function) + ": " + message;
}

void clearLastError() { tlsLastError.clear(); }

const char* lastError() { return tlsLastError.c_str(); }

} // namespace rix
