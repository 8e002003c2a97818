// The one place where the program asks the user something modal: message
// boxes, yes/no questions and the file dialogs. The default implementation
// shows Qt dialogs; tests install one that answers from a script.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace karwen::ui {

// The application's title, the caption of every message box.
inline const QString kAppTitle = QStringLiteral("KARWEN");

struct FileDialogRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString fileName;      // preset name, may be empty
    QStringList filters;   // Qt syntax: "description (*.a *.b)"
    int filterIndex = 0;   // 0-based entry shown first
    QString defaultSuffix; // without the dot; "" for none
};

class DialogSeam {
public:
    virtual ~DialogSeam() = default;

    virtual void message(QWidget* parent, const QString& text, QMessageBox::Icon icon);
    // A message whose second paragraph says more: which value, and why.
    virtual void messageWithDetail(QWidget* parent, const QString& text, const QString& detail, QMessageBox::Icon icon);
    // True for Yes.
    [[nodiscard]] virtual bool question(QWidget* parent, const QString& text);
    // The chosen full path, or nothing when the user cancelled.
    [[nodiscard]] virtual std::optional<QString> fileDialog(QWidget* parent, const FileDialogRequest& request);
    // A folder chosen in the folder picker, or nothing when cancelled.
    [[nodiscard]] virtual std::optional<QString> folderDialog(QWidget* parent, const QString& title);

    // The box that message, messageWithDetail and question show (detail as
    // its informative text): captioned
    // with the application's title and wide enough that a window manager
    // shows the caption whole beside its buttons.
    [[nodiscard]] static std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, QMessageBox::Icon icon,
        const QString& text, QMessageBox::StandardButtons buttons, const QString& detail = {});
    // The Qt dialog that fileDialog shows, set up for the request.
    [[nodiscard]] static std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const FileDialogRequest& request);
    // The Qt dialog that folderDialog shows.
    [[nodiscard]] static std::unique_ptr<QFileDialog> makeFolderDialog(QWidget* parent, const QString& title);
};

// nullptr restores the Qt dialogs. The caller keeps ownership.
void setDialogSeam(DialogSeam* seam);
[[nodiscard]] DialogSeam& dialogs();

} // namespace karwen::ui
