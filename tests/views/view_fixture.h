// Shared set-up of the view suites: the globals at their start values and a
// source or destination image of a given size, destroyed at the end.
#pragma once

#include "mdl_karwen.h"

#include <QImage>

namespace karwen::test {

class ImageFixture {
public:
    ImageFixture() { initGlobals(); }
    ~ImageFixture()
    {
        (void)RixDestroy(hSrc);
        (void)RixDestroy(hDst);
        hSrc = hDst = 0;
    }
    ImageFixture(const ImageFixture&) = delete;
    ImageFixture& operator=(const ImageFixture&) = delete;

    void source(int w, int h, const char* file = "/photos/sky.jpg")
    {
        hSrc = RixCreate(w, h);
        SrcW = w;
        SrcH = h;
        SrcFile = file;
    }
    void destination(int w, int h)
    {
        hDst = RixCreate(w, h);
        DstW = w;
        DstH = h;
    }
};

// A canvas full of distinct pixels, so that any change shows.
inline void fillPattern(QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) & 255, (y * 13) & 255, (x ^ y) & 255));
}

inline int changedPixels(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

} // namespace karwen::test
