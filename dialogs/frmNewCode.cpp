#include "frmNewCode.h"

#include "Categories.h"
#include "CodePage936.h"
#include "CodeRecord.h"
#include "CodeTreeModel.h"
#include "Controls.h"
#include "FileList.h"
#include "Fonts.h"
#include "LibraryFolder.h"
#include "LogLine.h"
#include "MessageBoxes.h"
#include "PaneText.h"
#include "Twips.h"
#include "frmMain.h"
#include "modProgramVars.h"

#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QPushButton *createButton(
    const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *button = Controls::named(new QPushButton(text, parent), name, geometry);
    // Neither button is the dialog's default button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

frmNewCode::frmNewCode(frmMain *owner)
    : ModalDialog(owner)
{
    setObjectName(QStringLiteral("frmNewCode"));
    setWindowTitle(QStringLiteral("加入新代码"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
        | Qt::MSWindowsFixedSizeDialogHint);
    setFont(Fonts::windowFont());
    // A fixed size: the window manager can neither resize nor maximize it.
    setFixedSize(Twips::size(5400, 5370));
    centreOnScreen(size());

    // Labels first, so that the boxes beside them are drawn over them.
    m_label1 = Controls::named(
        new QLabel(QStringLiteral("名称："), this), "Label1", Twips::rect(120, 120, 1575, 255));
    m_label2 = Controls::named(
        new QLabel(QStringLiteral("种类："), this), "Label2", Twips::rect(120, 600, 1335, 255));
    for (QLabel *label : { m_label1, m_label2 })
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_txtName = Controls::named(new QLineEdit(this), "txtName", Twips::rect(840, 120, 4455, 360));
    m_cmbCategory
        = Controls::named(new QComboBox(this), "cmbCategory", Twips::rect(1080, 600, 4215, 360));
    m_cmbCategory->addItems(Categories::dialogOrder());
    m_cmbCategory->setCurrentIndex(-1);

    m_txtComments = createTextBox("txtComments", Twips::rect(120, 1080, 5175, 975));
    Controls::setTextColor(m_txtComments, QColor(255, 0, 255));
    m_txtDeclarations = createTextBox("txtDeclarations", Twips::rect(120, 2160, 5175, 1455));
    m_txtCode = createTextBox("txtCode", Twips::rect(120, 3720, 5175, 1095));
    m_label1->setBuddy(m_txtName);
    m_label2->setBuddy(m_cmbCategory);
    const struct {
        QWidget *control;
        const char *name;
    } accessibleNames[] = { { m_txtName, "名称" }, { m_cmbCategory, "种类" },
        { m_txtComments, "说明" }, { m_txtDeclarations, "声明" }, { m_txtCode, "代码" } };
    for (const auto &a : accessibleNames)
        a.control->setAccessibleName(QString::fromUtf8(a.name));

    m_cmdAdd
        = createButton("cmdAdd", QStringLiteral("添加"), Twips::rect(120, 4920, 1215, 375), this);
    m_cmdCancel = createButton(
        "cmdCancel", QStringLiteral("取消"), Twips::rect(1440, 4920, 1215, 375), this);
    connect(m_cmdAdd, &QPushButton::clicked, this, &frmNewCode::cmdAdd_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmNewCode::cmdCancel_Click);

    setTabOrder(m_txtName, m_txtComments);
    setTabOrder(m_txtComments, m_txtDeclarations);
    setTabOrder(m_txtDeclarations, m_txtCode);
    setTabOrder(m_txtCode, m_cmdAdd);
    setTabOrder(m_cmdAdd, m_cmdCancel);
    setTabOrder(m_cmdCancel, m_cmbCategory);
    m_txtName->setFocus();
}

QPlainTextEdit *frmNewCode::createTextBox(const char *name, const QRect &geometry)
{
    auto *box = Controls::createTextBox(this, name, geometry);
    // Tab moves on to the next control; Ctrl+Tab types a tab.
    box->installEventFilter(this);
    return box;
}

bool frmNewCode::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            if (auto *box = qobject_cast<QPlainTextEdit *>(watched)) {
                box->insertPlainText(QStringLiteral("\t"));
                return true;
            }
        }
    }
    return ModalDialog::eventFilter(watched, event);
}

QStringList frmNewCode::textsFromControls() const
{
    QStringList texts(CodeRecord::FieldCount);
    texts[CodeRecord::Name] = m_txtName->text();
    texts[CodeRecord::Category]
        = m_cmbCategory->currentIndex() < 0 ? QString() : m_cmbCategory->currentText();
    texts[CodeRecord::Comments] = PaneText::toField(m_txtComments->toPlainText());
    texts[CodeRecord::Declarations] = PaneText::toField(m_txtDeclarations->toPlainText());
    texts[CodeRecord::Code] = PaneText::toField(m_txtCode->toPlainText());
    return texts;
}

// Why the code cannot be added as entered, or an empty string.
QString frmNewCode::refusal(
    const QStringList &texts, const QString &name, const QString &category) const
{
    QString reason;
    if (!modProgramVars::CheckCodeName(name, &reason))
        return reason;
    // Every character that cannot be stored is named, also those past the
    // end of a field, before anything is cut.
    QByteArray bytes;
    QString bad;
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        if (!CodePage936::encode(texts[f], &bytes, &bad))
            return tr("%1。请删去或改写这些字符。")
                .arg(CodeRecord::unencodableMessage(CodeRecord::Field(f), bad));
    }
    if (category.isEmpty())
        return tr("请先在“种类”列表中选择一个种类。");
    if (Categories::contains(name))
        return tr("名称“%1”是一个种类的名称，请换一个名称。").arg(name);
    return {};
}

