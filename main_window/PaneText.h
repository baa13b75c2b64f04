#pragma once

#include <QString>

// Code files store line breaks as CR LF; the text panes use LF.
namespace PaneText {

inline QString fromField(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}
inline QString toField(QString text)
{
    return text.replace(u'\n', QLatin1String("\r\n"));
}
// A field without the padding spaces at its end.
inline QString withoutPadding(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ')
        --end;
    text.truncate(end);
    return text;
}
// A field as a pane shows it, for other programs: no padding, and every
// line break (CR LF, or CR or LF alone) as LF.
inline QString shown(const QString &field)
{
    return withoutPadding(field)
        .replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(u'\r', u'\n');
}

} // namespace PaneText
