// The command-line tool at scale: quillbank-cli run as a program on a
// synthetic library, warm, against the floors of the work it does.
#include "ReadFloor.h"
#include "SyntheticLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double millisecondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Runs a program with its output thrown away (or written to `output`).
void run(const QString &program, const QStringList &arguments, const QString &input = {},
    const QString &output = {})
{
    QProcess process;
    if (!input.isEmpty())
        process.setStandardInputFile(input);
    process.setStandardOutputFile(output.isEmpty() ? QProcess::nullDevice() : output);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() > 1)
        std::fprintf(stderr, "%s %s failed\n", qPrintable(program), qPrintable(arguments.join(' ')));
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: quillbank_cli_bench PATH-TO-quillbank-cli [N [ROUNDS]]\n");
        return 2;
    }
    const QString cli = args.at(1);
    const int n = args.size() > 2 ? args.at(2).toInt() : 100000;
    const int kRounds = args.size() > 3 ? args.at(3).toInt() : 3;
    QTemporaryDir dir;
    const QString library = dir.filePath("Codes");
    QDir().mkdir(library);
    if (!writeSyntheticLibrary(library, n))
        return 1;
    const QString json = dir.filePath("all.json");
    const QString copy = dir.filePath("copy.json");
    const auto emptyFolder = [&](const QString &name) {
        QDir(dir.filePath(name)).removeRecursively();
        QDir().mkdir(dir.filePath(name));
        return dir.filePath(name);
    };
    readFloor(library); // warm
    const QStringList lib { "--library", library };
    QVector<double> floor, parFloor, start, list, search, exportJson, catJson, import, catFiles;
    for (int round = 0; round < kRounds; ++round) {
        floor << millisecondsOf([&] { readFloor(library); });
        parFloor << millisecondsOf([&] { readFloorParallel(library); });
        start << millisecondsOf([&] { run(cli, { "--version" }); });
        list << millisecondsOf([&] { run(cli, QStringList { "list" } + lib); });
        search << millisecondsOf([&] { run(cli, QStringList { "search", "无此文字zq" } + lib); });
        QFile::remove(json);
        exportJson << millisecondsOf(
            [&] { run(cli, QStringList { "export", json, "--format", "json" } + lib); });
        QFile::remove(copy);
        catJson << millisecondsOf([&] { run("cat", {}, json, copy); });
        const QString into = emptyFolder("imported");
        import << millisecondsOf([&] {
            run(cli, QStringList { "import", "--format", "json", json, "--library", into });
        });
        const QString cats = emptyFolder("cat");
        catFiles << millisecondsOf([&] {
            run("sh",
                { "-c", "for f in \"$1\"/*; do cat \"$f\" > \"$2/${f##*/}\"; done", "sh", library,
                    cats });
        });
        if (round == 0 && QDir(into).count() != QDir(library).count())
            std::fprintf(stderr, "import gave %u files of %u\n", QDir(into).count() - 2,
                QDir(library).count() - 2);
    }
    std::printf("N = %d, warm, medians of %d rounds (ms)\n", n, kRounds);
    std::printf("floor %.1f  par floor %.1f  process start %.1f\n", median(floor),
        median(parFloor), median(start));
    std::printf("list          %9.1f  /(floor+start) %.2f  (target 1.25)\n", median(list),
        median(list) / (median(floor) + median(start)));
    std::printf("search, none  %9.1f  /par floor     %.2f  (target 1.25)\n", median(search),
        median(search) / median(parFloor));
    std::printf("export json   %9.1f  /cat of the JSON file %.2f  (cat %.1f; target 3)\n",
        median(exportJson), median(exportJson) / median(catJson), median(catJson));
    std::printf("import json   %9.1f  /cat of each .cod file %.2f  (cat %.1f; target 3)\n",
        median(import), median(import) / median(catFiles), median(catFiles));
    return 0;
}
