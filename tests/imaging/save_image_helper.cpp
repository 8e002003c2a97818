// Saves a black image of the given size as BMP or JPEG, chosen by the name's
// ending; on failure prints the library's message and exits with 1. The save
// tests run it as another user.
#include "rix.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: save_image_helper FILE.bmp|FILE.jpg WIDTH HEIGHT\n");
        return 2;
    }
    const std::string name = argv[1];
    const int32_t image = RixCreate(std::atoi(argv[2]), std::atoi(argv[3]));
    int32_t quality = 75;
    const bool saved = name.ends_with(".jpg") ? RixSaveJPG(image, name.c_str(), &quality) == 1
                                              : RixSaveBMP(image, name.c_str()) == 1;
    if (!saved)
        std::fprintf(stderr, "%s\n", RixLastError());
    RixDestroy(image);
    return saved ? 0 : 1;
}
