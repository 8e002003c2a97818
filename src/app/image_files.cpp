#include "image_files.h"

#include "file_path.h"
#include "rix.h"

#include <cctype>

namespace karwen {

ImageFormat imageFormatOf(const std::string& path)
{
    if (const ImageFormat byExtension = photoFormatOf(path); byExtension != ImageFormat::Other)
        return byExtension;
    if (path.size() < 3)
        return ImageFormat::Other;
    std::string ext = path.substr(path.size() - 3);
    for (char& c : ext)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (ext == "BMP")
        return ImageFormat::Bmp;
    if (ext == "JPG")
        return ImageFormat::Jpg;
    return ImageFormat::Other;
}

ImageFormat photoFormatOf(const std::string& path)
{
    const std::size_t dot = files::extensionDot(path);
    if (dot == std::string::npos)
        return ImageFormat::Other;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "bmp")
        return ImageFormat::Bmp;
    if (ext == "jpg" || ext == "jpeg" || ext == "jpe")
        return ImageFormat::Jpg;
    return ImageFormat::Other;
}

int32_t loadImageFile(const std::string& path) { return loadImageFile(path, imageFormatOf(path)); }

int32_t loadImageFile(const std::string& path, ImageFormat format)
{
    switch (format) {
    case ImageFormat::Bmp:
        return RixLoadBMP(path.c_str());
    case ImageFormat::Jpg:
        return RixLoadJPG(path.c_str());
    case ImageFormat::Other:
        break;
    }
    return 0;
}

int32_t loadImageFileKeepingDamage(const std::string& path, std::string& damage)
{
    int32_t damaged = 0;
    int32_t handle = 0;
    switch (imageFormatOf(path)) {
    case ImageFormat::Bmp:
        handle = RixSalvageBMP(path.c_str(), &damaged);
        break;
    case ImageFormat::Jpg:
        handle = RixSalvageJPG(path.c_str(), &damaged);
        break;
    case ImageFormat::Other:
        break;
    }
    damage = handle > 0 && damaged ? RixLastError() : "";
    return handle;
}

bool saveImageFile(int32_t handle, const std::string& path, int32_t quality)
{
    switch (imageFormatOf(path)) {
    case ImageFormat::Bmp:
        return RixSaveBMP(handle, path.c_str()) == 1;
    case ImageFormat::Jpg:
        return RixSaveJPG(handle, path.c_str(), &quality) == 1;
    case ImageFormat::Other:
        break;
    }
    return false;
}

} // namespace karwen
