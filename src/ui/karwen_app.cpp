#include "karwen_app.h"

#include "about_box.h"
#include "area_file_commands.h"
#include "area_model.h"
#include "area_routines.h"
#include "batch_dialog.h"
#include "main_window.h"
#include "mdl_karwen.h"

namespace karwen::ui {

KarwenApp::KarwenApp()
    : hooks_(windows_)
{
    setWindowHooks(&hooks_);
}

KarwenApp::~KarwenApp()
{
    setWindowHooks(nullptr);
}

void KarwenApp::Main()
{
    init_globals();
    InitAreaTables();
    windows_.setDstSetup([this](views::DstView& view) { installAreaMeasurement(view, windows_); });
    MainWindow& main = windows_.frmMain();
    areaFiles_ = std::make_unique<AreaFileCommands>(windows_, main);
    main.setAreaFileCommands([this] { areaFiles_->mnuFileLoadArea_Click(); },
                             [this] { areaFiles_->mnuFileSaveArea_Click(); });
    // The two modal dialogs are made afresh for each showing.
    main.setBatchCommand([&main] {
        BatchDialog frmBatch(&main);
        frmBatch.exec();
    });
    main.setAboutCommand([&main] {
        AboutBox frmAbout(&main);
        frmAbout.exec();
    });
    main.show();
}

} // namespace karwen::ui
