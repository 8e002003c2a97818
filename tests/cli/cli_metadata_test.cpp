// The photo's metadata in measure's last columns, written onto photos by
// the exiv2 tool and read back through the CSV, and --site exif, which
// takes each photo's site from them.
#include "cli_light_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>

namespace karwen::test {
namespace {

const std::vector<std::string> kMetadataColumns{"datetime_original", "camera", "lens_model", "exposure_time",
    "f_number", "iso", "gps_latitude", "gps_longitude", "gps_altitude"};

// Sets each "Key value" on the photo with the exiv2 tool.
void setExif(const std::string& path, const std::vector<std::string>& settings)
{
    std::string command = "exiv2 -q";
    for (const std::string& s : settings)
        command += " -M'set " + s + "'";
    ASSERT_EQ(std::system((command + " '" + path + "'").c_str()), 0) << command;
}

// The entries of the photo's first EXIF directory overwritten with 0xFF
// bytes (the TIFF header kept): types and sizes the library warns about.
void damageExif(const std::string& path)
{
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), {});
    const std::size_t at = bytes.find(std::string("Exif\0\0", 6));
    ASSERT_NE(at, std::string::npos);
    file.seekp(std::streamoff(at + 6 + 10));
    file.write(std::string(30, '\xFF').data(), 30);
}

const std::vector<std::string> kNorthEast{"Exif.Photo.DateTimeOriginal 2021:06:21 12:30:00",
    "Exif.Photo.OffsetTimeOriginal +02:00", "Exif.Image.Make Canon", "Exif.Image.Model Canon EOS 6D",
    "Exif.Photo.LensModel Sigma 8mm F3.5", "Exif.Photo.ExposureTime 1/250", "Exif.Photo.FNumber 28/10",
    "Exif.Photo.ISOSpeedRatings 400", "Exif.GPSInfo.GPSLatitudeRef N", "Exif.GPSInfo.GPSLatitude 45/1 30/1 0/1",
    "Exif.GPSInfo.GPSLongitudeRef E", "Exif.GPSInfo.GPSLongitude 10/1 15/1 0/1", "Exif.GPSInfo.GPSAltitudeRef 0",
    "Exif.GPSInfo.GPSAltitude 250/1"};

class MetadataRun : public LightRun {
protected:
    // in/<name>: a canopy photo (JPEG) with the EXIF settings.
    std::string exifPhoto(const std::string& name, const std::vector<std::string>& settings)
    {
        paintCanopy(name, 4);
        if (!settings.empty())
            setExif(in(name), settings);
        return in(name);
    }
};

TEST_F(MetadataRun, EachFieldReadsBackThroughTheCsv)
{
    struct Case {
        std::string name;
        std::vector<std::string> exif;
        bool damaged;
        std::map<std::string, std::string> expected; // the others empty
    };
    const std::vector<Case> cases = {
        {"north_east.jpg", kNorthEast, false,
            {{"datetime_original", "2021-06-21T12:30:00+02:00"}, {"camera", "Canon EOS 6D"},
                {"lens_model", "Sigma 8mm F3.5"}, {"exposure_time", "0.004"}, {"f_number", "2.8"}, {"iso", "400"},
                {"gps_latitude", "45.5"}, {"gps_longitude", "10.25"}, {"gps_altitude", "250"}}},
        {"south_west.jpg",
            {"Exif.Photo.DateTimeOriginal 2019:12:01 06:05:04", "Exif.Image.Make NIKON", "Exif.Image.Model E5700",
                "Exif.GPSInfo.GPSLatitudeRef S", "Exif.GPSInfo.GPSLatitude 33/1 54/1 0/1",
                "Exif.GPSInfo.GPSLongitudeRef W", "Exif.GPSInfo.GPSLongitude 18/1 24/1 36/1",
                "Exif.GPSInfo.GPSAltitudeRef 1", "Exif.GPSInfo.GPSAltitude 25/2"},
            false,
            {{"datetime_original", "2019-12-01T06:05:04"}, {"camera", "NIKON E5700"}, {"gps_latitude", "-33.9"},
                {"gps_longitude", "-18.41"}, {"gps_altitude", "-12.5"}}},
        {"bad_values.jpg",
            {"Exif.Photo.DateTimeOriginal 2021:13:01 00:00:00", "Exif.Photo.FNumber 8/0",
                "Exif.GPSInfo.GPSLatitude 45/1 30/1 0/1", "Exif.GPSInfo.GPSLongitudeRef E",
                "Exif.GPSInfo.GPSLongitude 10/1 15/1 0/1"},
            false, {}},
        {"no_exif.jpg", {}, false, {}},
        // The first directory's entries are lost; the GPS directory it
        // points to past them is still read.
        {"damaged.jpg", kNorthEast, true,
            {{"gps_latitude", "45.5"}, {"gps_longitude", "10.25"}, {"gps_altitude", "250"}}},
        {"a.bmp", {}, false, {}},
    };
    std::vector<std::string> args;
    for (const Case& c : cases) {
        if (!c.name.ends_with(".bmp"))
            exifPhoto(c.name, c.exif);
        if (c.damaged)
            damageExif(in(c.name));
        args.push_back(in(c.name));
    }
    const auto outcome = run(args);
    ASSERT_TRUE(ended(outcome, 0));
    // The library's complaints about the damaged block never reach the user.
    EXPECT_EQ(outcome.output.find("Exiv2"), std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find("Warning"), std::string::npos) << outcome.output;
    const auto table = tableOf(readBytes(csv()));
    ASSERT_EQ(table.size(), cases.size() + 1);
    const std::vector<std::string> last(table[0].end() - std::ptrdiff_t(kMetadataColumns.size()), table[0].end());
    EXPECT_EQ(last, kMetadataColumns);
    for (const Case& c : cases) {
        const auto row = std::find_if(table.begin(), table.end(),
            [&](const std::vector<std::string>& fields) { return !fields.empty() && fields[0] == in(c.name); });
        ASSERT_NE(row, table.end()) << c.name;
        const auto at = std::size_t(row - table.begin());
        EXPECT_EQ(fieldOf(table, at, "error"), "") << c.name;
        for (const std::string& column : kMetadataColumns) {
            const auto it = c.expected.find(column);
            EXPECT_EQ(fieldOf(table, at, column), it == c.expected.end() ? "" : it->second) << c.name << " " << column;
        }
    }
}

