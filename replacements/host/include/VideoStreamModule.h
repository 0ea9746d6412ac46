// Host framework replacement: the video-stream module's interface and records.
#ifndef ZTHOST_VIDEO_STREAM_MODULE_H
#define ZTHOST_VIDEO_STREAM_MODULE_H

#include <vector>

class AVStreamParam {
public:
    AVStreamParam();
    AVStreamParam(int p_nEncoderType, int p_nHeight);
    int getVideoEncoderType() const;
    int getVideoHeight() const;

private:
    int m_nEncoderType;
    int m_nHeight;
};

class LimitedFramesWDRModeParam {
public:
    LimitedFramesWDRModeParam();
    ~LimitedFramesWDRModeParam();
    int getLimitFramesModeId() const;
    int getLimitWdr() const;
    void setLimitFramesModeId(int p_nId);
    void setLimitWdr(int p_nLimit);

private:
    int m_nModeId;
    int m_nLimitWdr;
};

class VideoStreamModule {
public:
    virtual ~VideoStreamModule();
    virtual int listStreamParams(std::vector<AVStreamParam>& p_vecStreams) const = 0;
    // 0 on success.
    virtual int notifySensorParam(int p_nChannel, int p_nKey, int p_nValue) const = 0;
    virtual int getLimitedFramesWDRModeParam(int p_nChannel, LimitedFramesWDRModeParam& p_objParam) const = 0;
    // Non-zero while a style request has to wait.
    virtual int isVideoBusy() const = 0;
};

#endif
