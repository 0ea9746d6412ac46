// Uses an installed libsensordll through its umbrella header: a controller
// and the text codec, on a device root of its own.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "DeviceRoot.h"
#include "sensordll.h"

int main() {
    const char* szTmp = getenv("TMPDIR");
    std::string strTemplate = std::string(szTmp != nullptr && *szTmp ? szTmp : "/tmp") + "/sensordll-consumer-XXXXXX";
    if (mkdtemp(&strTemplate[0]) == nullptr) return 1;
    DeviceRoot::setRoot(strTemplate);

    int nStatus = 0;
    {
        ISensorController objController;
        objController.setChannelID(1);
        if (objController.getSensorStatus()) nStatus = 1;
    }

    KeyVal arrRecords[2] = {{34, 60}, {2337, 7}};
    std::string strText;
    keyval_st2str(strText, arrRecords, 2);
    KeyVal arrBack[2] = {};
    u32 nBack = 0;
    if (!keyval_str2st(strText, arrBack, &nBack, 2) || nBack != 2 || arrBack[1].key != 2337 || arrBack[1].value != 7)
        nStatus = 1;
    printf("consumer: %s %s\n", strText.c_str(), nStatus == 0 ? "ok" : "failed");

    DeviceRoot::setRoot("");
    rmdir(strTemplate.c_str());
    return nStatus;
}
