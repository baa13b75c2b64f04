#include "Categories.h"

namespace Categories {

const QStringList &treeOrder()
{
    static const QStringList names {
        QStringLiteral("运算子程序"),
        QStringLiteral("通讯子程序"),
        QStringLiteral("扩展接口程序"),
        QStringLiteral("中断服务子程序"),
        QStringLiteral("代码转换"),
        QStringLiteral("逻辑操作"),
        QStringLiteral("数据结构"),
        QStringLiteral("其他"),
    };
    return names;
}

const QStringList &dialogOrder()
{
    static const QStringList names {
        QStringLiteral("运算子程序"),
        QStringLiteral("扩展接口程序"),
        QStringLiteral("中断服务子程序"),
        QStringLiteral("代码转换"),
        QStringLiteral("逻辑操作"),
        QStringLiteral("数据结构"),
        QStringLiteral("通讯子程序"),
        QStringLiteral("其他"),
    };
    return names;
}

} // namespace Categories
