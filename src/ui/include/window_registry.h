// The program's windows, each a single instance reached by its name:
// created and loaded on first use, and unloading a window that is not loaded
// (or is being unloaded) does nothing. The MDI children live in frmMain's
// area; the registry only keeps track of them. It answers what the windows
// ask of each other (WindowRequests, in window_requests.cpp), so that no
// window needs to know another.
#pragma once

#include "window_requests.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <memory>
#include <optional>

class QMdiSubWindow;
class QWidget;

namespace karwen::views {
class SrcView;
class DstView;
class ImageView;
} // namespace karwen::views

namespace karwen::ui {

class MainWindow;
class FormatWindow;
class AreaPanel;
class CanopyWindow;

class WindowRegistry : public QObject, public WindowRequests {
    Q_OBJECT
public:
    WindowRegistry();
    ~WindowRegistry() override;

    // Loading accessors: the window is created and loaded when missing.
    MainWindow& frmMain();
    FormatWindow& frmFormat();
    AreaPanel& frmArea();
    // Made on first use, hidden until brought forward.
    CanopyWindow& frmCanopy();

    // The window when it is loaded and not being unloaded, else nullptr.
    [[nodiscard]] MainWindow* mainIfLoaded() const;
    [[nodiscard]] FormatWindow* formatIfLoaded() const;
    [[nodiscard]] AreaPanel* areaIfLoaded() const;
    [[nodiscard]] CanopyWindow* canopyIfLoaded() const;
    [[nodiscard]] views::SrcView* srcIfLoaded() const;
    [[nodiscard]] views::DstView* dstIfLoaded() const;

    // Shows a view modeless, loading it first (the load closes it again when
    // there is no image). The child windows are shown the same way.
    void showSrc();
    void showDst();
    void showFormat();
    void showArea();
    // A tool window shown again (closing one only hides it), raised and
    // made the active child.
    void bringFormatForward();
    void bringAreaForward();
    void bringCanopyForward();

    void unloadSrc();
    void unloadDst();

    // The frame started closing: child windows are no longer loaded on use.
    void mainUnloading() { mainClosing_ = true; }

    void showStatusNote(const QString& text) override;
    void applyParameterWindow() override;
    void showAreaClassTexts() override;
    void chooseAreaClass(int k) override;
    void setAreaMeasuring(bool on) override;
    CommonDialog& fileDialog() override;
    void toolWindowsFollowImage(bool imageOpen) override;
    void runBatchDialog() override;

signals:
    // The canopy window was made and placed, before its first figures.
    void canopyMade();

protected:
    // The frame's area changed size: every child is fitted to it again.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ViewSlot {
        QPointer<views::ImageView> view;
        bool unloading = false;
        // Where the user left the window of the last photo; the next
        // photo's window takes it.
        std::optional<QRect> kept;
    };
    // Image views are deleted when closed; the tool windows only hide.
    [[nodiscard]] QMdiSubWindow* addChild(QWidget* widget, bool deleteOnClose);
    void bringForward(QWidget* toolWindow);
    void showView(ViewSlot& slot, views::ImageView* fresh);
    void unloadView(ViewSlot& slot);
    [[nodiscard]] static QWidget* outerOf(QWidget* child);
    // Tool windows moved and sized inside the frame's area, views fitted to
    // it at their zoom: nothing reaches past the frame, and a larger frame
    // gives the views room to grow.
    void fitChildrenToFrame();
    // The area panel stands below the parameters when it fits there, else
    // beside them.
    void placeAreaPanel();
    [[nodiscard]] QSize canopyWantedSize() const;

    std::unique_ptr<MainWindow> main_;
    bool mainClosing_ = false;
    QPointer<FormatWindow> format_;
    QPointer<AreaPanel> area_;
    QPointer<CanopyWindow> canopy_;
    ViewSlot src_;
    ViewSlot dst_;
};

} // namespace karwen::ui
