#include "batch_run.h"

#include "mdl_karwen.h"
#include "rix.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace karwen {

namespace {

namespace fs = std::filesystem;

fs::path pathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string upperTail(const std::string& name, std::size_t n)
{
    std::string tail = name.size() >= n ? name.substr(name.size() - n) : name;
    for (char& c : tail)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail;
}

// Byte length of the first `chars` UTF-8 characters of text.
std::size_t utf8Prefix(const std::string& text, std::size_t chars)
{
    std::size_t pos = 0;
    for (std::size_t n = 0; n < chars && pos < text.size(); ++n) {
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
            ++pos;
    }
    return pos;
}

int32_t loadByExtension(const std::string& name, const std::string& path)
{
    const std::string ext = upperTail(name, 3);
    if (ext == "BMP")
        return RixLoadBMP(path.c_str());
    if (ext == "JPG")
        return RixLoadJPG(path.c_str());
    return 0;
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return fs::equivalent(pathOf(a), pathOf(b), ec) && !ec;
}

// Writes hDst to DstFile in the chosen format; "" on success, else why not.
std::string saveResult(const std::string& outExt, const std::string& sourcePath)
{
    // An empty postfix into the source folder would put the result over the
    // photograph it came from; the original is worth more than the result.
    if (sameFile(DstFile, sourcePath))
        return "the output would overwrite its source file";
    const std::string ext = upperTail(outExt, outExt.size());
    int32_t ok = 0;
    if (ext == "BMP") {
        ok = RixSaveBMP(hDst, DstFile.c_str());
    } else if (ext == "JPG") {
        int32_t quality = 75;
        ok = RixSaveJPG(hDst, DstFile.c_str(), &quality);
    } else {
        return "unknown output format \"" + outExt + "\"";
    }
    return ok ? std::string() : std::string(RixLastError());
}

} // namespace

std::string batch_progress_text(const std::string& name, int index, int count)
{
    return name.substr(0, utf8Prefix(name, 30)) + "\r (" + std::to_string(index) + "/" +
           std::to_string(count) + ")";
}

std::string batch_output_path(const BatchJob& job, const std::string& name)
{
    const std::string base = name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
    const fs::path out = pathOf(job.destFolder) / pathOf(base + job.postfix + "." + job.outExt);
    const std::u8string s = out.u8string();
    return std::string(s.begin(), s.end());
}

BatchOutcome run_batch(const BatchJob& job, const BatchProgress& progress)
{
    BatchOutcome outcome;
    const int n = static_cast<int>(job.files.size());
    for (int i = 0; i < n; ++i) {
        if (isImage(hSrc))
            (void)RixDestroy(hSrc);
        hSrc = -1;
        SrcFile = job.files[i];
        if (progress)
            progress(batch_progress_text(SrcFile, i + 1, n));

        const fs::path sourcePath = pathOf(job.sourceFolder) / pathOf(SrcFile);
        const std::u8string source8 = sourcePath.u8string();
        const std::string source(source8.begin(), source8.end());
        hSrc = loadByExtension(SrcFile, source);
        if (!isImage(hSrc)) {
            ++outcome.unreadable;
            continue;
        }
        SrcW = RixWidth(hSrc);
        SrcH = RixHeight(hSrc);
        if (isImage(hDst))
            (void)RixDestroy(hDst);
        hDst = RixCreate(DstW, DstH);
        convert();
        DstFile = batch_output_path(job, SrcFile);
        const std::string why = saveResult(job.outExt, source);
        if (why.empty())
            ++outcome.converted;
        else
            outcome.failedSaves.push_back({DstFile, why});
    }
    return outcome;
}

bool list_image_files(const std::string& folder, std::vector<std::string>& names)
{
    names.clear();
    std::error_code ec;
    fs::directory_iterator it(pathOf(folder), ec);
    if (ec)
        return false;
    for (const fs::directory_entry& entry : it) {
        std::error_code typeError;
        if (entry.is_directory(typeError))
            continue;
        const std::u8string name8 = entry.path().filename().u8string();
        std::string name(name8.begin(), name8.end());
        const std::string ext = upperTail(name, 4);
        if (ext == ".BMP" || ext == ".JPG")
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return true;
}

} // namespace karwen
