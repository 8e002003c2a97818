// The decoding floor of a conversion run: the photos named decoded with
// the imaging library and nothing else, one after another on one thread,
// then shared out between two threads. Prints the median of three rounds
// in ms per photo, "one two". scripts/bench_cli.sh compares karwen-cli with
// it, measured on the same machine at the same moment.
#include "rix.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

// Decodes photos[k] for every k = first, first + step, ...
void decode(const std::vector<std::string>& photos, std::size_t first, std::size_t step)
{
    (void)RixSetThreads(1);
    for (std::size_t k = first; k < photos.size(); k += step) {
        const int32_t image = RixLoadJPG(photos[k].c_str());
        if (image > 0)
            (void)RixDestroy(image);
        else
            std::fprintf(stderr, "decode_floor: %s\n", RixLastError());
    }
}

double msPerPhoto(const std::vector<std::string>& photos, int threads)
{
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> others;
    for (int t = 1; t < threads; ++t)
        others.emplace_back(decode, std::cref(photos), std::size_t(t), std::size_t(threads));
    decode(photos, 0, std::size_t(threads));
    for (std::thread& t : others)
        t.join();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return took.count() / double(photos.size());
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> photos(argv + 1, argv + argc);
    if (photos.empty()) {
        std::fprintf(stderr, "usage: decode_floor PHOTO.jpg...\n");
        return 2;
    }
    decode(photos, 0, photos.size()); // the library's first use, not timed
    double median[2] = {0, 0};
    for (int threads = 1; threads <= 2; ++threads) {
        std::vector<double> rounds;
        for (int round = 0; round < 3; ++round)
            rounds.push_back(msPerPhoto(photos, threads));
        std::sort(rounds.begin(), rounds.end());
        median[threads - 1] = rounds[1];
    }
    std::printf("%.2f %.2f\n", median[0], median[1]);
    return 0;
}
