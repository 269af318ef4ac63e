#include "app/FirstStart.h"
#include "app/MaintenanceVerbs.h"
#include "base/Messages.h"
#include "base/ProgramFolder.h"
#include "base/ProgramVersion.h"
#include "data/DbSchema.h"
#include "ui/help/HelpSystem.h"
#include "ui/main/DlgMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    std::unique_ptr<QCoreApplication> holder;
    // Creating a database, the maintenance verbs and help need no window
    // (and no display).
    if (MaintenanceVerbs::IsConsoleRun(argc, argv))
        holder = std::make_unique<QCoreApplication>(argc, argv);
    else {
        holder = std::make_unique<QApplication>(argc, argv);
        // Every window shows the program's icon, bundled in every size the
        // desktop asks for.
        Q_INIT_RESOURCE(appicon);
        QIcon icon;
        for (const int size : {16, 32, 48, 64, 128, 256})
            icon.addFile(QStringLiteral(":/icons/tarvelo-%1.png").arg(size), QSize(size, size));
        QApplication::setWindowIcon(icon);
        // Wayland desktops take the icon from the installed desktop entry.
        QApplication::setDesktopFileName(QStringLiteral("io.github.tarvelo.Tarvelo"));
    }
    QCoreApplication& app = *holder;
    QCoreApplication::setApplicationName(QStringLiteral("Tarvelo"));
    QCoreApplication::setApplicationVersion(ProgramVersion::Number());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tarvelo resource booking. Without options it opens the main window; the "
                       "maintenance options work without a window on the database named in the "
                       "program folder's settings, print what they did and exit non-zero on "
                       "failure."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("Program folder (settings, log, database)."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption create(QStringLiteral("create-database"),
                                    QStringLiteral("Create an empty database at PATH (a file, or a "
                                                   "postgresql://user@host:port/dbname URI) and exit."),
                                    QStringLiteral("PATH"));
    parser.addOption(home);
    parser.addOption(create);
    MaintenanceVerbs::AddOptions(parser);
    // The folder in use goes into the help text: --home is read first.
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(home))
        ProgramFolder::Set(parser.value(home));
    parser.setApplicationDescription(parser.applicationDescription() +
                                     QStringLiteral("\n\nProgram folder: ") +
                                     QDir::toNativeSeparators(ProgramFolder::Path()));
    parser.process(app);

    if (parser.isSet(create)) {
        const QString error = DbSchema::CreateDatabase(parser.value(create));
        if (!error.isEmpty()) {
            std::fprintf(stderr, "Cannot create database: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    if (MaintenanceVerbs::HasVerb(parser))
        return MaintenanceVerbs::Run(parser);

    HelpSystem::Install();
    // A new installation gets its database at the default path before the
    // main window opens it; a missing database that the settings name is
    // never replaced.
    const bool firstStart = FirstStart::IsNewInstallation();
    if (firstStart) {
        const QString problem = FirstStart::Prepare();
        if (!problem.isEmpty()) {
            Messages::CriticalError(QStringLiteral("Unable to create the database!\n") + problem);
            return 1;
        }
    }
    auto* window = new DlgMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->Started()) {
        delete window;
        return 1;
    }
    if (firstStart)
        window->OfferSample();
    window->show();
    return app.exec();
}
