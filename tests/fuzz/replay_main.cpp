// Runs a fuzz target on every file of the folders (or on the files) given,
// as libFuzzer replays a corpus, for builds without libFuzzer.
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const QFileInfo given(QFile::decodeName(argv[i]));
        const QFileInfoList files = given.isDir()
            ? QDir(given.filePath()).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)
            : QFileInfoList { given };
        for (const QFileInfo &file : files) {
            QFile in(file.filePath());
            const QByteArray bytes = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
            LLVMFuzzerTestOneInput(
                reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
            ++count;
        }
    }
    std::printf("replayed %d inputs\n", count);
    // A corpus that went missing must not pass as replayed.
    return count > 0 ? 0 : 1;
}
