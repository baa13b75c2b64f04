#include "CliArguments.h"

#include "Categories.h"

namespace {

struct CommandShape {
    const char *name;
    QStringList valueOptions; // options that take a value
    QStringList flags;
    int minArguments;
    int maxArguments; // -1: any number
    const char *help;
};

const QStringList kCommon { QStringLiteral("library") };

const QVector<CommandShape> &commandShapes()
{
    static const QVector<CommandShape> list {
        { "list", { "category" }, { "json" }, 0, 0,
            "用法：quillbank-cli list [--category 种类] [--json]\n"
            "按代码树的次序列出代码，每个代码一行：名称、制表符、种类。\n"
            "  --category 种类  只列出这个种类的代码\n"
            "  --json           输出一个 JSON 数组（名称、种类、文件名）\n" },
        { "show", { "field" }, { "json" }, 1, 1,
            "用法：quillbank-cli show 名称 [--field 字段] [--json]\n"
            "显示一个代码的各项文字，每项前有标题；去掉了补齐用的空格。\n"
            "  --field 字段  只原样输出一项：name、category、comments、declarations 或 code\n"
            "  --json        输出一个 JSON 对象\n" },
        { "search", {}, { "case", "regex", "json" }, 1, 1,
            "用法：quillbank-cli search 查询 [--case] [--regex] [--json]\n"
            "按“搜索全部代码”窗口的规则查找代码，每个找到的代码一行：\n"
            "名称、种类、匹配所在的字段、匹配所在的行，以制表符分隔。\n"
            "  --case   区分大小写\n"
            "  --regex  把查询当作正则表达式\n"
            "  --json   输出一个 JSON 数组\n" },
        { "check", {}, { "json" }, 0, 0,
            "用法：quillbank-cli check [--json]\n"
            "列出启动时会跳过的每个文件及原因，以及文件名与代码名称不一致的每个代码。\n"
            "发现问题时退出状态为 1。\n"
            "  --json  输出一个 JSON 数组\n" },
        { "export", { "format" }, { "force" }, 1, 1,
            "用法：quillbank-cli export 路径 [--format text|json] [--force]\n"
            "导出整个代码库。\n"
            "  --format text  （默认）路径是一个文件夹，每个代码一个 UTF-8 的 .asm 文件，\n"
            "                 文件名为代码文件名，.cod 换成 .asm；文件夹不存在时会创建\n"
            "  --format json  路径是一个 JSON 文件，含每个代码的五项文字和文件名\n"
            "  --force        覆盖已有的文件（否则不覆盖任何文件）\n" },
        { "import", { "category", "format" }, { "replace", "cut", "json" }, 1, -1,
            "用法：quillbank-cli import 文件... --category 种类 [--replace] [--cut] [--json]\n"
            "      quillbank-cli import --format json 文件 [--replace] [--json]\n"
            "把文本文件加入代码库，检查与“加入新代码”对话框相同；每个文件报告一行。\n"
            "名称取自文件名，说明取自开头以 ; 起头的注释行，代码取自其余部分。\n"
            "文件可以是 UTF-8（有无字节顺序标记均可）、带字节顺序标记的 UTF-16 或 GBK。\n"
            "  --category 种类  新代码的种类（八个种类之一）\n"
            "  --replace        替换代码库中同名的代码\n"
            "  --cut            把超出字段长度的文字按整字截断，去掉无法保存的字符\n"
            "  --format json    放回 export --format json 写出的代码，文件名不变\n"
            "  --json           报告输出为一个 JSON 数组\n"
            "有文件被拒绝时退出状态为 1。\n" },
    };
    return list;
}

const CommandShape *shapeOf(const QString &command)
{
    for (const CommandShape &shape : commandShapes()) {
        if (command == QLatin1String(shape.name))
            return &shape;
    }
    return nullptr;
}

} // namespace

QStringList CliArguments::commands()
{
    QStringList names;
    for (const CommandShape &shape : commandShapes())
        names << QLatin1String(shape.name);
    return names;
}

