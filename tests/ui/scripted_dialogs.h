// Answers the program's modal questions from a script instead of a person,
// and remembers what was asked; plus the small file helpers the UI suites
// share, and Qt's widgets and test tools for all of them.
#pragma once

#include "dialog_seam.h"

#include <QProcess>
#include <QtTest>
#include <QtWidgets>

#include <cstring>
#include <deque>

namespace karwen::test {

class ScriptedDialogs : public ui::DialogSeam {
public:
    ScriptedDialogs() { ui::setDialogSeam(this); }
    ~ScriptedDialogs() override { ui::setDialogSeam(nullptr); }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    std::deque<std::optional<QString>> files; // nullopt: Cancel
    std::deque<bool> answers;                 // Yes / No
    QStringList messages;
    QList<QMessageBox::Icon> icons; // one per message
    QStringList details;            // one per message, "" for none
    QStringList questions;
    std::vector<ui::FileDialogRequest> requests;

    void message(QWidget*, const QString& text, QMessageBox::Icon icon) override
    {
        messageWithDetail(nullptr, text, QString(), icon);
    }
    void messageWithDetail(QWidget*, const QString& text, const QString& detail, QMessageBox::Icon icon) override
    {
        messages << text;
        details << detail;
        icons << icon;
    }
    bool question(QWidget*, const QString& text) override
    {
        questions << text;
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    std::optional<QString> fileDialog(QWidget*, const ui::FileDialogRequest& request) override
    {
        requests.push_back(request);
        if (files.empty())
            return std::nullopt;
        // Cancel unless a name was scripted; taken apart so that the
        // optional's storage is never copied half-initialised.
        const bool cancelled = !files.front().has_value();
        const QString name = files.front().value_or(QString());
        files.pop_front();
        if (cancelled)
            return std::nullopt;
        return name;
    }
};

// Runs in another current folder for as long as it lives.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& path)
        : old_(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~CurrentFolder() { QDir::setCurrent(old_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    QString old_;
};

// Bit for bit, so that not even a rounding of a stored figure goes unseen.
template <typename T> bool sameBits(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

[[nodiscard]] inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

[[nodiscard]] inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How many pixels of an image are of this colour.
inline int pixelsOfColour(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

#ifdef KARWEN_CLI
// karwen-cli with these arguments: its exit code, -1 when it did not end.
inline int runCli(const QStringList& args)
{
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cli.start(QStringLiteral(KARWEN_CLI), args);
    if (!cli.waitForFinished(120000))
        return -1;
    return cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
}
#endif

} // namespace karwen::test
