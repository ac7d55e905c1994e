#include <AboutDialog.h>

#include <AboutForm.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QUrl>

const char ProgramName[] = "Отладчик «Velora»";
// VELORA_VERSION: the project's version, defined by the build.
const char Version[] = VELORA_VERSION;
const char VersionLine[] = "Версия " VELORA_VERSION;
const char Description[] =
    "Программа прослушивает линию связи системы «Velora» и расшифровывает полученные данные. "
    "Предназначена для поиска неисправностей при пуско-наладочных работах.";
const char Copyright[] = "© 2026 The VeloraDebugger developers";
const char QtCopyrightYear[] = "2019";

namespace {

const char* const textLabels[] = {"lblCaption", "lblVersion",   "lblDesc",
                                  "lblLicense", "lblCopyright", "lblContacts"};
const char thirdPartiesLabel[] = "lblThirdParties";
const char qtLicensingPage[] = "https://www.qt.io/licensing/";

QString tr(const char* text) {
    return QCoreApplication::translate("AboutForm", text);
}

QString qtNotice(const QString& dir) {
    return tr("<html>Данная программа использует Qt версии ") + QString::fromUtf8(qVersion()) +
           QString::fromUtf8(".<br>Copyright © ") + QString::fromUtf8(QtCopyrightYear) +
           tr(" The Qt Company.<br>Указанное программное обеспечение, его распространение, "
              "модификация и использование подпадают под действие положений лицензии GNU "
              "Lesser General Public License Version 3, полный текст которой представлен в "
              "файле ") +
           fileLink(dir, QStringLiteral("LGPL.txt"), QStringLiteral("LGPL.txt")) +
           tr(", расположенном в установочной директории, а также по адресу ") +
           QStringLiteral("<a href=\"%1\">%1</a>").arg(QString::fromUtf8(qtLicensingPage)) +
           QStringLiteral(".</html>");
}

} // namespace

// QUrl builds file:///C:/dir/x on Windows and file:///dir/x on Linux, and encodes what a
// path may hold that a URL may not.
QString fileLink(const QString& dir, const QString& fileName, const QString& label) {
    const QString url = QUrl::fromLocalFile(dir + "/" + fileName).toString(QUrl::FullyEncoded);
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), label);
}

QAboutDialog::QAboutDialog(QWidget* parent)
    : form(new QAboutForm(parent)) {
    for (const char* name : textLabels) {
        setLabelText(name, QString());
    }
    setLabelText(thirdPartiesLabel, QString());
}

QAboutDialog::~QAboutDialog() {
    delete form;
}

void QAboutDialog::setText(Text which, const QString& text) {
    // In the order of Text.
    static const char* const labels[] = {"lblCaption",   "lblVersion", "lblDesc",
                                         "lblCopyright", "lblLicense", thirdPartiesLabel};
    setLabelText(labels[int(which)], text);
}

int QAboutDialog::exec() {
    for (const char* name : textLabels) {
        if (label(name)->text().isEmpty()) {
            label(name)->close();
        }
    }
    if (label(thirdPartiesLabel)->text().isEmpty()) {
        form->findChild<QGroupBox*>(QStringLiteral("grpThirdParties"))->close();
    }
    return form->exec();
}

QLabel* QAboutDialog::label(const char* name) const {
    return form->findChild<QLabel*>(QString::fromLatin1(name));
}

void QAboutDialog::setLabelText(const char* name, const QString& text) {
    label(name)->setText(text);
}

void showAbout(QWidget* parent) {
    QAboutDialog dialog(parent);
    using Text = QAboutDialog::Text;
    dialog.setText(Text::ProgramName, QString::fromUtf8(ProgramName));
    dialog.setText(Text::Version, QString::fromUtf8(VersionLine));
    dialog.setText(Text::Description, QString::fromUtf8(Description));
    dialog.setText(Text::Copyright, QString::fromUtf8(Copyright));

    const QString dir = QCoreApplication::applicationDirPath();
    dialog.setText(Text::License, QStringLiteral("<html>") +
                                      fileLink(dir, QStringLiteral("License.txt"),
                                               tr("Посмотреть текст лицензионного соглашения")) +
                                      QStringLiteral("</html>"));

    static const QString notice = qtNotice(dir);
    dialog.setText(Text::ThirdParties, notice);
    dialog.exec();
}
