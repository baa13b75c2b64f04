#include "Fonts.h"

#include <QFont>
#include <QFontDatabase>
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

const QStringList &sansFamilies()
{
    static const QStringList families { "DejaVu Sans", "Noto Sans CJK SC", "AR PL UMing CN" };
    return families;
}

// The first look-alike for Tahoma that also draws Chinese, when Tahoma
// itself does not.
QString chineseSans()
{
    const auto drawsChinese = [](const QString &family) {
        return QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese);
    };
    if (drawsChinese(kTahoma))
        return {};
    for (const QString &family : sansFamilies()) {
        if (drawsChinese(family))
            return family;
    }
    return {};
}

} // namespace

namespace Fonts {

void installSubstitutions()
{
    const QStringList &sans = sansFamilies();
    const QStringList song { "Noto Serif CJK SC", "AR PL UMing CN", "Noto Sans CJK SC" };
    QFont::insertSubstitutions(kTahoma, sans);
    QFont::insertSubstitutions(kSimSun, song);
}

QFont windowFont()
{
    return font(kTahoma, 9.75, true);
}
QFont textFont()
{
    // Lines with Chinese take the height of the font that draws it. With a
    // font that draws both Latin and Chinese, every line is that high.
    QFont f = font(kTahoma, 9.75, false);
    const QString chinese = chineseSans();
    if (!chinese.isEmpty())
        f.setFamilies({ kTahoma, chinese });
    return f;
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
