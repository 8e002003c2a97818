// What a photo's file records of how and where it was taken (its EXIF
// fields), read from the file's header alone, never by decoding its
// pixels. Every field is optional: a file without metadata, with damaged
// metadata or of a format that holds none (BMP) gives empty fields, never
// a failure, and the metadata library never writes to standard error.
#pragma once

#include <optional>
#include <string>

namespace karwen::files {

struct PhotoMetadata {
    // "2021-06-21T12:30:00", with "+02:00" when the photo records its
    // offset from UTC; "" when it records no valid time.
    std::string datetimeOriginal;
    std::string camera; // make and model, the make left out when the model names it
    std::string lensModel;
    std::optional<double> exposureTimeS;
    std::optional<double> fNumber;
    std::optional<double> iso;
    // Decimal degrees, south and west negative; both or neither.
    std::optional<double> latitudeDeg;
    std::optional<double> longitudeDeg;
    std::optional<double> altitudeM; // below sea level negative

    [[nodiscard]] bool hasPosition() const { return latitudeDeg && longitudeDeg; }
};

// The metadata of the file at path (UTF-8); empty fields where it has none.
[[nodiscard]] PhotoMetadata readPhotoMetadata(const std::string& path) noexcept;

} // namespace karwen::files
