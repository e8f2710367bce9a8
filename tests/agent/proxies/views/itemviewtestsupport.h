#pragma once

#include "proxies/framework/stapplicationproxy.h"
#include "proxies/framework/sterror.h"

#include <QCoreApplication>
#include <QStandardItemModel>
#include <QVariant>

// Item view requests through the registry, as the dispatcher runs them, with a class hint
// ("" for the most derived registered class). Each returns the message it failed with, or
// an empty text; what the proxy posted is delivered before they return.
inline QString activateView(QWidget *view, const QString &hint, const QVariant &first,
                            const QVariant &second = QVariant())
{
    STApplicationProxy registry;
    QString message;
    try {
        registry.activateWidget(view, hint, first, second);
    } catch (const STError &error) {
        message = error.message;
    }
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return message;
}

// A property read as text (a boolean as "true" or "false"), or the message it failed with.
inline QString readProperty(QWidget *view, const QString &hint, const QString &name,
                            const QVariant &parameter = QVariant())
{
    STApplicationProxy registry;
    try {
        return registry.getProxyProperty(view, hint, name, parameter).toString();
    } catch (const STError &error) {
        return error.message;
    }
}

// A model of rows x columns cells reading "r<row>c<column>" (1-based), with the given
// header texts where there are any.
inline QStandardItemModel *newGridModel(int rows, int columns, const QStringList &rowHeaders = {},
                                        const QStringList &columnHeaders = {},
                                        QObject *parent = nullptr)
{
    auto *model = new QStandardItemModel(rows, columns, parent);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            model->setItem(
                row, column,
                new QStandardItem(QStringLiteral("r%1c%2").arg(row + 1).arg(column + 1)));
    }
    if (!rowHeaders.isEmpty())
        model->setVerticalHeaderLabels(rowHeaders);
    if (!columnHeaders.isEmpty())
        model->setHorizontalHeaderLabels(columnHeaders);
    return model;
}
