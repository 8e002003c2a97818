// What a desktop program is expected to do: open a photo named on the
// command line or dropped on the frame, remember recent photos, answer the
// usual keys, and tell in the status bar what lies under the mouse.
#include "area_app_fixture.h"
#include "format_window.h"
#include "parameter_fields.h"
#include "src_view.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

using namespace karwen;
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

    static QMenu* recentMenu(AreaApp& app)
    {
        return app.app.frmMain().findChild<QMenu*>(QStringLiteral("mnuFileRecent"));
    }

private slots:
    void initTestCase()
    {
        // The settings go to a folder of the test's own, never the user's.
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(QSettings().fileName().contains(QStringLiteral(".qttest")));
    }

    void init()
    {
        QSettings().clear();
        QVERIFY(dir_.isValid());
        disc_ = test::writeDiscImage(dir_, QStringLiteral("disc.bmp"));
        QVERIFY(!disc_.isEmpty());
    }

    void openPhotoAsTheOpenCommandDoes()
    {
        AreaApp app;
        QCOMPARE(app.app.frmMain().windowTitle(), QStringLiteral("KARWEN"));
        QVERIFY(app.app.frmMain().openPhoto(disc_));
        QVERIFY(isImage(hSrc) && app.dst());
        QCOMPARE(app.app.frmMain().windowTitle(), QStringLiteral("KARWEN - disc.bmp"));
        // A file that cannot be opened: the same message as File > Open.
        const QString broken = dir_.filePath(QStringLiteral("broken.jpg"));
        QVERIFY(test::writeFile(broken, "not a jpeg"));
        app.app.frmMain().close();
        AreaApp fresh;
        QVERIFY(!fresh.app.frmMain().openPhoto(broken));
        QCOMPARE(fresh.dialogs.messages.size(), 1);
        QVERIFY(fresh.dialogs.messages.constFirst().startsWith(QStringLiteral("Cannot open \"") + broken));
        QVERIFY(!isImage(hSrc));
        QCOMPARE(fresh.app.frmMain().windowTitle(), QStringLiteral("KARWEN"));
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
        const QString second = test::writeDiscImage(dir_, QStringLiteral("second.bmp"));
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
        QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("&1 disc.bmp"));
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
        QCOMPARE(key("zoomIn"), 1.5f);
        QCOMPARE(key("zoomIn"), 2.0f);
        QCOMPARE(key("zoomOut"), 1.5f);
        QCOMPARE(key("mag3"), 1.0f); // Ctrl+0
        for (int i = 0; i < 4; ++i)
            (void)key("zoomOut");
        QCOMPARE(app.dst()->viewScale(), 0.25f); // the smallest step stays
    }

    void enterAppliesAField()
    {
        AreaApp app;
        QVERIFY(app.open(disc_));
        QLineEdit* width = app.app.windows().frmFormat().field(Field::DstWidth);
        width->setText(QStringLiteral("300"));
        QTest::keyClick(width, Qt::Key_Return);
        QCOMPARE(DstW, 300);
        QCOMPARE(RixWidth(hDst), 300);
    }

    void statusBarTellsWhatIsUnderTheMouse()
    {
        AreaApp app;
        app.app.frmMain().show();
        QVERIFY(app.open(disc_));
        views::SrcView* src = app.app.windows().srcIfLoaded();
        QVERIFY(src);
        QStatusBar* status = app.app.frmMain().statusBar();
        // The circle centre: its handle, the pixel, its colour, the zenith.
        const QPointF centre = views::mapToView(src->mapping(), {SrcPrm.Cx, SrcPrm.Cy});
        hover(src->picture(), centre);
        const QString atCentre = status->currentMessage();
        QVERIFY2(atCentre.startsWith(QStringLiteral("Circle centre and view reference point: drag to move the "
                                                    "circle, Shift-drag to move where the view looks")),
            qPrintable(atCentre));
        QVERIFY2(atCentre.contains(QStringLiteral("x %1  y %2").arg(int(SrcPrm.Cx)).arg(int(SrcPrm.Cy))),
            qPrintable(atCentre));
        QVERIFY2(atCentre.contains(QStringLiteral("R 120  G 160  B 230")), qPrintable(atCentre));
        QVERIFY2(atCentre.contains(QStringLiteral("zenith 0.")), qPrintable(atCentre));
        // Half way to the rim on the right of an equidistant circle: 45 degrees.
        const QPointF right = views::mapToView(src->mapping(), {SrcPrm.Cx + SrcPrm.R / 2, SrcPrm.Cy});
        hover(src->picture(), right);
        const QString halfWay = status->currentMessage();
        QVERIFY2(halfWay.startsWith(QStringLiteral("x ")), qPrintable(halfWay)); // no handle there
        QVERIFY2(halfWay.contains(QStringLiteral("zenith 4")) && halfWay.contains(QStringLiteral("azimuth 0.")),
            qPrintable(halfWay));
        // On the rim: the radius, and the tilt with Shift.
        const QPointF rim = views::mapToView(src->mapping(), {SrcPrm.Cx, SrcPrm.Cy + SrcPrm.R});
        hover(src->picture(), rim);
        QVERIFY2(status->currentMessage().startsWith(
                     QStringLiteral("Circle rim: drag to change the radius, Shift-drag to turn the tilt")),
            qPrintable(status->currentMessage()));
        // The destination: its own circle, centre straight along the view.
        const QPointF dstCentre = views::mapToView(app.dst()->mapping(), {DstPrm.Cx, DstPrm.Cy});
        hover(app.pct(), dstCentre);
        QVERIFY2(status->currentMessage().contains(QStringLiteral("zenith 0.")), qPrintable(status->currentMessage()));
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
