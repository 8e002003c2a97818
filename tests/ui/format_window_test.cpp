// The parameters dialog on its own, with a uniform grey source image and a
// destination image the tests paint with a marker colour: a conversion shows
// as the marker being overwritten, the redraw requests are recorded.
#include "area_app_fixture.h"
#include "dst_view.h"
#include "format_window.h"
#include "karwen_app.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "photo_source.h"
#include "scripted_dialogs.h"
#include "test_image.h"
#include "window_hooks.h"

using namespace karwen;
using namespace Qt::StringLiterals;
using karwen::Field;
using karwen::ui::FormatWindow;

Q_DECLARE_METATYPE(karwen::Field)

namespace {

const uint32_t kSourceColour = test::packRgb(230, 230, 230);
const uint32_t kMarker = test::packRgb(255, 0, 255);

class Hooks : public WindowHooks {
public:
    QStringList events;
    FormatWindow* window = nullptr;

    void refreshParameterFields() override
    {
        events << "refresh";
        if (window)
            window->set_param();
    }
    void redrawSrcView() override { events << "redrawSrc"; }
    void redrawDstView() override { events << "redrawDst"; }
    void resetDstScale() override { events << "resetDstScale"; }
    void placeAreaDots() override { events << "placeDots"; }
};

using Dialogs = test::ScriptedDialogs;

// Every global the dialog can store, for "nothing changed" checks.
struct Stored {
    ProjectionRecord src, dst;
    float refX, refY;
    int32_t dstW, dstH;

    static Stored now() { return {SrcPrm, DstPrm, RefX, RefY, DstW, DstH}; }
    // Bit for bit: the records and numbers hold no padding.
    bool operator==(const Stored& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};
static_assert(sizeof(Stored) == 2 * sizeof(ProjectionRecord) + 4 * 4);

void fill(int32_t handle, uint32_t colour)
{
    const test::ImagePixels image(handle);
    QVERIFY(image.valid());
    std::fill_n(image.data(), image.size(), colour);
}

} // namespace

class FormatWindowTest : public QObject {
    Q_OBJECT

private:
    Hooks hooks_;
    std::unique_ptr<Dialogs> dialogs_;
    std::unique_ptr<FormatWindow> window_;

    QLineEdit* edit(const char* name) const { return window_->findChild<QLineEdit*>(name); }
    QComboBox* list(const char* name) const { return window_->findChild<QComboBox*>(name); }
    QStringList& events() { return hooks_.events; }
    QStringList& messages() { return dialogs_->messages; }

