// The reporting forms used at every check of the library.
//
// Each form refreshes the settings from the control file, compares the
// verbosity with its threshold, and only then formats its message, so a
// suppressed trace costs the control-file check and nothing more.
//   SENSOR_ASSERT(cond, fmt, ...)            reports when cond is false
//   SENSOR_ASSERT_EXPR(ok, "text", fmt, ...)  the same, quoting "text"
//   SENSOR_LOG / SENSOR_WARN / SENSOR_ERR / SENSOR_DBG / SENSOR_INFO (fmt, ...)
//   SENSOR_DBG_COLOUR(attr, colour, fmt, ...)
//   SENSOR_PRINT(attr, colour, fmt, ...)     plain coloured text, no header
// A failed assertion continues at the code after the check unless
// g_bEnAssert is set, in which case the process aborts.
#ifndef SENSORDLL_DIAG_SENSOR_REPORT_H
#define SENSORDLL_DIAG_SENSOR_REPORT_H

#include "SensorDebug.h"

#define SENSOR_PRINTF_LIKE(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))

enum class SensorReportForm { Log, Warn, Err, Dbg, Info };

// The part of a path after its last '/'.
const char* sensorBaseName(const char* p_szPath);

void sensorReport(SensorReportForm p_eForm, int p_nAttr, int p_nColour, const char* p_szFile, const char* p_szFunction,
                  int p_nLine, const char* p_szFormat, ...) SENSOR_PRINTF_LIKE(7, 8);

void sensorAssertFailed(const char* p_szFile, const char* p_szFunction, const char* p_szSignature, int p_nLine,
                        const char* p_szExpression, const char* p_szFormat, ...) SENSOR_PRINTF_LIKE(6, 7);

void sensorPrint(int p_nAttr, int p_nColour, const char* p_szFormat, ...) SENSOR_PRINTF_LIKE(3, 4);

// The verbosity as the last report left it; for callers that must decide
// before building a costly message. Only the reports read the control file.
int sensorDebugLevel();

#define SENSOR_ASSERT_EXPR(ok, expression, ...)                                                               \
    do {                                                                                                      \
        if (!(ok))                                                                                            \
            sensorAssertFailed(sensorBaseName(__FILE__), __func__, __PRETTY_FUNCTION__, __LINE__, expression, \
                               __VA_ARGS__);                                                                  \
    } while (0)
#define SENSOR_ASSERT(cond, ...) SENSOR_ASSERT_EXPR(cond, #cond, __VA_ARGS__)

#define SENSOR_REPORT_FORM(form, attr, colour, ...) \
    sensorReport(SensorReportForm::form, attr, colour, sensorBaseName(__FILE__), __func__, __LINE__, __VA_ARGS__)
#define SENSOR_LOG(...) SENSOR_REPORT_FORM(Log, 0, 0, __VA_ARGS__)
#define SENSOR_WARN(...) SENSOR_REPORT_FORM(Warn, 0, 0, __VA_ARGS__)
#define SENSOR_ERR(...) SENSOR_REPORT_FORM(Err, 0, 0, __VA_ARGS__)
#define SENSOR_DBG(...) SENSOR_REPORT_FORM(Dbg, 0, 0, __VA_ARGS__)
#define SENSOR_DBG_COLOUR(attr, colour, ...) SENSOR_REPORT_FORM(Dbg, attr, colour, __VA_ARGS__)
#define SENSOR_INFO(...) SENSOR_REPORT_FORM(Info, 0, 35, __VA_ARGS__)
#define SENSOR_PRINT(attr, colour, ...) sensorPrint(attr, colour, __VA_ARGS__)

// A report made inside a helper, a functor or a lambda is given to the
// exported function that the helper works for, the one a field engineer
// looks up: the helper names it with one of these (a constant, or
// SENSOR_THIS_CALLER passed down from that function) and uses the _FOR forms.
struct SensorReportCaller {
    const char* szFunction;   // short name, for the header line
    const char* szSignature;  // full signature, for an aborting assertion
};
#define SENSOR_ASSERT_EXPR_FOR(caller, ok, expression, ...)                                                   \
    do {                                                                                                      \
        if (!(ok))                                                                                            \
            sensorAssertFailed(sensorBaseName(__FILE__), (caller).szFunction, (caller).szSignature, __LINE__, \
                               expression, __VA_ARGS__);                                                      \
    } while (0)
#define SENSOR_THIS_CALLER (SensorReportCaller{__func__, __PRETTY_FUNCTION__})
#define SENSOR_REPORT_FORM_FOR(caller, form, attr, colour, ...)                                                 \
    sensorReport(SensorReportForm::form, attr, colour, sensorBaseName(__FILE__), (caller).szFunction, __LINE__, \
                 __VA_ARGS__)
#define SENSOR_WARN_FOR(caller, ...) SENSOR_REPORT_FORM_FOR(caller, Warn, 0, 0, __VA_ARGS__)
#define SENSOR_ERR_FOR(caller, ...) SENSOR_REPORT_FORM_FOR(caller, Err, 0, 0, __VA_ARGS__)
#define SENSOR_DBG_FOR(caller, ...) SENSOR_REPORT_FORM_FOR(caller, Dbg, 0, 0, __VA_ARGS__)

#endif
