// The style merge with the base style, the diversity document and the
// module's detail text all taken from the input: three parts separated by NUL
// bytes, in that order.
//
// Properties: mergeStyle answers SNS_SUCCESS and leaves a NUL-terminated text
// that is exactly the merged style file it wrote.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "FuzzInputs.h"
#include "FuzzSupport.h"
#include "SensorFile.h"
#include "platform/CameraPaths.h"

namespace {

std::string mergedStyleOfChannel1() {
    char szName[64];
    snprintf(szName, sizeof(szName), camerapath::MERGED_STYLE_FILE, 1);
    return szName;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::prepareDevice("");
    // The highest level, so that every trace formats its fuzzed texts too.
    fuzzsupport::setDebugLevel(7);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::vector<std::string> vecParts = fuzzinputs::splitParts(p_pData, p_nSize, 3);

    ModuleConfig stModule;
    memset(&stModule, 0, sizeof(stModule));
    strncpy(stModule.szDetail, vecParts[2].c_str(), sizeof(stModule.szDetail) - 1);

    char* szStyle = static_cast<char*>(malloc(vecParts[0].size() + 1));
    memcpy(szStyle, vecParts[0].c_str(), vecParts[0].size() + 1);
    std::vector<char> vecDiversity(vecParts[1].begin(), vecParts[1].end());
    vecDiversity.push_back('\0');

    fuzzsupport::removeFile(mergedStyleOfChannel1());
    FUZZ_CHECK(mergeStyle(1, &stModule, &szStyle, vecDiversity.data()) == SNS_SUCCESS);
    FUZZ_CHECK(szStyle != nullptr);
    FUZZ_CHECK(fuzzsupport::readFile(mergedStyleOfChannel1()) == szStyle);
    free(szStyle);
    return 0;
}
