#include "stored_settings.h"

#include "area_panel.h"
#include "batch_dialog.h"
#include "canopy_settings_form.h"
#include "canopy_window.h"
#include "format_window.h"
#include "lens_catalogue.h"
#include "light_settings_form.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "parameter_fields.h"
#include "parameter_form.h"
#include "photo_source.h"
#include "undoable_step.h"
#include "window_registry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

namespace karwen::ui {

namespace {

enum class Place { None, UserProfile, File };
Place g_place = Place::None;
QString g_file;

// One kept global: how it reads, and how a stored value is checked and set
// (false when the value is refused and the global is left alone).
struct KeptGlobal {
    QString key;
    std::function<QVariant()> read;
    std::function<bool(const QVariant&)> write;
};

// A destination field under the same rule as the parameters dialog's.
KeptGlobal keptField(const QString& key, Field field, std::function<double()> read, std::function<void(double)> set)
{
    return {key, [read] { return QVariant(QString::number(read(), 'g', 17)); },
        [field, set](const QVariant& value) {
            const FieldRule rule = fieldRules(windowBounds(0, 0))[static_cast<std::size_t>(field)];
            const std::optional<double> number = fieldValue(rule, value.toString().toStdString());
            if (number)
                set(*number);
            return number.has_value();
        }};
}

// A whole number that valid accepts: an index into a list or a code.
KeptGlobal keptIndex(
    const QString& key, std::function<int()> read, std::function<void(int)> set, std::function<bool(int)> valid)
{
    return {key, [read] { return QVariant(read()); },
        [set, valid](const QVariant& value) {
            bool ok = false;
            const int index = value.toString().toInt(&ok);
            if (!ok || !valid(index))
                return false;
            set(index);
            return true;
        }};
}

std::optional<bool> storedBool(const QVariant& value)
{
    const QString text = value.toString();
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    return std::nullopt;
}

std::vector<KeptGlobal> keptGlobals()
{
    const int gridSpacings = 7; // " -" and 5 ... 90 degrees, as the dialog lists them
    return {
        keptField(
            QStringLiteral("destination/width"), Field::DstWidth, [] { return double(DstW); },
            [](double v) { DstW = int32_t(v); }),
        keptField(
            QStringLiteral("destination/height"), Field::DstHeight, [] { return double(DstH); },
            [](double v) { DstH = int32_t(v); }),
        keptField(
            QStringLiteral("destination/cx"), Field::DstCx, [] { return DstPrm.Cx; }, [](double v) { DstPrm.Cx = v; }),
        keptField(
            QStringLiteral("destination/cy"), Field::DstCy, [] { return DstPrm.Cy; }, [](double v) { DstPrm.Cy = v; }),
        keptField(
            QStringLiteral("destination/r"), Field::DstR, [] { return DstPrm.R; }, [](double v) { DstPrm.R = v; }),
        keptIndex(
            QStringLiteral("destination/projection"), [] { return int(DstPrm.Proj); }, [](int v) { DstPrm.Proj = v; },
            [](int v) { return isProjection(v); }),
        keptIndex(
            QStringLiteral("destination/interpolation"), [] { return int(Interp); }, [](int v) { Interp = v; },
            [](int v) { return isInterpolation(v); }),
        {QStringLiteral("destination/grid"),
            [] { return QVariant(GridOn ? QStringLiteral("true") : QStringLiteral("false")); },
            [](const QVariant& value) {
                const std::optional<bool> on = storedBool(value);
                if (on)
                    GridOn = *on;
                return on.has_value();
            }},
        keptIndex(
            QStringLiteral("destination/gridR"), [] { return int(GridR); }, [](int v) { GridR = int16_t(v); },
            [gridSpacings](int v) { return v >= 0 && v < gridSpacings; }),
        keptIndex(
            QStringLiteral("destination/gridTheta"), [] { return int(GridTheta); },
            [](int v) { GridTheta = int16_t(v); }, [gridSpacings](int v) { return v >= 0 && v < gridSpacings; }),
    };
}

// A form's lists, boxes and number fields by their object names; each one
// keeps its value in range, so a stored value outside it is refused.
// A spin box's or list's own line edit is kept through its box.
bool isPartOfABox(const QLineEdit& field)
{
    return qobject_cast<const QAbstractSpinBox*>(field.parentWidget())
        || qobject_cast<const QComboBox*>(field.parentWidget());
}

// Longer than any field's text; a damaged file's long value is cut.
constexpr int kLongestKeptText = 200;

void readControls(const QWidget& form, const QString& group, QVariantMap& values)
{
    for (const QWidget* control : form.findChildren<QWidget*>()) {
        const QString key = group + QLatin1Char('/') + control->objectName();
        if (control->objectName().isEmpty())
            continue;
        if (const auto* list = qobject_cast<const QComboBox*>(control))
            values.insert(key, list->currentIndex());
        else if (const auto* box = qobject_cast<const QCheckBox*>(control))
            values.insert(key, box->isChecked() ? QStringLiteral("true") : QStringLiteral("false"));
        else if (const auto* count = qobject_cast<const QSpinBox*>(control))
            values.insert(key, count->value());
        else if (const auto* number = qobject_cast<const QDoubleSpinBox*>(control))
            values.insert(key, QString::number(number->value(), 'g', 17));
        else if (const auto* field = qobject_cast<const QLineEdit*>(control); field && !isPartOfABox(*field))
            values.insert(key, field->text());
    }
}

void writeControls(QWidget& form, const QString& group, const QVariantMap& values)
{
    for (QWidget* control : form.findChildren<QWidget*>()) {
        const auto stored = values.constFind(group + QLatin1Char('/') + control->objectName());
        if (control->objectName().isEmpty() || stored == values.constEnd())
            continue;
        const QString text = stored->toString();
        bool ok = false;
        if (auto* list = qobject_cast<QComboBox*>(control)) {
            const int index = text.toInt(&ok);
            if (ok && index >= 0 && index < list->count())
                list->setCurrentIndex(index);
        } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
            if (const std::optional<bool> on = storedBool(*stored))
                box->setChecked(*on);
        } else if (auto* count = qobject_cast<QSpinBox*>(control)) {
            const int value = text.toInt(&ok);
            if (ok && value >= count->minimum() && value <= count->maximum())
                count->setValue(value);
        } else if (auto* number = qobject_cast<QDoubleSpinBox*>(control)) {
            const double value = text.toDouble(&ok);
            if (ok && value >= number->minimum() && value <= number->maximum())
                number->setValue(value);
        } else if (auto* field = qobject_cast<QLineEdit*>(control); field && !isPartOfABox(*field)) {
            // As if typed: the form checks the text and takes it, or says why not.
            field->setText(text.left(kLongestKeptText));
            emit field->editingFinished();
        }
    }
}

// The lens the photo is read through, by name when built in, else by file.
const QString kLens = QStringLiteral("source/lens");
const QString kLensFile = QStringLiteral("source/lensFile");
// The fixed threshold a canopy window took from the last run, while unchanged.
std::optional<int> g_keptThreshold;

const NamedLens* lensInUse() { return SrcPrm.Proj == RixLensSource && SrcLens ? &*SrcLens : nullptr; }

bool isBuiltInLens(const NamedLens& lens)
{
    const auto& builtIn = builtInLenses();
    return std::any_of(builtIn.begin(), builtIn.end(),
        [&lens](const NamedLens& b) { return b.name == lens.name && b.source == lens.source; });
}

// A lens read from a file is kept by that file's path, whatever source the
// file names.
void readLens(QVariantMap& values)
{
    const NamedLens* lens = lensInUse();
    const bool fromFile = lens && !lens->file.empty();
    const bool builtIn = lens && !fromFile && isBuiltInLens(*lens);
    values.insert(kLens, builtIn ? QString::fromStdString(lens->name) : QString());
    values.insert(kLensFile, fromFile ? QString::fromStdString(lens->file) : QString());
}

// The kept lens in the globals; what went wrong for the status bar.
QString writeLens(const QVariantMap& values)
{
    const QString name = values.value(kLens).toString();
    const QString file = values.value(kLensFile).toString();
    std::optional<NamedLens> lens;
    QString word;
    if (!file.isEmpty()) {
        std::string why;
        lens = readLensFile(file.toStdString(), &why);
        if (!lens)
            word = QStringLiteral("The lens file \"%1\" kept from the last run cannot be read; it was dropped.")
                       .arg(file);
    } else if (!name.isEmpty()) {
        for (const NamedLens& builtIn : builtInLenses())
            if (QString::fromStdString(builtIn.name) == name)
                lens = builtIn;
    }
    if (lens) {
        SrcLens = lens;
        SrcPrm.Proj = RixLensSource;
    } else if (lensInUse() && name.isEmpty() && file.isEmpty()) {
        SrcLens.reset(); // back to the start: no lens
        SrcPrm.Proj = kEquidistant;
    }
    return word;
}

const QString kBatch = QStringLiteral("batch");
const QString kBatchSource = QStringLiteral("batch/folderS");
const QString kBatchDestination = QStringLiteral("batch/folderD");
const QString kBatchPostfix = QStringLiteral("batch/txtpostfix");
const QStringList kBatchOptions{QStringLiteral("batch/cmbF"), QStringLiteral("batch/chkFindCircle"),
    QStringLiteral("batch/txtCsv"), QStringLiteral("batch/chkSaveSky"), QStringLiteral("batch/txtSkyFolder"),
    QStringLiteral("batch/chkDecodeScaled")};
const QString kDialogFolder = QStringLiteral("dialogs/folder");

const QString kCanopy = QStringLiteral("canopy");
const QString kLight = QStringLiteral("light");
const QString kFrame = QStringLiteral("layout/frame");
const QString kFrameState = QStringLiteral("layout/frameState");
const QString kFormatPlace = QStringLiteral("layout/format");
const QString kAreaPlace = QStringLiteral("layout/area");
const QStringList kGroups{QStringLiteral("destination"), QStringLiteral("source"), kCanopy, kLight, kBatch,
    QStringLiteral("dialogs"), QStringLiteral("layout")};

QWidget* outerOf(QWidget* child)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(child->parentWidget()))
        return sub;
    return child;
}

