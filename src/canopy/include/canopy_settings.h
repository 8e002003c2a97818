// What a canopy measurement reads from a photo and how it bins the sky:
// the colour channel, the linearising gamma, the threshold that tells sky
// from canopy, and the zenith rings and azimuth sectors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace karwen::canopy {

enum class Channel {
    Blue, // the blue channel: sky is brightest there against foliage
    Luma, // 0.3 R + 0.59 G + 0.11 B
    Grey, // the one channel of a grey photo, whatever was chosen (forPhoto)
};

// In the order the Canopy window lists them.
enum class ThresholdMethod {
    Otsu,    // largest between-class variance (Otsu 1979)
    Ridler,  // iterated mean of the two class means (Ridler and Calvard 1978)
    Minimum, // valley of the smoothed histogram (Prewitt and Mendelsohn 1966)
    Edge,    // largest mean contrast across the edges (Nobis and Hunziker 2005)
    Fixed,   // CanopySettings::fixedThreshold
};

// The names of a setting's choices: the key the command line takes and the
// CSV writes, and the caption the Canopy window lists.
template <typename Choice> struct ChoiceName {
    Choice choice;
    std::string_view key;
    std::string_view caption;
};

// In the order of the enumerations, which the window's lists follow.
inline constexpr ChoiceName<Channel> kChannelNames[] = {
    {Channel::Blue, "blue", "Blue"},
    {Channel::Luma, "luma", "Luma"},
    {Channel::Grey, "grey", "Grey"},
};
// The channels a user chooses among; a grey photo takes Grey by itself.
inline constexpr ChoiceName<Channel> kChannelChoices[] = {kChannelNames[0], kChannelNames[1]};
inline constexpr ChoiceName<ThresholdMethod> kMethodNames[] = {
    {ThresholdMethod::Otsu, "otsu", "Otsu"},
    {ThresholdMethod::Ridler, "ridler", "Ridler"},
    {ThresholdMethod::Minimum, "minimum", "Minimum"},
    {ThresholdMethod::Edge, "edge", "Edge"},
    {ThresholdMethod::Fixed, "fixed", "Fixed"},
};

[[nodiscard]] constexpr std::string_view keyOf(Channel c) { return kChannelNames[std::size_t(c)].key; }
[[nodiscard]] constexpr std::string_view keyOf(ThresholdMethod m) { return kMethodNames[std::size_t(m)].key; }

// The choice whose key is `key` (lower case), if any.
template <typename Choice, std::size_t N>
[[nodiscard]] constexpr std::optional<Choice> choiceByKey(const ChoiceName<Choice> (&names)[N], std::string_view key)
{
    for (const ChoiceName<Choice>& name : names)
        if (name.key == key)
            return name.choice;
    return std::nullopt;
}

// The bounds isValid checks; the command line and the window read them.
inline constexpr int kMaxRings = 18;
inline constexpr int kMaxSectors = 36;
inline constexpr double kMinGamma = 0.1;
inline constexpr double kMaxGamma = 10.0;
inline constexpr double kZenithLimitDeg = 90.0; // maxZenithDeg lies in (0, kZenithLimitDeg]
inline constexpr int kMaxFixedThreshold = 255;

struct CanopySettings {
    Channel channel = Channel::Blue;
    double gamma = 2.2; // 1 keeps the values as they are
    ThresholdMethod method = ThresholdMethod::Otsu;
    int fixedThreshold = 127; // 0..255 on the linearised scale; gap is above it
    int rings = 5;            // equal zenith widths from 0 to maxZenithDeg
    double maxZenithDeg = 75.0;
    int sectors = 8; // equal azimuth widths; sector 0 starts at azimuth 0

    friend bool operator==(const CanopySettings&, const CanopySettings&) = default;
};

// The settings a photo is measured with: a grey one (RixIsGrey) on its one
// channel, whatever channel was chosen, so that no row says blue of it.
[[nodiscard]] constexpr CanopySettings forPhoto(CanopySettings settings, bool greyPhoto)
{
    if (greyPhoto)
        settings.channel = Channel::Grey;
    return settings;
}

// Whether a pixel's value is its blue byte: a grey photo's grey is that
// byte too, as red, green and blue are equal.
[[nodiscard]] constexpr bool readsBlueByte(Channel c) { return c != Channel::Luma; }

// Rings 1..kMaxRings, sectors 1..kMaxSectors, a maximum zenith angle in
// (0, kZenithLimitDeg] degrees, a gamma in [kMinGamma, kMaxGamma] and a
// fixed threshold in 0..kMaxFixedThreshold (checked whatever the method, so
// a settings record stays valid when the method changes).
[[nodiscard]] bool isValid(const CanopySettings& settings);

} // namespace karwen::canopy
