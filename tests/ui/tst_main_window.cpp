// Start-up state, the menus, the tool windows and the frame, and the
// closing of both views.
#include "area_app_fixture.h"
#include "canopy_window.h"
#include "dst_view.h"
#include "format_window.h"
#include "karwen_app.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "photo_source.h"
#include "pointer_status.h"
#include "synthetic_open.h"
#include "view_geometry.h"

using namespace karwen;
using namespace Qt::StringLiterals;

namespace {

using test::openSynthetic;

// The four commands that need an image.
const QStringList kImageCommands{"mnuFileSave", "mnuFileLoadArea", "mnuFileSaveArea", "mnuFileClose"};

// Paint events of a widget and of the widgets inside it (a window whose
// parts scroll is drawn by them alone).
struct PaintCounter : QObject {
    explicit PaintCounter(QWidget* widget)
    {
        widget->installEventFilter(this);
        for (QWidget* inner : widget->findChildren<QWidget*>())
            inner->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
    int count = 0;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    test::ScriptedDialogs dialogs_;
    std::unique_ptr<ui::KarwenApp> app_;

private slots:
    void init()
    {
        app_ = std::make_unique<ui::KarwenApp>();
        app_->Main();
    }
    void cleanup() { app_.reset(); }

    void menuKeys()
    {
        ui::KarwenApp& app = *app_;
        QMenuBar* bar = app.frmMain().menuBar();
        // The usual keys, and no check marks anywhere.
        const QMap<QString, QString> keys{{"mnuFileOpen", "Ctrl+O"}, {"mnuFileSave", "Ctrl+S"},
            {"mnuFileClose", "Ctrl+W"}, {"mnuFileExit", "Ctrl+Q"}, {"mnuEditUndo", "Ctrl+Z"},
            {"mnuEditRedo", "Ctrl+Shift+Z"}, {"mag3", "Ctrl+0"}, {"mnuHelpAbout", "F1"}};
        for (QMenu* m : bar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
            for (QAction* a : m->actions()) {
                QCOMPARE(a->shortcut().toString(), keys.value(a->objectName()));
                QVERIFY2(!a->isCheckable(), qPrintable(a->text()));
            }
    }

    void startUpStateAndCommandsWithoutImage()
    {
        ui::KarwenApp& app = *app_;
        ui::MainWindow& main = app.frmMain();
        QCOMPARE(main.windowTitle(), u"KARWEN"_s);
        QCOMPARE(hSrc, 0);
        QCOMPARE(hDst, 0);
        for (const QString& name : kImageCommands)
            QVERIFY2(!main.item(name)->isEnabled(), qPrintable(name));
        for (const char* name : {"mnuFileOpen", "mnuFileBatch", "mnuFileExit", "mnufit", "mag3", "mnuHelpAbout"})
            QVERIFY2(main.item(QLatin1String(name))->isEnabled(), name);
        QVERIFY(main.findChild<QMenu*>(u"mnuView"_s)->menuAction()->isEnabled());
        QVERIFY(main.findChild<QMenu*>(u"mnuViewMag"_s)->menuAction()->isEnabled());
        // The tool windows are shown, greyed; no image window is loaded.
        ui::FormatWindow* format = app.windows().formatIfLoaded();
        ui::AreaPanel* area = app.windows().areaIfLoaded();
        QVERIFY(format && area);
        QVERIFY(format->isVisible() && !format->isEnabled());
        QVERIFY(area->isVisible() && !area->isEnabled());
        QCOMPARE(format->parentWidget()->pos(), QPoint(0, 0));
        QCOMPARE(area->parentWidget()->pos(), QPoint(0, format->parentWidget()->geometry().bottom() + 1));
        QVERIFY(!app.windows().srcIfLoaded());
        QVERIFY(!app.windows().dstIfLoaded());
        QCOMPARE(main.mdiArea()->subWindowList().size(), 2);
        QCOMPARE(DstW, 512);
        QVERIFY(GridOn);

        // Zoom with the parameters window active and Close: nothing to act on.
        main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(format->parentWidget()));
        main.item(u"mag6"_s)->trigger();
        main.item(u"mnufit"_s)->trigger();
        QVERIFY(!app.windows().srcIfLoaded());
        close_image();
        QCOMPARE(hSrc, -1);
        QCOMPARE(hDst, -1);
        QCOMPARE(main.mdiArea()->subWindowList().size(), 2);
        QVERIFY(!main.item(u"mnuFileClose"_s)->isEnabled());
    }

    void viewCloseBoxClosesBoth()
    {
        ui::KarwenApp& app = *app_;
        for (bool closeSource : {true, false}) {
            openSynthetic(app, 600, 400);
            views::SrcView* src = app.windows().srcIfLoaded();
            views::DstView* dst = app.windows().dstIfLoaded();
            QVERIFY(src && dst);
            QVERIFY(app.frmMain().item(u"mnuFileClose"_s)->isEnabled());
            (closeSource ? src : static_cast<QWidget*>(dst))->parentWidget()->close();
            QVERIFY(!app.windows().srcIfLoaded());
            QVERIFY(!app.windows().dstIfLoaded());
            QCOMPARE(hSrc, -1);
            QCOMPARE(hDst, -1);
            for (const QString& name : kImageCommands)
                QVERIFY2(!app.frmMain().item(name)->isEnabled(), qPrintable(name));
            QVERIFY(!app.windows().formatIfLoaded()->isEnabled());
        }
    }

    void toolWindowsComeBackWholeFromTheViewMenu()
    {
        ui::KarwenApp& app = *app_;
        QMdiArea* area = app.frmMain().mdiArea();
        // The canopy window is made when the menu first asks for it.
        QVERIFY(!app.windows().canopyIfLoaded());
        app.frmMain().item(u"mnuCanopy"_s)->trigger();
        const std::pair<const char*, QWidget*> tools[] = {
            {"mnuFormat", app.windows().formatIfLoaded()},
            {"mnuArea", app.windows().areaIfLoaded()},
            {"mnuCanopy", app.windows().canopyIfLoaded()},
        };
        for (const auto& [item, tool] : tools) {
            QWidget* outer = tool->parentWidget();
            QVERIFY(outer->close());
            QVERIFY(!outer->isVisible());
            PaintCounter painted(tool);
            app.frmMain().item(QLatin1String(item))->trigger();
            QVERIFY2(outer->isVisible(), item);
            // The window inside the frame is back and drawn, not an empty frame.
            QVERIFY2(tool->isVisible(), item);
            QTRY_VERIFY2(painted.count > 0, item);
            QCOMPARE(area->subWindowList(QMdiArea::StackingOrder).constLast(), outer); // on top
        }
        // Closed and shown again, they are still the same windows.
        QCOMPARE(app.windows().formatIfLoaded(), tools[0].second);
        QCOMPARE(app.windows().areaIfLoaded(), tools[1].second);
        QCOMPARE(app.windows().canopyIfLoaded(), tools[2].second);
        QCOMPARE(area->subWindowList().size(), 3);
    }

    void viewsStayInsideTheFrameAndGrowWithIt()
    {
        ui::KarwenApp& app = *app_;
        app.frmMain().resize(720, 540); // most of an 800 x 600 screen
        DstW = 2000;
        DstH = 2000;
        openSynthetic(app, 600, 400);
        app.frmMain().item(u"mnuCanopy"_s)->trigger();
        views::DstView* dst = app.windows().dstIfLoaded();
        QMdiArea* area = app.frmMain().mdiArea();
        const QRect frame = area->viewport()->rect();
        const auto allInside = [&] {
            for (QMdiSubWindow* sub : area->subWindowList())
                if (!frame.contains(sub->geometry()))
                    return false;
            return true;
        };
        QVERIFY(allInside());
        // (Zooming keeps each view's window: tst_window_layout.)
        area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(dst->parentWidget()));
        dst->set_sc(2.0f);
        // A larger frame (maximised) gives the view room to grow.
        const QSize before = dst->parentWidget()->size();
        app.frmMain().resize(1200, 900);
        QTRY_VERIFY(dst->parentWidget()->width() > before.width() && dst->parentWidget()->height() > before.height());
        QCOMPARE(dst->viewScale(), 2.0f);

        // "fit" chooses the zoom that shows the whole image in the window.
        app.frmMain().item(u"mnufit"_s)->trigger();
        QVERIFY(dst->viewScale() < 0.5f);
        QCOMPARE(dst->hsb()->maximum(), 0);
        QCOMPARE(dst->vsb()->maximum(), 0);
        close_image();
    }

