// Feeds arbitrary bytes to the BMP loader. Refusing the input with
// rix::Error is the expected outcome; a crash, a sanitizer report, any other
// exception, a hang or a huge allocation is a bug.
#include "errors.h"
#include "memory_codecs.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    try {
        auto image = rix::loadBmpFromMemory(data, size);
        // Touch the corners so a wrongly sized buffer shows up under ASan.
        volatile uint32_t sink = image->row(0)[0] ^ image->row(image->height() - 1)[image->width() - 1];
        (void)sink;
    } catch (const rix::Error&) {
    }
    return 0;
}
