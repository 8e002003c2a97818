#include "area_file.h"

#include "file_path.h"
#include "mdl_karwen.h"
#include "save_file.h"
#include "utf8_path.h"

#include <fstream>
#include <istream>

namespace karwen {

namespace {

// Reads the numbers of an area file one at a time: optional blanks, an
// optional sign and digits, optional blanks, then a comma, a line end or the
// end of the file.
class NumberReader {
public:
    explicit NumberReader(std::istream& in)
        : in_(in)
    {
        skipByteOrderMark();
    }

    // nullopt for anything but a well-formed number.
    std::optional<long> next()
    {
        skipBlanks();
        bool negative = false;
        if (peek() == '-' || peek() == '+')
            negative = get() == '-';
        if (!isDigit(peek()))
            return std::nullopt;
        long value = 0;
        while (isDigit(peek())) {
            // Saturate: any value this large is out of range anyway.
            if (value < kSaturation)
                value = value * 10 + (get() - '0');
            else
                get();
        }
        skipBlanks();
        if (!endItem())
            return std::nullopt;
        return negative ? -value : value;
    }

private:
    static constexpr long kSaturation = 1'000'000'000L;
    static constexpr int kEnd = std::char_traits<char>::eof();

    static bool isDigit(int c) { return c >= '0' && c <= '9'; }
    int peek() { return in_.peek(); }
    int get() { return in_.get(); }

    void skipBlanks()
    {
        while (peek() == ' ' || peek() == '\t')
            get();
    }

    bool endItem()
    {
        const int c = peek();
        if (c == kEnd)
            return !in_.bad();
        if (c == ',' || c == '\n') {
            get();
            return true;
        }
        if (c == '\r') {
            get();
            if (peek() == '\n')
                get();
            return true;
        }
        return false;
    }

    void skipByteOrderMark()
    {
        if (peek() != 0xEF)
            return;
        get();
        if (get() != 0xBB || get() != 0xBF)
            in_.setstate(std::ios::failbit); // not a mark: no number can follow
    }

    std::istream& in_;
};

} // namespace

std::string formatAreaData(int16_t tag, const std::array<int16_t, kDotCount + 1>& dotClass)
{
    std::string text;
    text.reserve(8 + kDotCount * 4);
    text += std::to_string(tag) + ',' + std::to_string(kDotCount) + "\r\n";
    for (int n = 1; n <= kDotCount; ++n)
        text += std::to_string(dotClass[static_cast<std::size_t>(n)]) + "\r\n";
    return text;
}

std::optional<AreaData> parseAreaData(std::istream& in)
{
    NumberReader reader(in);
    AreaData data;
    const auto tag = reader.next();
    if (!tag || *tag < INT16_MIN || *tag > INT16_MAX)
        return std::nullopt;
    data.tag = static_cast<int16_t>(*tag);
    const auto count = reader.next();
    if (!count || *count < 0 || *count > kDotCount)
        return std::nullopt;
    data.count = static_cast<int16_t>(*count);
    for (int n = 1; n <= data.count; ++n) {
        const auto cls = reader.next();
        if (!cls || *cls < 0 || *cls >= kAreaClassCount)
            return std::nullopt;
        data.dotClass[static_cast<std::size_t>(n)] = static_cast<int16_t>(*cls);
    }
    return data;
}

void applyAreaData(const AreaData& data)
{
    ClassCount.fill(0);
    for (int n = 1; n <= data.count && n <= kDotCount; ++n) {
        const int16_t cls = data.dotClass[static_cast<std::size_t>(n)];
        if (cls < 0 || cls >= kAreaClassCount)
            continue; // parseAreaData never yields these
        DotClass[static_cast<std::size_t>(n)] = cls;
        ++ClassCount[static_cast<std::size_t>(cls)];
    }
    AreaFileTag = data.tag;
    LastLbl = -1;
    markAreaDotsSet();
}

bool LoadAreaData(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    const auto data = parseAreaData(in);
    if (!data)
        return false;
    applyAreaData(*data);
    markAreaKept();
    return true;
}

bool SaveAreaData(const std::filesystem::path& file)
{
    const std::string content = formatAreaData(AreaFileTag, DotClass);
    try {
        files::saveFile(files::utf8String(file), content.data(), content.size());
    } catch (const std::exception&) {
        return false;
    }
    markAreaKept();
    return true;
}

std::string proposedAreaFileName(const std::string& areaFile, const std::string& dstFile, const std::string& srcFile)
{
    if (!areaFile.empty())
        return areaFile;
    const std::string& image = dstFile.empty() ? srcFile : dstFile;
    if (image.empty())
        return {};
    return cut_ext(image).value_or(image) + ".area";
}

} // namespace karwen
