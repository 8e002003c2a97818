// What a desktop program is expected to do: open a photo named on the
// command line or dropped on the frame, remember recent photos, answer the
// usual keys, and tell in the status bar what lies under the mouse.
#include "area_app_fixture.h"
#include "parameter_fields.h"

using namespace karwen;
using namespace Qt::StringLiterals;
using test::AreaApp;

class TestDesktop : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString disc_; // 640 x 480

    // The mouse over a picture, sent to it alone (the views may overlap).
    static void hover(QWidget* picture, QPointF at)
    {
        QMouseEvent move(QEvent::MouseMove, at, picture->mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
        QCoreApplication::sendEvent(picture, &move);
    }

    static QMenu* recentMenu(AreaApp& app) { return app.app.frmMain().findChild<QMenu*>(u"mnuFileRecent"_s); }

private slots:
    void initTestCase()
    {
        // The settings go to a folder of the test's own, never the user's.
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(QSettings().fileName().contains(u".qttest"_s));
    }

    void init()
    {
        QSettings().clear();
        QVERIFY(dir_.isValid());
        disc_ = test::writeDiscImage(dir_, u"disc.bmp"_s);
        QVERIFY(!disc_.isEmpty());
    }

    void openPhotoAsTheOpenCommandDoes()
    {
        AreaApp app;
        QCOMPARE(app.app.frmMain().windowTitle(), u"KARWEN"_s);
        QVERIFY(app.app.frmMain().openPhoto(disc_));
        QVERIFY(isImage(hSrc) && app.dst());
        QCOMPARE(app.app.frmMain().windowTitle(), u"KARWEN - disc.bmp"_s);
        // A file that cannot be opened is File > Open's (tst_image_commands):
        // both go through openPhoto.
    }

    // .jpeg and .jpe names, in any case, open and save as JPEG files.
    void jpegNamesOpenAndSave()
    {
        AreaApp app;
        QVERIFY(app.open(disc_));
        for (const char* name : {"out.jpeg", "out.JPE"}) {
            const QString out = dir_.filePath(QLatin1String(name));
            app.dialogs.files = {out};
            app.menu("mnuFileSave");
            QVERIFY2(test::readFile(out).startsWith("\xFF\xD8\xFF"), name);
            QVERIFY(app.open(out));
            QCOMPARE(QString::fromStdString(SrcFile), out);
        }
        QVERIFY(app.dialogs.messages.isEmpty());
    }

    void droppedPhotoOpens()
    {
        AreaApp app;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(disc_)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&app.app.frmMain(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&app.app.frmMain(), &drop);
        QCOMPARE(QString::fromStdString(SrcFile), disc_);
        QVERIFY(app.dst());
    }

    void recentFilesNewestFirstAndMissingOnesGo()
    {
        const QString second = test::writeDiscImage(dir_, u"second.bmp"_s);
        {
            AreaApp app;
            QVERIFY(!recentMenu(app)->menuAction()->isEnabled()); // greyed while empty
            QVERIFY(app.open(disc_));
            QVERIFY(app.open(second));
            QVERIFY(app.open(disc_));
        }
        AreaApp app; // the list outlives the program
        QMenu* menu = recentMenu(app);
        QVERIFY(menu->menuAction()->isEnabled());
        QCOMPARE(menu->actions().size(), 2);
        QCOMPARE(menu->actions().at(0)->text(), u"&1 disc.bmp"_s);
        QCOMPARE(menu->actions().at(1)->data().toString(), second);

        menu->actions().at(1)->trigger();
        QCOMPARE(QString::fromStdString(SrcFile), second);
        QVERIFY(QFile::remove(disc_));
        menu->actions().at(1)->trigger(); // disc.bmp, now gone
        QCOMPARE(app.dialogs.messages.size(), 1);
        QVERIFY(app.dialogs.messages.constFirst().contains(disc_));
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(QString::fromStdString(SrcFile), second);
    }

    // The zoom keys and items act on the active view alone, and on nothing
    // while the parameters window is active.
    void zoomKeysStepTheActiveView()
    {
        AreaApp app;
        app.app.frmMain().show();
        QVERIFY(app.open(disc_));
        QMdiArea* area = app.app.frmMain().mdiArea();
        area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(app.dst()->parentWidget()));
        const auto key = [&](const char* name) {
            app.app.frmMain().findChild<QAction*>(QLatin1String(name))->trigger();
            return app.dst()->viewScale();
        };
        // The steps themselves are tst_view_geometry's.
        const float source = app.app.windows().srcIfLoaded()->viewScale();
        QCOMPARE(key("zoomIn"), 1.5f);
        QCOMPARE(key("zoomOut"), 1.0f);
        QCOMPARE(key("zoomOut"), 0.75f);
        QCOMPARE(key("mag3"), 1.0f); // Ctrl+0
        QCOMPARE(key("mag6"), 4.0f);
        QCOMPARE(app.dst()->windowTitle(), u"New - Destination(400%)"_s);
        QCOMPARE(app.app.windows().srcIfLoaded()->viewScale(), source);
        area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(app.app.windows().formatIfLoaded()->parentWidget()));
        QCOMPARE(key("mag0"), 4.0f);
        QCOMPARE(key("zoomOut"), 4.0f);
        QCOMPARE(app.app.windows().srcIfLoaded()->viewScale(), source);
    }

    void statusBarTellsWhatIsUnderTheMouse()
    {
        AreaApp app;
        app.app.frmMain().show();
        QVERIFY(app.open(disc_));
        views::SrcView* src = app.app.windows().srcIfLoaded();
        QVERIFY(src);
        // What the status bar says with the mouse over `at` on `picture`,
        // checked to begin with `start` and to hold `parts`.
        const auto says = [&](QWidget* picture, QPointF at, const QString& start, const QStringList& parts) {
            hover(picture, at);
            const QString text = app.app.frmMain().statusBar()->currentMessage();
            QVERIFY2(text.startsWith(start), qPrintable(text));
            for (const QString& part : parts)
                QVERIFY2(text.contains(part), qPrintable(text));
        };
        const auto at = [&](double x, double y) { return views::mapToView(src->mapping(), {x, y}); };
        // The circle centre: its handle, the pixel, its colour, the zenith.
        says(src->picture(), at(SrcPrm.Cx, SrcPrm.Cy),
            u"Circle centre and view reference point: drag to move the circle, Shift-drag to move "
            "where the view looks"_s,
            {u"x %1  y %2"_s.arg(int(SrcPrm.Cx)).arg(int(SrcPrm.Cy)), u"R 120  G 160  B 230"_s, u"zenith 0."_s});
        // Half way to the rim on the right of an equidistant circle: 45
        // degrees, and no handle there.
        says(src->picture(), at(SrcPrm.Cx + SrcPrm.R / 2, SrcPrm.Cy), u"x "_s, {u"zenith 4"_s, u"azimuth 0."_s});
        // On the rim: the radius, and the tilt with Shift.
        says(src->picture(), at(SrcPrm.Cx, SrcPrm.Cy + SrcPrm.R),
            u"Circle rim: drag to change the radius, Shift-drag to turn the tilt"_s, {});
        // The destination: its own circle, centre straight along the view.
        says(app.pct(), views::mapToView(app.dst()->mapping(), {DstPrm.Cx, DstPrm.Cy}), QString(), {u"zenith 0."_s});
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
