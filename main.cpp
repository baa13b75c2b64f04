#include "Fonts.h"
#include "LibraryFolder.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbank"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    Fonts::installSubstitutions();

    // The library lives in the folder Codes beside the program, found by
    // the bytes of the program's path, whatever they are.
    // When it cannot be found, the window opens with no library and says so.
    QByteArray folder;
    QString error;
    LibraryFolder::besideProgram(&folder, &error);
    frmMain window(folder);
    window.show();
    return QApplication::exec();
}