    void markDestination() { fill(hDst, kMarker); }
    // The destination pixel at (128, 128) looks at the source inside its
    // circle for every destination size the tests use.
    bool converted() const
    {
        const test::ImagePixels image(hDst);
        return image.valid() && image.row(128)[128] == kSourceColour;
    }
    void type(Field field, const QString& text) { window_->field(field)->setText(text); }
    void showActive()
    {
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

private slots:
    void init()
    {
        initGlobals();
        SrcW = 400;
        SrcH = 300;
        SrcPrm = {200.0, 150.0, 140.0, 0.0, 0.0, 0.0, kEquidistant};
        RefX = 200.0f;
        RefY = 150.0f;
        hSrc = RixCreate(SrcW, SrcH);
        hDst = RixCreate(DstW, DstH);
        fill(hSrc, kSourceColour);

        setWindowHooks(&hooks_);
        dialogs_ = std::make_unique<Dialogs>();
        window_ = std::make_unique<FormatWindow>();
        hooks_.window = window_.get();
        // The load's list selections already convert once.
        window_->Form_Load();
        markDestination();
        events().clear();
    }

    void cleanup()
    {
        window_.reset();
        dialogs_.reset();
        setWindowHooks(nullptr);
        hooks_ = Hooks{};
        (void)RixDestroy(hSrc);
        (void)RixDestroy(hDst);
        initGlobals();
    }

    void fitsItsMdiFrame()
    {
        QMdiArea area;
        area.resize(1017, 693);
        auto* dialog = new FormatWindow;
        QMdiSubWindow* frame = area.addSubWindow(dialog);
        area.show();
        frame->move(40, 30);
        dialog->Form_Load();
        QCOMPARE(frame->pos(), QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QCOMPARE(dialog->size(), dialog->sizeHint());
        QVERIFY(frame->contentsRect().contains(dialog->geometry()));
        // Narrow and short enough to leave room for the views and the area
        // panel below it.
        QVERIFY(frame->width() < 300);
        QVERIFY(frame->height() < 480);
        for (QWidget* child : dialog->findChildren<QWidget*>()) {
            if (!child->isVisible())
                continue;
            QVERIFY2(child->parentWidget()->rect().contains(child->geometry()), qPrintable(child->objectName()));
            QVERIFY2(child->width() >= child->minimumSizeHint().width(), qPrintable(child->objectName()));
        }
        const int number = dialog->fontMetrics().horizontalAdvance(u"-1024.00"_s);
        for (QLineEdit* field : dialog->findChildren<QLineEdit*>())
            QVERIFY(field->width() > number);
    }

    // "Illegal Value" goes on to say which field and what it takes under
    // the open photo's bounds (400 x 300 here).
    void invalidFieldStopsApply_data()
    {
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("detail"); // null: not looked at
        // Every edge of the rules is tests/app's; these show the window
        // stops at one, with the open photo's bounds and the words it adds.
        QTest::newRow("source x beyond width")
            << Field::SrcCx << "400.5"
            << "Source Image X (x coordinates of viewpoint) must be a number from 0 to 400.";
        QTest::newRow("source radius not numeric")
            << Field::SrcR << "ten"
            << "Source Image R (radius) must be a number above 10 and at most 400.";
        QTest::newRow("reference y comma") << Field::RefPointY << "1,5"
                                           << "Source Image Yr (y coordinates of view reference point) must be a "
                                              "number from 0 to 300; use a point: 1.5.";
        QTest::newRow("radius with a comma, out of range even with a point")
            << Field::SrcR << "754,5"
            << "Source Image R (radius) must be a number above 10 and at most 400.";
        QTest::newRow("height 6.5") << Field::DstHeight << "6.5"
                                    << "Destination Image H (height) must be a whole number from 8 to 2048.";
        QTest::newRow("tilt 180.5") << Field::SrcRot << "180.5" << QString();
        QTest::newRow("destination y empty") << Field::DstCy << "  " << QString();
    }

    void invalidFieldStopsApply()
    {
        QFETCH(Field, field);
        QFETCH(QString, text);
        QFETCH(QString, detail);
        // A valid change ahead of the bad field and one after it: neither
        // may be stored.
        type(Field::SrcCx, "123");
        type(Field::DstR, "200");
        type(field, text);
        const Stored before = Stored::now();

        window_->Apply();

        QCOMPARE(messages(), QStringList{"Illegal Value"});
        QCOMPARE(dialogs_->icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
        if (!detail.isEmpty())
            QCOMPARE(dialogs_->details, QStringList{detail});
        QCOMPARE(window_->focusWidget(), window_->field(field));
        QVERIFY(Stored::now() == before);
        QCOMPARE(window_->field(field)->text(), text); // not refilled
        QVERIFY(events().isEmpty());
        QVERIFY(!converted());
    }

    // Qt's own box, closed by a timer: one box for a field left with a bad
    // value, with the detail as its informative text, and the focus back in
    // the field; and even the shortest box leaves a title bar room for
    // "KARWEN" beside an icon and three buttons.
    void realIllegalValueBoxOnceWithItsDetailAndCaption()
    {
        dialogs_.reset();
        showActive();
        int shown = 0;
        QString detail;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                if (box->text() == "Illegal Value" && box->windowTitle() == "KARWEN"
                    && box->icon() == QMessageBox::Warning)
                    ++shown;
                detail = box->informativeText();
                box->done(QMessageBox::Ok);
            }
        });
        closer.start(10);
        QLineEdit* radius = edit("txtR(0)");
        radius->setFocus(Qt::MouseFocusReason);
        radius->setText("5");
        QTest::keyClick(radius, Qt::Key_Tab);
        QTRY_COMPARE(shown, 1);
        QCOMPARE(detail, u"Source Image R (radius) must be a number above 10 and at most 400."_s);
        // The window's focus widget: the offscreen platform does not
        // activate the window again when the box closes.
        QTRY_COMPARE(window_->focusWidget(), radius);
        QTest::qWait(100); // no second box follows
        QCOMPARE(shown, 1);
        QCOMPARE(window_->focusWidget(), radius);

        QFont title = QApplication::font("QMdiSubWindowTitleBar");
        title.setBold(true);
        const QFontMetrics metrics(title);
        const int captionRoom = metrics.horizontalAdvance(ui::kAppTitle) + 4 * 2 * metrics.height();
        const auto bare
            = ui::DialogSeam::makeMessageBox(nullptr, QMessageBox::Warning, "Illegal Value", QMessageBox::Ok);
        bare->show();
        QVERIFY2(bare->width() >= captionRoom, qPrintable(u"%1 < %2"_s.arg(bare->width()).arg(captionRoom)));
    }

    void displayedRoundingCountsAsChangeNextTime()
    {
        type(Field::SrcCx, "12.3456");
        window_->Apply();
        QCOMPARE(SrcPrm.Cx, 12.3456);
        QCOMPARE(edit("txtCx(0)")->text(), u"12.35"_s);
        QVERIFY(converted());

        markDestination();
        events().clear();
        window_->Apply();
        QCOMPARE(SrcPrm.Cx, 12.35);
        QCOMPARE(events(), (QStringList{"redrawSrc", "redrawDst"}));
        QVERIFY(converted());
    }

