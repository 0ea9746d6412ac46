// Console and error-log output of the reporting forms.
//
// Console output is one fprintf per piece (colour, header, message, reset) on
// standard output. The graver forms also append to the error log through a
// logger made for the one report. Log texts are formatted into a 500-byte
// buffer and cut at its size.
#include "SensorReport.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "ZTLogger.h"
#include "platform/CameraPaths.h"

// The system library's assertion failure: prints its own line and aborts.
// <assert.h> declares it only without NDEBUG, and release builds define
// NDEBUG, so it is declared here as the C library defines it.
extern "C" void __assert_fail(const char*, const char*, unsigned int, const char*) noexcept
    __attribute__((__noreturn__));

namespace {

const int LOG_ROTATE_BYTES = 10240;
const int LOG_FILES = 3;
const size_t LOG_BUFFER_SIZE = 500;
const char* const ASSERT_TAG = "[sensor assert]";

struct FormRule {
    const char* tag;
    int threshold;  // prints when the level is above this
    bool logged;
};

FormRule ruleOf(SensorReportForm p_eForm) {
    switch (p_eForm) {
        case SensorReportForm::Log:
            return {ASSERT_TAG, -1, true};
        case SensorReportForm::Warn:
            return {"[sensor warn]", 3, true};
        case SensorReportForm::Err:
            return {"[sensor err]", 5, false};
        case SensorReportForm::Dbg:
            return {"[sensor dbg]", 5, false};
        case SensorReportForm::Info:
            return {"[sensor info]", 6, false};
    }
    return {"", 0, false};
}

void consoleHeader(int p_nAttr, int p_nColour, const char* p_szTag, const char* p_szFile, const char* p_szFunction,
                   int p_nLine) {
    fprintf(stdout, "\033[%dm\033[%dm", p_nAttr, p_nColour);
    fprintf(stdout, "%s file:%s fun:%s line:%d\n", p_szTag, p_szFile, p_szFunction, p_nLine);
}

void consoleEnd() { fprintf(stdout, "\033[0m"); }

void formatInto(char (&p_szBuffer)[LOG_BUFFER_SIZE], const char* p_szFormat, va_list p_args) {
    // vsnprintf cuts at the buffer's size and always terminates.
    vsnprintf(p_szBuffer, sizeof(p_szBuffer), p_szFormat, p_args);
}

void logLocation(ZTLogger& p_objLogger, const char* p_szTag, const char* p_szFile, const char* p_szFunction,
                 int p_nLine) {
    char szBuffer[LOG_BUFFER_SIZE];
    snprintf(szBuffer, sizeof(szBuffer), "file:%s fun:%s line:%d\n", p_szFile, p_szFunction, p_nLine);
    p_objLogger.writeLog(p_szTag, szBuffer);
}

}  // namespace

const char* sensorBaseName(const char* p_szPath) {
    const char* szSlash = strrchr(p_szPath, '/');
    return szSlash != nullptr ? szSlash + 1 : p_szPath;
}

int sensorDebugLevel() { return g_nDebugLevel; }

void sensorReport(SensorReportForm p_eForm, int p_nAttr, int p_nColour, const char* p_szFile, const char* p_szFunction,
                  int p_nLine, const char* p_szFormat, ...) {
    const FormRule rule = ruleOf(p_eForm);
    updateDebugLevel();
    if (!(g_nDebugLevel > rule.threshold)) return;

    va_list args;
    va_start(args, p_szFormat);
    va_list logArgs;
    va_copy(logArgs, args);

    consoleHeader(p_nAttr, p_nColour, rule.tag, p_szFile, p_szFunction, p_nLine);
    vfprintf(stdout, p_szFormat, args);
    consoleEnd();

    if (rule.logged) {
        ZTLogger logger;
        logger.init(camerapath::ERROR_LOG_FILE, LOG_ROTATE_BYTES, LOG_FILES);
        logLocation(logger, rule.tag, p_szFile, p_szFunction, p_nLine);
        char szBuffer[LOG_BUFFER_SIZE];
        formatInto(szBuffer, p_szFormat, logArgs);
        logger.writeLog(rule.tag, szBuffer);
    }
    va_end(logArgs);
    va_end(args);
}

void sensorAssertFailed(const char* p_szFile, const char* p_szFunction, const char* p_szSignature, int p_nLine,
                        const char* p_szExpression, const char* p_szFormat, ...) {
    updateDebugLevel();
    if (g_nDebugLevel >= 0) {
        fprintf(stdout, "\033[%dm\033[%dm", 0, 31);
        fprintf(stdout, "%s file:%s fun:%s line:%d\n", ASSERT_TAG, p_szFile, p_szFunction, p_nLine);
        fprintf(stdout, "%s   ~~~Assertion failed.\n", p_szExpression);
        consoleEnd();

        ZTLogger logger;
        logger.init(camerapath::ERROR_LOG_FILE, LOG_ROTATE_BYTES, LOG_FILES);
        logLocation(logger, ASSERT_TAG, p_szFile, p_szFunction, p_nLine);
        char szBuffer[LOG_BUFFER_SIZE];
        snprintf(szBuffer, sizeof(szBuffer), "%s   ~~~Assertion failed.\n", p_szExpression);
        logger.writeLog(ASSERT_TAG, szBuffer);
    }

    updateDebugLevel();
    if (g_nDebugLevel >= 0) {
        va_list args;
        va_start(args, p_szFormat);
        va_list logArgs;
        va_copy(logArgs, args);

        fprintf(stdout, "\033[%dm\033[%dm", 0, 31);
        vfprintf(stdout, p_szFormat, args);
        consoleEnd();

        ZTLogger logger;
        logger.init(camerapath::ERROR_LOG_FILE, LOG_ROTATE_BYTES, LOG_FILES);
        char szBuffer[LOG_BUFFER_SIZE];
        formatInto(szBuffer, p_szFormat, logArgs);
        logger.writeLog(ASSERT_TAG, szBuffer);

        va_end(logArgs);
        va_end(args);
    }

    if (g_bEnAssert) {
        fflush(stdout);
        __assert_fail("bRet", p_szFile, static_cast<unsigned int>(p_nLine), p_szSignature);
    }
}

void sensorPrint(int p_nAttr, int p_nColour, const char* p_szFormat, ...) {
    updateDebugLevel();
    if (!(g_nDebugLevel > 5)) return;
    va_list args;
    va_start(args, p_szFormat);
    fprintf(stdout, "\033[%dm\033[%dm", p_nAttr, p_nColour);
    vfprintf(stdout, p_szFormat, args);
    consoleEnd();
    va_end(args);
}
