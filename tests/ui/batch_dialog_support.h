// What the batch dialog suites share: the scripted seam with a folder
// picker, photos written for a run, the dialog's controls by name, and a
// bounded wait for a run to end.
#pragma once

#include "batch_dialog.h"
#include "batch_test_support.h"
#include "scripted_dialogs.h"

#include <QListWidget>
#include <QtTest>

#include <deque>
#include <optional>

namespace karwen::test {

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

} // namespace karwen::test
