#include "Desktop.h"
#include "Fonts.h"
#include "LibraryPlacement.h"
#include "LogLine.h"
#include "frmMain.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbank"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QGuiApplication::setDesktopFileName(QLatin1String(Desktop::kDesktopFileName));
    QApplication::setWindowIcon(Desktop::programIcon());
    if (!Desktop::installQtTranslations())
        logLine(QStringLiteral("找不到 Qt 的中文翻译 qtbase_zh_CN，Qt 自带的文字将是英文"));
    Fonts::installSubstitutions();

    // The library lives in the folder Codes beside the program. A program
    // unpacked from its archive brings the sample codes in the folder
    // samples; they become the library when there is none yet.
    const QDir home(QApplication::applicationDirPath());
    const QString library = home.filePath(QStringLiteral("Codes"));
    QString error;
    if (!placeSampleLibrary(home.filePath(QStringLiteral("samples")), library, &error))
        logLine(error);

    frmMain window(library);
    window.show();
    return QApplication::exec();
}
