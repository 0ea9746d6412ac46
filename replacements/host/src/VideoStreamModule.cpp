// The video-stream module's records and interface.
#include "VideoStreamModule.h"

AVStreamParam::AVStreamParam() : m_nEncoderType(0), m_nHeight(0) {}

AVStreamParam::AVStreamParam(int p_nEncoderType, int p_nHeight)
    : m_nEncoderType(p_nEncoderType), m_nHeight(p_nHeight) {}

int AVStreamParam::getVideoEncoderType() const { return m_nEncoderType; }

int AVStreamParam::getVideoHeight() const { return m_nHeight; }

LimitedFramesWDRModeParam::LimitedFramesWDRModeParam() : m_nModeId(0), m_nLimitWdr(0) {}

LimitedFramesWDRModeParam::~LimitedFramesWDRModeParam() {}

int LimitedFramesWDRModeParam::getLimitFramesModeId() const { return m_nModeId; }

int LimitedFramesWDRModeParam::getLimitWdr() const { return m_nLimitWdr; }

void LimitedFramesWDRModeParam::setLimitFramesModeId(int p_nId) { m_nModeId = p_nId; }

void LimitedFramesWDRModeParam::setLimitWdr(int p_nLimit) { m_nLimitWdr = p_nLimit; }

VideoStreamModule::~VideoStreamModule() {}
