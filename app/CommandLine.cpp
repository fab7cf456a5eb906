#include "CommandLine.h"

#include "NotebookFile.h"
#include "NotebookFolder.h"
#include "ProgramFolder.h"
#include "QtSettingsStore.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>
#include <string>

namespace {

// What QGuiApplication and QApplication take from the command line themselves; the session manager
// restarts the program with -session.
bool IsQtOption(const QString& name) {
    const QStringList names =
        QStringLiteral("platform platformpluginpath platformtheme plugin qwindowgeometry "
                       "qwindowicon qwindowtitle reverse session display geometry style "
                       "stylesheet widgetcount qmljsdebugger nograb dograb sync name title "
                       "visual fontengine")
            .split(u' ');
    return names.contains(name);
}

void Print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

void PrintFolders() {
    const std::filesystem::path data = DataFolder();
    const std::filesystem::path notes = NotebookFolder::EnvironmentDataFolder();
    std::printf("program: %s\n", ProgramFolder().c_str());
    std::printf("samples: %s\n", data.c_str());
    std::printf("help page: %s\n", (data / "Help.htm").c_str());
    std::printf("notebook: %s\n", notes.empty() ? "notebook.txt in the current folder"
                                                : (notes / NotebookFile::FileName).c_str());
    std::printf("settings: %s\n", QtSettingsStore::DefaultPath().c_str());
}

} // namespace

std::optional<int> CommandLine::Answer(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Pulsara, a keyboard-driven practice metronome. Space starts and stops the beat; F1 opens "
        "the help page with all keys."));
    // Qt's own options are written with one dash and a whole word.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{"h", "help"},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringList{"v", "version"},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption folders(
        QStringLiteral("print-folders"),
        QStringLiteral("Show where the samples, help page, notebook and settings are, and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(folders);

    if (!parser.parse(arguments)) {
        for (const QString& name : parser.unknownOptionNames()) {
            if (!IsQtOption(name)) {
                std::fprintf(stderr, "pulsara: unknown option '%s'; see pulsara --help\n",
                             name.toLocal8Bit().constData());
                return 2;
            }
        }
    }
    if (parser.isSet(help)) {
        // Without an application object the parser cannot know the program's name.
        Print(parser.helpText().replace(QStringLiteral("<executable_name>"),
                                        QStringLiteral("pulsara")));
        return 0;
    }
    if (parser.isSet(version)) {
        Print(QStringLiteral("pulsara %1\n").arg(QStringLiteral(PULSARA_VERSION)));
        return 0;
    }
    if (parser.isSet(folders)) {
        PrintFolders();
        return 0;
    }
    return std::nullopt;
}
