// Moving file names between the batch dialog's two lists.
#pragma once

#include <QStringList>

class QListWidget;

namespace karwen::ui {

// Moves the selected items of `from` to the end of `to`, in their order.
void moveSelectedItems(QListWidget& from, QListWidget& to);

// The item texts, top to bottom.
[[nodiscard]] QStringList itemTexts(const QListWidget& list);

} // namespace karwen::ui
