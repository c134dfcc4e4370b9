#pragma once

#include <QColor>

#include <initializer_list>

class QPalette;

namespace orbisk {

// The grid's colours under any palette, dark and high-contrast ones included:
// its lines, the mark's outline and the focus rectangle keep a contrast of at
// least MinimumContrast with what lies under and beside them (WCAG 2.1's
// 3:1 for parts of a user interface).
inline constexpr double MinimumContrast = 3.0;

// The colour of a marked icon's cell (clLime); its fill stays this colour in
// every palette, only its outline adapts.
inline const QColor MarkColor(0, 255, 0);

// WCAG relative luminance of an sRGB colour, 0 (black) to 1 (white).
double RelativeLuminance(const QColor& color);
// (L1 + 0.05) / (L2 + 0.05) with L1 the lighter: 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);

// preferred when it contrasts with every background by MinimumContrast;
// otherwise the blend of it toward black or white that passes with the least
// change; otherwise the grey that contrasts best with all of them (between a
// dark and a light background only a middle grey may pass both).
QColor ContrastingColor(const QColor& preferred, std::initializer_list<QColor> backgrounds);

// The grid lines: the palette's Midlight, darkened or lightened until they
// stand out from the grid's background (Base).
QColor GridLineColor(const QPalette& palette);
// The one-pixel outline of a marked cell: the text colour, or the colour that
// stands out from both the background and the highlight, so that a mark is
// seen wherever the green fill itself is too close to them.
QColor MarkOutlineColor(const QPalette& palette);

// Palettes the grid is checked and shown under beside the default one.
QPalette DarkFusionPalette();
QPalette HighContrastPalette();

} // namespace orbisk