    void unchangedApplyOnlyReformats()
    {
        type(Field::SrcCx, " 200 ");
        type(Field::DstWidth, "512.4");
        // 150.000001 is the same single-precision value as 150.
        type(Field::RefPointY, "150.000001");
        window_->Apply();
        QVERIFY(messages().isEmpty());
        QCOMPARE(edit("txtCx(0)")->text(), u"200.00"_s);
        QCOMPARE(edit("txtWidth(1)")->text(), u"512"_s);
        QCOMPARE(edit("txtRot(2)")->text(), u"150.00"_s);
        QVERIFY(events().isEmpty());
        QVERIFY(!converted());
    }

    void destinationSizeRecreatesImage()
    {
        AreaOn = true;
        const int32_t before = hDst;
        type(Field::DstWidth, "299.5"); // stored rounded half to even
        window_->Apply();
        QCOMPARE(DstW, 300);
        QVERIFY(hDst != before);
        QVERIFY(isImage(hDst));
        QCOMPARE(RixWidth(hDst), 300);
        QCOMPARE(RixHeight(hDst), 512);
        QCOMPARE(events(), (QStringList{"redrawSrc", "resetDstScale", "placeDots", "redrawDst"}));
        QVERIFY(converted());
        QCOMPARE(RixWidth(before), 0); // the old image is gone
    }

    void radiusChangeConvertsInPlace()
    {
        const int32_t before = hDst;
        type(Field::DstR, "200");
        type(Field::RefPointX, "270");
        window_->Apply();
        QCOMPARE(hDst, before);
        QCOMPARE(DstPrm.R, 200.0);
        QCOMPARE(events(), (QStringList{"redrawSrc", "redrawDst"}));
        QVERIFY(converted());
        QVERIFY(SrcPrm.Alpha > 20.0); // the view angles follow the reference point
    }

    void withoutDestinationStopsAfterSourceRedraw()
    {
        (void)RixDestroy(hDst);
        hDst = -1;
        type(Field::DstWidth, "300");
        window_->Apply();
        QCOMPARE(DstW, 300);
        QCOMPARE(hDst, -1);
        QCOMPARE(events(), QStringList{"redrawSrc"});
    }

    void disabledDialogDoesNothing()
    {
        window_->setEnabled(false);
        type(Field::DstR, "200");
        type(Field::SrcR, "5");
        const Stored before = Stored::now();
        window_->Apply();
        QVERIFY(messages().isEmpty());
        QVERIFY(Stored::now() == before);
        QVERIFY(events().isEmpty());
        QVERIFY(!converted());
        QCOMPARE(edit("txtR(0)")->text(), u"5"_s);
    }

    void listChoicesConvert_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("source projection") << "cmbS" << 3;
        QTest::newRow("destination projection") << "cmbD" << 4;
        QTest::newRow("interpolation") << "cmbI" << 2;
    }

