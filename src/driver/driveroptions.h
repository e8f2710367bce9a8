#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

class QCoreApplication;

// What the command line asks for.
struct DriverOptions
{
    int timeoutMs = 0;
    bool jsonOutput = false;
    bool rawOnly = false;
    bool plain = false; // the command's agent keeps to the protocol alone
    quint16 port = 0;
    QString readyFile;
    std::optional<QString> script; // none: lines come from the terminal
    QStringList commandLine;       // the program after "--", if any
};

// Reads the command line; --help prints the usage and exits.
DriverOptions parseOptions(const QCoreApplication &app);
