// sensor-sim: a simulated camera that drives libsensordll from a terminal.
//
// It plays the camera's host process on the host framework and ISP
// replacements: it lays out a device's files in a working root, brings up one
// controller per channel as the host does, and runs commands from the command
// line, a script or a prompt. Exit status: 0 when every scripted command
// succeeded, 1 when one failed, 2 when the command line or the device could
// not be used.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

#include "CommandRunner.h"
#include "DataPath.h"
#include "Commands.h"
#include "DeviceSetup.h"
#include "FileTree.h"
#include "Options.h"
#include "Output.h"
#include "SensorVersion.h"
#include "http/HttpServer.h"

using namespace sensorsim;

namespace {

// With --http the page stays served after the commands, until quit or a stop
// signal.
void waitForStop(const Session& p_objSession) {
    while (!p_objSession.quit && !stopRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

void printHelp() {
    std::cout << "Usage: sensor-sim [OPTIONS]\n"
                 "A simulated camera: libsensordll's controller on the host framework and ISP replacements.\n\n"
                 "It copies a device profile into a working root, starts one controller per channel, and runs\n"
                 "commands from -c, --script, piped input or a prompt. Its own lines start with \"sim\"; the\n"
                 "rest is the library's console output. At a terminal the prompt edits lines and keeps a history\n"
                 "of the session's commands; Ctrl-C clears the line (or cuts short the commands that run and\n"
                 "returns to the prompt), Ctrl-D ends. Scripts, -c and piped input run without a prompt; there\n"
                 "Ctrl-C ends the run once the command that runs has finished.\n\n"
                 "Options:\n"
              << optionsHelp() << "\nCommands:\n"
              << commandsHelp()
              << "\nFiles:\n"
                 "  The bundled profiles are read from --devices DIR when given, else from\n"
                 "  ../share/sensordll/devices beside the program (an installed sensor-sim, e.g.\n"
                 "  /usr/share/sensordll/devices for /usr/bin/sensor-sim), else from the source tree's devices/\n"
                 "  (a program run from its build tree). Without any of them the program ends with status 2.\n"
                 "\nExit status:\n"
                 "  0  every command of -c, --script or piped input succeeded (or the prompt was left)\n"
                 "  1  a command failed\n"
                 "  2  the options, the device data or the device could not be used\n"
                 "\nExamples:\n"
                 "  sensor-sim                                   the default profile at a prompt\n"
                 "  sensor-sim -c \"set brightness 60; get 34\"     one change and a read\n"
                 "  sensor-sim --quiet -c \"get -n brightness\"     the value alone on the last line\n"
                 "  sensor-sim --json -c \"get brightness\"         one JSON object a line, for scripts\n"
                 "  sensor-sim --profile thermal-dual --trace --script session.sensim\n"
                 "  sensor-sim --root ./camera-dump --profile dome --work ./w -c \"status; all\"\n"
                 "  sensor-sim --http 8080                       the settings page at http://127.0.0.1:8080/\n";
}

}  // namespace

int main(int p_nArgc, char** p_ppArgv) {
    Options stOptions;
    std::string strError;
    if (!parseOptions(p_nArgc, p_ppArgv, stOptions, strError)) {
        out::error("", strError);
        return 2;
    }
    if (stOptions.help) {
        printHelp();
        return 0;
    }
    if (stOptions.version) {
        std::cout << "sensor-sim (libsensordll) " SENSORDLL_VERSION "\n";
        return 0;
    }
    if (stOptions.listProfiles) {
        std::string strDevices;
        if (!findDevicesDir(stOptions.devicesDir, strDevices, strError)) {
            out::error("", strError);
            return 2;
        }
        for (const std::string& strName : bundledProfiles(strDevices)) std::cout << strName << "\n";
        return 0;
    }

    std::vector<std::string> vecScripts;
    for (const CommandSource& stSource : stOptions.sources) {
        std::string strText = stSource.text;
        if (stSource.isScript && !readWholeFile(stSource.text, strText)) {
            out::error("", "cannot read the script " + stSource.text);
            return 2;
        }
        vecScripts.push_back(strText);
    }

    if (!out::init(stOptions.quiet, stOptions.json)) {
        out::error("", "cannot set up the output");
        return 2;
    }
    installStopSignals();
    Session objSession;
    objSession.options = stOptions;
    objSession.trace = stOptions.trace;
    out::beginAnswer("start-up", {}, 0);
    if (!startDevice(objSession, strError)) {
        out::error("", strError);
        out::endAnswer(2);
        if (out::json()) out::error("", strError);
        stopDevice(objSession);
        return 2;
    }
    out::endAnswer(0);

    std::unique_ptr<HttpServer> pServer;
    if (stOptions.http) {
        pServer.reset(new HttpServer(objSession, stOptions.webDir.empty() ? defaultWebDir() : stOptions.webDir));
        if (!pServer->start(stOptions.httpAddress, stOptions.httpPort, strError)) {
            out::error("", strError);
            pServer.reset();
            stopDevice(objSession);
            return 2;
        }
        const std::string strUrl = "http://" + stOptions.httpAddress + ":" + std::to_string(pServer->port()) + "/";
        out::beginAnswer("http", {}, 0);
        out::line("serving " + strUrl);
        out::field("url", strUrl);
        out::endAnswer(0);
    }

    int nFailed = 0;
    const bool bTerminal = isatty(STDIN_FILENO) != 0;
    if (!stOptions.sources.empty()) {
        for (size_t i = 0; i < stOptions.sources.size() && !objSession.quit; ++i)
            nFailed +=
                runText(objSession, vecScripts[i], stOptions.sources[i].isScript ? stOptions.sources[i].text : "");
        // A script prepares what the page then shows; a terminal may go on.
        if (pServer && bTerminal && !objSession.quit && !stopRequested()) runPrompt(objSession);
    } else if (bTerminal) {
        runPrompt(objSession);
    } else {
        std::stringstream input;
        input << std::cin.rdbuf();
        nFailed += runText(objSession, input.str(), "stdin");
    }
    if (pServer) {
        if (!bTerminal) waitForStop(objSession);
        pServer->stop();
    }
    out::beginAnswer("end", {}, 0);
    out::field("failed", nFailed);
    stopDevice(objSession);
    out::endAnswer(nFailed == 0 ? 0 : 1);
    if (nFailed != 0) out::error("", std::to_string(nFailed) + (nFailed == 1 ? " command failed" : " commands failed"));
    return nFailed == 0 ? 0 : 1;
}
