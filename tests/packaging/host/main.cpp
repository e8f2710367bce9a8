// A window with one named label, and the agent created as the host framework creates it.
#include <idllinstance.h>
#include <loadinterface.h>

#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("built against the installed package"));
    label.setObjectName(QStringLiteral("message"));
    label.setWindowTitle(QStringLiteral("Installed Host"));
    label.show();
    IDllInstance *agent = ZuCreate(u"installed-host");
    if (!agent)
        return 2;
    const int status = app.exec();
    ZuDestroy(agent);
    return status;
}
