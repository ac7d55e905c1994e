#pragma once

#include <QString>

class QAboutForm;
class QLabel;
class QWidget;

// The program's own texts, in UTF-8; the window title and the About dialog use them.
extern const char ProgramName[];
extern const char Version[];
extern const char VersionLine[];
extern const char Description[];
extern const char Copyright[];
extern const char QtCopyrightYear[];

// Rich text with one link to the file `fileName` in the directory `dir`, labelled `label`.
QString fileLink(const QString& dir, const QString& fileName, const QString& label);

// Fills the labels of a QAboutForm; exec() hides the labels left empty.
class QAboutDialog {
public:
    explicit QAboutDialog(QWidget* parent = nullptr);
    virtual ~QAboutDialog();

    QAboutDialog(const QAboutDialog&) = delete;
    QAboutDialog& operator=(const QAboutDialog&) = delete;

    // The texts of the dialog, each in a label of its own.
    enum class Text { ProgramName, Version, Description, Copyright, License, ThirdParties };
    void setText(Text which, const QString& text);

    int exec();

private:
    QLabel* label(const char* name) const;
    void setLabelText(const char* name, const QString& text);

    QAboutForm* form;
};

// Shows the About dialog of this program modally over `parent`.
void showAbout(QWidget* parent);
