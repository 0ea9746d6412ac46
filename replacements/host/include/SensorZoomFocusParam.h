// Host framework replacement: the zoom/focus parameters, of which the
// controller uses the lock flag.
#ifndef ZTHOST_SENSOR_ZOOM_FOCUS_PARAM_H
#define ZTHOST_SENSOR_ZOOM_FOCUS_PARAM_H

class SensorZoomFocusParam {
public:
    SensorZoomFocusParam();
    ~SensorZoomFocusParam();
    SensorZoomFocusParam(const SensorZoomFocusParam&) = default;
    SensorZoomFocusParam& operator=(const SensorZoomFocusParam&) = default;

    bool getLockZoomFocusEnable() const;
    void setLockZoomFocusEnable(bool p_bLock);

private:
    bool m_bLockZoomFocus;
};

#endif
