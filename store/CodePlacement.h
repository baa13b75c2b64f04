#pragma once

#include "LibraryScan.h"
#include "SkipReason.h"

#include <QString>
#include <QStringView>

// The rule by which a code is placed in the library tree, shared by
// start-up, the New-code dialog's tree and the command-line tool. A code
// is placed unless its name is empty, its category is none of the tree's,
// its name is a category's name or the name of a code already placed; the
// first of these that holds is the reason. Start-up says of a file shorter
// than a record that it is short instead, since that is why it lacks what
// it was refused for.
//
// `isCategoryKey(name)` and `isCodeKey(name)` tell whether a name is taken
// by a category or by a code placed before; they are asked only as far as
// the checks go.
namespace CodePlacement {

// `category`: the index among the tree's categories, or -1 when
// `categoryText` (the trimmed Category) names none of them. Empty when the
// code can be placed.
template <typename IsCategoryKey, typename IsCodeKey>
QString refusal(QStringView name, int category, const QString &categoryText,
    IsCategoryKey isCategoryKey, IsCodeKey isCodeKey)
{
    if (name.isEmpty())
        return SkipReason::noName();
    if (category < 0)
        return categoryText.isEmpty() ? SkipReason::noCategory()
                                      : SkipReason::unknownCategory(categoryText);
    if (isCategoryKey(name))
        return SkipReason::nameIsCategory(name);
    if (isCodeKey(name))
        return SkipReason::duplicateName(name);
    return {};
}

// The refusal for a code that start-up read, among `categoryCount`
// categories in Categories::treeOrder().
template <typename IsCategoryKey, typename IsCodeKey>
QString refusalAtStartup(const LibraryScan &scan, const CodeHead &head, int categoryCount,
    IsCategoryKey isCategoryKey, IsCodeKey isCodeKey)
{
    const int category = head.category < categoryCount ? head.category : -1;
    QString why = refusal(scan.name(head), category, scan.otherCategories.value(head.entry),
        isCategoryKey, isCodeKey);
    if (!why.isEmpty()) {
        if (const auto size = scan.shortFiles.constFind(head.entry);
            size != scan.shortFiles.constEnd())
            why = SkipReason::tooShort(*size);
    }
    return why;
}

} // namespace CodePlacement