void placeWindow(QWidget* child, const QVariant& value)
{
    if (value.typeId() == QMetaType::QPoint) {
        const QPoint at = value.toPoint();
        // A place far off is a damaged one; the frame keeps near ones inside.
        if (std::abs(at.x()) < 100000 && std::abs(at.y()) < 100000)
            outerOf(child)->move(at);
    }
}

} // namespace

void keepSettingsInUserProfile()
{
    g_place = Place::UserProfile;
    g_file.clear();
}

void keepSettingsInFile(const QString& path)
{
    g_place = Place::File;
    g_file = path;
}

void keepNoSettings()
{
    g_place = Place::None;
    g_file.clear();
}

std::unique_ptr<QSettings> openStoredSettings()
{
    switch (g_place) {
    case Place::UserProfile:
        return std::make_unique<QSettings>();
    case Place::File:
        return std::make_unique<QSettings>(g_file, QSettings::IniFormat);
    case Place::None:
        break;
    }
    return nullptr;
}

StoredSettings::StoredSettings(WindowRegistry& windows)
    : windows_(windows)
{
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &StoredSettings::save);
    connect(&windows_, &WindowRegistry::canopyMade, this, &StoredSettings::canopyLoaded);
}

bool StoredSettings::eventFilter(QObject* watched, QEvent* event)
{
    // Before the frame puts its windows away: their places are still there.
    if (event->type() == QEvent::Close && watched == windows_.mainIfLoaded())
        save();
    return QObject::eventFilter(watched, event);
}

