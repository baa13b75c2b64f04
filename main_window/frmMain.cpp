#include "frmMain.h"

#include "CodeTreeModel.h"
#include "Controls.h"
#include "Desktop.h"
#include "FileDrop.h"
#include "FileList.h"
#include "Fonts.h"
#include "LibraryFolder.h"
#include "ResizeRule.h"
#include "TreeMenu.h"
#include "Twips.h"

#include <QAction>
#include <QEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace {

// Swallows tool tips, for a toolbar button that has none.
class NoToolTip : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::ToolTip; }
};

} // namespace

frmMain::frmMain(const QString &libraryFolder, QWidget *parent)
    : frmMain(QFile::encodeName(libraryFolder), parent)
{
}

frmMain::frmMain(const QByteArray &nativeLibraryFolder, QWidget *parent)
    : QMainWindow(parent)
    , m_library(new LibraryFolder)
    , m_lstFiles(new FileList(this))
    , m_model(new CodeTreeModel(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("汇编语言程序库"));
    setWindowIcon(Desktop::programIcon());
    setFont(Fonts::windowFont());

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(m_client);
    m_lstFiles->setObjectName(QStringLiteral("lstFiles"));

    createMenu();
    createToolbar();
    createStatusBar();
    createTree();
    createPanes();
    createSearchShortcut();

    // The client area, below the menu bar, opens 8055 x 6480 twips.
    resize(Twips::toPixels(8055), Twips::toPixels(6480) + menuBar()->sizeHint().height());

    Form_Load(nativeLibraryFolder);
}

frmMain::~frmMain() = default;

QString frmMain::libraryFolder() const
{
    return m_library->path();
}

void frmMain::createMenu()
{
    m_mnuFile = menuBar()->addMenu(QStringLiteral("文件"));
    m_mnuFile->setObjectName(QStringLiteral("mnuFile"));
    m_mnuAbout = m_mnuFile->addAction(QStringLiteral("关于"));
    m_mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    m_mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuSep1"));
    m_mnuExit = m_mnuFile->addAction(QStringLiteral("退出"));
    m_mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(m_mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
    connect(m_mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);
    // No caption carries an accelerator: F10 opens the menu from the keyboard.
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
        [this] { menuBar()->setActiveAction(m_mnuFile->menuAction()); });
}

