#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class QObject;
class QWidget;

// The naming rules behind the paths: how a widget is named when its object name is empty,
// and whether a widget's way up to its window reads as a path. The candidate searches of
// this folder test them on the spot; callers outside the folder go through widgetaddressing.h.
namespace WidgetNaming {

extern const QString actionButtonSuffix;
extern const QString dialogButtonSuffix;
extern const QString inputDialogSuffix;
extern const QString unnamedName;

QString nonNull(const QString &name);
bool objectNameNeverSet(const QObject *object);
bool isInputDialogChild(const QObject *object);
QString inputDialogChildName(const QObject *object);
QString actionButtonName(const QObject *object);

// Made-up push button names by button text, kept for one request: the buttons of a large
// form repeat a few texts, and a path check names the same buttons again.
using DialogButtonNames = QHash<QString, QString>;

QString dialogButtonName(const QObject *object, DialogButtonNames *known = nullptr);
QString nameOf(const QObject *object, DialogButtonNames *known);
// The same for a caller that read the object name already.
QString nameOf(const QObject *object, const QString &objectName, DialogButtonNames *known);
bool pathMatches(QWidget *widget, QWidget *window, const QStringList &path,
                 DialogButtonNames *known);

} // namespace WidgetNaming