QVariantMap StoredSettings::current() const
{
    QVariantMap values;
    for (const KeptGlobal& kept : keptGlobals())
        values.insert(kept.key, kept.read());
    readLens(values);
    if (CanopyWindow* canopy = windows_.canopyIfLoaded()) {
        readControls(canopy->form(), kCanopy, values);
        readControls(canopy->lightForm(), kLight, values);
    }
    // A closing frame has already put its windows away: their places are
    // the ones written at the close.
    if (MainWindow* frame = windows_.mainIfLoaded()) {
        values.insert(kFrame, frame->saveGeometry());
        values.insert(kFrameState, frame->saveState());
        const QString last = frame->cdl().FileName;
        values.insert(kDialogFolder, last.isEmpty() ? QString() : QFileInfo(last).absolutePath());
        if (FormatWindow* format = windows_.formatIfLoaded())
            values.insert(kFormatPlace, outerOf(format)->pos());
        if (AreaPanel* area = windows_.areaIfLoaded())
            values.insert(kAreaPlace, outerOf(area)->pos());
    }
    return values;
}

QString StoredSettings::apply(const QVariantMap& values)
{
    for (const KeptGlobal& kept : keptGlobals()) {
        const auto stored = values.constFind(kept.key);
        if (stored != values.constEnd())
            (void)kept.write(*stored);
    }
    const QString lensWord = writeLens(values);
    // A circle of the destination that no longer fits its sides stays as
    // the fields' rules let it; the dialog shows what holds now.
    if (FormatWindow* format = windows_.formatIfLoaded())
        format->set_param();
    if (CanopyWindow* canopy = windows_.canopyIfLoaded()) {
        writeControls(canopy->form(), kCanopy, values);
        writeControls(canopy->lightForm(), kLight, values);
    }
    if (MainWindow* frame = windows_.mainIfLoaded()) {
        if (values.contains(kFrame))
            (void)frame->restoreGeometry(values.value(kFrame).toByteArray());
        if (values.contains(kFrameState))
            (void)frame->restoreState(values.value(kFrameState).toByteArray());
        // The dialogs open in the folder, with no name proposed.
        const QString folder = values.value(kDialogFolder).toString();
        if (folder.isEmpty() || QFileInfo(folder).isDir())
            frame->cdl().FileName = folder.isEmpty() ? QString() : folder + QLatin1Char('/');
        if (FormatWindow* format = windows_.formatIfLoaded())
            placeWindow(format, values.value(kFormatPlace));
        if (AreaPanel* area = windows_.areaIfLoaded())
            placeWindow(area, values.value(kAreaPlace));
    }
    if (isImage(hSrc)) {
        src_update();
        rebuildDestination();
    }
    return lensWord;
}

