#pragma once

#include <QStringList>

// The eight fixed categories of the library.
namespace Categories {

// In the tree's order.
const QStringList &treeOrder();
// In the order of the New-code dialog's list.
const QStringList &dialogOrder();

inline bool contains(const QString &name)
{
    return treeOrder().contains(name);
}

} // namespace Categories
