#include "LibraryAdd.h"

#include "CodeTreeModel.h"
#include "FileList.h"
#include "LogLine.h"
#include "frmMain.h"

#include <QCoreApplication>

namespace LibraryAdd {

AddStep::Outcome addCode(
    frmMain *window, const AddStep &step, const AddStep::Answer &answer, QString *treeError)
{
    CodeTreeModel *tree = window->codeTree();
    const QString &name = step.name();
    // A code that is already in the tree is rewritten in the file it was
    // read from.
    const QByteArray listedFile = tree->containsKey(name)
        ? tree->indexOfKey(name).data(CodeTreeModel::FileNameRole).toByteArray()
        : QByteArray();
    const AddStep::Outcome outcome = step.run(window->library(), listedFile, answer);
    if (outcome.result == AddStep::Failed)
        logLine(outcome.reason);
    if (outcome.result != AddStep::Saved)
        return outcome;

    // One node per code file, showing the code the file now holds: a node
    // read from this file before is taken out.
    const QByteArray &fileName = outcome.fileName;
    for (const QString &other : tree->codesInFiles({ fileName })) {
        if (other != name)
            tree->removeCode(other);
    }
    QString error;
    if (tree->containsKey(name)) {
        tree->updateCode(name, step.category(), fileName);
    } else if (!tree->addCode(
                   { step.category(), name, fileName, FileList::decodeFileName(fileName) },
                   &error)) {
        *treeError = QCoreApplication::translate(
            "LibraryAdd", "代码已保存到文件“%1”，但无法加入代码树：%2")
                         .arg(FileList::decodeFileName(fileName), error);
    }
    window->updateCodeCount();
    return outcome;
}

} // namespace LibraryAdd
