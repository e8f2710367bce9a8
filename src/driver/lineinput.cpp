#include "lineinput.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#ifdef TC_HAVE_LIBEDIT
#include <editline/readline.h>
#endif

LineInput::LineInput() = default;

LineInput::~LineInput()
{
#ifdef TC_HAVE_LIBEDIT
    if (!historyPath.isEmpty())
        write_history(historyPath.constData());
#endif
    if (file && file != stdin)
        std::fclose(file);
}

bool LineInput::openFile(const QString &path)
{
    file = std::fopen(QFile::encodeName(path).constData(), "r");
    return file != nullptr;
}

void LineInput::openTerminal()
{
    interactive = true;
    file = stdin;
#ifdef TC_HAVE_LIBEDIT
    if (isatty(STDIN_FILENO)) {
        historyPath =
            QFile::encodeName(QDir::homePath() + QStringLiteral("/.testclient-driver_history"));
        using_history();
        read_history(historyPath.constData());
    }
#endif
}

bool LineInput::readLine(QString *line)
{
#ifdef TC_HAVE_LIBEDIT
    if (interactive && isatty(STDIN_FILENO)) {
        char *text = readline("> ");
        if (!text)
            return false;
        *line = QString::fromUtf8(text);
        if (!line->trimmed().isEmpty())
            add_history(text);
        std::free(text);
        return true;
    }
#endif
    if (interactive) {
        std::fputs("> ", stdout);
        std::fflush(stdout);
    }
    QByteArray bytes;
    for (int c; (c = std::fgetc(file)) != EOF && c != '\n';)
        bytes.append(char(c));
    if (bytes.isEmpty() && std::feof(file))
        return false;
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    *line = QString::fromUtf8(bytes);
    return true;
}
