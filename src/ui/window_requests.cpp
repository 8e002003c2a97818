// The registry's answers to what the windows ask of each other
// (window_requests.h): the only place where one window's request reaches
// another window's controls.
#include "window_registry.h"

#include "area_panel.h"
#include "batch_dialog.h"
#include "canopy_window.h"
#include "common_dialog.h"
#include "format_window.h"
#include "main_window.h"
#include "stored_settings.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QStatusBar>

namespace karwen::ui {

void WindowRegistry::showStatusNote(const QString& text)
{
    if (MainWindow* main = mainIfLoaded())
        main->statusBar()->showMessage(text);
}

void WindowRegistry::applyParameterWindow()
{
    if (FormatWindow* format = formatIfLoaded())
        format->Apply();
}

void WindowRegistry::showAreaClassTexts()
{
    if (AreaPanel* panel = areaIfLoaded())
        panel->showAllClassTexts();
}

void WindowRegistry::chooseAreaClass(int k)
{
    if (AreaPanel* panel = areaIfLoaded())
        if (QRadioButton* option = panel->optRgn(k))
            option->setChecked(true);
}

void WindowRegistry::setAreaMeasuring(bool on)
{
    if (AreaPanel* panel = areaIfLoaded())
        panel->chkAreaMeasure()->setChecked(on);
}

CommonDialog& WindowRegistry::fileDialog() { return frmMain().cdl(); }

void WindowRegistry::toolWindowsFollowImage(bool imageOpen)
{
    frmFormat().parentWidget()->setEnabled(imageOpen);
    frmArea().parentWidget()->setEnabled(imageOpen);
    // The canopy window is made on first use; its figures follow the photo.
    if (CanopyWindow* canopy = canopyIfLoaded()) {
        canopy->parentWidget()->setEnabled(imageOpen);
        canopy->refresh();
    }
}

void WindowRegistry::runBatchDialog()
{
    BatchDialog frmBatch(&frmMain());
    giveCanopySettings(frmBatch, *this);
    keepBatchDialogSettings(frmBatch);
    frmBatch.exec();
}

} // namespace karwen::ui
