// Saves TEXT as FILE through the safe save; exits with 1 when that fails.
// The file tests run it as another user.
#include "file_error.h"
#include "save_file.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: save_file_helper FILE TEXT\n");
        return 2;
    }
    try {
        karwen::files::saveFile(argv[1], argv[2], std::strlen(argv[2]));
    } catch (const karwen::files::FileError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