void StoredSettings::restore()
{
    start_ = current();
    written_ = start_;
    restored_ = true;
    g_keptThreshold.reset();
    windows_.frmMain().installEventFilter(this);
    if (std::unique_ptr<QSettings> settings = openStoredSettings()) {
        QVariantMap stored;
        for (const QString& key : settings->allKeys())
            stored.insert(key, settings->value(key));
        SrcLensKept = true;
        const QString word = apply(stored);
        if (!word.isEmpty())
            windows_.frmMain().statusBar()->showMessage(word);
        written_ = current();
        timer_.start();
    }
}

void StoredSettings::canopyLoaded()
{
    CanopyWindow* canopy = windows_.canopyIfLoaded();
    if (!canopy || !restored_)
        return;
    QVariantMap made;
    readControls(canopy->form(), kCanopy, made);
    readControls(canopy->lightForm(), kLight, made);
    start_.insert(made);
    if (std::unique_ptr<QSettings> settings = openStoredSettings()) {
        QVariantMap stored;
        for (const QString& group : {kCanopy, kLight})
            for (const QString& key : made.keys())
                if (key.startsWith(group + QLatin1Char('/')) && settings->contains(key))
                    stored.insert(key, settings->value(key));
        writeControls(canopy->form(), kCanopy, stored);
        writeControls(canopy->lightForm(), kLight, stored);
        const QString threshold = kCanopy + QStringLiteral("/") + canopy->form().txtThreshold()->objectName();
        if (stored.contains(threshold)
            && stored.value(threshold).toString().toInt() == canopy->form().txtThreshold()->value())
            g_keptThreshold = canopy->form().txtThreshold()->value();
    }
    readControls(canopy->form(), kCanopy, written_);
    readControls(canopy->lightForm(), kLight, written_);
}

