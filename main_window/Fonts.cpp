#include "Fonts.h"

#include <QFont>
#include <QStringList>

namespace {

const QString kTahoma = QStringLiteral("Tahoma");
const QString kSimSun = QStringLiteral("宋体");

QFont font(const QString &family, qreal points, bool bold)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace

namespace Fonts {

void installSubstitutions()
{
    const QStringList sans { "DejaVu Sans", "Noto Sans CJK SC", "AR PL UMing CN" };
    const QStringList song { "Noto Serif CJK SC", "AR PL UMing CN", "Noto Sans CJK SC" };
    QFont::insertSubstitutions(kTahoma, sans);
    QFont::insertSubstitutions(kSimSun, song);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), song);
}

QFont windowFont()
{
    return font(kTahoma, 9.75, true);
}
QFont textFont()
{
    return font(kTahoma, 9.75, false);
}
QFont treeFont()
{
    return font(kSimSun, 9.75, false);
}
QFont noticeFont()
{
    return font(kTahoma, 12, false);
}

} // namespace Fonts
