#pragma once

class QColor;

// Keeping text readable on a dark desktop theme (contrast as defined by
// WCAG 2: from 1:1 to 21:1).
namespace Contrast {

// The relative luminance of a colour, 0 for black to 1 for white.
double luminance(const QColor &color);

double ratio(const QColor &a, const QColor &b);

// The colour to draw text of the design's colour on `ground`: the design's
// own on a light ground or wherever it reads at 4.5:1 or more; on a dark
// ground where it does not, the design's colour mixed with white just
// enough to read.
QColor readableText(const QColor &design, const QColor &ground);

} // namespace Contrast
