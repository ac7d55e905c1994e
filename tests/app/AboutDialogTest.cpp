#include <AboutDialog.h>
#include <AboutForm.h>

#include <test_support/AppDriver.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QUrl>

#include <gtest/gtest.h>

#include <map>

namespace {

const char* const labelNames[] = {"lblCaption",   "lblVersion",  "lblDesc",        "lblLicense",
                                  "lblCopyright", "lblContacts", "lblThirdParties"};

// What the About window showed while it was open.
struct Shown {
    std::map<std::string, QString> texts;
    std::map<std::string, bool> visible;
    bool thirdPartiesVisible = false;
    bool captionBold = false;
};

void recordAndClose(Shown& shown) {
    app_driver::whenModal<QAboutForm>([&shown](QAboutForm* form) {
        for (const char* name : labelNames) {
            auto* label = form->findChild<QLabel*>(QString::fromLatin1(name));
            shown.texts[name] = label->text();
            shown.visible[name] = label->isVisible();
        }
        shown.thirdPartiesVisible =
            form->findChild<QGroupBox*>(QStringLiteral("grpThirdParties"))->isVisible();
        shown.captionBold = form->findChild<QLabel*>(QStringLiteral("lblCaption"))->font().bold();
        form->accept();
    });
}

} // namespace

TEST(About, ShowsTheProgramTextsAndLinksTheLicenceFiles) {
    QWidget parent;
    Shown shown;
    recordAndClose(shown);
    showAbout(&parent);

    EXPECT_EQ(shown.texts["lblCaption"], QString::fromUtf8("Отладчик «Velora»"));
    EXPECT_TRUE(shown.captionBold);
    EXPECT_EQ(shown.texts["lblVersion"], QString::fromUtf8("Версия " VELORA_VERSION));
    EXPECT_TRUE(shown.texts["lblDesc"].startsWith(
        QString::fromUtf8("Программа прослушивает линию связи системы «Velora»")));
    const QString dir = QCoreApplication::applicationDirPath();
    EXPECT_TRUE(shown.texts["lblLicense"].contains(
        "href=\"" + QUrl::fromLocalFile(dir + "/License.txt").toString() + "\""))
        << shown.texts["lblLicense"].toStdString();
    const QString& notice = shown.texts["lblThirdParties"];
    EXPECT_TRUE(notice.contains(QString::fromUtf8("использует Qt версии ") + qVersion() + "."));
    EXPECT_TRUE(notice.contains(QUrl::fromLocalFile(dir + "/LGPL.txt").toString()));
    EXPECT_TRUE(notice.contains(QStringLiteral("Copyright © 2019 The Qt Company.")));
    for (const char* name : labelNames) {
        // No contacts rather than placeholder ones.
        EXPECT_EQ(shown.visible[name], std::string(name) != "lblContacts") << name;
    }
    EXPECT_TRUE(shown.thirdPartiesVisible);
}

TEST(About, FileLinkIsAValidFileUrlOnEveryPlatform) {
    EXPECT_EQ(
        fileLink(QStringLiteral("C:/Tools"), QStringLiteral("License.txt"), QStringLiteral("x")),
        QStringLiteral("<a href=\"file:///C:/Tools/License.txt\">x</a>"));
    EXPECT_EQ(fileLink(QStringLiteral("/opt/velora"), QStringLiteral("LGPL.txt"),
                       QStringLiteral("LGPL.txt")),
              QStringLiteral("<a href=\"file:///opt/velora/LGPL.txt\">LGPL.txt</a>"));
    // A directory name must not end the attribute or the URL early.
    const QString odd = fileLink(QStringLiteral("/opt/a \"b\" & c#d"),
                                 QStringLiteral("License.txt"), QStringLiteral("x"));
    EXPECT_EQ(odd, QStringLiteral(
                       "<a href=\"file:///opt/a%20%22b%22%20&amp;%20c%23d/License.txt\">x</a>"));
}

TEST(About, LabelsLeftEmptyAreHidden) {
    QWidget parent;
    Shown shown;
    {
        QAboutDialog dialog(&parent);
        using Text = QAboutDialog::Text;
        dialog.setText(Text::ProgramName, QStringLiteral("Name"));
        dialog.setText(Text::Version, QStringLiteral("Version 1"));
        dialog.setText(Text::Description, QString::fromUtf8("Описание"));
        dialog.setText(Text::License, QStringLiteral("licence"));
        recordAndClose(shown);
        dialog.exec();
    }
    EXPECT_EQ(shown.texts["lblDesc"], QString::fromUtf8("Описание"));
    EXPECT_TRUE(shown.visible["lblCaption"]);
    EXPECT_TRUE(shown.visible["lblLicense"]);
    EXPECT_FALSE(shown.visible["lblCopyright"]);
    EXPECT_FALSE(shown.visible["lblContacts"]);
    EXPECT_FALSE(shown.thirdPartiesVisible);
    EXPECT_EQ(shown.texts["lblContacts"], QString()) << "the placeholder is removed";
}
