// What each window shows, as the design draws it: every control and action
// on one line, with each property that differs from a new one of its Qt
// class, then the Tab order; compared with tests/design/WINDOW.txt. Run
// with QUILLBANK_WRITE_DESIGN=1 to write those files from the program.
#include "TestLibrary.h"
#include "frmAbout.h"
#include "frmFind.h"
#include "frmMain.h"
#include "frmNewCode.h"
#include "frmSearch.h"

#include <QtWidgets>

using namespace TestLibrary;

namespace {

template <typename... T> auto makers()
{
    return QMap<QByteArray, std::function<QObject *()>> { { T::staticMetaObject.className(),
        [] { return static_cast<QObject *>(new T); } }... };
}

// A new control of the Qt class that `object` is, or derives from.
std::unique_ptr<QObject> fresh(const QMetaObject *meta)
{
    static const auto made = makers<QAction, QCheckBox, QComboBox, QDialog, QGroupBox, QLabel,
        QLineEdit, QMainWindow, QMenu, QMenuBar, QPlainTextEdit, QPushButton, QStatusBar, QToolBar,
        QToolButton, QTreeView, QWidget>();
    if (meta == &QHeaderView::staticMetaObject)
        return std::make_unique<QHeaderView>(Qt::Horizontal);
    while (!made.contains(meta->className()))
        meta = meta->superClass();
    return std::unique_ptr<QObject>(made[meta->className()]());
}

// A picture by a digest of its pixels; an icon as drawn normally and selected.
QString picture(const QPixmap &pixmap)
{
    if (pixmap.isNull())
        return "none";
    const QImage image = pixmap.toImage();
    const QByteArray bits(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
    return QCryptographicHash::hash(bits, QCryptographicHash::Md5).toHex().left(6);
}
QString picture(const QIcon &icon)
{
    return picture(icon.pixmap(33)) + u'/' + picture(icon.pixmap(33, QIcon::Selected));
}

QString shown(const QVariant &value, const QMetaProperty &property)
{
    if (property.isEnumType())
        return property.enumerator().valueToKeys(value.toInt());
    QString text;
    if (value.typeId() == QMetaType::QPixmap)
        text = picture(value.value<QPixmap>());
    else if (value.typeId() == QMetaType::QIcon)
        text = picture(value.value<QIcon>());
    else if (value.canConvert<QString>())
        text = value.toString();
    else
        value.metaType().debugStream(QDebug(&text).nospace(), value.constData());
    return text.replace(u'\n', u"\\n"_s);
}

// Properties that follow the place on the screen or repeat another one.
const QSet<QByteArray> kLeftOut { "objectName", "pos", "palette", "visible", "frameRect",
    "minimumWidth", "minimumHeight", "maximumWidth", "maximumHeight", "iconText",
    "windowModality" };

// The items of a model, depth first, with their pictures and weight.
QStringList items(const QAbstractItemModel *model, const QModelIndex &parent = {})
{
    QStringList shown;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        shown << index.data().toString() + u'/'
                + picture(index.data(Qt::DecorationRole).value<QIcon>())
                + (index.data(Qt::FontRole).value<QFont>().bold() ? "/bold" : "")
              << items(model, index);
    }
    return shown;
}

QString describe(QObject *object)
{
    const auto plain = fresh(object->metaObject());
    QStringList line { QString::fromLatin1(object->metaObject()->className()) + u' '
        + object->objectName() };
    const QMetaObject *meta = object->metaObject();
    const bool window = object->isWidgetType() && static_cast<QWidget *>(object)->isWindow();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty p = meta->property(i);
        if (!p.isWritable() || kLeftOut.contains(p.name()) || meta->indexOfProperty(p.name()) != i
            || (window ? QByteArrayList { "geometry" } : QByteArrayList { "size", "windowIcon" })
                   .contains(p.name()))
            continue;
        const int at = plain->metaObject()->indexOfProperty(p.name());
        const QString value = shown(p.read(object), p);
        if (at < 0 || shown(plain->metaObject()->property(at).read(plain.get()), p) != value)
            line << QString::fromLatin1(p.name()) + u'=' + value;
    }
    if (auto *widget = qobject_cast<QWidget *>(object)) {
        const QPalette base = static_cast<QWidget *>(plain.get())->palette();
        for (const auto role : { QPalette::Text, QPalette::Base })
            if (widget->palette().color(role) != base.color(role))
                line << "colour=" + widget->palette().color(role).name();
        if (window)
            line << "flags=" + QString::number(widget->windowFlags(), 16);
        if (auto *label = qobject_cast<QLabel *>(widget); label && label->buddy())
            line << "buddy=" + label->buddy()->objectName();
        auto *view = qobject_cast<QAbstractItemView *>(widget);
        for (int i = 0; view && view->model() && i < view->model()->columnCount(); ++i)
            if (QAbstractItemDelegate *delegate = view->itemDelegateForColumn(i))
                line << QString::number(i) + u'=' + delegate->metaObject()->className();
        if (auto *combo = qobject_cast<QComboBox *>(widget))
            line << items(combo->model());
        else if (qobject_cast<QTreeView *>(widget))
            line << items(view->model());
        if (auto *header = qobject_cast<QHeaderView *>(widget))
            for (int i = 0; i < header->count(); ++i)
                line << header->model()->headerData(i, Qt::Horizontal).toString() + u'/'
                        + QString::number(header->sectionSize(i)) + u'/'
                        + QString::number(header->sectionResizeMode(i));
    }
    return line.join(u' ');
}

