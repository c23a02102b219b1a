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

}  // namespace sky::ui
