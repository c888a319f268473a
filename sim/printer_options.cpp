// tarvello-printer's options: the table --help lists, each option with what it does to the
// printer, the program's description, and the reading of the command line.
#include "sim/printer_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace tarvello::sim {

namespace {

const char kUsageLine[] = "Usage: tarvello-printer [OPTION]...";

const char kDescription[] =
    R"(A virtual label printer on a pseudo-terminal. The first line of output is the device to open
(e.g. /dev/pts/3) as the serial port; the printer serves until SIGINT or SIGTERM.

Frames answered (STX is 0x02, CR 0x0D, DC3 0x13):
  STX "k" CR                     'Y' (connection handshake; 'N' with --reject-handshake)
  STX "&" 8 digits DC3 (+ NUL)   nothing (access code)
  STX "Y"                        status reply "exist 128/headpos 7/ribbon 255/"
  STX "JF" code III              reflective reading, decimal "N/" (code "00".."11" = level 0..3,
                                 III the light intensity 000..255); the frame may come in any
                                 split of writes
  STX "JT" code III              transmissive reading, decimal "N/"
  STX "JF"/"JT" III              (no code) a reading at the sensor's last level, taken once the
                                 line has been quiet for 150 ms
  STX "r" / STX "e"              nothing; starts a reflective / transmissive paper check
  STX "Ke" sel                   four upper-case hex characters: "0f" 0050, "02" 0064, "0e" 000A
                                 (a check wait of 1000 ms), "14" and "13" the two samples of the
                                 check, other selectors 0000
  STX "JC" DC3                   nothing; takes the check's samples at the sensor's last level and
                                 intensity: reflective "14" over a mark, "13" over paper;
                                 transmissive "14" over liner (the gap), "13" over a label; the
                                 check sees a fifth (reflective) or a third (transmissive) of a
                                 single reading's contrast, so its samples lie a few tenths of a
                                 volt apart, as a real printer's do

Sensor model (deterministic): the output falls as more light reaches the receiver. Reflective
N = 240 - gain(level) x reflectance x intensity (paper 1.0, liner 0.8, mark 0.15, none 0.03),
transmissive N = 15 + gain(level) x transmittance x intensity (none 1.5, liner 1.0, paper 0.45,
mark 0.04), gain 2.0, 1.5, 1.1, 0.8 for levels 0..3, each clamped to 5..240 / 15..250. Both
automatic adjustments converge from level 3, intensity 0 for standards of about 0.5 to 4.5 V at
5.0 V supply; 5.0 V is never reached (the search cycles). --dirty scales the gain down,
--stock faint-mark raises the mark's reflectance to 0.48 and the label's transmittance to 0.6,
--stock clear to 0.8 and 0.85.

While it runs, each line on standard input is a command (also in a --script FILE, with
"wait MS" between commands): "reflective MEDIA", "transmissive MEDIA" (paper, mark, liner,
none), "dirty PERCENT", "stock NAME"; e.g. echo "reflective mark" to put a mark under the
reflective sensor.)";

bool ParseInt(const std::string& text, long& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 0);
    return errno == 0 && *end == '\0';
}

// One option: its name, its value's name (nullptr: a switch), its help, the refusal when apply
// does not take the value, and what it does to the program.
struct Option {
    const char* name;
    const char* valueName;
    const char* help;
    const char* refusal;
    bool (*apply)(PrinterProgram& program, const std::string& value);
};

// Parses value as a number (decimal, or 0x hex) of at least min and hands it to set; false for
// any other text.
template <typename Set> bool WithNumber(const std::string& value, long min, Set set) {
    long n = 0;
    if (!ParseInt(value, n) || n < min) {
        return false;
    }
    set(n);
    return true;
}

bool SetMedia(PrinterProgram& program, Sensor sensor, const std::string& value) {
    Media media;
    if (!tarvello::sim::ParseMedia(value.c_str(), media)) {
        return false;
    }
    program.printer.SetMedia(sensor, media);
    return true;
}