TEST_F(MetadataRun, SiteFromExifGivesTheFiguresOfTheSameSiteGiven)
{
    const std::string photo = exifPhoto("p.jpg", kNorthEast);
    const std::vector<std::string> period{"--period", "2021-06-01..2021-06-03", photo, in("a.bmp")};
    std::vector<std::string> fromPhoto{"--site", "exif"}, given{"--site", "45.5,10.25,250"};
    fromPhoto.insert(fromPhoto.end(), period.begin(), period.end());
    given.insert(given.end(), period.begin(), period.end());

    ASSERT_TRUE(ended(run(fromPhoto), 1, {"no GPS position in the photo's metadata"}));
    const auto exif = tableOf(readBytes(csv()));
    std::filesystem::remove(csv());
    ASSERT_TRUE(ended(run(given), 0));
    const auto site = tableOf(readBytes(csv()));
    ASSERT_EQ(exif.size(), 3u);
    ASSERT_EQ(site.size(), 3u);
    // The list's order: a.bmp first.
    EXPECT_EQ(exif[2], site[2]);
    EXPECT_EQ(fieldOf(exif, 2, "elevation"), "250");
    EXPECT_FALSE(fieldOf(exif, 2, "h0").empty());
    EXPECT_EQ(fieldOf(exif, 1, "error"), "no GPS position in the photo's metadata");
    EXPECT_EQ(fieldOf(site, 1, "error"), "");

    std::filesystem::remove(csv());
    // An altitude the light model does not take fails that photo alone.
    std::vector<std::string> high = kNorthEast;
    high.back() = "Exif.GPSInfo.GPSAltitude 9500/1";
    const std::string summit = exifPhoto("summit.jpg", high);
    EXPECT_TRUE(ended(run({"--site", "exif", "--period", "2021-06-01", summit}), 1,
        {"the photo's GPS altitude 9500 m is outside the light figures' range, from -500 to 9000 m"}));
}

// Each photo's own site, resumed over photos of other sites; a settings
// table's site cell is that photo's site, its metadata still as recorded.
TEST_F(MetadataRun, SiteFromExifResumesOverPhotosOfOtherSitesAndTablesSites)
{
    exifPhoto("p.jpg", kNorthEast);
    std::vector<std::string> south = kNorthEast;
    south[8] = "Exif.GPSInfo.GPSLatitudeRef S";
    exifPhoto("q.jpg", south);
    exifPhoto("r.jpg", kNorthEast);
    const std::string table = in("sites.csv");
    std::ofstream(table) << "file,site\nr.jpg,\"-33.5,151.25,40\"\n";
    ASSERT_TRUE(ended(run({"--site", "exif", "--period", "2021-06-01", in("p.jpg")}), 0));
    ASSERT_TRUE(ended(run({"--resume", "--site", "exif", "--period", "2021-06-01", "--photo-settings", table,
                          in("p.jpg"), in("q.jpg"), in("r.jpg")}),
        0, {"2 measured, 1 skipped"}));
    EXPECT_EQ(cell(in("p.jpg"), "latitude"), "45.5");
    EXPECT_EQ(cell(in("p.jpg"), "elevation"), "250");
    EXPECT_EQ(cell(in("q.jpg"), "latitude"), "-45.5");
    EXPECT_EQ(cell(in("r.jpg"), "latitude"), "-33.5");
    EXPECT_EQ(cell(in("r.jpg"), "longitude"), "151.25");
    EXPECT_EQ(cell(in("r.jpg"), "gps_latitude"), "45.5");
}

} // namespace
} // namespace karwen::test
