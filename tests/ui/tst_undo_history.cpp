// Undo and redo in the running program on the sample photo: every kind of
// step taken back and done again exactly (the parameters and the dots, and
// what the windows show of them: fields, labels, both views and the canopy
// figures), steps that change nothing, the order of several steps, a drag
// under way, the history forgotten with the photo, the Edit menu and its keys.
#include "area_app_fixture.h"
#include "batch_dialog.h"
#include "canopy_figure_table.h"
#include "parameter_fields.h"
#include "parameter_form.h"
#include "source_projection_list.h"
#include "undo_history.h"

using namespace karwen;
using namespace Qt::StringLiterals;

namespace {

const QString kPhoto = QStringLiteral(KARWEN_SAMPLES_DIR "/allsky_day.jpg");

void send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
    Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent event(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, buttons, mods);
    QCoreApplication::sendEvent(w, &event);
}

void drag(QWidget* w, QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    send(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, mods);
    send(w, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton, mods);
    send(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, mods);
    send(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, mods);
}

// What a step may change, read from the globals themselves.
struct Globals {
    QByteArray src, dst; // the records as they cross the imaging interface
    float refX, refY;
    int32_t dstW, dstH, interp;
    QString lens;
    std::array<int16_t, kDotCount + 1> dotClass;
    std::array<int16_t, kAreaClassCount> classCount;
    int16_t fileTag;
    bool dotsSet;
    bool operator==(const Globals&) const = default;

    static Globals now()
    {
        QString lens;
        if (SrcLens) {
            lens = QString::fromStdString(SrcLens->name);
            for (double term : SrcLens->lens.A)
                lens += u' ' + QString::number(term, 'g', 17);
            lens += u' ' + QString::number(SrcLens->lens.HalfFov, 'g', 17);
        }
        return {QByteArray(reinterpret_cast<const char*>(&SrcPrm), sizeof SrcPrm),
            QByteArray(reinterpret_cast<const char*>(&DstPrm), sizeof DstPrm), RefX, RefY, DstW, DstH, Interp, lens,
            DotClass, ClassCount, AreaFileTag, areaDotsSet()};
    }
};

// What the program holds and what its windows show of it.
struct Shown {
    Globals globals;
    QStringList fields; // the parameters window's fields and lists
    QStringList labels; // the area panel's shares
    QStringList figures;
    QImage src, dst; // the views' pictures
    QImage result;   // the destination image, rows bottom-up
};

QStringList tableTexts(const QTableWidget& table)
{
    QStringList texts;
    for (int row = 0; row < table.rowCount(); ++row)
        for (int column = 0; column < table.columnCount(); ++column)
            texts << (table.item(row, column) ? table.item(row, column)->text() : u"-"_s);
    return texts;
}

QImage destinationImage()
{
    const uint32_t* bits = nullptr;
    int32_t stride = 0;
    if (RixPixels(hDst, &bits, &stride) != 1)
        return {};
    return QImage(
        reinterpret_cast<const uchar*>(bits), RixWidth(hDst), RixHeight(hDst), stride * 4, QImage::Format_RGB32)
        .copy();
}

} // namespace

