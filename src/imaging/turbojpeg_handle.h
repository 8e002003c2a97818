// A TurboJPEG instance and buffer that free themselves, and the instance's
// last message in words our callers can use.
#pragma once

#include <turbojpeg.h>

#include <memory>
#include <string>

namespace rix {

struct TjDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

struct TjBufferDeleter {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

// TurboJPEG's last message without the name of its own function in front
// ("tjDecompress2(): "), which means nothing to our callers.
inline std::string messageOf(const TjHandle& tj)
{
    std::string message = tjGetErrorStr2(tj.get());
    const auto end = message.find("(): ");
    if (end != std::string::npos && message.compare(0, 2, "tj") == 0)
        message.erase(0, end + 4);
    return message;
}

} // namespace rix
