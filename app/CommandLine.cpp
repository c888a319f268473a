#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include "records/PlantConnection.h"

namespace {

const char kUsageLine[] = "Usage: tarvello [--simulate | --port DEVICE] [OPTION]...";

const char kDescription[] = "Sets up the media sensors of a label printer over RS-232.";

const char kEpilogue[] =
    "\nWithout options the port page starts on COM1. The parameter file parameterset.ini\n"
    "is read from and written to the current directory.\n";

// The values of the parser's options; a refusal goes into options.strError.
void ReadOptions(const QCommandLineParser& parser, StartOptions& options) {
    options.bSimulate = parser.isSet(QStringLiteral("simulate"));
    if (parser.isSet(QStringLiteral("port"))) {
        options.strPort = parser.value(QStringLiteral("port")).toStdString();
        if (options.strPort.empty())
            options.strError = "--port needs a device, e.g. --port /dev/ttyUSB0";
    }
    if (parser.isSet(QStringLiteral("screenshots"))) {
        options.strScreenshots = parser.value(QStringLiteral("screenshots")).toStdString();
        if (options.strScreenshots.empty())
            options.strError = "--screenshots needs a directory";
    }
    if (parser.isSet(QStringLiteral("trace"))) {
        options.strTrace = parser.value(QStringLiteral("trace")).toStdString();
        if (options.strTrace.empty())
            options.strError = "--trace needs a file";
    }
    if (parser.isSet(QStringLiteral("records"))) {
        options.strRecords = parser.value(QStringLiteral("records")).toStdString();
        if (options.strRecords.empty())
            options.strError = "--records needs a file";
    }
    if (parser.isSet(QStringLiteral("plant-db"))) {
        options.strPlantDb = parser.value(QStringLiteral("plant-db")).toStdString();
        tarvello::records::PlantConnection c;
        QString why;
        if (!tarvello::records::ParsePlantConnection(parser.value(QStringLiteral("plant-db")), &c,
                                                     &why))
            options.strError = "--plant-db: " + why.toStdString();
    }
    options.bDiagnostics = parser.isSet(QStringLiteral("diagnostics"));
    if (parser.isSet(QStringLiteral("lang"))) {
        options.language = tarvello::app::LanguageFromCode(parser.value(QStringLiteral("lang")));
        if (!options.language)
            options.strError = "--lang takes zh (Chinese) or en (English)";
    }
    for (const char* name : {"dirty", "stock"}) {
        const QString option = QString::fromLatin1(name);
        if (!parser.isSet(option))
            continue;
        tarvello::sim::PrinterCommand command;
        std::string why;
        if (!options.bSimulate)
            options.strError = "--" + option.toStdString() + " needs --simulate";
        else if (!tarvello::sim::ParsePrinterCommand(
                     (option + QLatin1Char(' ') + parser.value(option)).toStdString(), command,
                     &why))
            options.strError = "--" + option.toStdString() + ": " + why;
        else
            options.simCommands.push_back(command);
    }
    if (options.strError.empty() && options.bSimulate && !options.strPort.empty())
        options.strError = "--simulate and --port exclude each other";
}

} // namespace

void DeclareOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.addOptions({
        {QStringLiteral("simulate"),
         QStringLiteral("start a virtual printer inside the tool (on a pseudo-terminal), add it "
                        "to the port list and select it")},
        {QStringLiteral("dirty"),
         QStringLiteral("with --simulate: dirt on the virtual printer's sensors, 0..100 "
                        "(past about 50 % the reflective search ends near full light, past "
                        "about 80 % it cannot reach its band)"),
         QStringLiteral("PERCENT")},
        {QStringLiteral("stock"),
         QStringLiteral("with --simulate: the virtual printer's media stock: standard, "
                        "faint-mark (a mark close to the paper), clear (clear labels)"),
         QStringLiteral("NAME")},
        {QStringLiteral("port"),
         QStringLiteral("add DEVICE (e.g. /dev/ttyUSB0) to the port list and select it"),
         QStringLiteral("DEVICE")},
        {QStringLiteral("screenshots"),
         QStringLiteral("open the selected port, wait for the status values, save the pages "
                        "(DIR/page1.png .. page3.png), then adjust, read and check both sensors "
                        "on a copy of the parameter file, save those pages too, and quit (for "
                        "the documentation); a port that does not open or any message of the "
                        "tool ends it with the reason and exit code 1"),
         QStringLiteral("DIR")},
        {QStringLiteral("trace"),
         QStringLiteral("write every exchange with the printer to FILE as it happens, one line "
                        "each: seconds since the port opened, -> (to the printer), <- (from the "
                        "printer) or x (discarded), the party, the bytes in hex and as text"),
         QStringLiteral("FILE")},
        {QStringLiteral("records"),
         QStringLiteral("keep the calibration records in PATH instead of the setting "
                        "\"records/path\" or records.sqlite in the data folder shared with "
                        "tarvello-cli"),
         QStringLiteral("PATH")},
        {QStringLiteral("diagnostics"),
         QStringLiteral(
             "open the diagnostics window (line trace, adjustment curves) beside the "
             "main window; in the tool: the button \"诊断\" (Diagnostics) at the top right, "
             "Ctrl+D, "
             "Ctrl+T (trace), Ctrl+G (curves)")},
        {QStringLiteral("lang"),
         QStringLiteral("the window's language: zh (Chinese, the default) or en (English); "
                        "without it, the one last chosen in the window's menu"),
         QStringLiteral("zh|en")},
        {QStringLiteral("plant-db"),
         QStringLiteral("send the records to this plant database (a libpq connection string "
                        "without a password, e.g. \"host=db.plant dbname=tarvello user=station1\"; "
                        "the password comes from ~/.pgpass) for this run, instead of the one set "
                        "in the window"),
         QStringLiteral("CONNINFO")},
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("show this text")},
        {QStringLiteral("version"), QStringLiteral("show the version")},
    });
}

StartOptions ParseCommandLine(const QStringList& args) {
    QCommandLineParser parser;
    DeclareOptions(parser);
    StartOptions options;
    const bool parsed = parser.parse(args);
    options.bHelp = parser.isSet(QStringLiteral("help"));
    options.bVersion = parser.isSet(QStringLiteral("version"));
    if (!parsed)
        options.strError = parser.errorText().toStdString();
    else if (!parser.positionalArguments().isEmpty())
        options.strError = "unexpected argument: " + parser.positionalArguments()[0].toStdString();
    else
        ReadOptions(parser, options);
    return options;
}

std::string UsageText() {
    QCommandLineParser parser;
    DeclareOptions(parser);
    // Qt's text begins with a usage line of its own (the executable's path, which the manual
    // page must not carry): the tool's own line replaces it.
    const QString text = parser.helpText();
    return kUsageLine + text.mid(text.indexOf(QLatin1Char('\n'))).toStdString() + kEpilogue;
}

std::string VersionText() {
    return std::string("tarvello ") + TARVELLO_VERSION + "\n";
}
