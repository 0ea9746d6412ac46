// The controllers of ControllerFixture with the scheme, thermal and
// version file paths of a channel, and controllers laid out without init.
#ifndef SENSORDLL_TESTS_SCHEME_CONTROLLER_FIXTURE_H
#define SENSORDLL_TESTS_SCHEME_CONTROLLER_FIXTURE_H

#include <sys/stat.h>
#include <utime.h>

#include <string>
#include <vector>

#include "../params/ControllerFixture.h"
#include "platform/CameraPaths.h"

class SchemeControllerFixture : public ControllerFixture {
protected:
    // A scheme's schedule window: start hour and minute, end hour and minute.
    static constexpr u32 kWindowKeys[4] = {KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN, KEY_SCHEME_END_HOUR,
                                           KEY_SCHEME_END_MIN};
    static std::string thermalPath(int p_nScheme) { return schemefiles::schemeFile(true, 2, p_nScheme); }
    static const char* versionPath() { return camerapath::VERSION_FILE; }

    std::vector<KeyVal> readScheme(const std::string& p_strPath) const { return records(readFile(p_strPath)); }
    void writeScheme(const std::string& p_strPath, const std::vector<KeyVal>& p_vecRecords) const {
        writeFile(p_strPath, image(p_vecRecords));
    }
    void writeVersion(u32 p_nVersion) const { writeFile(versionPath(), image({{p_nVersion, 0}}).substr(0, 4)); }

    // Setting the modification time far in the past shows rewrites.
    long long mtime(const std::string& p_strPath) const {
        struct stat st;
        return stat(hostPath(p_strPath).c_str(), &st) == 0 ? static_cast<long long>(st.st_mtime) : -1;
    }
    void age(const std::string& p_strPath) const {
        const struct utimbuf stTimes = {1000, 1000};
        utime(hostPath(p_strPath).c_str(), &stTimes);
    }
};

// Controllers laid out without init, in no scheme until a first switch:
// user schemes holding the same records, windows all empty (00:00 to 00:00).
class SchemeLayoutFixture : public SchemeControllerFixture {
protected:
    ISensorController& layOut(size_t p_nIndex = 0) {
        static const std::vector<KeyVal> s_vecRecords = {
            {KEY_SCHEME_MODE, 0},    {KEY_SCHEME_START_HOUR, 0}, {KEY_SCHEME_START_MIN, 0}, {KEY_SCHEME_END_HOUR, 0},
            {KEY_SCHEME_END_MIN, 0}, {KEY_BRIGHTNESS, 50},       {KEY_SATURATION, 50},      {KEY_CONTRAST, 50},
            {KEY_DN_MODE, 0},        {KEY_IR_SWITCH, 0},         {KEY_WHITE_SWITCH, 0},     {KEY_WHITE_MODE, 0},
            {KEY_LIGHT_TYPE, 0},     {KEY_AUTO_FOCUS_MODE, 0},   {KEY_EXPOSE_MODE, 0}};
        return ControllerFixture::layOut(s_vecRecords, 4, -1, p_nIndex);
    }
    // Current after a first (complete) switch whose ISP calls are forgotten.
    void startIn(int p_nScheme) {
        controller().switch_to(p_nScheme, false);
        ispsim::clearCalls();
    }
    void setWindow(int p_nScheme, u32 p_nStartHour, u32 p_nStartMin, u32 p_nEndHour, u32 p_nEndMin) {
        const u32 anValues[] = {p_nStartHour, p_nStartMin, p_nEndHour, p_nEndMin};
        for (int i = 0; i < 4; ++i) store(kWindowKeys[i], static_cast<int>(anValues[i]), p_nScheme);
    }
};

#endif
