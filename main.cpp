#include "Fonts.h"
#include "frmMain.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbank"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    Fonts::installSubstitutions();

    // The library lives in the folder Codes beside the program.
    frmMain window(QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("Codes")));
    window.show();
    return QApplication::exec();
}
