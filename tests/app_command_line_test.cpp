// The tool's command line: --simulate, --port DEVICE, --screenshots DIR, --help, --version.
#include <gtest/gtest.h>

#include <QStringList>

#include <cstring>
#include <regex>

#include "app/Tarvello.h"
#include "device/SerialPort.h"

namespace {

StartOptions Parse(QStringList args) {
    args.prepend(QStringLiteral("tarvello"));
    return ParseCommandLine(args);
}

TEST(CommandLine, AcceptsTheToolsOptions) {
    StartOptions o = Parse({});
    EXPECT_TRUE(o.strError.empty());
    EXPECT_FALSE(o.bSimulate);
    EXPECT_TRUE(o.strPort.empty());

    o = Parse({"--simulate"});
    EXPECT_TRUE(o.strError.empty());
    EXPECT_TRUE(o.bSimulate);

    o = Parse({"--port", "/dev/ttyUSB0"});
    EXPECT_TRUE(o.strError.empty());
    EXPECT_EQ(o.strPort, "/dev/ttyUSB0");
    EXPECT_EQ(Parse({"--port=/dev/ttyACM1"}).strPort, "/dev/ttyACM1");

    o = Parse({"--simulate", "--screenshots", "docs"});
    EXPECT_TRUE(o.strError.empty());
    EXPECT_EQ(o.strScreenshots, "docs");

    EXPECT_TRUE(Parse({"--help"}).bHelp);
    EXPECT_TRUE(Parse({"-h"}).bHelp);
    EXPECT_NE(std::strstr(UsageText().c_str(), "--simulate"), nullptr);
    EXPECT_NE(std::strstr(UsageText().c_str(), "--port DEVICE"), nullptr);

    // --help and --version answer whatever else the line holds.
    o = Parse({"--frobnicate", "--version"});
    EXPECT_TRUE(o.bVersion);
    EXPECT_FALSE(o.bHelp);
    o = Parse({"--port", "--help"}); // the word after --port is its device
    EXPECT_FALSE(o.bHelp);
    EXPECT_EQ(o.strPort, "--help");
    EXPECT_TRUE(
        std::regex_match(VersionText(), std::regex("tarvello [0-9]+\\.[0-9]+(\\.[0-9]+)*\n")))
        << VersionText();
    // The usage text is the tool's own, not one that names the executable's path.
    EXPECT_EQ(UsageText().rfind("Usage: tarvello ", 0), 0u);
    EXPECT_EQ(UsageText().find("executable"), std::string::npos);
}

TEST(CommandLine, RefusesWhatItCannotDo) {
    EXPECT_FALSE(Parse({"--port"}).strError.empty());
    EXPECT_FALSE(Parse({"--port", ""}).strError.empty());
    EXPECT_FALSE(Parse({"--port="}).strError.empty());
    EXPECT_FALSE(Parse({"--screenshots"}).strError.empty());
    EXPECT_FALSE(Parse({"--simulate", "--port", "/dev/ttyS1"}).strError.empty());
    EXPECT_FALSE(Parse({"--frobnicate"}).strError.empty());
    EXPECT_FALSE(Parse({"COM1"}).strError.empty());
}

TEST(CommandLine, PortDeviceSelectsOneOfTheEightOrAFurtherDevice) {
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(PortIndexForDevice(PortDeviceName(i)), i);
    const int extra = PortIndexForDevice("/dev/tarvello-cmdline-test");
    EXPECT_GE(extra, 8);
    EXPECT_EQ(PortDeviceName(extra), "/dev/tarvello-cmdline-test");
    EXPECT_EQ(PortIndexForDevice("/dev/tarvello-cmdline-test"), extra); // registered once
}

} // namespace

// A technician on a terminal without a display still gets the usage text, not a platform error.
static int RunHelpWithoutDisplay() {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    char name[] = "tarvello";
    char help[] = "--help";
    char* argv[] = {name, help, nullptr};
    return CTarvelloApp().Run(2, argv);
}

TEST(CommandLine, HelpNeedsNoDisplay) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(RunHelpWithoutDisplay()), testing::ExitedWithCode(0), "");
}
