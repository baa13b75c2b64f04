// quillbank-cli: the library of Quillbank from a terminal.
#include "CliArguments.h"
#include "CliCommands.h"
#include "CliOutput.h"
#include "LogLine.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    openStandardStreams();
    QCoreApplication app(argc, argv);
    CliArguments arguments;
    QString error;
    if (!arguments.parse(QCoreApplication::arguments().mid(1), &error))
        return CliOutput::usageError(error,
            CliArguments::commands().contains(arguments.command) ? arguments.command : QString());
    if (arguments.version) {
        CliOutput::line(QStringLiteral("quillbank-cli " QUILLBANK_VERSION));
        return CliOutput::Done;
    }
    if (arguments.help) {
        CliOutput::text(CliArguments::helpText(arguments.command));
        return CliOutput::Done;
    }
    return CliCommands::run(arguments);
}
