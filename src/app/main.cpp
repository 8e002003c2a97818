#include "mdl_karwen.h"

#include <cstdio>

int main()
{
    karwen::init_globals();
    std::puts("KARWEN: the windows are not built yet.");
    return 0;
}
