#include "sim/PrinterCommands.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tarvello::sim {

namespace {

bool Number(const std::string& text, int low, int high, int& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || n < low || n > high)
        return false;
    value = static_cast<int>(n);
    return true;
}

bool Refuse(std::string* error, const std::string& why) {
    if (error)
        *error = why;
    return false;
}

} // namespace

bool ParsePrinterCommand(const std::string& line, PrinterCommand& command, std::string* error) {
    std::istringstream in(line);
    std::string word, value, extra;
    in >> word >> value >> extra;
    command = PrinterCommand{};
    if (word.empty() || word[0] == '#')
        return true;
    if (!extra.empty())
        return Refuse(error, "one value per command: " + line);
    if (word == "reflective" || word == "transmissive") {
        command.kind = PrinterCommand::kMedia;
        command.sensor = word == "reflective" ? Sensor::Reflective : Sensor::Transmissive;
        if (!ParseMedia(value, command.media))
            return Refuse(error, "unknown media (paper, mark, liner, none): " + value);
        return true;
    }
    if (word == "dirty") {
        command.kind = PrinterCommand::kDirty;
        if (!Number(value, 0, 100, command.number))
            return Refuse(error, "dirty needs a percentage 0..100: " + value);
        return true;
    }
    if (word == "stock") {
        command.kind = PrinterCommand::kStock;
        if (!ParseStock(value, command.stock))
            return Refuse(error, "unknown stock (standard, faint-mark, clear): " + value);
        return true;
    }
    if (word == "wait") {
        command.kind = PrinterCommand::kWait;
        if (!Number(value, 0, 3600000, command.number))
            return Refuse(error, "wait needs milliseconds: " + value);
        return true;
    }
    return Refuse(error, "unknown command: " + word);
}

void ApplyPrinterCommand(VirtualPrinter& printer, const PrinterCommand& command) {
    Conditions conditions = printer.GetConditions();
    switch (command.kind) {
    case PrinterCommand::kMedia:
        printer.SetMedia(command.sensor, command.media);
        return;
    case PrinterCommand::kDirty:
        conditions.dirtyPercent = command.number;
        break;
    case PrinterCommand::kStock:
        conditions.stock = command.stock;
        break;
    case PrinterCommand::kWait:
    case PrinterCommand::kNone:
        return;
    }
    printer.SetConditions(conditions);
}

std::function<void(const std::string& line)> LineApplier(VirtualPrinter& printer) {
    return [&printer](const std::string& line) {
        PrinterCommand command;
        if (ParsePrinterCommand(line, command, nullptr))
            ApplyPrinterCommand(printer, command);
    };
}

std::vector<std::string> CommandFeed::Feed(const std::string& bytes) {
    std::vector<std::string> refused;
    pending_ += bytes;
    std::size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        ++lineNumber_;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        PrinterCommand command;
        std::string why;
        if (ParsePrinterCommand(line, command, &why))
            ApplyPrinterCommand(printer_, command);
        else
            refused.push_back("line " + std::to_string(lineNumber_) + ": " + why);
    }
    return refused;
}

bool CommandFeed::LoadScript(const std::string& path, std::string* error) {
    std::ifstream in(path);
    if (!in)
        return Refuse(error, "cannot read the script " + path);
    std::vector<Timed> script;
    long at = 0;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        PrinterCommand command;
        std::string why;
        if (!ParsePrinterCommand(line, command, &why))
            return Refuse(error, path + " line " + std::to_string(number) + ": " + why);
        if (command.kind == PrinterCommand::kWait)
            at += command.number;
        else if (command.kind != PrinterCommand::kNone)
            script.push_back({at, command});
    }
    script_ = std::move(script);
    next_ = 0;
    return true;
}

void CommandFeed::RunDue(long elapsedMs) {
    for (; next_ < script_.size() && script_[next_].atMs <= elapsedMs; ++next_)
        ApplyPrinterCommand(printer_, script_[next_].command);
}

} // namespace tarvello::sim
