// The command loop.
#include "CommandRunner.h"

#include <signal.h>
#include <editline/readline.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "Commands.h"
#include "Output.h"
#include "Trace.h"
#include "Values.h"

namespace sensorsim {

namespace {

volatile sig_atomic_t s_nInterrupt = 0;
volatile sig_atomic_t s_nTerminate = 0;

void onStopSignal(int p_nSignal) {
    if (p_nSignal == SIGINT)
        s_nInterrupt = 1;
    else
        s_nTerminate = 1;
}

int channelNumber(const Session& p_objSession) {
    return p_objSession.channels.empty() ? 0 : p_objSession.channels[p_objSession.current].number;
}

// An error that belongs to no command (a line that does not split, an
// interrupted script): on standard error, or in JSON mode an answer of its own.
void lineError(const Session& p_objSession, const std::string& p_strWhere, const std::string& p_strMessage) {
    out::beginAnswer("", {}, channelNumber(p_objSession));
    out::error(p_strWhere, p_strMessage);
    out::endAnswer(2);
}

std::mutex s_objSessionMutex;
std::atomic<unsigned long> s_nRevision(0);

}  // namespace

std::mutex& sessionMutex() { return s_objSessionMutex; }

unsigned long sessionRevision() { return s_nRevision.load(); }

void bumpSessionRevision() { ++s_nRevision; }

void installStopSignals() {
    struct sigaction stAction = {};
    stAction.sa_handler = &onStopSignal;
    sigemptyset(&stAction.sa_mask);
    // No SA_RESTART: a read at the prompt returns, and the loop looks at the
    // flags.
    stAction.sa_flags = 0;
    for (int nSignal : {SIGINT, SIGTERM, SIGHUP}) sigaction(nSignal, &stAction, nullptr);
}

bool stopRequested() { return s_nInterrupt != 0 || s_nTerminate != 0; }

bool terminateRequested() { return s_nTerminate != 0; }

bool runStatement(Session& p_objSession, const Statement& p_stStatement, const std::string& p_strWhere, bool p_bEcho) {
    std::lock_guard<std::mutex> objGuard(sessionMutex());
    if (p_bEcho) out::command(p_stStatement.text);
    const Args vecArgs(p_stStatement.words.begin() + 1, p_stStatement.words.end());
    out::beginAnswer(p_stStatement.words[0], vecArgs, channelNumber(p_objSession));
    const CommandEntry* pEntry = findCommand(p_stStatement.words[0]);
    if (pEntry == nullptr) {
        out::error(p_strWhere, "unknown command '" + p_stStatement.words[0] + "' ('help' lists them)");
        out::endAnswer(2);
        return false;
    }
    const int nArgs = static_cast<int>(vecArgs.size());
    if (nArgs < pEntry->minArgs || (pEntry->maxArgs >= 0 && nArgs > pEntry->maxArgs)) {
        out::error(p_strWhere, std::string("usage: ") + pEntry->name +
                                   (pEntry->arguments[0] != '\0' ? std::string(" ") + pEntry->arguments : ""));
        out::endAnswer(2);
        return false;
    }
    EffectWatch objWatch(p_objSession.root, p_objSession.isp, p_objSession.video);
    int nStatus = 0;
    try {
        nStatus = pEntry->run(p_objSession, vecArgs) ? 0 : 1;
    } catch (const InputError& e) {
        out::error(p_strWhere, e.what());
        nStatus = 2;
    }
    objWatch.report(p_objSession.trace);
    bumpSessionRevision();
    out::endAnswer(nStatus);
    return nStatus == 0;
}

int runText(Session& p_objSession, const std::string& p_strText, const std::string& p_strSource) {
    std::vector<Statement> vecStatements;
    std::string strError;
    if (!splitStatements(p_strText, vecStatements, strError)) {
        lineError(p_objSession, p_strSource.empty() ? "-c" : p_strSource, strError);
        return 1;
    }
    int nFailed = 0;
    for (size_t i = 0; i < vecStatements.size() && !p_objSession.quit; ++i) {
        if (stopRequested()) {
            lineError(p_objSession, p_strSource.empty() ? "-c" : p_strSource,
                      "interrupted; the remaining commands did not run");
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
    if (!out::json()) out::line("type 'help' for the commands, 'quit' to end; Ctrl-C clears the line, Ctrl-D ends");
    // Our own SIGINT handler ends a read, and readline then answers null; the
    // flags tell Ctrl-C from the end of input.
    rl_catch_signals = 0;
    rl_instream = stdin;
    rl_outstream = out::stream();
    std::string strLast;
    while (!p_objSession.quit && !terminateRequested()) {
        s_nInterrupt = 0;
        const std::string strPrompt = "sensor-sim " + p_objSession.tag() + "> ";
        char* szLine = readline(strPrompt.c_str());
        if (szLine == nullptr) {
            std::fputs("\n", out::stream());
            std::fflush(out::stream());
            if (s_nInterrupt != 0 && !terminateRequested()) continue;  // Ctrl-C: a fresh prompt
            break;                                                     // Ctrl-D or SIGTERM
        }
        const std::string strLine = szLine;
        std::free(szLine);
        if (strLine.find_first_not_of(" \t") != std::string::npos && strLine != strLast) {
            add_history(strLine.c_str());
            strLast = strLine;
        }
        std::vector<Statement> vecStatements;
        std::string strError;
        if (!splitStatements(strLine, vecStatements, strError)) {
            lineError(p_objSession, "", strError);
            continue;
        }
        for (size_t i = 0; i < vecStatements.size() && !p_objSession.quit; ++i) {
            if (stopRequested()) {
                lineError(p_objSession, "", "interrupted; the rest of the line did not run");
                break;
            }
            runStatement(p_objSession, vecStatements[i], "", false);
        }
    }
}

}  // namespace sensorsim
