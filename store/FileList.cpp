#include "FileList.h"

#include "CodePage936.h"
#include "SystemError.h"
#include "modProgramVars.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace {

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

} // namespace

FileList::FileList(QObject *parent)
    : QObject(parent)
{
}

QString FileList::decodeFileName(QByteArrayView fileName)
{
    if (isAscii(fileName))
        return QString::fromLatin1(fileName);
    // A leading byte order mark is part of the name: keep it.
    QStringDecoder utf8(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8(fileName);
    if (!utf8.hasError())
        return text;
    return CodePage936::decode(fileName.data(), fileName.size());
}

QByteArrayView FileList::fileName(int index) const
{
    const int k = m_order.at(index);
    return QByteArrayView(m_names).sliced(m_offsets[k], m_offsets[k + 1] - m_offsets[k] - 1);
}

QByteArray FileList::pathOf(QByteArrayView fileName) const
{
    QByteArray path;
    path += m_nativeFolder;
    path += '/';
    path += fileName;
    return path;
}

void FileList::releaseEntries()
{
    m_names = QByteArray();
    m_offsets = {};
    m_order = {};
}

bool FileList::setFolder(const QString &folder, QString *error)
{
    m_folder = folder;
    m_nativeFolder = QFile::encodeName(folder);
    while (m_nativeFolder.size() > 1 && m_nativeFolder.endsWith('/'))
        m_nativeFolder.chop(1);
    releaseEntries();
    m_skipped.clear();
    m_staleTemporaries.clear();
    m_offsets.append(0);

    std::unique_ptr<DIR, DirCloser> dir(opendir(m_nativeFolder.constData()));
    if (!dir) {
        if (error)
            *error = systemErrorText(errno);
        return false;
    }
    const int dirFd = dirfd(dir.get());
    while (const dirent *item = readdir(dir.get())) {
        const QByteArrayView fileName(item->d_name);
        if (fileName.startsWith('.')) {
            if (modProgramVars::IsStaleTemporaryFileName(fileName.toByteArray()))
                m_staleTemporaries.append(fileName.toByteArray());
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
        m_names += fileName;
        m_names += '\0';
        m_offsets.append(quint32(m_names.size()));
    }
    sortEntries();
    // Report passed-over entries in a stable order, not the folder's.
    std::sort(m_skipped.begin(), m_skipped.end(),
        [](const SkippedFile &a, const SkippedFile &b) { return a.fileName < b.fileName; });
    return true;
}

// Ascending by name without regard to case, then exactly; the keys are
// built once, in one block, and dropped after sorting.
void FileList::sortEntries()
{
    const int n = int(m_offsets.size()) - 1;
    QString names;
    QString folded;
    QVector<quint32> nameStarts(n + 1);
    QVector<quint32> foldedStarts(n + 1);
    names.reserve(m_names.size());
    folded.reserve(m_names.size());
    for (int k = 0; k < n; ++k) {
        nameStarts[k] = quint32(names.size());
        foldedStarts[k] = quint32(folded.size());
        const QByteArrayView raw
            = QByteArrayView(m_names).sliced(m_offsets[k], m_offsets[k + 1] - m_offsets[k] - 1);
        if (isAscii(raw)) {
            for (char c : raw) {
                names += QLatin1Char(c);
                folded += QLatin1Char(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
            }
        } else {
            const QString name = decodeFileName(raw);
            names += name;
            folded += name.toCaseFolded();
        }
    }
    nameStarts[n] = quint32(names.size());
    foldedStarts[n] = quint32(folded.size());
    const auto view = [](const QString &pool, const QVector<quint32> &starts, int k) {
        return QStringView(pool).sliced(starts[k], starts[k + 1] - starts[k]);
    };
    m_order.resize(n);
    for (int k = 0; k < n; ++k)
        m_order[k] = k;
    std::sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const int byFolded = view(folded, foldedStarts, a).compare(view(folded, foldedStarts, b));
        if (byFolded != 0)
            return byFolded < 0;
        const int exact = view(names, nameStarts, a).compare(view(names, nameStarts, b));
        return exact != 0 ? exact < 0 : a < b;
    });
}
