// A Widgets program that mixes in Qt Quick the two ways real programs do: a QQuickWidget
// panel inside a widget window, and a QQuickWindow (QQuickView) of its own beside it. The
// controls are Qt Quick Controls 2; what they do is shown in labels a test reads back.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QQuickView>
#include <QQuickWidget>
#include <QUrl>
#include <QVBoxLayout>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);

    QMainWindow main;
    main.setObjectName(QStringLiteral("MainWindow"));
    main.setWindowTitle(QStringLiteral("Quick Panel"));
    auto *central = new QWidget(&main);
    auto *layout = new QVBoxLayout(central);
    auto *note = new QLineEdit(central);
    note->setObjectName(QStringLiteral("note"));
    layout->addWidget(new QLabel(QStringLiteral("Widgets above the panel"), central));
    layout->addWidget(note);
    auto *panel = new QQuickWidget(central);
    panel->setObjectName(QStringLiteral("quickPanel"));
    panel->setResizeMode(QQuickWidget::SizeRootObjectToView);
    panel->setSource(QUrl(QStringLiteral("qrc:/panel.qml")));
    panel->setMinimumSize(420, 420);
    layout->addWidget(panel);
    main.setCentralWidget(central);
    main.show();

    QQuickView view;
    view.setObjectName(QStringLiteral("quickWindow"));
    view.setTitle(QStringLiteral("Quick Window"));
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.setSource(QUrl(QStringLiteral("qrc:/window.qml")));
    view.resize(400, 360);
    view.show();

    return app.exec();
}
