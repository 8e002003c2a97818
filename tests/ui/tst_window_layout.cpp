// Where the sub-windows stand: the Window menu's tiling, cascading and list,
// the views kept where the user put them from one photo to the next, and
// zooming that scales the picture inside its window.
#include "about_box.h"
#include "area_panel.h"
#include "canopy_figure_table.h"
#include "canopy_window.h"
#include "dst_view.h"
#include "format_window.h"
#include "karwen_app.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "scripted_dialogs.h"
#include "src_view.h"
#include "synthetic_open.h"
#include "window_registry.h"

using namespace karwen;
using namespace Qt::StringLiterals;

namespace {

using test::openSynthetic;

// An 800 x 600 screen, less the window frame and title a dialog gets on it.
constexpr QSize kSmallScreenRoom(800 - 16, 600 - 48);

QMdiSubWindow* outer(QWidget* child) { return qobject_cast<QMdiSubWindow*>(child->parentWidget()); }

QList<QRect> geometries(const QMdiArea* area)
{
    QList<QRect> all;
    for (const QMdiSubWindow* sub : area->subWindowList())
        all << sub->geometry();
    return all;
}

// The list items of the Window menu as it opens.
QList<QAction*> windowList(QMenu* menu)
{
    emit menu->aboutToShow();
    QList<QAction*> items;
    for (QAction* action : menu->actions())
        if (action->objectName().startsWith(u"mnuWindowList"_s))
            items << action;
    return items;
}

} // namespace

class TestWindowLayout : public QObject {
    Q_OBJECT

    test::ScriptedDialogs dialogs_;
    std::unique_ptr<ui::KarwenApp> app_;

private slots:
    void init()
    {
        app_ = std::make_unique<ui::KarwenApp>();
        app_->Main();
        // Shown: a hidden area tiles nothing, and the views fit what they see.
        app_->frmMain().resize(1200, 900);
        app_->frmMain().show();
        QVERIFY(QTest::qWaitForWindowExposed(&app_->frmMain()));
    }
    void cleanup()
    {
        close_image();
        app_.reset();
    }

    void windowListFollowsTheOpenWindowsAndActivatesThem()
    {
        ui::MainWindow& main = app_->frmMain();
        QMdiArea* area = main.mdiArea();
        auto* menu = main.findChild<QMenu*>(u"mnuWindow"_s);
        QVERIFY(menu);
        QCOMPARE(windowList(menu).size(), 2); // the parameters and the area panel

        openSynthetic(*app_, 600, 400);
        QMdiSubWindow* src = outer(app_->windows().srcIfLoaded());
        QMdiSubWindow* dst = outer(app_->windows().dstIfLoaded());
        for (QMdiSubWindow* chosen : {src, dst, outer(app_->windows().formatIfLoaded()), src}) {
            const QList<QAction*> items = windowList(menu);
            QCOMPARE(items.size(), 4);
            QAction* item = nullptr;
            for (QAction* candidate : items)
                if (candidate->text().startsWith(chosen->windowTitle()))
                    item = candidate;
            QVERIFY2(item, qPrintable(chosen->windowTitle()));
            item->trigger();
            QCOMPARE(area->activeSubWindow(), chosen);
            // Opened again, the menu checks the active window alone.
            int checked = 0;
            for (QAction* again : windowList(menu)) {
                checked += again->isChecked();
                QCOMPARE(again->isChecked(), again->text().startsWith(chosen->windowTitle()));
            }
            QCOMPARE(checked, 1);
        }

        // A tool window closed by its box, and the image closed: gone from the list.
        outer(app_->windows().areaIfLoaded())->close();
        QCOMPARE(windowList(menu).size(), 3);
        close_image();
        QCOMPARE(windowList(menu).size(), 1);
    }

    void tileAndCascadeRearrangeTheWindows()
    {
        ui::MainWindow& main = app_->frmMain();
        QMdiArea* area = main.mdiArea();
        auto* menu = main.findChild<QMenu*>(u"mnuWindow"_s);
        openSynthetic(*app_, 600, 400);
        const QRect frame = area->viewport()->rect();
        emit menu->aboutToShow();

        const QList<QRect> placed = geometries(area);
        main.findChild<QAction*>(u"mnuWindowTile"_s)->trigger();
        const QList<QRect> tiled = geometries(area);
        QVERIFY(tiled != placed);
        // Tiled, the windows share the area without overlapping.
        for (int i = 0; i < tiled.size(); ++i) {
            QVERIFY(frame.contains(tiled[i]));
            for (int j = 0; j < i; ++j)
                QVERIFY2(!tiled[i].intersects(tiled[j]), qPrintable(u"%1 %2"_s.arg(i).arg(j)));
        }

        main.findChild<QAction*>(u"mnuWindowCascade"_s)->trigger();
        const QList<QRect> cascaded = geometries(area);
        QVERIFY(cascaded != tiled); // where Qt puts them is Qt's
    }

