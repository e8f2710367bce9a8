#pragma once

#include <QStandardItemModel>

// A model of rows x columns cells reading "r<row>c<column>" (1-based), with the given
// header texts where there are any.
inline QStandardItemModel *newGridModel(int rows, int columns, const QStringList &rowHeaders,
                                        const QStringList &columnHeaders, QObject *parent)
{
    auto *model = new QStandardItemModel(rows, columns, parent);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            model->setItem(
                row, column,
                new QStandardItem(QStringLiteral("r%1c%2").arg(row + 1).arg(column + 1)));
    }
    model->setVerticalHeaderLabels(rowHeaders);
    model->setHorizontalHeaderLabels(columnHeaders);
    return model;
}
