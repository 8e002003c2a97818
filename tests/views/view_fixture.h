// Shared set-up of the view suites: the globals at their start values, a
// source or destination image of a given size, destroyed at the end, and a
// view open on it.
#pragma once

#include "mdl_karwen.h"

#include <QImage>

#include <memory>

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

// A view of the image set up, shown and loaded, kept by the test rather
// than deleted on close; none when it did not load.
template <class View> std::unique_ptr<View> openView()
{
    auto view = std::make_unique<View>();
    view->setAttribute(Qt::WA_DeleteOnClose, false);
    view->show();
    return view->load() ? std::move(view) : nullptr;
}

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