    // The first photo places the views; later ones leave them where the user
    // put them, whatever their size.
    void laterPhotosKeepTheViewsWhereTheUserPutThem()
    {
        openSynthetic(*app_, 600, 400);
        const QRect srcChosen(420, 30, 300, 260);
        const QRect dstChosen(60, 320, 380, 330);
        outer(app_->windows().srcIfLoaded())->setGeometry(srcChosen);
        outer(app_->windows().dstIfLoaded())->setGeometry(dstChosen);
        const QRect format = outer(app_->windows().formatIfLoaded())->geometry();
        for (const QSize photo : {QSize(600, 400), QSize(1600, 1200), QSize(200, 150)}) {
            close_image();
            openSynthetic(*app_, photo.width(), photo.height());
            const QString size = u"%1 x %2"_s.arg(photo.width()).arg(photo.height());
            QCOMPARE(outer(app_->windows().srcIfLoaded())->geometry(), srcChosen);
            QCOMPARE(outer(app_->windows().dstIfLoaded())->geometry(), dstChosen);
            QCOMPARE(outer(app_->windows().formatIfLoaded())->geometry(), format);
            // The picture fills the window it was given.
            views::SrcView* src = app_->windows().srcIfLoaded();
            QVERIFY2(src->pictureSize().width() > srcChosen.width() - 60, qPrintable(size));
        }
    }

    // Zooming in scales the picture inside its window, which keeps its
    // place and size; the picture scrolls.
    void zoomingKeepsTheViewsWindow()
    {
        ui::MainWindow& main = app_->frmMain();
        main.resize(720, 540); // most of an 800 x 600 screen
        openSynthetic(*app_, 400, 300);
        QMdiArea* area = main.mdiArea();
        const QRect frame = area->viewport()->rect();
        for (views::ImageView* view : {static_cast<views::ImageView*>(app_->windows().srcIfLoaded()),
                 static_cast<views::ImageView*>(app_->windows().dstIfLoaded())}) {
            QMdiSubWindow* sub = outer(view);
            area->setActiveSubWindow(sub);
            const QRect before = sub->geometry();
            QVERIFY(frame.contains(before));
            main.findChild<QAction*>(u"zoomIn"_s)->trigger();
            QCOMPARE(sub->geometry(), before);
            main.item(u"mag7"_s)->trigger(); // 800%
            QCOMPARE(view->viewScale(), 8.0f);
            QCOMPARE(sub->geometry(), before);
            QVERIFY(view->hsb()->maximum() > 0 && view->vsb()->maximum() > 0);
            // Out again: the window stays, the image centres in it.
            main.item(u"mag0"_s)->trigger();
            QCOMPARE(sub->geometry(), before);
            QCOMPARE(view->hsb()->maximum(), 0);
        }
        QVERIFY(!area->horizontalScrollBar()->isVisible() && !area->verticalScrollBar()->isVisible());
    }

    void windowsFitASmallScreen()
    {
        const QSize room = kSmallScreenRoom;
        const auto fits = [&](QSize size) { return size.width() <= room.width() && size.height() <= room.height(); };
        ui::AboutBox about;
        QVERIFY(fits(about.sizeHint()));
        QVERIFY(fits(about.minimumSize()));
        QVERIFY(fits(outer(app_->windows().formatIfLoaded())->size()));
        QVERIFY(fits(outer(app_->windows().areaIfLoaded())->size()));
    }

    // The frame on an 800 x 600 screen: the canopy window opens with every
    // column of its figure table in sight, not below the fold.
    void canopyTableShowsEveryColumnOnASmallScreen()
    {
        ui::MainWindow& main = app_->frmMain();
        main.resize(720, 540);
        openSynthetic(*app_, 600, 400);
        main.item(u"mnuCanopy"_s)->trigger();
        ui::CanopyWindow* canopy = app_->windows().canopyIfLoaded();
        QVERIFY(canopy);
        QTRY_VERIFY(canopy->isVisible());
        QVERIFY(main.mdiArea()->viewport()->rect().contains(outer(canopy)->geometry()));
        auto* scroll = canopy->findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(scroll);
        QWidget* shown = scroll->viewport();
        const ui::CanopyFigureTable& table = canopy->table();
        const QHeaderView* header = table.horizontalHeader();
        // The header and the first rows (threshold to LX) show.
        const int firstRows = header->height() + 6 * table.verticalHeader()->defaultSectionSize();
        for (int column = 0; column < table.columnCount(); ++column) {
            const QPoint left = header->mapTo(shown, QPoint(header->sectionViewportPosition(column), 0));
            const QRect section(left, QSize(header->sectionSize(column), firstRows));
            const QString name = table.horizontalHeaderItem(column)->text();
            QVERIFY2(shown->rect().contains(section),
                qPrintable(name
                    + u" at %1,%2 %3 x %4"_s.arg(section.x())
                          .arg(section.y())
                          .arg(section.width())
                          .arg(section.height())));
            // The text is not cut.
            QVERIFY2(header->sectionSize(column) >= header->fontMetrics().horizontalAdvance(name), qPrintable(name));
        }
    }
};

QTEST_MAIN(TestWindowLayout)
#include "tst_window_layout.moc"