void frmMain::createToolbar()
{
    m_toolbar = new QToolBar(m_client);
    m_toolbar->setObjectName(QStringLiteral("Toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(33, 33));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_toolbar->setContentsMargins(0, 0, 0, 0);
    m_toolbar->layout()->setContentsMargins(0, 0, 0, 0);
    m_toolbar->layout()->setSpacing(0);
    m_toolbar->setGeometry(0, 0, Twips::toPixels(8055), Twips::toPixels(810));

    struct Button {
        const char *key;
        QString caption;
        QString toolTip;
        QKeySequence shortcut;
    };
    const Button buttons[] = {
        { "Add", QStringLiteral("新建代码"), QStringLiteral("添加代码"), QKeySequence::New },
        { "Find", QStringLiteral("查找"), QString(), QKeySequence::Find },
    };
    for (const Button &b : buttons) {
        const QString key = QString::fromLatin1(b.key);
        QAction *action = m_toolbar->addAction(
            QIcon(QStringLiteral(":/images/%1.xpm").arg(key.toLower())), b.caption);
        action->setObjectName(key);
        action->setShortcut(b.shortcut);
        action->setToolTip(b.toolTip);
        QWidget *button = m_toolbar->widgetForAction(action);
        button->setFixedSize(Twips::size(825, 780));
        button->setAccessibleName(b.caption);
        if (b.toolTip.isEmpty())
            button->installEventFilter(new NoToolTip(button));
    }
    connect(m_toolbar, &QToolBar::actionTriggered, this,
        [this](QAction *action) { Toolbar_ButtonClick(action->objectName()); });
}

void frmMain::createStatusBar()
{
    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setSizeGripEnabled(true);
    m_status->setFixedHeight(Twips::toPixels(495));
    m_panel1 = new QLabel(QStringLiteral("Quillbank 1.0"), m_status);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setMinimumWidth(Twips::toPixels(1440));
    m_panel2 = new QLabel(QStringLiteral("数据库代码总数"), m_status);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    for (QLabel *panel : { m_panel1, m_panel2 }) {
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
    }
    m_panel2->setFixedWidth(Controls::panelWidth(
        m_panel2->fontMetrics(), m_panel2->text(), m_panel2->frameWidth(), Twips::toPixels(1440)));
    m_status->addWidget(m_panel1, 1);
    m_status->addPermanentWidget(m_panel2);
    setStatusBar(m_status);
}

void frmMain::createTree()
{
    m_tvCodes = new QTreeView(m_client);
    m_tvCodes->setObjectName(QStringLiteral("tvCodes"));
    m_tvCodes->setModel(m_model);
    m_tvCodes->setHeaderHidden(true);
    m_tvCodes->setUniformRowHeights(true);
    m_tvCodes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tvCodes->setFont(Fonts::treeFont());
    m_tvCodes->setIconSize(QSize(33, 33));
    // Long names scroll sideways instead of being cut short.
    m_tvCodes->setTextElideMode(Qt::ElideNone);
    m_tvCodes->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tvCodes->header()->setStretchLastSection(false);
    m_tvCodes->setToolTip(QStringLiteral("类别列表"));
    m_tvCodes->setAccessibleName(m_tvCodes->toolTip());
    m_tvCodes->setGeometry(Twips::rect(120, 840, 2535, 3735));
    connect(m_tvCodes, &QTreeView::clicked, this, &frmMain::tvCodes_NodeClick);
    new TreeMenu(this, m_tvCodes);
    new FileDrop(this, m_tvCodes);
    connect(m_tvCodes->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &current) { onCurrentNodeChanged(current); });
}

void frmMain::createPanes()
{
    struct Pane {
        QPlainTextEdit **member;
        const char *name;
        QString toolTip;
        QColor color;
        QRect geometry;
    };
    const Pane panes[] = {
        { &m_txtComments, "txtComments", QStringLiteral("代码说明"), QColor(255, 128, 255),
            Twips::rect(2760, 840, 5175, 975) },
        { &m_txtDeclarations, "txtDeclarations", QStringLiteral("声明"), QColor(0, 0, 64),
            Twips::rect(2760, 1920, 5175, 1455) },
        { &m_txtCode, "txtCode", QStringLiteral("原代码"), QColor(0, 0, 0),
            Twips::rect(2760, 3480, 5175, 1095) },
    };
    for (const Pane &p : panes) {
        *p.member = Controls::createTextBox(m_client, p.name, p.geometry);
        (*p.member)->setToolTip(p.toolTip);
        (*p.member)->setAccessibleName(p.toolTip);
        if (*p.member == m_txtCode) {
            // The code pane is white whatever the theme.
            QPalette palette = m_txtCode->palette();
            palette.setColor(QPalette::Base, QColor(255, 255, 255));
            m_txtCode->setPalette(palette);
        }
        Controls::setTextColor(*p.member, p.color);
    }
}

void frmMain::setPanel1Text(const QString &text)
{
    m_panel1->setText(text);
}

void frmMain::updateCodeCount()
{
    const QString text = QString::number(m_model->codeCount()) + QStringLiteral(" Code(s)");
    m_panel2->setFixedWidth(Controls::panelWidth(
        m_panel2->fontMetrics(), text, m_panel2->frameWidth(), Twips::toPixels(1440)));
    m_panel2->setText(text);
}

void frmMain::Form_Resize()
{
    if (isMinimized())
        return;
    // The toolbar stays docked along the top of the client area.
    m_toolbar->setGeometry(0, 0, m_client->width(), Twips::toPixels(810));

    // The outer size counts the window manager's frame and title bar.
    m_laidOutFor = frameGeometry().size();
    const auto snap = [](float twips) { return Twips::fromPixels(Twips::toPixels(twips)); };
    const PaneLayout l = applyResizeRule(Twips::fromPixels(m_laidOutFor.width()),
        Twips::fromPixels(m_laidOutFor.height()), Twips::fromPixels(m_toolbar->height()),
        Twips::fromPixels(m_status->height()), snap);
    const auto place = [](QWidget *w, const PaneLayout::Box &b) {
        w->setGeometry(Twips::rect(b.left, b.top, b.width, b.height));
    };
    place(m_tvCodes, l.tree);
    place(m_txtComments, l.comments);
    place(m_txtDeclarations, l.declarations);
    place(m_txtCode, l.code);
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    // A window manager may frame the window only after it is first shown,
    // and then moves it: the outer size has grown without a resize.
    if (frameGeometry().size() != m_laidOutFor)
        Form_Resize();
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}
