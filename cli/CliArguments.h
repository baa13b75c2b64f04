#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// The command line of quillbank-cli: a command, its arguments and its
// options. Options may stand anywhere after the command, as --name VALUE
// or --name=VALUE; "--" ends the options.
class CliArguments {
public:
    // False with *error (in Chinese) for a usage error.
    bool parse(const QStringList &arguments, QString *error);

    QString command; // empty when none was given
    QStringList positional;
    bool help = false;
    bool version = false;

    bool isSet(const QString &option) const { return m_flags.contains(option); }
    QString value(const QString &option, const QString &otherwise = QString()) const
    {
        return m_values.value(option, otherwise);
    }
    bool hasValue(const QString &option) const { return m_values.contains(option); }

    // The commands, in the order of the general help.
    static QStringList commands();
    // The help of a command, or the general help for an empty one.
    static QString helpText(const QString &command);

private:
    bool checkValues(QString *error) const;

    QHash<QString, QString> m_values;
    QSet<QString> m_flags;
};
