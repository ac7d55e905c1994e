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

    void setProgramName(const QString& text);
    void setProgramName(const char* utf8);
    void setVersion(const QString& text);
    void setVersion(const char* utf8);
    void setDescription(const QString& text);
    void setDescription(const char* utf8);
    void setCopyright(const QString& text);
    void setCopyright(const char* utf8);
    void setLicense(const QString& text);
    void setLicense(const char* utf8);
    void setThirdParties(const QString& text);
    void setThirdParties(const char* utf8);

    int exec();

private:
    QLabel* label(const char* name) const;
    void setLabelText(const char* name, const QString& text);

    QAboutForm* form;
};

// Shows the About dialog of this program modally over `parent`.
void showAbout(QWidget* parent);
