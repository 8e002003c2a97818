// What every image loader does around its decoder: read the file, name it in
// every message, and refuse or keep pixel data found damaged.
#pragma once

#include "errors.h"
#include "file_bytes.h"
#include "image.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace rix {

// The decoded image, or Error with its damage when the pixel data was damaged.
[[nodiscard]] inline std::unique_ptr<Image> wholeImage(DecodedImage decoded)
{
    if (!decoded.damage.empty())
        throw Error(decoded.damage);
    return std::move(decoded.image);
}

// decode(data, size) over the file's bytes; its errors and its damage name
// the file.
template <class Decode> [[nodiscard]] DecodedImage decodeFile(const std::string& path, Decode decode)
{
    const auto withPath = [&](const std::string& message) { return "'" + path + "': " + message; };
    const karwen::files::FileBytes bytes = karwen::files::FileBytes::read(path);
    try {
        DecodedImage decoded = decode(bytes.data(), bytes.size());
        if (!decoded.damage.empty())
            decoded.damage = withPath(decoded.damage);
        return decoded;
    } catch (const Error& e) {
        throw Error(withPath(e.what()));
    }
}

} // namespace rix
