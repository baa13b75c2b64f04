#include "frmAbout.h"

#include "Fonts.h"
#include "Twips.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

frmAbout::frmAbout(frmMain *owner)
    : ModalDialog(owner)
    , m_star(QStringLiteral(":/images/star.xpm"))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于Quillbank"));
    // Fixed border, no minimize or maximize button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::size(6645, 4050));
    centreOnScreen(size());

    m_label2 = new QLabel(tr("Quillbank 是一个汇编语言代码库：它把常用的子程序连同说明和声明"
                             "分门别类地保存起来，供随时查阅、查找和加入新的代码。"
                             "每段代码是程序旁 Codes 文件夹中的一个文件。"),
        this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setGeometry(Twips::rect(1560, 240, 4575, 2175));
    m_label2->setFont(Fonts::noticeFont());
    m_label2->setWordWrap(true);
    m_label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_command1 = new QPushButton(QStringLiteral("确定"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setGeometry(Twips::rect(2640, 3360, 1335, 375));
    m_command1->setFont(Fonts::windowFont());
    m_command1->setAutoDefault(false);
    connect(m_command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);

    m_label1 = new QLabel(QStringLiteral("版本：1.0\n日期：2003-05-06"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setGeometry(Twips::rect(120, 2760, 1575, 735));
    m_label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_image2 = createImage("Image2", 480, 360);
    m_image1 = createImage("Image1", 120, 960);

    // Command1 is the only control that takes the focus.
    m_command1->setFocus();
}

QLabel *frmAbout::createImage(const char *name, float left, float top)
{
    auto *image = new QLabel(this);
    image->setObjectName(QLatin1String(name));
    image->setGeometry(Twips::rect(left, top, 495, 495));
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setPixmap(m_star);
    return image;
}

void frmAbout::paintEvent(QPaintEvent *event)
{
    ModalDialog::paintEvent(event);
    // The background picture, once, at the top-left corner.
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_star);
}

void frmAbout::Command1_Click()
{
    hide();
}