    void listChoicesConvert()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        SrcPrm.Alpha = 12.0;
        list(qPrintable(name))->setCurrentIndex(index);
        const int stored = name == "cmbS" ? SrcPrm.Proj : name == "cmbD" ? DstPrm.Proj : Interp;
        QCOMPARE(stored, index);
        QCOMPARE(events(), QStringList{"redrawDst"});
        QVERIFY(converted());
        QCOMPARE(SrcPrm.Alpha, 12.0); // no ref2angle on a list choice
    }

    void gridChoicesOnlyRedraw()
    {
        showActive();
        list("cmbG(0)")->setCurrentIndex(6);
        list("cmbG(1)")->setCurrentIndex(0);
        QCOMPARE(GridR, int16_t{6});
        QCOMPARE(GridTheta, int16_t{0});
        auto* grid = window_->findChild<QCheckBox*>("chkGrid");
        QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(6, grid->height() / 2)); // on the box
        QCOMPARE(GridOn, false);
        QCOMPARE(events(), (QStringList{"redrawDst", "redrawDst", "redrawDst"}));
        QVERIFY(!converted());
    }

    void setParamRaisesListHandlersOnChangeOnly()
    {
        DstPrm.Proj = kPerspective;
        Interp = 1;
        window_->set_param();
        QCOMPARE(list("cmbD")->currentIndex(), 4);
        QCOMPARE(events(), (QStringList{"redrawDst", "redrawDst"}));
        QVERIFY(converted());

        markDestination();
        events().clear();
        window_->set_param();
        QVERIFY(events().isEmpty());
        QVERIFY(!converted());
    }

    void resetDetectsTheCircle()
    {
        SrcPrm = {10.0, 20.0, 30.0, 5.0, 6.0, 7.0, kStereographic};
        window_->set_param();
        markDestination();
        events().clear();
        QTest::mouseClick(window_->findChild<QPushButton*>("cmdReset"), Qt::LeftButton);
        QCOMPARE(SrcPrm.Cx, 200.0);
        QCOMPARE(SrcPrm.Proj, kEquidistant);
        QCOMPARE(edit("txtR(0)")->text(), u"188.00"_s);
        QCOMPARE(list("cmbS")->currentIndex(), 2);
        // The refresh raises the source list's handler before the redraws.
        QCOMPARE(events(), (QStringList{"refresh", "redrawDst", "redrawSrc", "redrawDst"}));
        QVERIFY(converted());
    }

    // The click lands before the focus-out's Apply has had its turn.
    void quickResetKeepsATypedDestinationValue()
    {
        showActive();
        QLineEdit* width = edit("txtWidth(1)");
        width->setFocus(Qt::MouseFocusReason);
        width->setText("300");
        QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(width, &leave);
        window_->findChild<QPushButton*>("cmdReset")->click();
        QCOMPARE(DstW, 300);
        QCOMPARE(width->text(), u"300"_s);
        QCOMPARE(SrcPrm.Cx, 200.0); // the circle found again, as Reset does
        QCoreApplication::processEvents();
        QVERIFY(messages().isEmpty());
    }

    void leavingABadFieldGivesOneMessageEachTime()
    {
        showActive();
        QLineEdit* radius = edit("txtR(0)");
        radius->setFocus(Qt::MouseFocusReason);
        QCOMPARE(QApplication::focusWidget(), radius);
        radius->setText("5");

        for (int left = 1; left <= 2; ++left) {
            QTest::keyClick(radius, Qt::Key_Tab);
            QTRY_COMPARE(messages().size(), left);
            QCoreApplication::processEvents();
            QCOMPARE(messages().size(), left);
            QCOMPARE(QApplication::focusWidget(), radius);
        }

        // Focus taken by another window or a popup does not apply.
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(radius, &away);
        QCoreApplication::processEvents();
        QCOMPARE(messages().size(), 2);

        radius->setText("150");
        QTest::keyClick(radius, Qt::Key_Tab);
        QTRY_COMPARE(SrcPrm.R, 150.0);
        QCOMPARE(messages().size(), 2);
        QCOMPARE(QApplication::focusWidget(), edit("txtRot(0)"));
        QVERIFY(converted());

        // Apply clicked away from a bad field: one message, not two.
        QLineEdit* height = edit("txtHeight(1)");
        height->setFocus(Qt::MouseFocusReason);
        height->setText("6.5");
        QTest::mouseClick(window_->findChild<QPushButton*>("cmdApply"), Qt::LeftButton);
        QTRY_COMPARE(messages().size(), 3);
        QCoreApplication::processEvents();
        QCOMPARE(messages().size(), 3);
        QCOMPARE(QApplication::focusWidget(), height);
    }

    void doubleClickApplies()
    {
        showActive();
        QLineEdit* size = edit("txtWidth(0)"); // read-only, still applies
        type(Field::DstCx, "300");
        QTest::mouseDClick(size, Qt::LeftButton);
        QCOMPARE(DstPrm.Cx, 300.0);
        QVERIFY(converted());
    }

    void applyThroughTheProgramsWindows()
    {
        window_.reset();
        hooks_.window = nullptr;
        QTemporaryDir dir;
        const QString disc = test::writeDiscImage(dir, u"disc.bmp"_s, {400, 300});
        QVERIFY(!disc.isEmpty());

        ui::KarwenApp app;
        app.Main();
        dialogs_->files = {disc};
        app.frmMain().item(u"mnuFileOpen"_s)->trigger();
        FormatWindow& format = app.windows().frmFormat();
        views::DstView* dst = app.windows().dstIfLoaded();
        QVERIFY(dst && format.isEnabled());
        QCOMPARE(format.field(Field::SrcCx)->text(), QString::fromStdString(formatFixed2(SrcPrm.Cx)));

        // A new radius keeps the image and its zoom ...
        dst->set_sc(2.0f);
        const int32_t image = hDst;
        format.field(Field::DstR)->setText("200");
        format.Apply();
        QCOMPARE(hDst, image);
        QCOMPARE(dst->viewScale(), 2.0f);
        // ... a new width makes a new image shown at 100 %.
        format.field(Field::DstWidth)->setText("300");
        format.Apply();
        QCOMPARE(RixWidth(hDst), 300);
        QCOMPARE(dst->viewScale(), 1.0f);
        QVERIFY(messages().isEmpty());
    }
};

QTEST_MAIN(FormatWindowTest)
#include "format_window_test.moc"
