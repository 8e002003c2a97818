// What the program keeps between runs. Nothing is kept until a place is
// chosen: the program keeps its settings in the user's, a test in a file of
// its own, so that every other test starts from the start values.
//
// What is kept where (keys of the settings file):
//   destination/width, height, cx, cy, r   the destination fields
//   destination/projection, interpolation  the destination lists
//   destination/grid, gridR, gridTheta     the grid box and its spacings
//   source/lens, source/lensFile           the lens in use: a built-in one's
//                                          name, or a lens file's path
//   canopy/<control>                       the Canopy settings' controls
//   light/<control>                        the Light tab's boxes, lists, fields
//   batch/folderS, folderD, txtpostfix,    the batch dialog's folders and
//   batch/cmbF, batch/chkFindCircle,       options, at each close
//   batch/txtCsv, chkSaveSky, txtSkyFolder, chkDecodeScaled
//   dialogs/folder                         the file dialogs' last folder
//   layout/frame, layout/frameState        the main window
//   layout/format, layout/area             the tool windows' places
// A value missing, damaged or out of range is skipped, one by one: that
// setting keeps its start value.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

#include <memory>

class QSettings;
class QWidget;

namespace karwen::ui {

class WindowRegistry;
class CanopySettingsForm;
class BatchDialog;

// The user's settings (the organisation's and program's names).
void keepSettingsInUserProfile();
// An INI file of its own, for tests.
void keepSettingsInFile(const QString& path);
// Nothing is read or written (the start).
void keepNoSettings();
// The chosen place, or nullptr when nothing is kept.
[[nodiscard]] std::unique_ptr<QSettings> openStoredSettings();

// The status bar's note on a kept lens the open photo is read through.
[[nodiscard]] QString keptLensNote();
// The canopy window's notes on kept settings in use (the lens, a fixed
// threshold not changed since).
[[nodiscard]] QStringList keptSettingNotes(const CanopySettingsForm& form);

// The batch dialog shows the folders and options of its last showing and
// keeps them when it closes.
void keepBatchDialogSettings(BatchDialog& dialog);
// The batch dialog measures with the canopy window's settings and light:
// those the window holds, or before it is made, those it would start with
// (the kept ones).
void giveCanopySettings(BatchDialog& dialog, const WindowRegistry& windows);

class StoredSettings : public QObject {
    Q_OBJECT
public:
    explicit StoredSettings(WindowRegistry& windows);

    // Right after the start values are set and the frame is shown: the
    // kept values replace them.
    void restore();
    // Writes what changed since the last write (a timer calls it too, so
    // that a crash loses at most the last second).
    void save();
    // Every kept setting back to its start value, and the file emptied.
    void reset();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] QVariantMap current() const;
    // What could not be taken, for the status bar ("" for all).
    QString apply(const QVariantMap& values);
    void canopyLoaded();

    WindowRegistry& windows_;
    QVariantMap start_;
    QVariantMap written_;
    QTimer timer_;
    bool restored_ = false;
};

} // namespace karwen::ui
