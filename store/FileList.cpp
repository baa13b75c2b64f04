#include "FileList.h"

#include "CodePage936.h"
#include "modProgramVars.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <memory>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

} // namespace

FileList::FileList(QObject *parent)
    : QObject(parent)
{
}

QString FileList::decodeFileName(const QByteArray &fileName)
{
    if (isAscii(fileName))
        return QString::fromLatin1(fileName);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(fileName);
    if (!utf8.hasError())
        return text;
    return CodePage936::decode(fileName);
}

QByteArray FileList::pathOf(const QByteArray &fileName) const
{
    return m_nativeFolder + '/' + fileName;
}

void FileList::releaseEntries()
{
    m_entries.clear();
    m_entries.squeeze();
}

bool FileList::setFolder(const QString &folder, QString *error)
{
    m_folder = folder;
    m_nativeFolder = QFile::encodeName(folder);
    while (m_nativeFolder.size() > 1 && m_nativeFolder.endsWith('/'))
        m_nativeFolder.chop(1);
    m_entries.clear();
    m_skipped.clear();
    m_staleTemporaries.clear();

    std::unique_ptr<DIR, DirCloser> dir(opendir(m_nativeFolder.constData()));
    if (!dir) {
        if (error)
            *error = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    const int dirFd = dirfd(dir.get());
    QVector<Entry> entries;
    while (const dirent *item = readdir(dir.get())) {
        const QByteArray fileName(item->d_name);
        if (fileName.startsWith('.')) {
            if (modProgramVars::IsStaleTemporaryFileName(fileName))
                m_staleTemporaries.append(fileName);
            continue;
        }
        bool regular = item->d_type == DT_REG;
        if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
            struct stat st;
            regular = fstatat(dirFd, item->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (!regular) {
            m_skipped.append({ decodeFileName(fileName), QStringLiteral("不是普通文件") });
            continue;
        }
        entries.append({ fileName, decodeFileName(fileName) });
    }

    // Sort on case-folded keys computed once.
    QVector<QString> folded(entries.size());
    QVector<int> order(entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        folded[i] = entries[i].name.toCaseFolded();
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        if (const int c = QString::compare(folded[a], folded[b]); c != 0)
            return c < 0;
        if (const int c = QString::compare(entries[a].name, entries[b].name); c != 0)
            return c < 0;
        return entries[a].fileName < entries[b].fileName;
    });
    m_entries.reserve(entries.size());
    for (int i : order)
        m_entries.append(std::move(entries[i]));
    return true;
}
