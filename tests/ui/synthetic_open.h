// Both images as an open command leaves them, without reading a file.
#pragma once

#include "karwen_app.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "window_registry.h"

namespace karwen::test {

inline void openSynthetic(ui::KarwenApp& app, int w, int h)
{
    SrcW = w;
    SrcH = h;
    SrcFile = "/photos/sky.jpg";
    hSrc = RixCreate(w, h);
    app.windows().showSrc();
    hDst = RixCreate(DstW, DstH);
    convert();
    app.windows().showDst();
    app.frmMain().updateCommandStates();
}

} // namespace karwen::test
