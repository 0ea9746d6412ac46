// The zoom/focus parameters: the lock flag that holds lens commands back.
#include "SensorZoomFocusParam.h"

SensorZoomFocusParam::SensorZoomFocusParam() : m_bLockZoomFocus(false) {}

SensorZoomFocusParam::~SensorZoomFocusParam() {}

bool SensorZoomFocusParam::getLockZoomFocusEnable() const { return m_bLockZoomFocus; }

void SensorZoomFocusParam::setLockZoomFocusEnable(bool p_bLock) { m_bLockZoomFocus = p_bLock; }
