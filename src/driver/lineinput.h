#pragma once

#include <QByteArray>
#include <QString>

// Where the driver's request lines come from: a script file, or the terminal. At a
// terminal, lines are edited with the usual keys and kept in a history (up and down
// arrows), saved across runs in ~/.testclient-driver_history, when the build has
// libedit; otherwise lines are read plainly.
class LineInput
{
public:
    LineInput();
    ~LineInput();

    bool openFile(const QString &path);
    void openTerminal();
    bool isInteractive() const { return interactive; }

    // The next line without its line end; false at the end of the input.
    bool readLine(QString *line);

private:
    bool interactive = false;
    FILE *file = nullptr;
    QByteArray historyPath;
};