    void areaPanelStandsBesideTheParametersWhenBelowIsTooLow()
    {
        ui::KarwenApp& app = *app_;
        const QWidget* format = app.windows().formatIfLoaded()->parentWidget();
        const QWidget* panel = app.windows().areaIfLoaded()->parentWidget();
        app.frmMain().resize(1000, format->height() + panel->height() + 200);
        QTRY_COMPARE(panel->pos(), QPoint(0, format->geometry().bottom() + 1));
        app.frmMain().resize(1000, format->height() + 120);
        QTRY_COMPARE(panel->pos(), QPoint(format->geometry().right() + 1, 0));
    }

    // The sub-windows' own menus claim Ctrl+W for closing themselves; the
    // key must still reach "Close(&C)" whichever of them is active.
    void ctrlWClosesTheImageFromEverySubWindow()
    {
        ui::KarwenApp& app = *app_;
        app.frmMain().show();
        app.frmMain().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&app.frmMain()));
        app.frmMain().item(u"mnuCanopy"_s)->trigger();
        QMdiArea* area = app.frmMain().mdiArea();
        for (const char* which : {"Src", "Dst", "frmFormat", "frmArea", "frmCanopy"}) {
            openSynthetic(app, 320, 240);
            QWidget* child = QLatin1String(which) == QLatin1String("Src") ? app.windows().srcIfLoaded()
                : QLatin1String(which) == QLatin1String("Dst")
                ? app.windows().dstIfLoaded()
                : app.frmMain().findChild<QWidget*>(QLatin1String(which));
            QVERIFY2(child, which);
            auto* sub = qobject_cast<QMdiSubWindow*>(child->parentWidget());
            area->setActiveSubWindow(sub);
            QCOMPARE(area->activeSubWindow(), sub);
            QTest::keyClick(sub, Qt::Key_W, Qt::ControlModifier);
            QVERIFY2(!isImage(hSrc) && !isImage(hDst), which);
            QVERIFY2(!app.windows().srcIfLoaded() && !app.windows().dstIfLoaded(), which);
            // A tool window stays where it was.
            if (!QLatin1String(which).startsWith(QLatin1String("frm")))
                continue;
            QVERIFY2(sub->isVisible(), which);
        }
    }

    // Dragging the circle's centre moves where every point looks; when the
    // mouse lets go, the status bar tells what the point under it shows now.
    void statusBarFollowsTheDragThatJustEnded()
    {
        ui::KarwenApp& app = *app_;
        app.frmMain().show();
        SrcPrm.Cx = 200;
        SrcPrm.Cy = 150;
        SrcPrm.R = 140;
        openSynthetic(app, 400, 300);
        views::SrcView* src = app.windows().srcIfLoaded();
        QWidget* pct = src->picture();
        const QPoint from = views::mapToView(src->mapping(), {SrcPrm.Cx, SrcPrm.Cy}).toPoint();
        const QPoint to = from + QPoint(30, -20);
        QTest::mousePress(pct, Qt::LeftButton, {}, from);
        QMouseEvent move(
            QEvent::MouseMove, QPointF(to), pct->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(pct, &move);
        const QString duringDrag = app.frmMain().statusBar()->currentMessage();
        QTest::mouseRelease(pct, Qt::LeftButton, {}, to);
        // The status bar tells what the point under the mouse shows with the
        // circle as it is now, which differs from what it told during the drag.
        const QString expected = ui::pointerStatusText(hSrc, SrcPrm, views::mapToImage(src->mapping(), to));
        QVERIFY(!expected.isEmpty());
        QVERIFY2(!duringDrag.endsWith(expected), qPrintable(duringDrag));
        const QString now = app.frmMain().statusBar()->currentMessage();
        QVERIFY2(now.endsWith(expected), qPrintable(now + u" / "_s + expected));
        close_image();
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
