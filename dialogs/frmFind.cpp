#include "frmFind.h"

#include "CommentSearch.h"
#include "Controls.h"
#include "FileList.h"
#include "LogLine.h"
#include "Twips.h"
#include "frmMain.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

frmFind::frmFind(frmMain *owner)
    : ModalDialog(owner)
    , m_file1(new FileList(this))
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
        | Qt::MSWindowsFixedSizeDialogHint);
    // No icon: an empty picture instead of the owner's.
    QPixmap none(16, 16);
    none.fill(Qt::transparent);
    setWindowIcon(QIcon(none));
    // A fixed size: the window manager can neither resize nor maximize it.
    setFixedSize(Twips::size(6330, 2925));
    move(Twips::toPixels(4365), Twips::toPixels(4170));

    // Sized to its text from its design position, the text centred.
    m_label1 = Controls::named(
        new QLabel(QStringLiteral("查找目标："), this), "Label1", Twips::rect(120, 240, 915, 180));
    m_label1->setAlignment(Qt::AlignCenter);
    m_label1->resize(m_label1->sizeHint());

    m_text1 = Controls::named(new QLineEdit(this), "Text1", Twips::rect(1080, 120, 3975, 375));
    m_text1->setAccessibleName(QStringLiteral("查找目标"));
    m_label1->setBuddy(m_text1);
    m_command1 = Controls::named(new QPushButton(QStringLiteral("查找"), this), "Command1",
        Twips::rect(5400, 120, 855, 375));
    m_command2 = Controls::named(new QPushButton(QStringLiteral("取消"), this), "Command2",
        Twips::rect(5400, 1080, 855, 375));
    // Neither button is the dialog's default button.
    for (QPushButton *button : { m_command1, m_command2 })
        button->setAutoDefault(false);
    m_frame1 = Controls::named(
        new QGroupBox(QStringLiteral("说明"), this), "Frame1", Twips::rect(240, 840, 4935, 1335));
    m_label2 = Controls::named(new QLabel(QStringLiteral("请输入全名(暂时还不支持模糊查询).例如:"
                                                         "浮点数代数值比较（不影响待比较操作数）."),
                                   m_frame1),
        "Label2", Twips::rect(360, 360, 4215, 735));
    m_label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label2->setWordWrap(true);
    m_file1->setObjectName(QStringLiteral("File1"));

    connect(m_command1, &QPushButton::clicked, this, &frmFind::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &frmFind::Command2_Click);
    // Enter in the search text finds, as the Find button does.
    connect(m_text1, &QLineEdit::returnPressed, this, &frmFind::Command1_Click);

    m_text1->setFocus();
}

// The search: the first file of the library folder, in list order, whose
// Comments field begins with exactly the typed text.
void frmFind::Command1_Click()
{
    const QString folder = owner()->libraryFolder();
    const QString target = m_text1->text();
    QString error;
    if (!m_file1->setFolder(folder, &error)) {
        const QString message
            = tr("无法打开代码库文件夹“%1”：%2").arg(QDir::toNativeSeparators(folder), error);
        logLine(message);
        emit nothingFound(message, QString());
        close();
        return;
    }
    const CommentSearch search = CommentSearch::run(*m_file1, target);
    for (const SkippedFile &skipped : search.unreadable)
        logLine(tr("查找时跳过文件“%1”：%2").arg(skipped.fileName, skipped.reason));
    if (search.found >= 0) {
        owner()->showCodeTexts(search.record);
    } else {
        // A long search text is shown cut.
        constexpr int kShown = 40;
        const QString shown
            = target.size() > kShown ? target.left(kShown) + QStringLiteral("……") : target;
        QString message = target.isEmpty() ? tr("代码库中没有可以读取的代码。")
                                           : tr("没有找到说明以“%1”开头的代码。").arg(shown);
        QStringList details;
        if (!search.unreadable.isEmpty()) {
            message += u'\n'
                + tr("有 %1 个文件无法读取，未能查看其说明，详见“详细信息”。")
                      .arg(search.unreadable.size());
            for (const SkippedFile &skipped : search.unreadable)
                details << tr("%1：%2").arg(
                    printableText(skipped.fileName), printableText(skipped.reason));
        }
        emit nothingFound(message, details.join(u'\n'));
    }
    // Every search discards the dialog.
    close();
}

// Escape cancels, as the Cancel button does.
void frmFind::reject()
{
    Command2_Click();
}

void frmFind::Command2_Click()
{
    hide();
}
