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

} // namespace PaneText
