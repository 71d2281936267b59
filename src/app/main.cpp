// orvane: the desktop program.
#include "app/varo_app.h"

#include <QCommandLineParser>

int main(int argc, char** argv)
{
    orvane::app::CVaroApp app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Orvane: scanned line drawings and maps into vectors."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption noSplash(QStringLiteral("no-splash"), QStringLiteral("Start without the splash picture."));
    parser.addOption(noSplash);
    parser.addPositionalArgument(QStringLiteral("images"), QStringLiteral("BMP images to open."), QStringLiteral("[images...]"));
    parser.process(app);
    if (!app.InitInstance(parser.positionalArguments(), !parser.isSet(noSplash)))
        return 1;
    return app.exec();
}