void keepBatchDialogSettings(BatchDialog& dialog)
{
    std::unique_ptr<QSettings> settings = openStoredSettings();
    if (!settings)
        return;
    auto* source = dialog.findChild<QLineEdit*>(QStringLiteral("txtFolderS"));
    auto* destination = dialog.findChild<QLineEdit*>(QStringLiteral("txtFolderD"));
    auto* postfix = dialog.findChild<QLineEdit*>(QStringLiteral("txtpostfix"));
    // A folder gone since is not offered again.
    const auto folder = [&settings](const QString& key, const QString& shown) {
        const QString kept = settings->value(key).toString();
        return !kept.isEmpty() && QFileInfo(kept).isDir() ? kept : shown;
    };
    dialog.useFolders(folder(kBatchSource, source->text()), folder(kBatchDestination, destination->text()));
    const QString keptPostfix = settings->value(kBatchPostfix, postfix->text()).toString();
    if (keptPostfix.size() <= 64 && !keptPostfix.contains(QLatin1Char('/')))
        postfix->setText(keptPostfix);
    QVariantMap options;
    for (const QString& key : kBatchOptions)
        if (settings->contains(key))
            options.insert(key, settings->value(key));
    writeControls(dialog, kBatch, options);

    QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog, source, destination, postfix] {
        std::unique_ptr<QSettings> kept = openStoredSettings();
        if (!kept)
            return;
        kept->setValue(kBatchSource, source->text());
        kept->setValue(kBatchDestination, destination->text());
        kept->setValue(kBatchPostfix, postfix->text());
        QVariantMap shown;
        readControls(dialog, kBatch, shown);
        for (const QString& key : kBatchOptions)
            kept->setValue(key, shown.value(key));
        kept->sync();
    });
}

void giveCanopySettings(BatchDialog& dialog, const WindowRegistry& windows)
{
    if (const CanopyWindow* canopy = windows.canopyIfLoaded()) {
        dialog.useCanopySettings(canopy->form().settings(), canopy->lightForm().request());
        return;
    }
    // Forms of their own, never shown, read the kept values as the window's would.
    CanopySettingsForm form;
    LightSettingsForm light;
    if (std::unique_ptr<QSettings> settings = openStoredSettings()) {
        QVariantMap stored;
        for (const QString& key : settings->allKeys())
            if (key.startsWith(kCanopy + QLatin1Char('/')) || key.startsWith(kLight + QLatin1Char('/')))
                stored.insert(key, settings->value(key));
        writeControls(form, kCanopy, stored);
        writeControls(light, kLight, stored);
    }
    dialog.useCanopySettings(form.settings(), light.request());
}

QString keptLensNote()
{
    const NamedLens* lens = lensInUse();
    if (!SrcLensKept || !lens || !isImage(hSrc))
        return {};
    return QStringLiteral("Read through the lens \"%1\"").arg(QString::fromStdString(lens->name));
}

QStringList keptSettingNotes(const CanopySettingsForm& form)
{
    QStringList notes;
    if (lensInUse() && SrcLensKept)
        notes << QStringLiteral("The photo is read through the lens \"%1\" kept from the last run.")
                     .arg(QString::fromStdString(SrcLens->name));
    const canopy::CanopySettings settings = form.settings();
    if (g_keptThreshold && settings.method == canopy::ThresholdMethod::Fixed
        && form.txtThreshold()->value() == *g_keptThreshold)
        notes << QStringLiteral("The fixed threshold %1 is the one kept from the last run.").arg(*g_keptThreshold);
    return notes;
}

void StoredSettings::save()
{
    if (!restored_)
        return;
    std::unique_ptr<QSettings> settings = openStoredSettings();
    if (!settings)
        return;
    const QVariantMap now = current();
    bool changed = false;
    for (auto value = now.constBegin(); value != now.constEnd(); ++value) {
        if (written_.value(value.key()) == value.value())
            continue;
        settings->setValue(value.key(), value.value());
        changed = true;
    }
    if (!changed)
        return;
    settings->sync();
    written_.insert(now);
}

void StoredSettings::reset()
{
    if (!restored_)
        return;
    {
        const UndoableStep step("Reset settings");
        (void)apply(start_);
    }
    g_keptThreshold.reset();
    if (std::unique_ptr<QSettings> settings = openStoredSettings()) {
        // The recent files are a history, not a setting: they stay.
        for (const QString& group : kGroups)
            settings->remove(group);
        settings->sync();
    }
    written_ = current();
}

} // namespace karwen::ui