bool Command(PrinterProgram& program, const std::string& line) {
    tarvello::sim::PrinterCommand command;
    if (!tarvello::sim::ParsePrinterCommand(line, command, nullptr))
        return false;
    tarvello::sim::ApplyPrinterCommand(program.printer, command);
    return true;
}

bool SetStatus(PrinterProgram& program, const std::string& value) {
    int e = 0, h = 0, r = 0;
    char tail = 0;
    if (std::sscanf(value.c_str(), "%d,%d,%d%c", &e, &h, &r, &tail) != 3) {
        return false;
    }
    program.printer.SetStatus(e, h, r);
    return true;
}

bool SetKe(PrinterProgram& program, const std::string& value) {
    long n = 0;
    if (value.find('=') != 2 || !ParseInt(value.substr(3), n)) {
        return false;
    }
    program.printer.SetKeValue(value.substr(0, 2), static_cast<int>(n));
    return true;
}

bool SetSplit(PrinterProgram& program, const std::string& value) {
    int bytes = 0, gap = 20;
    if (std::sscanf(value.c_str(), "%d,%d", &bytes, &gap) < 1 || bytes < 1 || gap < 0) {
        return false;
    }
    program.printer.SetSplit(bytes, gap);
    return true;
}

using P = PrinterProgram&;
using V = const std::string&;

// Every option but --help and --version, in the order --help lists them.
const Option kOptions[] = {
    {"reflective-media", "M",
     "media under the reflective sensor: paper (default), mark, liner, none", "unknown media",
     [](P p, V v) { return SetMedia(p, Sensor::Reflective, v); }},
    {"transmissive-media", "M",
     "media under the transmissive sensor: liner (default), paper, mark, none", "unknown media",
     [](P p, V v) { return SetMedia(p, Sensor::Transmissive, v); }},
    {"dirty", "PERCENT",
     "dirt on the sensors, 0..100: past about 50 % the reflective search ends near full "
     "light, past about 80 % it cannot reach its band",
     "--dirty needs a percentage 0..100", [](P p, V v) { return Command(p, "dirty " + v); }},
    {"stock", "NAME", "the media stock: standard (default), faint-mark, clear", "unknown stock",
     [](P p, V v) { return Command(p, "stock " + v); }},
    {"script", "FILE",
     "commands applied while it runs (the same as lines on standard input: reflective MEDIA, "
     "transmissive MEDIA, dirty PERCENT, stock NAME, and wait MS between them)",
     "the script is refused", [](P p, V v) { return p.feed.LoadScript(v, nullptr); }},
    {"status", "E,H,R", "the three status values (default 128,7,255)", "--status needs E,H,R",
     SetStatus},
    {"status-reply", "TEXT", "the whole status reply, as given", nullptr,
     [](P p, V v) { return p.printer.SetStatusReply(v), true; }},
    {"reflective-reading", "N",
     "answer every reflective reading with N instead of the model's value",
     "a reading needs a number",
     [](P p, V v) {
         return WithNumber(v, LONG_MIN, [&](long n) {
             p.printer.SetReadingOverride(Sensor::Reflective, static_cast<int>(n));
         });
     }},
    {"transmissive-reading", "N", "the same for the transmissive sensor",
     "a reading needs a number",
     [](P p, V v) {
         return WithNumber(v, LONG_MIN, [&](long n) {
             p.printer.SetReadingOverride(Sensor::Transmissive, static_cast<int>(n));
         });
     }},
    {"ke", "SEL=VALUE", "the value of STX \"Ke\" SEL (VALUE decimal or 0x hex), e.g. --ke 0e=0x14",
     "--ke needs SEL=VALUE with a two-character selector", SetKe},
    {"reply-delay", "MS", "delay before each reply (default 2)", "a delay needs milliseconds",
     [](P p, V v) {
         return WithNumber(v, 0, [&](long n) { p.printer.SetReplyDelayMs(static_cast<int>(n)); });
     }},
    {"slow", "MS", "the same: a slow printer", "a delay needs milliseconds",
     [](P p, V v) {
         return WithNumber(v, 0, [&](long n) { p.printer.SetReplyDelayMs(static_cast<int>(n)); });
     }},
    {"silent", nullptr, "fault: no reply to anything", nullptr,
     [](P p, V) { return p.printer.SetSilent(true), true; }},
    {"silent-status", nullptr, "fault: no reply to STX \"Y\" only", nullptr,
     [](P p, V) { return p.printer.SetSilentFor(FrameKind::Status, true), true; }},
    {"garbage", nullptr, "fault: replies replaced by bytes no reply grammar accepts", nullptr,
     [](P p, V) { return p.printer.SetGarbage(true), true; }},
    {"split", "BYTES[,GAP_MS]",
     "fault: replies written in pieces of BYTES bytes, GAP_MS apart (default 20)",
     "--split needs BYTES[,GAP_MS]", SetSplit},
    {"oversize", "BYTES", "fault: replies padded with '.' to BYTES bytes (e.g. 65536)",
     "--oversize needs a size in bytes",
     [](P p, V v) {
         return WithNumber(v, 0,
                           [&](long n) { p.printer.SetOversize(static_cast<std::size_t>(n)); });
     }},
    {"reject-handshake", nullptr, "fault: 'N' instead of 'Y' to STX \"k\" CR", nullptr,
     [](P p, V) { return p.printer.SetRejectHandshake(true), true; }},
    {"hangup-after", "N",
     "fault: close the line after the N-th frame received (the program then ends)",
     "--hangup-after needs a frame count",
     [](P p, V v) {
         return WithNumber(v, 1,
                           [&](long n) { p.printer.SetHangUpAfterFrames(static_cast<int>(n)); });
     }},
    {"exit-on-stdin-eof", nullptr, "also end when standard input reaches end of file", nullptr,
     [](P p, V) { return p.exitOnEof = true; }},
    {"link", "PATH",
     "point the symbolic link PATH at the device (replacing what PATH was) before the device "
     "is printed, and remove it at the end if it still points there; e.g. the path a Wine COM "
     "port is mapped to",
     nullptr, [](P p, V v) { return p.link = v, true; }},
    {"verbose", nullptr, "print every frame received on standard error", nullptr,
     [](P p, V) { return p.verbose = true; }},
};

void DeclareOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    for (const Option& option : kOptions) {
        const QString name = QString::fromUtf8(option.name);
        const QString help = QString::fromUtf8(option.help);
        parser.addOption(option.valueName
                             ? QCommandLineOption(name, help, QString::fromUtf8(option.valueName))
                             : QCommandLineOption(name, help));
    }
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("this text")});
    parser.addOption({QStringLiteral("version"), QStringLiteral("the program's version")});
}

const Option* FindOption(const QString& name) {
    for (const Option& option : kOptions) {
        if (name == QLatin1String(option.name)) {
            return &option;
        }
    }
    return nullptr;
}

int Fail(const char* message, const std::string& arg) {
    std::fprintf(stderr, "tarvello-printer: %s%s%s\n(--help lists the options)\n", message,
                 arg.empty() ? "" : ": ", arg.c_str());
    return 2;
}

} // namespace

int ReadCommandLine(const QStringList& args, PrinterProgram& program) {
    QCommandLineParser parser;
    DeclareOptions(parser);
    const bool parsed = parser.parse(args);
    if (parser.isSet(QStringLiteral("help"))) {
        const QString text = parser.helpText();
        std::printf("%s%s", kUsageLine,
                    text.mid(text.indexOf(QLatin1Char('\n'))).toUtf8().constData());
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("tarvello-printer %s\n", TARVELLO_VERSION);
        return 0;
    }
    if (!parsed) {
        return Fail(parser.errorText().toUtf8().constData(), "");
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Fail("unexpected argument", parser.positionalArguments()[0].toStdString());
    }
    std::map<QString, int> seen; // how many of each option's values are taken
    for (const QString& name : parser.optionNames()) {
        const Option* option = FindOption(name);
        const std::string value = parser.values(name).value(seen[name]++).toStdString();
        if (option != nullptr && !option->apply(program, value)) {
            return Fail(option->refusal, value);
        }
    }
    return -1;
}

} // namespace tarvello::sim
