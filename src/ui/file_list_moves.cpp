#include "file_list_moves.h"

#include <QListWidget>

#include <memory>

namespace karwen::ui {

void moveSelectedItems(QListWidget& from, QListWidget& to)
{
    // The scan stays at i after a move: the next item has moved up into it.
    int i = 0;
    while (i < from.count()) {
        if (from.item(i)->isSelected()) {
            const std::unique_ptr<QListWidgetItem> item(from.takeItem(i));
            to.addItem(item->text());
        } else {
            ++i;
        }
    }
}

QStringList itemTexts(const QListWidget& list)
{
    QStringList texts;
    texts.reserve(list.count());
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

} // namespace karwen::ui