QStringList design(QWidget *window)
{
    QStringList lines { describe(window) };
    for (QObject *object : window->findChildren<QObject *>()) {
        // Not Qt's own parts, nor another window (a menu is the window's).
        bool shown = object->isWidgetType()
            || (qobject_cast<QAction *>(object) && !object->objectName().isEmpty());
        for (QObject *o = object; shown && o != window; o = o->parent())
            shown = !o->objectName().startsWith(u"qt_") && !o->inherits("QSizeGrip")
                && !(o->isWidgetType() && static_cast<QWidget *>(o)->isWindow()
                    && !qobject_cast<QMenu *>(o));
        if (shown)
            lines << describe(object);
    }
    QStringList tab { "tab:" };
    for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if (w->isVisibleTo(window) && w->focusPolicy() & Qt::TabFocus)
            tab << w->objectName();
    return lines << tab.join(u' ');
}

} // namespace

class TestDesign : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_window;

private slots:
    void initTestCase()
    {
        // As on a desktop that hides shortcuts in context menus: the tree's show them.
        QCoreApplication::setAttribute(Qt::AA_DontShowShortcutsInContextMenus);
        QVERIFY(writeCode(m_dir.path(), "add.cod", record("加法", "逻辑操作", "说明")));
        m_window = std::make_unique<frmMain>(m_dir.path());
    }

    void window_data()
    {
        QTest::addColumn<QWidget *>("window");
        QTest::newRow("frmMain") << static_cast<QWidget *>(m_window.get());
        QTest::newRow("frmNewCode") << static_cast<QWidget *>(new frmNewCode(m_window.get()));
        QTest::newRow("frmFind") << static_cast<QWidget *>(new frmFind(m_window.get()));
        QTest::newRow("frmAbout") << static_cast<QWidget *>(new frmAbout(m_window.get()));
        m_window->showSearchWindow();
        QTest::newRow("frmSearch") << m_window->findChild<QWidget *>("frmSearch");
    }
    void window()
    {
        QFETCH(QWidget *, window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QStringList lines = design(window);
        window->hide();
        QFile file(QStringLiteral(QUILLBANK_DESIGN "/%1.txt").arg(QTest::currentDataTag()));
        if (qEnvironmentVariableIsSet("QUILLBANK_WRITE_DESIGN")) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(lines.join(u'\n').toUtf8() + '\n');
            return;
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(lines, QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts));
    }
};

QTEST_MAIN(TestDesign)
#include "tst_design.moc"
