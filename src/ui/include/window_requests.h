// What one window asks of another. No window knows another: each asks
// through this seam, which the registry answers with the window asked for.
// A request to a window that is not loaded does nothing and does not load
// it, unless said otherwise.
#pragma once

class QString;

namespace karwen::ui {

class CommonDialog;

class WindowRequests {
public:
    WindowRequests() = default;
    WindowRequests(const WindowRequests&) = delete;
    WindowRequests& operator=(const WindowRequests&) = delete;

    // A short note in the frame's status bar, until the next one.
    virtual void showStatusNote(const QString& text) = 0;
    // The parameters window's Apply, as its Apply button runs it.
    virtual void applyParameterWindow() = 0;
    // The area panel's class labels show their shares again.
    virtual void showAreaClassTexts() = 0;
    // The area panel's class k (1..15) chosen, and "Area" ticked or cleared,
    // as the user's clicks do it (their handlers run).
    virtual void chooseAreaClass(int k) = 0;
    virtual void setAreaMeasuring(bool on) = 0;
    // The file dialog the frame's commands share, which keeps the last
    // choice; the frame is loaded for it.
    virtual CommonDialog& fileDialog() = 0;
    // The tool windows follow whether an image is open: the parameters and
    // the area panel (loaded for it) and the canopy window enabled or not,
    // the canopy figures brought up to date.
    virtual void toolWindowsFollowImage(bool imageOpen) = 0;
    // The batch dialog shown modal over the frame, with the canopy window's
    // settings and the folders kept from its last showing.
    virtual void runBatchDialog() = 0;

protected:
    ~WindowRequests() = default;
};

} // namespace karwen::ui
