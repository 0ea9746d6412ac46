// A video-stream module for tests and the simulator: answers stream lists and
// limited-frames parameters from its settings and records every notification.
// Safe to use from several threads.
#ifndef ZTHOST_SIMULATED_VIDEO_MODULE_H
#define ZTHOST_SIMULATED_VIDEO_MODULE_H

#include <mutex>
#include <vector>

#include "VideoStreamModule.h"

class SimulatedVideoModule : public VideoStreamModule {
public:
    struct Notification {
        int channel;
        int key;
        int value;
    };

    SimulatedVideoModule();
    ~SimulatedVideoModule() override;

    int listStreamParams(std::vector<AVStreamParam>& p_vecStreams) const override;
    int notifySensorParam(int p_nChannel, int p_nKey, int p_nValue) const override;
    int getLimitedFramesWDRModeParam(int p_nChannel, LimitedFramesWDRModeParam& p_objParam) const override;
    int isVideoBusy() const override;

    void setStreams(const std::vector<AVStreamParam>& p_vecStreams);
    void setLimitedFrames(int p_nModeId, int p_nLimitWdr);
    // Status every later notification answers (0 accepts).
    void setNotifyResult(int p_nStatus);
    // The next p_nCount isVideoBusy questions answer 1; a negative count: always busy.
    void setBusyAnswers(int p_nCount);

    std::vector<Notification> notifications() const;
    void clearNotifications();
    int busyQuestions() const;

private:
    mutable std::mutex m_mutex;
    std::vector<AVStreamParam> m_vecStreams;
    int m_nLimitModeId;
    int m_nLimitWdr;
    int m_nNotifyResult;
    mutable int m_nBusyAnswers;
    mutable int m_nBusyQuestions;
    mutable std::vector<Notification> m_vecNotifications;
};

#endif
