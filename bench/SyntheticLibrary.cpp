#include "SyntheticLibrary.h"

#include "Categories.h"
#include "CodeRecord.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QStringList kWords { "加法", "减法", "乘法", "除法", "串口", "中断", "定时器", "查表", "转换",
    "排序", "校验", "延时", "缓冲区", "指针", "堆栈", "队列", "BCD", "ASCII", "8051", "8086", "DMA",
    "Timer", "UART", "CRC" };

QString words(QRandomGenerator &random, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += kWords.at(random.bounded(int(kWords.size())));
    return text;
}

QString lines(QRandomGenerator &random, const char *prefix, int count)
{
    QStringList result;
    for (int i = 0; i < count; ++i)
        result << QString::fromLatin1(prefix) + words(random, 3) + QStringLiteral(" R%1").arg(i);
    return result.join(QLatin1String("\r\n"));
}

} // namespace

bool writeSyntheticLibrary(const QString &folder, int count)
{
    QRandomGenerator random(20261206);
    const QByteArray base = QFile::encodeName(folder) + '/';
    for (int i = 0; i < count; ++i) {
        CodeRecord r;
        // Every third name is plain ASCII, the rest Chinese with a number.
        const QString name = i % 3 == 0 ? QStringLiteral("routine_%1").arg(i)
                                        : words(random, 2) + QString::number(i);
        r.setField(CodeRecord::Name, name);
        r.setField(CodeRecord::Category, Categories::treeOrder().at(random.bounded(8)));
        r.setField(CodeRecord::Comments, QStringLiteral("子程序：") + lines(random, "; ", 6));
        r.setField(CodeRecord::Declarations, lines(random, "DATA EQU 30H ; ", 5));
        r.setField(CodeRecord::Code, lines(random, "    MOV A,@R0 ; ", 25));
        QByteArray bytes;
        QString error;
        if (!r.toBytes(&bytes, &error))
            return false;
        const QByteArray path = base + QFile::encodeName(r.codeName() + QStringLiteral(".cod"));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
        if (::close(fd) != 0 || !ok)
            return false;
    }
    return true;
}
