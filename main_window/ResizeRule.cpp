#include "ResizeRule.h"

#include <algorithm>

PaneLayout applyResizeRule(float outerWidth, float outerHeight, float toolbarHeight,
    float statusHeight, const std::function<float(float)> &snap)
{
    const auto size = [&snap](float value) { return snap(std::max(0.0f, value)); };
    PaneLayout l;
    l.tree.left = snap(10.0f);
    l.tree.top = snap(toolbarHeight);
    l.tree.width = size((outerWidth - 300.0f) / 4.0f);
    l.tree.height = size((outerHeight - 700.0f) - (toolbarHeight + statusHeight));

    l.comments.top = snap(l.tree.top);
    l.comments.left = snap(l.tree.width + l.tree.left + 100.0f);
    l.comments.width = size(l.tree.width * 3.0f);
    l.comments.height = size(l.tree.height / 6.0f - 35.0f);

    l.declarations.top = snap(l.comments.height + l.comments.top + 100.0f);
    l.declarations.left = snap(l.comments.left);
    l.declarations.width = size(l.comments.width);
    l.declarations.height = size(l.comments.height * 2.0f);

    l.code.top = snap(l.declarations.height + l.declarations.top + 100.0f);
    l.code.left = snap(l.comments.left);
    l.code.width = size(l.comments.width);
    l.code.height = size(l.comments.height * 3.0f);
    return l;
}
