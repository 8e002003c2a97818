// Icons and type names for the file dialogs, decided by a file's name and
// kind alone. Qt's own provider reads a file's first bytes to guess its
// type, and some files never answer a read (/proc/kmsg, a FIFO, a stalled
// network mount): browsing past one would hang the dialog for good.
#pragma once

#include <QAbstractFileIconProvider>

namespace karwen::ui {

class NameOnlyIconProvider : public QAbstractFileIconProvider {
public:
    NameOnlyIconProvider();

    using QAbstractFileIconProvider::icon;
    [[nodiscard]] QIcon icon(const QFileInfo& info) const override;
    [[nodiscard]] QString type(const QFileInfo& info) const override;
};

} // namespace karwen::ui
