#pragma once

#include <QString>

class QWidget;

// The program's error box: `text`, and `details` below it when there are any.
void showErrorBox(QWidget* parent, const QString& text, const QString& details = QString());
