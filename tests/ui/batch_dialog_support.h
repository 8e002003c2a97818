// What the batch dialog suites share: the scripted seam with a folder
// picker, a gate that holds a run, a test folder with in/ and out/, photos
// written for a run, the dialog's controls by name, and a bounded wait for
// a run to end.
#pragma once

#include "batch_dialog.h"
#include "batch_test_support.h"
#include "mdl_karwen.h"
#include "scripted_dialogs.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

namespace karwen::test {

using namespace Qt::StringLiterals;

// The scripted seam with a folder picker.
class BatchDialogs : public ScriptedDialogs {
public:
    std::deque<std::optional<QString>> folders; // nullopt: Cancel
    QStringList folderTitles;

    std::optional<QString> folderDialog(QWidget*, const QString& title) override
    {
        folderTitles << title;
        if (folders.empty())
            return std::nullopt;
        const bool cancelled = !folders.front();
        const QString chosen = folders.front().value_or(QString());
        folders.pop_front();
        return cancelled ? std::nullopt : std::optional<QString>(chosen);
    }
};

// A photo in one bright colour, or with a disc of it on black.
inline void writeImage(
    const QString& path, int w, int h, const Disc* disc = nullptr, uint32_t colour = test::packRgb(90, 140, 200))
{
    QVERIFY(writePhoto(path.toStdString(), w, h, colour, disc));
}

// The pixels of an image, drawn through the library's public interface.
inline QImage pixelsOf(int32_t handle)
{
    QImage image(RixWidth(handle), RixHeight(handle), QImage::Format_RGB32);
    image.fill(Qt::white);
    RixCanvas canvas{image.bits(), int32_t(image.width()), int32_t(image.height()), int32_t(image.bytesPerLine())};
    (void)RixStretchBlt(handle, 0, 0, image.width(), image.height(), &canvas, 0, 0, image.width(), image.height());
    return image;
}

inline void writeBytes(const QString& path, const QByteArray& bytes) { QVERIFY(writeFile(path, bytes)); }

template <typename T> T* child(const QWidget& window, const QString& name)
{
    T* widget = window.findChild<T*>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

inline QStringList texts(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

inline void selectRows(QListWidget* list, const QList<int>& rows)
{
    list->clearSelection();
    for (int row : rows)
        list->item(row)->setSelected(true);
}

// Starts the run and waits, generously, for it to end; true when it ended.
[[nodiscard]] inline bool runToTheEnd(ui::BatchDialog& dialog)
{
    dialog.cmdStart_Click();
    return QTest::qWaitFor([&] { return !dialog.isRunning(); }, 120000);
}

// Holds a run before one file (a measuring run: at one of its asks whether
// to stop) until opened, so that a test can act while a
// run is certainly going. Opens itself when it goes, so that a failed test
// does not leave the run waiting.
class FileGate {
public:
    explicit FileGate(int at)
        : at_(at)
    {
    }
    ~FileGate() { open(); }
    FileGate(const FileGate&) = delete;
    FileGate& operator=(const FileGate&) = delete;

    void arrive(int index)
    {
        if (index != at_)
            return;
        std::unique_lock lock(mutex_);
        reached_ = true;
        wake_.wait(lock, [this] { return open_; });
    }
    [[nodiscard]] bool reached()
    {
        const std::lock_guard lock(mutex_);
        return reached_;
    }
    void open()
    {
        {
            const std::lock_guard lock(mutex_);
            open_ = true;
        }
        wake_.notify_all();
    }
    ui::BatchDialogRun::FileGate hook()
    {
        return [this](int index) { arrive(index); };
    }

private:
    const int at_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool reached_ = false;
    bool open_ = false;
};

// One test's folder with in/ (the dialog's current folder when it loads)
// and out/ (its destination), the scripted seam and the globals reset.
class BatchFolders {
public:
    BatchFolders()
    {
        initGlobals();
        QDir(dir_.path()).mkpath(u"in"_s);
        QDir(dir_.path()).mkpath(u"out"_s);
    }
    ~BatchFolders()
    {
        (void)RixDestroy(hSrc);
        (void)RixDestroy(hDst);
        hSrc = hDst = 0;
    }
    BatchFolders(const BatchFolders&) = delete;
    BatchFolders& operator=(const BatchFolders&) = delete;

    [[nodiscard]] QString path(const QString& name) const { return dir_.filePath(name); }
    [[nodiscard]] QString in(const QString& name = {}) const
    {
        return path(name.isEmpty() ? u"in"_s : u"in/"_s + name);
    }
    [[nodiscard]] QString out() const { return path(u"out"_s); }
    [[nodiscard]] QStringList written() const { return QDir(out()).entryList(QDir::Files, QDir::Name); }

    // A fresh dialog over in/, its results to out/.
    [[nodiscard]] std::unique_ptr<ui::BatchDialog> dialog(QWidget* parent = nullptr) const
    {
        const CurrentFolder here(in());
        auto made = std::make_unique<ui::BatchDialog>(parent);
        child<QLineEdit>(*made, u"txtFolderD"_s)->setText(out());
        return made;
    }

    BatchDialogs dialogs;

private:
    QTemporaryDir dir_;
};

} // namespace karwen::test