class TestUndoHistory : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<test::AreaApp> app_;

    ui::MainWindow& main() { return app_->app.frmMain(); }
    QUndoStack& stack() { return main().history().stack(); }
    ui::FormatWindow& format() { return app_->app.windows().frmFormat(); }
    ui::CanopyWindow& canopy() { return *app_->app.windows().canopyIfLoaded(); }
    views::SrcView& src() { return *app_->app.windows().srcIfLoaded(); }
    template <typename T> T& child(QObject& parent, const QString& name)
    {
        T* found = parent.findChild<T*>(name);
        [&] { QVERIFY2(found, qPrintable(name)); }();
        return *found;
    }
    ui::SourceProjectionList& cmbS() { return child<ui::SourceProjectionList>(format(), u"cmbS"_s); }
    QComboBox& cmbD() { return child<QComboBox>(format(), u"cmbD"_s); }
    QComboBox& cmbI() { return child<QComboBox>(format(), u"cmbI"_s); }
    static void pick(QComboBox& list, int32_t code)
    {
        list.setCurrentIndex(ui::ParameterForm::projectionItem(&list, code));
    }

    Shown shown()
    {
        // The destination view at 100 % and scrolled to its start: a new
        // destination size resets its zoom, and pictures compare at one view.
        views::DstView& dst = *app_->dst();
        dst.set_sc(1.0f);
        dst.hsb()->setValue(dst.hsb()->minimum());
        dst.vsb()->setValue(dst.vsb()->minimum());
        Shown now{Globals::now(), {}, {}, {}, src().canvas().copy(), dst.canvas().copy(), destinationImage()};
        for (int f = 0; f < kEditableFields; ++f)
            now.fields << format().field(Field(f))->text();
        now.fields << cmbS().currentText() << cmbD().currentText() << cmbI().currentText();
        for (int k = 0; k < kAreaClassCount; ++k)
            now.labels << app_->labelText(k);
        now.figures = tableTexts(canopy().table());
        return now;
    }

    static void compareShown(const Shown& actual, const Shown& expected)
    {
        QCOMPARE(actual.globals.src.toHex(' '), expected.globals.src.toHex(' '));
        QCOMPARE(actual.globals.dst.toHex(' '), expected.globals.dst.toHex(' '));
        QVERIFY(actual.globals == expected.globals);
        QCOMPARE(actual.fields, expected.fields);
        QCOMPARE(actual.labels, expected.labels);
        QCOMPARE(actual.figures, expected.figures);
        QCOMPARE(actual.src, expected.src);
        QCOMPARE(actual.result, expected.result);
        QCOMPARE(actual.dst, expected.dst);
    }

    void openPhoto()
    {
        QVERIFY(app_->open(kPhoto));
        app_->menu("mnuCanopy");
        app_->panel().chkAreaMeasure()->click();
        app_->panel().optBrush(3)->click();
    }

    // A left stroke across the destination circle's centre.
    void paint(QPoint offset = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        app_->stroke(test::AreaApp::at(1) - QPoint(60, 0) + offset, {8, 0}, 15, button);
    }

    void applyFields(std::initializer_list<std::pair<Field, QString>> values)
    {
        for (const auto& [field, text] : values)
            format().field(field)->setText(text);
        format().Apply();
    }

    QPoint srcViewPoint(double x, double y) { return views::mapToView(src().mapping(), {x, y}).toPoint(); }

    void undo() { main().item(u"mnuEditUndo"_s)->trigger(); }
    void redo() { main().item(u"mnuEditRedo"_s)->trigger(); }

    using Action = void (TestUndoHistory::*)();

    // What the steps of the table need to change something, and the steps.
    void strokeStep() { paint(); }
    void strokeBelow() { paint({0, 60}); }
    void eraseReady()
    {
        paint();
        app_->panel().optBrush(1)->click();
    }
    void eraseStep() { paint({0, 0}, Qt::RightButton); }
    void classifyStep()
    {
        app_->dialogs.answers = {true}; // the painted dots may go
        canopy().cmdClassify()->click();
    }
    void areaResetStep()
    {
        app_->dialogs.answers = {true};
        app_->press("cmdReset");
    }
    void loadAreaReady()
    {
        paint();
        QFile file(dir_.filePath(u"thirds.area"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray text = "7,1000\r\n";
        for (int n = 1; n <= kDotCount; ++n)
            text += QByteArray::number(n % 3) + "\r\n";
        file.write(text);
    }
    void loadAreaStep()
    {
        app_->dialogs.files = {dir_.filePath(u"thirds.area"_s)};
        app_->dialogs.answers = {true};
        app_->menu("mnuFileLoadArea");
    }
    void applyStep() { applyFields({{Field::SrcR, u"300.5"_s}, {Field::DstWidth, u"400"_s}, {Field::DstR, u"190"_s}}); }
    void sourceMoved() { applyFields({{Field::SrcCx, QString::number(SrcPrm.Cx + 15)}, {Field::SrcRot, u"12.5"_s}}); }
    void sourceResetStep() { child<QPushButton>(format(), u"cmdReset"_s).click(); }
    void centreDragStep()
    {
        const QPoint centre = srcViewPoint(SrcPrm.Cx, SrcPrm.Cy);
        drag(src().picture(), centre, centre + QPoint(20, -10));
    }
    void referenceDragStep()
    {
        const QPoint ref = srcViewPoint(RefX, RefY);
        drag(src().picture(), ref, ref + QPoint(-30, 25), Qt::ShiftModifier);
    }
    void sourceProjectionStep() { pick(cmbS(), kStereographic); }
    void lensStep() { cmbS().setCurrentIndex(cmbS().lensItem(builtInLenses().front())); }
    void destinationProjectionStep() { pick(cmbD(), kEquidistant); }
    void interpolationStep() { cmbI().setCurrentIndex(2); }
    // The batch dialog hands its destination side back when it closes.
    void batchStep()
    {
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<ui::BatchDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->field(Field::DstWidth)->setText(u"300"_s);
            dialog->Apply();
            dialog->cmdCancel_Click();
        });
        app_->menu("mnuFileBatch");
    }

    struct Case {
        const char* name;
        Action ready; // steps of their own before the one tested
        Action step;
    };
    static std::vector<Case> cases()
    {
        using T = TestUndoHistory;
        return {
            {"brush stroke", &T::strokeBelow, &T::strokeStep},
            {"erasing stroke", &T::eraseReady, &T::eraseStep},
            {"Classify", &T::strokeStep, &T::classifyStep},
            {"area reset", &T::classifyStep, &T::areaResetStep},
            {"Load Area Data", &T::loadAreaReady, &T::loadAreaStep},
            {"Apply", &T::strokeStep, &T::applyStep},
            {"source Reset", &T::sourceMoved, &T::sourceResetStep},
            {"circle drag", &T::strokeStep, &T::centreDragStep},
            {"view point drag", &T::applyStep, &T::referenceDragStep},
            {"source projection", &T::strokeStep, &T::sourceProjectionStep},
            {"lens", &T::strokeStep, &T::lensStep},
            {"destination projection", &T::strokeStep, &T::destinationProjectionStep},
            {"interpolation", &T::strokeStep, &T::interpolationStep},
            {"batch dialog", &T::strokeStep, &T::batchStep},
        };
    }