QString CliArguments::helpText(const QString &command)
{
    const QString common
        = QStringLiteral("\n通用选项：\n"
                         "  --library 文件夹  使用这个代码库文件夹（默认是程序旁边的 Codes）\n"
                         "  -h, --help        显示帮助\n"
                         "退出状态：0 完成；1 没有找到、发现问题或有拒绝；2 用法错误；3 "
                         "无法打开或读取代码库文件夹。\n");
    if (const CommandShape *shape = shapeOf(command))
        return QString::fromUtf8(shape->help) + common;
    return QStringLiteral("用法：quillbank-cli 命令 [参数] [选项]\n"
                          "在终端里使用汇编语言程序库（Quillbank）的代码库。\n\n"
                          "命令：\n"
                          "  list     列出代码\n"
                          "  show     显示一个代码\n"
                          "  search   查找代码\n"
                          "  check    检查代码库文件夹\n"
                          "  export   导出为文本文件或 JSON 文件\n"
                          "  import   把文本文件或 JSON 文件加入代码库\n\n"
                          "“quillbank-cli 命令 --help”显示一个命令的用法。\n")
        + common + QStringLiteral("  --version         显示版本\n");
}

bool CliArguments::parse(const QStringList &arguments, QString *error)
{
    bool optionsEnded = false;
    const CommandShape *shape = nullptr;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            if (command.isEmpty()) {
                command = argument;
                shape = shapeOf(command);
                if (!shape) {
                    *error = QStringLiteral("未知的命令“%1”").arg(command);
                    return false;
                }
            } else {
                positional << argument;
            }
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        if (argument == u"-h" || argument == u"--help") {
            help = true;
            continue;
        }
        if (argument == u"--version" && command.isEmpty()) {
            version = true;
            continue;
        }
        QString name = argument.startsWith(u"--") ? argument.mid(2) : QString();
        QString value;
        const qsizetype equals = name.indexOf(u'=');
        const bool inlineValue = equals >= 0;
        if (inlineValue) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        const bool takesValue
            = kCommon.contains(name) || (shape && shape->valueOptions.contains(name));
        const bool isFlag = shape && shape->flags.contains(name);
        if (!takesValue && !isFlag) {
            *error = QStringLiteral("未知的选项“%1”").arg(argument);
            return false;
        }
        if (isFlag) {
            if (inlineValue) {
                *error = QStringLiteral("选项“--%1”不带值").arg(name);
                return false;
            }
            m_flags.insert(name);
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("选项“--%1”缺少值").arg(name);
                return false;
            }
            value = arguments[++i];
        }
        m_values.insert(name, value);
    }
    if (help || version)
        return true;
    if (!shape) {
        *error = QStringLiteral("缺少命令");
        return false;
    }
    if (positional.size() < shape->minArguments) {
        *error = QStringLiteral("命令“%1”缺少参数").arg(command);
        return false;
    }
    if (shape->maxArguments >= 0 && positional.size() > shape->maxArguments) {
        *error = QStringLiteral("命令“%1”的参数太多：“%2”")
                     .arg(command, positional.at(shape->maxArguments));
        return false;
    }
    return checkValues(error);
}

bool CliArguments::checkValues(QString *error) const
{
    const QStringList fields { "name", "category", "comments", "declarations", "code" };
    const QStringList formats { "text", "json" };
    const struct {
        const char *option;
        const QStringList &choices;
    } choices[]
        = { { "category", Categories::treeOrder() }, { "field", fields }, { "format", formats } };
    for (const auto &choice : choices) {
        const QString option = QLatin1String(choice.option);
        if (hasValue(option) && !choice.choices.contains(value(option))) {
            *error = QStringLiteral("“--%1”的值“%2”无效，应为：%3")
                         .arg(option, value(option), choice.choices.join(QStringLiteral("、")));
            return false;
        }
    }
    if (command != u"import")
        return true;
    if (value(QStringLiteral("format")) == u"json") {
        if (positional.size() != 1 || hasValue(QStringLiteral("category"))) {
            *error = QStringLiteral("“import --format json”只接受一个文件，不带 --category");
            return false;
        }
    } else if (!hasValue(QStringLiteral("category"))) {
        *error = QStringLiteral("导入文本文件需要用 --category 指定种类");
        return false;
    }
    return true;
}
