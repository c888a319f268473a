// The option table of tarvello-cli on Qt's parser: the options the command line's reading
// (cli/CliRequest.cpp) takes by member, and those of the records, the plant database and
// calibrate, which their own files declare and read by name.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace tarvello::cli {

struct CliOptions {
    QCommandLineParser parser;
    QCommandLineOption port{QStringLiteral("port"), QString(), QStringLiteral("DEVICE")};
    QCommandLineOption simulate{QStringLiteral("simulate")};
    QCommandLineOption profile{QStringLiteral("profile"), QString(), QStringLiteral("NAME")};
    QCommandLineOption replace{QStringLiteral("replace")};
    QCommandLineOption dirty{QStringLiteral("dirty"), QString(), QStringLiteral("PERCENT")};
    QCommandLineOption stock{QStringLiteral("stock"), QString(), QStringLiteral("NAME")};
    QCommandLineOption baud{QStringLiteral("baud"), QString(), QStringLiteral("BAUD")};
    QCommandLineOption dataBits{QStringLiteral("data-bits"), QString(), QStringLiteral("N")};
    QCommandLineOption stopBits{QStringLiteral("stop-bits"), QString(), QStringLiteral("N")};
    QCommandLineOption parity{QStringLiteral("parity"), QString(), QStringLiteral("P")};
    QCommandLineOption handshake{QStringLiteral("handshake"), QString(), QStringLiteral("H")};
    QCommandLineOption supply{QStringLiteral("supply"), QString(), QStringLiteral("VOLTS")};
    QCommandLineOption ini{QStringLiteral("ini"), QString(), QStringLiteral("PATH")};
    QCommandLineOption json{QStringLiteral("json")};
    QCommandLineOption verbose{QStringLiteral("verbose")};
    QCommandLineOption trace{QStringLiteral("trace"), QString(), QStringLiteral("FILE")};
    QCommandLineOption standard{QStringLiteral("standard"), QString(), QStringLiteral("VOLTS")};
    QCommandLineOption maxPasses{QStringLiteral("max-passes"), QString(), QStringLiteral("N")};
    QCommandLineOption level{QStringLiteral("level"), QString(), QStringLiteral("L")};
    QCommandLineOption intensity{QStringLiteral("intensity"), QString(), QStringLiteral("I")};
    QCommandLineOption help{{QStringLiteral("help"), QStringLiteral("h")}};
    QCommandLineOption version{QStringLiteral("version")};

    CliOptions();
};

} // namespace tarvello::cli