private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        app_ = std::make_unique<test::AreaApp>();
    }
    void cleanup() { app_.reset(); }

    void editMenuFollowsFile()
    {
        const QList<QAction*> bar = main().menuBar()->actions();
        QVERIFY(bar.size() > 2);
        QCOMPARE(bar[0]->text(), u"File(&F)"_s);
        QCOMPARE(bar[1]->text(), u"Edit(&E)"_s);
        QCOMPARE(bar[1]->menu()->objectName(), u"mnuEdit"_s);
        // The Window menu stands before Help, the last.
        QCOMPARE(bar[bar.size() - 2]->text(), u"Window(&W)"_s);
        QCOMPARE(bar.last()->text(), u"Help(&H)"_s);
        QStringList captions;
        for (QAction* item : bar[1]->menu()->actions()) {
            captions << item->text();
            QVERIFY2(!item->isEnabled(), qPrintable(item->text())); // nothing to take back yet
        }
        QCOMPARE(captions, (QStringList{u"Undo(&U)"_s, u"Redo(&R)"_s}));
    }

    void everyStepUndoesAndRedoesExactly_data()
    {
        QTest::addColumn<int>("index");
        const std::vector<Case> all = cases();
        for (std::size_t i = 0; i < all.size(); ++i)
            QTest::newRow(all[i].name) << int(i);
    }
    void everyStepUndoesAndRedoesExactly()
    {
        QFETCH(int, index);
        const Case c = cases()[std::size_t(index)];
        openPhoto();
        (this->*c.ready)();
        const Shown before = shown();
        const int steps = stack().count();
        (this->*c.step)();
        const Shown after = shown();
        QVERIFY2(!(after.globals == before.globals), "the step changed nothing");
        QCOMPARE(stack().count(), steps + 1);

        undo();
        compareShown(shown(), before);
        QCOMPARE(stack().count(), steps + 1);
        redo();
        compareShown(shown(), after);
    }

    // Steps whose handlers run to the end but store what was there.
    void stepsThatChangeNothingAreNotKept_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("Apply unchanged") << u"apply"_s;
        QTest::newRow("click on the circle centre") << u"centre"_s;
        QTest::newRow("brush click beside the dots") << u"beside"_s;
        QTest::newRow("reset of an untouched area") << u"reset"_s;
        QTest::newRow("Classify again") << u"classify"_s;
    }
    void stepsThatChangeNothingAreNotKept()
    {
        QFETCH(QString, what);
        openPhoto();
        if (what == u"classify"_s)
            classifyStep();
        const int steps = stack().count();
        const Globals before = Globals::now();
        if (what == u"apply"_s) {
            format().Apply();
        } else if (what == u"centre"_s) {
            const QPoint centre = srcViewPoint(SrcPrm.Cx, SrcPrm.Cy);
            drag(src().picture(), centre, centre);
        } else if (what == u"beside"_s) {
            QTest::mouseClick(app_->pct(), Qt::LeftButton, {}, {2, 2});
        } else if (what == u"reset"_s) {
            app_->press("cmdReset");
        } else {
            classifyStep();
        }
        QVERIFY(Globals::now() == before);
        QCOMPARE(stack().count(), steps);
    }

    // Steps are taken back last first; a new step drops what could be done
    // again; a stroke under way is not interrupted by the keys.
    void stepsGoBackInTheirOrder()
    {
        openPhoto();
        const Globals opened = Globals::now();
        paint();
        const Globals painted = Globals::now();
        applyFields({{Field::DstR, u"200"_s}});
        const Globals applied = Globals::now();
        QCOMPARE(stack().count(), 2);
        QCOMPARE(main().item(u"mnuEditUndo"_s)->statusTip(), u"Undo Apply"_s);

        undo();
        QVERIFY(Globals::now() == painted);
        QCOMPARE(main().item(u"mnuEditRedo"_s)->statusTip(), u"Redo Apply"_s);
        undo();
        QVERIFY(Globals::now() == opened);
        QVERIFY(!main().item(u"mnuEditUndo"_s)->isEnabled());
        redo();
        redo();
        QVERIFY(Globals::now() == applied);
        QVERIFY(!main().item(u"mnuEditRedo"_s)->isEnabled());

        // Undo pressed during a stroke waits for it; the stroke is one step.
        undo();
        const QPoint from = test::AreaApp::at(1) + QPoint(0, 40);
        QTest::mousePress(app_->pct(), Qt::LeftButton, {}, from);
        for (int i = 1; i <= 10; ++i)
            QTest::mouseMove(app_->pct(), from + QPoint(0, 6 * i));
        const auto during = DotClass;
        undo();
        QVERIFY(DotClass == during);
        QTest::mouseRelease(app_->pct(), Qt::LeftButton, {}, from + QPoint(0, 60));
        QVERIFY(DotClass != painted.dotClass);
        QCOMPARE(stack().count(), 2);
        QVERIFY(!main().item(u"mnuEditRedo"_s)->isEnabled()); // the Apply is gone
        undo();
        QVERIFY(Globals::now() == painted);
    }

    void historyGoesWithThePhoto_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("another photo opened") << u"open"_s;
        QTest::newRow("photo closed") << u"close"_s;
        QTest::newRow("a file that cannot be opened") << u"unreadable"_s;
    }
    void historyGoesWithThePhoto()
    {
        QFETCH(QString, how);
        openPhoto();
        paint();
        applyFields({{Field::DstR, u"200"_s}});
        QCOMPARE(stack().count(), 2);
        app_->dialogs.answers = {true}; // the painted dots may go
        if (how == u"open"_s) {
            QVERIFY(app_->open(test::writeDiscImage(dir_, u"disc.bmp"_s)));
        } else if (how == u"close"_s) {
            app_->menu("mnuFileClose");
        } else {
            QFile junk(dir_.filePath(u"junk.jpg"_s));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write("not a picture");
            junk.close();
            const std::string photo = SrcFile;
            (void)app_->open(junk.fileName());
            QCOMPARE(app_->dialogs.messages.size(), 1);
            // The photo and its steps stay.
            QCOMPARE(SrcFile, photo);
            QCOMPARE(stack().count(), 2);
            return;
        }
        QCOMPARE(stack().count(), 0);
        QVERIFY(!main().item(u"mnuEditUndo"_s)->isEnabled());
        QVERIFY(!main().item(u"mnuEditRedo"_s)->isEnabled());
    }

    void keysReachTheItems()
    {
        main().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main()));
        openPhoto();
        const Globals opened = Globals::now();
        paint();
        const Globals painted = Globals::now();
        app_->pct()->setFocus();
        QTest::keyClick(app_->pct(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(Globals::now() == opened);
        QTest::keyClick(app_->pct(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(Globals::now() == painted);
    }
};

QTEST_MAIN(TestUndoHistory)
#include "tst_undo_history.moc"
