#include "mnemonics.h"

namespace Mnemonics {

QString withoutFirstAmpersand(const QString &text)
{
    QString stripped = text;
    const int ampersand = stripped.indexOf(QLatin1Char('&'));
    if (ampersand >= 0)
        stripped.remove(ampersand, 1);
    return stripped;
}

QString shownText(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString shown;
    shown.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&'))
                shown += text.at(++i);
            continue;
        }
        shown += text.at(i);
    }
    return shown;
}

QString withoutMnemonic(const QString &text, WireText::Mode mode)
{
    return mode == WireText::Mode::Extended ? shownText(text) : withoutFirstAmpersand(text);
}

} // namespace Mnemonics
