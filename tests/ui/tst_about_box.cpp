// frmAbout: the eight-frame animation on the 200 ms timer, the centring and
// OK.
#include "about_box.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;
using karwen::ui::AboutBox;

namespace {

QImage shown(const AboutBox& box) { return box.imgTitle()->pixmap().toImage(); }

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void framesAreDistinctAndLoop()
    {
        AboutBox box;
        for (int i = 0; i < karwen::ui::kAboutFrames; ++i) {
            QVERIFY(!box.img(i).isNull());
            QCOMPARE(box.img(i).size(), box.img(0).size());
            for (int j = 0; j < i; ++j)
                QVERIFY2(box.img(i).toImage() != box.img(j).toImage(), qPrintable(u"%1 %2"_s.arg(i).arg(j)));
        }
        // Drawing one more frame would give the first again.
        QCOMPARE(karwen::ui::aboutFrame(8, 96).toImage(), box.img(0).toImage());
    }

    void ticksRunThroughTheFramesInOrder()
    {
        AboutBox box;
        QCOMPARE(box.FrameNo(), 0);
        QCOMPARE(shown(box), box.img(0).toImage());
        const QList<int> expected{1, 2, 3, 4, 5, 6, 7, 0, 1};
        QList<int> seen;
        for (int tick = 0; tick < expected.size(); ++tick) {
            box.tmr_Timer();
            seen << box.FrameNo();
            QCOMPARE(shown(box), box.img(box.FrameNo()).toImage());
        }
        QCOMPARE(seen, expected);

        // A new box starts again at the first frame, and its 200 ms timer
        // moves it on.
        AboutBox again;
        QCOMPARE(again.FrameNo(), 0);
        QCOMPARE(again.tmr().interval(), 200);
        QSignalSpy ticks(&again.tmr(), &QTimer::timeout);
        QVERIFY(ticks.wait(5000));
        QVERIFY(again.FrameNo() >= 1);
    }

    void centredAndClosedByOk()
    {
        AboutBox box;
        const QRect screen = box.screen()->geometry();
        QCOMPARE(box.x(), screen.x() + (screen.width() - box.frameGeometry().width()) / 2);
        QCOMPARE(box.y(), screen.y() + (screen.height() - box.frameGeometry().height()) / 2);

        QTimer::singleShot(0, &box, [&box] { box.findChild<QPushButton*>(u"cmdOK"_s)->click(); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_about_box.moc"
