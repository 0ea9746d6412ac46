// The command loop.
#include "CommandRunner.h"

#include <signal.h>

#include <iostream>

#include "Commands.h"
#include "Output.h"
#include "Trace.h"
#include "Values.h"

namespace sensorsim {

namespace {

volatile sig_atomic_t s_nStop = 0;

void onStopSignal(int) { s_nStop = 1; }

}  // namespace

void installStopSignals() {
    struct sigaction stAction = {};
    stAction.sa_handler = &onStopSignal;
    sigemptyset(&stAction.sa_mask);
    // No SA_RESTART: a read at the prompt returns, and the session ends.
    stAction.sa_flags = 0;
    for (int nSignal : {SIGINT, SIGTERM, SIGHUP}) sigaction(nSignal, &stAction, nullptr);
}

bool stopRequested() { return s_nStop != 0; }

bool runStatement(Session& p_objSession, const Statement& p_stStatement, const std::string& p_strWhere, bool p_bEcho) {
    if (p_bEcho) out::command(p_stStatement.text);
    const CommandEntry* pEntry = findCommand(p_stStatement.words[0]);
    if (pEntry == nullptr) {
        out::error(p_strWhere, "unknown command '" + p_stStatement.words[0] + "' ('help' lists them)");
        return false;
    }
    const Args vecArgs(p_stStatement.words.begin() + 1, p_stStatement.words.end());
    const int nArgs = static_cast<int>(vecArgs.size());
    if (nArgs < pEntry->minArgs || (pEntry->maxArgs >= 0 && nArgs > pEntry->maxArgs)) {
        out::error(p_strWhere, std::string("usage: ") + pEntry->name +
                                   (pEntry->arguments[0] != '\0' ? std::string(" ") + pEntry->arguments : ""));
        return false;
    }
    EffectWatch objWatch(p_objSession.root, p_objSession.isp, p_objSession.video);
    bool bOk = false;
    try {
        bOk = pEntry->run(p_objSession, vecArgs);
    } catch (const InputError& e) {
        out::error(p_strWhere, e.what());
        bOk = false;
    }
    objWatch.report(p_objSession.trace);
    return bOk;
}

int runText(Session& p_objSession, const std::string& p_strText, const std::string& p_strSource) {
    std::vector<Statement> vecStatements;
    std::string strError;
    if (!splitStatements(p_strText, vecStatements, strError)) {
        out::error(p_strSource.empty() ? "-c" : p_strSource, strError);
        return 1;
    }
    int nFailed = 0;
    for (size_t i = 0; i < vecStatements.size() && !p_objSession.quit; ++i) {
        if (stopRequested()) {
            out::error(p_strSource.empty() ? "-c" : p_strSource, "interrupted; the remaining commands did not run");
            p_objSession.quit = true;
            return nFailed + 1;
        }
        const Statement& stStatement = vecStatements[i];
        const std::string strWhere = p_strSource.empty()
                                         ? "command " + std::to_string(i + 1) + " (" + stStatement.text + ")"
                                         : p_strSource + ":" + std::to_string(stStatement.line);
        if (!runStatement(p_objSession, stStatement, strWhere, true)) ++nFailed;
    }
    return nFailed;
}

void runPrompt(Session& p_objSession) {
    out::line("type 'help' for the commands, 'quit' to end");
    std::string strLine;
    while (!p_objSession.quit && !stopRequested()) {
        out::raw("sensor-sim " + p_objSession.tag() + "> ");
        if (!std::getline(std::cin, strLine)) {
            out::raw("\n");
            break;
        }
        std::vector<Statement> vecStatements;
        std::string strError;
        if (!splitStatements(strLine, vecStatements, strError)) {
            out::error("", strError);
            continue;
        }
        for (const Statement& stStatement : vecStatements) {
            if (p_objSession.quit || stopRequested()) break;
            runStatement(p_objSession, stStatement, "", false);
        }
    }
}

}  // namespace sensorsim
