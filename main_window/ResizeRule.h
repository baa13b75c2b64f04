#pragma once

#include <functional>

// Where the main window's resize rule puts the tree and the three panes,
// in twips from the top-left corner of the client area.
struct PaneLayout {
    struct Box {
        float left = 0, top = 0, width = 0, height = 0;
    };
    Box tree, comments, declarations, code;
};

// The resize rule, in single precision. `outerWidth` and `outerHeight`
// are the window's outer size; `snap` models the window system adjusting
// each assigned value (to whole pixels), so that later steps read the
// adjusted values back. Sizes below zero are clamped to zero.
PaneLayout applyResizeRule(
    float outerWidth, float outerHeight, float toolbarHeight, float statusHeight,
    const std::function<float(float)> &snap = [](float v) { return v; });
