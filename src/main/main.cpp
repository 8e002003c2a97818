// karwen [PHOTO]: the window program, opening PHOTO when one is named.
#include "karwen_app.h"
#include "karwen_version.h"
#include "main_window.h"
#include "stored_settings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KARWEN"));
    QApplication::setApplicationName(QStringLiteral("karwen"));
    QApplication::setApplicationVersion(QString::fromLatin1(karwen::kVersionText));
    QApplication::setDesktopFileName(QStringLiteral("karwen"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/karwen-48.png"));
    icon.addFile(QStringLiteral(":/icons/karwen-256.png"));
    QApplication::setWindowIcon(icon);

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Hemispherical photographs: convert, fit, measure."));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(
        QStringLiteral("photo"), QStringLiteral("A BMP or JPEG photo to open."), QStringLiteral("[photo]"));
    options.process(application);

    karwen::ui::keepSettingsInUserProfile();
    karwen::ui::KarwenApp karwen;
    karwen.Main();
    const QStringList photos = options.positionalArguments();
    if (!photos.isEmpty())
        karwen.frmMain().openPhoto(photos.constFirst());
    return application.exec();
}
