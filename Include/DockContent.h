#pragma once

class QScrollArea;
class QWidget;

// A dock's content in a scroll area: a dock made smaller than its content needs scrolls
// it instead of setting the window's minimum size.
QScrollArea* scrollable(QWidget* content);