// Tells which texts are longer than their fields; true when the user
// chooses to have them cut.
bool frmNewCode::agreeToCut(const QStringList &texts, const CodeRecord &record)
{
    QStringList lines;
    for (int f = 0; f < CodeRecord::FieldCount; ++f) {
        QByteArray bytes;
        // Trailing spaces are the field's padding anyway.
        CodePage936::encode(texts[f], &bytes);
        while (bytes.endsWith(' '))
            bytes.chop(1);
        const int width = CodeRecord::width(CodeRecord::Field(f));
        if (bytes.size() <= width)
            continue;
        lines << tr("“%1”有 %2 字节，只能保存前 %3 字节")
                     .arg(CodeRecord::fieldTitle(CodeRecord::Field(f)))
                     .arg(bytes.size())
                     .arg(width);
        if (f == CodeRecord::Name)
            lines.last() += tr("，名称将成为“%1”").arg(record.codeName());
    }
    if (lines.isEmpty())
        return true;
    return MessageBoxes::choice(this, windowTitle(),
        tr("以下内容超出了保存的长度（一个汉字占 2 字节）：\n%1\n\n"
           "可以截断后保存（不会拆开汉字），或者返回修改。")
            .arg(lines.join(u'\n')),
        tr("截断后保存(&C)"), tr("返回修改(&B)"));
}

void frmNewCode::cmdAdd_Click()
{
    const QStringList texts = textsFromControls();
    CodeRecord record;
    for (int f = 0; f < CodeRecord::FieldCount; ++f)
        record.setField(CodeRecord::Field(f), texts[f]);
    const QString name = record.codeName();
    const QString category = trimmedSpaces(record.field(CodeRecord::Category));

    // Nothing is written unless the code can be stored and shown as entered.
    const QString why = refusal(texts, name, category);
    if (!why.isEmpty()) {
        warn(why);
        return;
    }
    QByteArray fileName;
    if (!agreeToCut(texts, record) || !write(record, name, &fileName))
        return;

    // One node per code file, showing the code the file now holds: a node
    // read from this file before is taken out.
    CodeTreeModel *tree = owner()->codeTree();
    for (const QString &other : tree->codesInFiles({ fileName })) {
        if (other != name)
            tree->removeCode(other);
    }
    QString error;
    if (tree->containsKey(name)) {
        tree->updateCode(name, category, fileName);
    } else if (!tree->addCode(
                   { category, name, fileName, FileList::decodeFileName(fileName) }, &error)) {
        owner()->updateCodeCount();
        warn(tr("代码已保存到文件“%1”，但无法加入代码树：%2")
                 .arg(FileList::decodeFileName(fileName), error));
        return;
    }
    owner()->updateCodeCount();
    hide();
}

// Writes the code's file, asking before anything is replaced, and again
// when the file changes between the answer and the write.
bool frmNewCode::write(const CodeRecord &record, const QString &name, QByteArray *fileName)
{
    CodeTreeModel *tree = owner()->codeTree();
    LibraryFolder *library = owner()->library();
    // A code that is already in the tree is rewritten in the file it was
    // read from, so that the library never holds two files of one code.
    const bool listed = tree->containsKey(name);
    *fileName = listed ? tree->indexOfKey(name).data(CodeTreeModel::FileNameRole).toByteArray()
                       : QFile::encodeName(modProgramVars::CodeFileName(name));
    const QString shownName = FileList::decodeFileName(*fileName);
    FileStamp agreed;
    QString error;
    if (!library->stamp(*fileName, &agreed, &error)) {
        fail(name, error);
        return false;
    }
    if (listed) {
        if (!ask(tr("代码库中已有名为“%1”的代码。\n要用现在填写的内容替换它吗？").arg(name)))
            return false;
    } else if (agreed.exists
        && !ask(tr("代码库文件夹中已有文件“%1”，它没有列在代码树中。\n"
                   "要用现在填写的代码替换这个文件吗？")
                    .arg(shownName))) {
        return false;
    }
    for (;;) {
        FileStamp found;
        const LibraryFolder::Outcome result
            = library->save(record, *fileName, agreed, &found, &error);
        if (result == LibraryFolder::Saved)
            return true;
        if (result == LibraryFolder::Failed) {
            fail(name, error);
            return false;
        }
        // Another program put a file there, or changed the one agreed to.
        const QString question = result == LibraryFolder::NameTaken
            ? tr("保存时发现代码库文件夹中刚刚出现了文件“%1”。\n要用现在填写的代码替换这个文件吗？")
            : tr("文件“%1”在您同意替换之后被改动或删除了。\n仍要用现在填写的代码保存吗？");
        if (!ask(question.arg(shownName)))
            return false;
        agreed = found;
    }
}

void frmNewCode::fail(const QString &name, const QString &error)
{
    const QString message = tr("无法保存代码“%1”：%2").arg(name, error);
    logLine(message);
    warn(message);
}

void frmNewCode::cmdCancel_Click()
{
    hide();
}

void frmNewCode::warn(const QString &text)
{
    MessageBoxes::warning(this, windowTitle(), text);
}

bool frmNewCode::ask(const QString &text)
{
    return MessageBoxes::question(this, windowTitle(), text);
}
