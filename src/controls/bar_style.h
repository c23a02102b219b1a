// The two looks the main window gives its bars, drawn by a small proxy of the
// application style instead of style sheets: a style sheet brings Qt's whole
// rule machinery (the parser, a rule cache per widget, a style wrapped around
// every child) into the start for two numbers.
#pragma once

class QMenuBar;
class QStatusBar;

namespace sky::ui {

// No frame drawn around the status bar's panels (the panels' own frames
// stay), as "QStatusBar::item { border: none; }".
void DropPanelFrames(QStatusBar* bar);

// Menu bar items padded 2 pixels above and below and 3 at the sides, as
// "QMenuBar::item { padding: 2px 3px; }".
void NarrowMenuItems(QMenuBar* bar);

// The application's style, unchanged but for one thing: a menu bar asks it
// for its overflow button's icon when the bar is made, and the style reads
// that icon from PNG files through every image plugin. The button shows only
// when the menus do not fit, so the icon is read when first drawn. Call
// before the first widget is made.
void UseProgramStyle();

}  // namespace sky::ui
