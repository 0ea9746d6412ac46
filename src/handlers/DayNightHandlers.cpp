// Day/night thresholds and times. The ISP takes each group as one record,
// while every field is stored as a key of its own: the handler of any field
// sends the whole record, the new value in its field and the current scheme's
// stored values in the others.
#include "ISensorController.h"

#include "diag/SensorReport.h"
#include "handlers/HandlerValue.h"

namespace {

struct dn_thr_st {
    u32 d2n_thr;
    u32 n2d_thr;
    u32 dn_sensitivity;
};

struct dn_time_st {
    u32 d2n_hour;
    u32 d2n_min;
    u32 n2d_hour;
    u32 n2d_min;
};

struct RecordField {
    u32 key;
    u32* field;
};

// Fills each field in order: the handled key's from the given value, the
// others from the current scheme. A companion the scheme lacks is sent as 0.
void fillDayNightRecord(ISensorController& p_objController, int p_nCurScheme, u32 p_nKey, u32 p_nVal,
                        const RecordField* p_pFields, size_t p_nFieldSum) {
    for (size_t i = 0; i < p_nFieldSum; ++i) {
        *p_pFields[i].field = 0;
        if (p_pFields[i].key == p_nKey)
            *p_pFields[i].field = p_nVal;
        else
            p_objController.getKeyValFromCache(static_cast<u32>(p_nCurScheme), p_pFields[i].key, *p_pFields[i].field);
    }
}

}  // namespace

// While the stored values are being restored a refused threshold record does
// not stop the restore.
int ISensorController::doDNThr(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    SENSOR_REFUSE_MISSING_VALUE(p_pVal);
    dn_thr_st stRecord;
    const RecordField arrFields[] = {
        {KEY_DTN_THR, &stRecord.d2n_thr},
        {KEY_NTD_THR, &stRecord.n2d_thr},
        {KEY_DN_SENSITIVITY, &stRecord.dn_sensitivity},
    };
    fillDayNightRecord(*this, m_nCurScheme, p_nKey, static_cast<u32>(handlerValue(p_pVal)), arrFields,
                       sizeof(arrFields) / sizeof(arrFields[0]));
    SENSOR_PRINT(0, 0, "m_nCurScheme(%u) dn_thr_st.d2n_thr(%u) dn_thr_st.n2d_thr(%u)  dn_thr_st.dn_sensitivity(%u)\n",
                 static_cast<unsigned>(m_nCurScheme), stRecord.d2n_thr, stRecord.n2d_thr, stRecord.dn_sensitivity);
    const int nRet = doIaCmd(p_nKey, p_nDir, &stRecord);
    if ((m_nStateFlags & SENSOR_STATE_RETURNING) != 0) return SNS_SUCCESS;
    return nRet;
}

int ISensorController::doDNTime(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    SENSOR_REFUSE_MISSING_VALUE(p_pVal);
    dn_time_st stRecord;
    const RecordField arrFields[] = {
        {KEY_DTN_H, &stRecord.d2n_hour},
        {KEY_DTN_M, &stRecord.d2n_min},
        {KEY_NTD_H, &stRecord.n2d_hour},
        {KEY_NTD_M, &stRecord.n2d_min},
    };
    fillDayNightRecord(*this, m_nCurScheme, p_nKey, static_cast<u32>(handlerValue(p_pVal)), arrFields,
                       sizeof(arrFields) / sizeof(arrFields[0]));
    SENSOR_PRINT(0, 0,
                 "m_nCurScheme(%u) dn_time_st.d2n_hour(%u) dn_time_st.d2n_min(%u) dn_time_st.n2d_hour(%u) "
                 "dn_time_st.n2d_min(%u) \n",
                 static_cast<unsigned>(m_nCurScheme), stRecord.d2n_hour, stRecord.d2n_min, stRecord.n2d_hour,
                 stRecord.n2d_min);
    return doIaCmd(p_nKey, p_nDir, &stRecord);
}
