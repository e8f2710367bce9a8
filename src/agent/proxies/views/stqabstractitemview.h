#pragma once

#include "proxies/framework/stwidgetproxy.h"

#include <QModelIndex>
#include <QString>

class QAbstractItemView;

// Any item view without a proxy of its own. Types no keys: items are named by a path of
// positions or header texts through the model, the selection is changed through the
// view's selection model, and the properties read the model directly.
class STQAbstractItemView : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;

    // "row[;column]/row[;column]/...": one element per level below the view's root index
    // (the part of the model it shows), each field a 1-based number or a header text; a
    // missing column is column 1. The empty path is the root itself.
    QModelIndex resolveModelIndexPath(const QString &path);
    // The path of the index below the view's root as resolveModelIndexPath reads it, by
    // numbers alone.
    static QString modelIndexPath(const QAbstractItemView *view, const QModelIndex &index);

private:
    // A header section named by "V:<row>" or "H:<column>" (or lower case), 0-based, among
    // the sections of the root's rows and columns.
    struct HeaderSection
    {
        Qt::Orientation orientation = Qt::Vertical;
        int section = -1;
    };

    QAbstractItemView *checkedView();
    static bool parseHeaderSpecification(QAbstractItemView *view, const QString &text,
                                         HeaderSection *header);
    static QRect headerSectionRect(QAbstractItemView *view, const HeaderSection &header);
};
