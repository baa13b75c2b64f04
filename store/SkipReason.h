#pragma once

#include <QString>
#include <QStringView>

// Why start-up left a file of the library folder out of the tree, in words
// a user understands.
namespace SkipReason {

QString tooShort(qint64 size); // the file is shorter than a code file
QString noName();
QString noCategory();
QString unknownCategory(QStringView category);
QString nameIsCategory(QStringView name);
QString duplicateName(QStringView name);

} // namespace SkipReason
