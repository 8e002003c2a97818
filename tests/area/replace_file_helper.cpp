// Replaces FILE's content with TEXT through ReplaceFileContent; exits with 1
// when that fails. The file tests run it as another user.
#include "replace_file.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: replace_file_helper FILE TEXT\n");
        return 2;
    }
    return karwen::ReplaceFileContent(karwen::PathFromUtf8(argv[1]), argv[2]) ? 0 : 1;
}
