// The ISP commands that exchange a record rather than one 32-bit word with
// options set and get, and the room a word exchange gives the ISP.
//
// A key that reaches the ISP without a handler of its own (an uncached read,
// a key without a map row) is sent as its own command with one word. The ISP
// writes a record command's whole record, so such a key must never be a
// record command, and the word travels in a buffer as large as any record.
#ifndef SENSORDLL_PLATFORM_ISP_RECORDS_H
#define SENSORDLL_PLATFORM_ISP_RECORDS_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "ia_ioctrl.h"
#include "platform/IspCommands.h"

// Bytes of the lens version text the ISP writes.
const size_t IA_LENS_VERSION_BYTES = 50;

struct IspRecordCommand {
    uint32_t cmd;
    uint32_t bytes;  // 0: the layout belongs to the host, its size is not known here
};

// Every record command, once.
extern const IspRecordCommand ISP_RECORD_COMMANDS[];
extern const size_t ISP_RECORD_COMMAND_SUM;

// The record command's entry, or null for a command that exchanges one word.
const IspRecordCommand* findIspRecordCommand(uint32_t p_nCmd);

// The ISP's list of the commands whose ranges depend on the sensor fitted,
// bounded to what its record holds.
struct IspDynamicCommands {
    int count;  // 0 to IA_DYNAMIC_PARAMS_CMDS_MAX
    int cmds[IA_DYNAMIC_PARAMS_CMDS_MAX];
    int reportedCount;  // the count as the ISP answered it
};
// Reads the list of a channel (counted from 0) and answers the ISP's status.
// A count below 0 reads as none and one above the record's room as the 16 it
// holds; after a failed read the list is empty. Callers report the status.
int readDynamicCommands(int p_nChannel, IspDynamicCommands& p_stList);

// The largest record of the ISP interface: the range record.
const size_t ISP_LARGEST_RECORD_BYTES = sizeof(ia_dynamic_params_attr_st);

// One word sent to the ISP in a zeroed buffer of the largest record's size,
// so that a command that turns out to exchange a record cannot write past
// the caller's word.
class IspWordExchange {
public:
    explicit IspWordExchange(int32_t p_nWord) {
        memset(m_anWords, 0, sizeof(m_anWords));
        m_anWords[0] = p_nWord;
    }
    void* data() { return m_anWords; }
    int32_t word() const { return m_anWords[0]; }

private:
    int32_t m_anWords[ISP_LARGEST_RECORD_BYTES / sizeof(int32_t)];
};

#endif
