#include "Desktop.h"
#include "Fonts.h"
#include "LibraryFolder.h"
#include "LibraryPlacement.h"
#include "LogLine.h"
#include "frmMain.h"

#include <QApplication>
#include <QFile>
#include <QIcon>

int main(int argc, char *argv[])
{
    openStandardStreams();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbank"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QGuiApplication::setDesktopFileName(QLatin1String(Desktop::kDesktopFileName));
    QApplication::setWindowIcon(Desktop::programIcon());
    if (!Desktop::installQtTranslations())
        logLine(QStringLiteral("找不到 Qt 的中文翻译 qtbase_zh_CN，Qt 自带的文字将是英文"));
    Fonts::installSubstitutions();

    // The library lives in the folder Codes beside the program, found by
    // the bytes of the program's path, whatever they are. When it cannot be
    // found, the window opens with no library and says so.
    QByteArray folder;
    QString error;
    if (LibraryFolder::besideProgram(&folder, &error)) {
        // A program unpacked from its archive brings the sample codes in the
        // folder samples; they become the library when there is none yet.
        // Only where the path reads back as the same bytes, so that nothing
        // is ever written into a folder of another name.
        const QString library = QFile::decodeName(folder);
        const QString samples = QFile::decodeName(folder.chopped(5) + "samples");
        if (QFile::encodeName(library) == folder
            && !placeSampleLibrary(samples, library, &error))
            logLine(error);
    }
    frmMain window(folder);
    window.show();
    return QApplication::exec();
}
