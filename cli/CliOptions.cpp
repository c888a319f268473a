#include "cli/CliOptions.h"

#include "cli/CliPlant.h"
#include "cli/CliRecords.h"
#include "cli/CliRequest.h"

namespace tarvello::cli {

CliOptions::CliOptions() {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    DeclareRecordOptions(parser);
    DeclarePlantOptions(parser);
    for (const QCommandLineOption* o :
         {&port,      &simulate,  &dirty, &stock,   &baud,    &dataBits, &stopBits, &parity,
          &handshake, &supply,    &ini,   &json,    &verbose, &trace,    &standard, &maxPasses,
          &level,     &intensity, &help,  &version, &profile, &replace}) {
        parser.addOption(*o);
    }
    for (const QString& name : CalibrateValueOptions())
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("VALUE")));
    for (const QString& name : CalibrateFlagOptions())
        parser.addOption(QCommandLineOption(name));
}

} // namespace tarvello::cli
