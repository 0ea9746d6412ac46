// The recording video-stream module of tests and the simulator.
#include "SimulatedVideoModule.h"

SimulatedVideoModule::SimulatedVideoModule()
    : m_nLimitModeId(0), m_nLimitWdr(0), m_nNotifyResult(0), m_nBusyAnswers(0), m_nBusyQuestions(0) {}

SimulatedVideoModule::~SimulatedVideoModule() {}

int SimulatedVideoModule::listStreamParams(std::vector<AVStreamParam>& p_vecStreams) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    p_vecStreams = m_vecStreams;
    return 0;
}

int SimulatedVideoModule::notifySensorParam(int p_nChannel, int p_nKey, int p_nValue) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    Notification stNotification;
    stNotification.channel = p_nChannel;
    stNotification.key = p_nKey;
    stNotification.value = p_nValue;
    m_vecNotifications.push_back(stNotification);
    return m_nNotifyResult;
}

int SimulatedVideoModule::getLimitedFramesWDRModeParam(int /*p_nChannel*/,
                                                       LimitedFramesWDRModeParam& p_objParam) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    p_objParam.setLimitFramesModeId(m_nLimitModeId);
    p_objParam.setLimitWdr(m_nLimitWdr);
    return 0;
}

int SimulatedVideoModule::isVideoBusy() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    ++m_nBusyQuestions;
    if (m_nBusyAnswers < 0) return 1;
    if (m_nBusyAnswers == 0) return 0;
    --m_nBusyAnswers;
    return 1;
}

void SimulatedVideoModule::setStreams(const std::vector<AVStreamParam>& p_vecStreams) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_vecStreams = p_vecStreams;
}

void SimulatedVideoModule::setLimitedFrames(int p_nModeId, int p_nLimitWdr) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nLimitModeId = p_nModeId;
    m_nLimitWdr = p_nLimitWdr;
}

void SimulatedVideoModule::setNotifyResult(int p_nStatus) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nNotifyResult = p_nStatus;
}

void SimulatedVideoModule::setBusyAnswers(int p_nCount) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nBusyAnswers = p_nCount;
}

std::vector<SimulatedVideoModule::Notification> SimulatedVideoModule::notifications() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_vecNotifications;
}

void SimulatedVideoModule::clearNotifications() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_vecNotifications.clear();
}

int SimulatedVideoModule::busyQuestions() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nBusyQuestions;
}
