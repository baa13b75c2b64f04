#include "SkipReason.h"

#include "CodeRecord.h"

namespace SkipReason {

QString tooShort(qint64 size)
{
    return QStringLiteral("文件只有 %1 字节，而代码文件应为 %2 字节")
        .arg(size)
        .arg(CodeRecord::RecordSize);
}

QString noName()
{
    return QStringLiteral("代码的名称是空的");
}

QString noCategory()
{
    return QStringLiteral("代码的种类是空的，没有说明它属于八个种类中的哪一个");
}

QString unknownCategory(QStringView category)
{
    return QStringLiteral("代码的种类“%1”不是八个种类之一").arg(category);
}

QString nameIsCategory(QStringView name)
{
    return QStringLiteral("代码的名称“%1”与一个种类同名").arg(name);
}

QString duplicateName(QStringView name)
{
    return QStringLiteral("已经有一个名为“%1”的代码").arg(name);
}

} // namespace SkipReason
