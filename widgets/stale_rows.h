#pragma once
// Result rows kept for the user to read once the scene they were found for has changed.

#include <QPalette>
#include <QTableWidget>

namespace kolmarin {

// Greys every cell of `table` in the disabled text colour.
inline void greyOutRows(QTableWidget& table) {
    const QColor grey = table.palette().color(QPalette::Disabled, QPalette::Text);
    for (int row = 0; row < table.rowCount(); ++row)
        for (int column = 0; column < table.columnCount(); ++column)
            if (QTableWidgetItem* item = table.item(row, column))
                item->setForeground(grey);
}

} // namespace kolmarin
