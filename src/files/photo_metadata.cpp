#include "photo_metadata.h"

#include <exiv2/exiv2.hpp>

#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <mutex>

namespace karwen::files {

namespace {

// Exiv2 logs what it finds odd in a file to standard error, and its XMP
// parser must be set up once before threads use it.
void prepareExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
    });
}

const Exiv2::Exifdatum* find(const Exiv2::ExifData& exif, const char* key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() || it->count() == 0 ? nullptr : &*it;
}

std::string trimmed(std::string text)
{
    const auto isBlank = [](unsigned char c) { return c == 0 || std::isspace(c); };
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.back())))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && isBlank(static_cast<unsigned char>(text[start])))
        ++start;
    return text.substr(start);
}

std::string textOf(const Exiv2::ExifData& exif, const char* key)
{
    const Exiv2::Exifdatum* d = find(exif, key);
    return d && d->typeId() == Exiv2::asciiString ? trimmed(d->toString()) : std::string();
}

bool isRational(const Exiv2::Exifdatum& d) { return d.typeId() == Exiv2::unsignedRational; }

// Component i of a rational field, none for a zero denominator.
std::optional<double> rationalOf(const Exiv2::Exifdatum& d, long i = 0)
{
    if (!isRational(d) || d.count() <= i)
        return std::nullopt;
    const Exiv2::Rational r = d.toRational(i);
    if (r.second == 0)
        return std::nullopt;
    return double(std::uint32_t(r.first)) / double(std::uint32_t(r.second));
}

std::optional<double> positiveRational(const Exiv2::ExifData& exif, const char* key)
{
    const Exiv2::Exifdatum* d = find(exif, key);
    const std::optional<double> value = d ? rationalOf(*d) : std::nullopt;
    return value && *value > 0 ? value : std::nullopt;
}

bool digitsAt(const std::string& text, std::size_t at, std::size_t count)
{
    for (std::size_t i = at; i < at + count; ++i)
        if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

// "YYYY:MM:DD HH:MM:SS" as ISO 8601, "" for any other text.
std::string isoTime(const std::string& exifTime)
{
    const std::string& t = exifTime;
    if (t.size() != 19 || !digitsAt(t, 0, 4) || t[4] != ':' || !digitsAt(t, 5, 2) || t[7] != ':' || !digitsAt(t, 8, 2)
        || t[10] != ' ' || !digitsAt(t, 11, 2) || t[13] != ':' || !digitsAt(t, 14, 2) || t[16] != ':'
        || !digitsAt(t, 17, 2))
        return {};
    const int month = std::stoi(t.substr(5, 2)), day = std::stoi(t.substr(8, 2));
    const int hour = std::stoi(t.substr(11, 2)), minute = std::stoi(t.substr(14, 2)), second = std::stoi(t.substr(17));
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return {};
    return t.substr(0, 4) + "-" + t.substr(5, 2) + "-" + t.substr(8, 2) + "T" + t.substr(11);
}

// "+HH:MM" or "-HH:MM", "" for any other text.
std::string validOffset(const std::string& offset)
{
    const bool form = offset.size() == 6 && (offset[0] == '+' || offset[0] == '-') && digitsAt(offset, 1, 2)
        && offset[3] == ':' && digitsAt(offset, 4, 2);
    return form && std::stoi(offset.substr(1, 2)) <= 14 && std::stoi(offset.substr(4)) <= 59 ? offset : std::string();
}

bool startsWithIgnoringCase(const std::string& text, const std::string& start)
{
    if (start.size() > text.size())
        return false;
    for (std::size_t i = 0; i < start.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(start[i])))
            return false;
    return true;
}

std::string cameraOf(const std::string& make, const std::string& model)
{
    if (make.empty() || startsWithIgnoringCase(model, make))
        return model;
    return model.empty() ? make : make + " " + model;
}

// Degrees, minutes and seconds with their reference letter: none unless
// all are there and in range.
std::optional<double> degreesOf(
    const Exiv2::ExifData& exif, const char* key, const char* refKey, char positive, char negative, double limit)
{
    const Exiv2::Exifdatum* d = find(exif, key);
    const std::string ref = textOf(exif, refKey);
    if (!d || d->count() != 3 || ref.size() != 1
        || (std::toupper(static_cast<unsigned char>(ref[0])) != positive
            && std::toupper(static_cast<unsigned char>(ref[0])) != negative))
        return std::nullopt;
    const auto deg = rationalOf(*d, 0), min = rationalOf(*d, 1), sec = rationalOf(*d, 2);
    if (!deg || !min || !sec || *min >= 60 || *sec >= 60)
        return std::nullopt;
    const double value = *deg + *min / 60 + *sec / 3600;
    if (value > limit)
        return std::nullopt;
    return std::toupper(static_cast<unsigned char>(ref[0])) == negative ? -value : value;
}

std::optional<double> altitudeOf(const Exiv2::ExifData& exif)
{
    const Exiv2::Exifdatum* d = find(exif, "Exif.GPSInfo.GPSAltitude");
    const std::optional<double> metres = d ? rationalOf(*d) : std::nullopt;
    if (!metres)
        return std::nullopt;
    // No reference is above sea level, as the standard's default.
    const Exiv2::Exifdatum* ref = find(exif, "Exif.GPSInfo.GPSAltitudeRef");
    const long below = ref && ref->typeId() == Exiv2::unsignedByte ? ref->toLong() : 0;
    if (below != 0 && below != 1)
        return std::nullopt;
    return below == 1 && *metres != 0 ? -*metres : *metres;
}

PhotoMetadata metadataOf(const Exiv2::ExifData& exif)
{
    PhotoMetadata m;
    m.datetimeOriginal = isoTime(textOf(exif, "Exif.Photo.DateTimeOriginal"));
    if (!m.datetimeOriginal.empty())
        m.datetimeOriginal += validOffset(textOf(exif, "Exif.Photo.OffsetTimeOriginal"));
    m.camera = cameraOf(textOf(exif, "Exif.Image.Make"), textOf(exif, "Exif.Image.Model"));
    m.lensModel = textOf(exif, "Exif.Photo.LensModel");
    m.exposureTimeS = positiveRational(exif, "Exif.Photo.ExposureTime");
    m.fNumber = positiveRational(exif, "Exif.Photo.FNumber");
    if (const Exiv2::Exifdatum* iso = find(exif, "Exif.Photo.ISOSpeedRatings");
        iso && iso->typeId() == Exiv2::unsignedShort && iso->toLong() > 0)
        m.iso = double(iso->toLong());
    m.latitudeDeg = degreesOf(exif, "Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLatitudeRef", 'N', 'S', 90);
    m.longitudeDeg = degreesOf(exif, "Exif.GPSInfo.GPSLongitude", "Exif.GPSInfo.GPSLongitudeRef", 'E', 'W', 180);
    if (!m.hasPosition())
        m.latitudeDeg = m.longitudeDeg = std::nullopt;
    m.altitudeM = altitudeOf(exif);
    return m;
}

} // namespace

PhotoMetadata readPhotoMetadata(const std::string& path) noexcept
{
    // A FIFO or a device would block or never end: only a regular file
    // holds metadata.
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    try {
        prepareExiv2();
        // Reads the header segments up to the image data, not the pixels.
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path, false);
        if (!image.get())
            return {};
        image->readMetadata();
        return metadataOf(image->exifData());
    } catch (...) {
        // Damaged or unreadable metadata leaves every field empty.
        return {};
    }
}

} // namespace karwen::files
