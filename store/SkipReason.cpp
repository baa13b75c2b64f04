#include "SkipReason.h"

#include "CodeRecord.h"

namespace SkipReason {

QString tooShort(qint64 size)
{
    return QStringLiteral("文件只有 %1 字节，代码文件应为 %2 字节")
        .arg(size)
        .arg(CodeRecord::RecordSize);
}

QString noName()
{
    return QStringLiteral("名称是空的");
}

QString noCategory()
{
    return QStringLiteral("种类是空的");
}

QString unknownCategory(QStringView category)
{
    return QStringLiteral("种类“%1”不是八个种类之一").arg(category);
}

QString nameIsCategory(QStringView name)
{
    return QStringLiteral("名称“%1”是一个种类的名称").arg(name);
}

QString duplicateName(QStringView name)
{
    return QStringLiteral("已有名为“%1”的代码").arg(name);
}

} // namespace SkipReason
