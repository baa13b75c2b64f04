#include "Desktop.h"

#include <QCoreApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

namespace Desktop {

QIcon programIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/app32.xpm"));
    icon.addFile(QStringLiteral(":/images/app16.xpm"));
    return icon;
}

bool installQtTranslations()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(
            QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

} // namespace Desktop
