#include "karwen_app.h"

#include "area_model.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "stored_settings.h"

namespace karwen::ui {

KarwenApp::KarwenApp()
    : hooks_(windows_)
    , stored_(std::make_unique<StoredSettings>(windows_))
{
    setWindowHooks(&hooks_);
}

KarwenApp::~KarwenApp()
{
    stored_->save();
    setWindowHooks(nullptr);
}

void KarwenApp::Main()
{
    initGlobals();
    InitAreaTables();
    MainWindow& frame = windows_.frmMain();
    frame.show();
    stored_->restore();
    QObject::connect(&frame, &MainWindow::resetSettingsAsked, stored_.get(), &StoredSettings::reset);
}

} // namespace karwen::ui
