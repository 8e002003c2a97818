#include "karwen_app.h"

#include "area_model.h"
#include "main_window.h"
#include "mdl_karwen.h"

namespace karwen::ui {

KarwenApp::KarwenApp()
    : hooks_(windows_)
{
    setWindowHooks(&hooks_);
}

KarwenApp::~KarwenApp() { setWindowHooks(nullptr); }

void KarwenApp::Main()
{
    initGlobals();
    InitAreaTables();
    windows_.frmMain().show();
}

} // namespace karwen::ui
