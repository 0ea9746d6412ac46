// Power cuts during every scheme-file and version-file write: the flush of a
// changed scheme, the version write of a restart and the first start that
// creates every file. Each run cuts the power at one operation of the write
// (and at each byte of a data write), keeps what a reboot may find of the
// unsynced data and directory entries in each of the fault layer's loss
// modes, and starts a controller again on it.
//
// What must hold: every scheme file and the version file hold their old or
// their new content, complete; the restart removes leftover temporary files,
// loads exactly those records and sends the processor nothing else; a write
// that returned loses nothing in any mode; nothing but the interrupted change
// is ever lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "RobustnessFixture.h"

namespace {

struct CutPoint {
    size_t nOperation;
    size_t nBytes;  // bytes of a cut write that reach the file
    bool bRestart;  // also start a controller on what it leaves
};

std::string describe(const CutPoint& p_stCut, const std::vector<faultfs::Event>& p_vecEvents) {
    static const char* const s_aszOps[] = {"open", "read", "write", "flush", "sync", "close", "rename", "unlink"};
    if (p_stCut.nOperation >= p_vecEvents.size()) return "after the last operation";
    const faultfs::Event& stEvent = p_vecEvents[p_stCut.nOperation];
    return std::string("at operation ") + std::to_string(p_stCut.nOperation) + " (" +
           s_aszOps[static_cast<int>(stEvent.eOp)] + " " + (stEvent.strName.empty() ? "<dir>" : stEvent.strName) +
           ") after " + std::to_string(p_stCut.nBytes) + " bytes";
}

// Every operation, every byte of every write when p_bEveryByte (else its
// first byte, its first whole record and all but its last byte), and the end.
// Restarts follow the operations, those bytes and the end.
std::vector<CutPoint> cutPoints(const std::vector<faultfs::Event>& p_vecEvents, bool p_bEveryByte) {
    std::vector<CutPoint> vecCuts;
    for (size_t i = 0; i < p_vecEvents.size(); ++i) {
        vecCuts.push_back({i, 0, true});
        if (p_vecEvents[i].eOp != faultfs::Op::Write) continue;
        const size_t nBytes = p_vecEvents[i].nBytes;
        const std::set<size_t> setSampled = {1, 8, nBytes - 1};
        for (size_t k = 1; k < nBytes; ++k) {
            const bool bSampled = setSampled.count(k) != 0;
            if (p_bEveryByte || bSampled) vecCuts.push_back({i, k, bSampled});
        }
    }
    vecCuts.push_back({p_vecEvents.size(), 0, true});
    return vecCuts;
}

}  // namespace

class PowerCutTest : public RobustnessFixture {
protected:
    void SetUp() override {
        RobustnessFixture::SetUp();
        // The sensor thread of a running controller sleeps between passes
        // instead of spinning beside thousands of runs.
        hostsim::setWaitScale(0.001);
    }

    // Each file of the image holds the old or the new content; the image
    // holds the same files as before, or those of the new state.
    void expectOldOrNew(const faultfs::Image& p_mapImage, const faultfs::Image& p_mapOld,
                        const faultfs::Image& p_mapNew, const std::string& p_strWhere) {
        for (const auto& stEntry : lasting(p_mapImage)) {
            const auto itOld = p_mapOld.find(stEntry.first);
            const auto itNew = p_mapNew.find(stEntry.first);
            const bool bOld = itOld != p_mapOld.end() && itOld->second == stEntry.second;
            const bool bNew = itNew != p_mapNew.end() && itNew->second == stEntry.second;
            EXPECT_TRUE(bOld || bNew) << stEntry.first << " is torn " << p_strWhere;
        }
        for (const auto& stEntry : p_mapOld) {
            if (isTemporary(stEntry.first)) continue;
            EXPECT_TRUE(p_mapImage.count(stEntry.first) != 0) << stEntry.first << " is lost " << p_strWhere;
        }
    }

    // Starts a controller of channel 1 on the image; what it loaded, what it
    // sent and what it left on disk.
    struct Restart {
        std::vector<std::string> vecSchemes;
        std::vector<int> vecBrightnessSent;
        faultfs::Image mapAfter;
    };
    Restart restartOn(const faultfs::Image& p_mapImage) {
        faultfs::writeDirectory(configDir(), p_mapImage);
        ispsim::clearCalls();
        ISensorController objController;
        objController.setChannelID(1);
        objController.setVideoStreamModule(&m_objVideo);
        EXPECT_TRUE(objController.init(moduleConfig()));
        ISensorControllerTestAccess objAccess(objController);
        Restart stRestart;
        for (u32 i = 0; i < 4; ++i) stRestart.vecSchemes.push_back(image(objAccess.scheme(i), objAccess.keyValSum()));
        stRestart.vecBrightnessSent = sentValues(KEY_BRIGHTNESS);
        stRestart.mapAfter = faultfs::readDirectory(configDir());
        objController.uinit();
        return stRestart;
    }

    // Restarts on images that differ only in what their temporary files hold
    // behave alike: start-up never reads them (the start-up fuzz target feeds
    // it leftovers of any content), so one restart stands for all of them.
    static faultfs::Image restartKey(const faultfs::Image& p_mapImage) {
        faultfs::Image mapKey = p_mapImage;
        for (auto& stEntry : mapKey)
            if (isTemporary(stEntry.first)) stEntry.second.clear();
        return mapKey;
    }

    static void expectNoTemporary(const faultfs::Image& p_mapImage, const std::string& p_strWhere) {
        for (const auto& stEntry : p_mapImage) EXPECT_FALSE(isTemporary(stEntry.first)) << stEntry.first << p_strWhere;
    }

    static int brightnessOf(const std::string& p_strImage) { return valueOf(p_strImage, KEY_BRIGHTNESS); }
};

TEST_F(PowerCutTest, FlushCutAtEveryStepAndByteLeavesTheOldOrTheNewScheme) {
    primeFiles();
    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));
    const faultfs::Image mapOld = faultfs::readDirectory(configDir());
    const int nOldBrightness = access(0).schemeValue(0, KEY_BRIGHTNESS);
    ASSERT_EQ(objController.setParameter(KEY_BRIGHTNESS, nOldBrightness + 7, true), SNS_SUCCESS);

    faultfs::arm(configDir());
    ASSERT_EQ(objController.flush(), SNS_SUCCESS);
    const std::vector<faultfs::Event> vecEvents = faultfs::events();
    const faultfs::Image mapNew = faultfs::readDirectory(configDir());
    faultfs::disarm();
    ASSERT_NE(mapNew.at(schemeName(0)), mapOld.at(schemeName(0)));
    ASSERT_EQ(brightnessOf(mapNew.at(schemeName(0))), nOldBrightness + 7);
    // The data goes out in more than one write, so cuts fall between them too.
    ASSERT_GE(std::count_if(vecEvents.begin(), vecEvents.end(),
                            [](const faultfs::Event& e) { return e.eOp == faultfs::Op::Write; }),
              2);

    std::vector<std::pair<faultfs::Image, std::string>> vecRestarts;
    std::set<faultfs::Image> setSeen;
    for (const CutPoint& stCut : cutPoints(vecEvents, true)) {
        faultfs::writeDirectory(configDir(), mapOld);
        faultfs::arm(configDir());
        if (stCut.nOperation < vecEvents.size()) faultfs::cutAt(stCut.nOperation, stCut.nBytes);
        const int nResult = objController.flush();
        const std::string strWhere = describe(stCut, vecEvents);
        for (faultfs::Loss eLoss : faultfs::kAllLosses) {
            const faultfs::Image mapImage = faultfs::rebootImage(eLoss);
            const std::string strCase = strWhere + " / " + faultfs::lossName(eLoss);
            expectOldOrNew(mapImage, mapOld, mapNew, strCase);
            for (const char* szUntouched : {"sensor1_1.cfg", "sensor1_2.cfg", "sensor1_3.cfg", "snsversion.cfg"})
                EXPECT_EQ(mapImage.at(szUntouched), mapOld.at(szUntouched)) << szUntouched << " " << strCase;
            if (stCut.nOperation == vecEvents.size()) {
                EXPECT_EQ(nResult, SNS_SUCCESS);
                EXPECT_EQ(lasting(mapImage), mapNew) << "a completed flush is lost: " << strCase;
            }
            if (stCut.bRestart && setSeen.insert(restartKey(mapImage)).second) vecRestarts.emplace_back(mapImage, strCase);
        }
        faultfs::disarm();
        if (HasFailure()) return;
    }
    objController.uinit();

    for (const auto& stRestart : vecRestarts) {
        const Restart stResult = restartOn(stRestart.first);
        const std::string& strCase = stRestart.second;
        expectNoTemporary(stResult.mapAfter, " after the restart " + strCase);
        const std::string& strScheme0 = stResult.vecSchemes[0];
        EXPECT_TRUE(strScheme0 == mapOld.at(schemeName(0)) || strScheme0 == mapNew.at(schemeName(0))) << strCase;
        EXPECT_EQ(stResult.mapAfter.at(schemeName(0)), strScheme0) << strCase;
        for (int i = 1; i < 4; ++i) EXPECT_EQ(stResult.vecSchemes[i], mapOld.at(schemeName(i))) << i << " " << strCase;
        EXPECT_EQ(stResult.vecBrightnessSent, std::vector<int>{brightnessOf(strScheme0)}) << strCase;
        if (HasFailure()) return;
    }
}

TEST_F(PowerCutTest, RestartCutAtEveryStepOfItsVersionWriteKeepsEveryScheme) {
    primeFiles();
    const faultfs::Image mapStored = faultfs::readDirectory(configDir());

    faultfs::arm(configDir());
    {
        ISensorController objController;
        objController.setChannelID(1);
        objController.setVideoStreamModule(&m_objVideo);
        ASSERT_TRUE(objController.init(moduleConfig()));
        objController.uinit();
    }
    const std::vector<faultfs::Event> vecEvents = faultfs::events();
    faultfs::disarm();
    ASSERT_TRUE(std::any_of(vecEvents.begin(), vecEvents.end(), [](const faultfs::Event& e) {
        return e.eOp == faultfs::Op::Rename && e.strName == "snsversion.cfg";
    }));

    std::set<faultfs::Image> setSeen;
    for (const CutPoint& stCut : cutPoints(vecEvents, true)) {
        faultfs::writeDirectory(configDir(), mapStored);
        faultfs::arm(configDir());
        if (stCut.nOperation < vecEvents.size()) faultfs::cutAt(stCut.nOperation, stCut.nBytes);
        {
            ISensorController objController;
            objController.setChannelID(1);
            objController.setVideoStreamModule(&m_objVideo);
            EXPECT_TRUE(objController.init(moduleConfig()));
            objController.uinit();
        }
        std::vector<faultfs::Image> vecImages;
        for (faultfs::Loss eLoss : faultfs::kAllLosses) vecImages.push_back(faultfs::rebootImage(eLoss));
        faultfs::disarm();
        for (size_t i = 0; i < vecImages.size(); ++i) {
            const std::string strCase = describe(stCut, vecEvents) + " / " + faultfs::lossName(faultfs::kAllLosses[i]);
            EXPECT_EQ(lasting(vecImages[i]), lasting(mapStored)) << strCase;
            if (!setSeen.insert(restartKey(vecImages[i])).second) continue;
            const Restart stResult = restartOn(vecImages[i]);
            expectNoTemporary(stResult.mapAfter, " after the restart " + strCase);
            EXPECT_EQ(lasting(stResult.mapAfter), lasting(mapStored)) << strCase;
            EXPECT_EQ(brightnessOf(stResult.vecSchemes[1]), 77) << strCase;
        }
        if (HasFailure()) return;
    }
}

TEST_F(PowerCutTest, FirstStartCutAtAnyStepLeavesCompleteFilesAndTheRestartCreatesTheRest) {
    faultfs::arm(configDir());
    {
        ISensorController objController;
        objController.setChannelID(1);
        objController.setVideoStreamModule(&m_objVideo);
        ASSERT_TRUE(objController.init(moduleConfig()));
        objController.uinit();
    }
    const std::vector<faultfs::Event> vecEvents = faultfs::events();
    const faultfs::Image mapCreated = faultfs::readDirectory(configDir());
    faultfs::disarm();
    ASSERT_EQ(mapCreated.size(), 5u);

    std::set<faultfs::Image> setSeen;
    const std::vector<CutPoint> vecCuts = cutPoints(vecEvents, false);
    for (const CutPoint& stCut : vecCuts) {
        faultfs::writeDirectory(configDir(), faultfs::Image());
        faultfs::arm(configDir());
        if (stCut.nOperation < vecEvents.size()) faultfs::cutAt(stCut.nOperation, stCut.nBytes);
        {
            ISensorController objController;
            objController.setChannelID(1);
            objController.setVideoStreamModule(&m_objVideo);
            EXPECT_TRUE(objController.init(moduleConfig()));
            objController.uinit();
        }
        std::vector<faultfs::Image> vecImages;
        for (faultfs::Loss eLoss : faultfs::kAllLosses) vecImages.push_back(faultfs::rebootImage(eLoss));
        faultfs::disarm();
        for (size_t i = 0; i < vecImages.size(); ++i) {
            const std::string strCase = describe(stCut, vecEvents) + " / " + faultfs::lossName(faultfs::kAllLosses[i]);
            for (const auto& stEntry : lasting(vecImages[i])) {
                EXPECT_EQ(stEntry.second, mapCreated.at(stEntry.first)) << stEntry.first << " is torn " << strCase;
            }
            if (stCut.nOperation == vecEvents.size()) {
                EXPECT_EQ(lasting(vecImages[i]), mapCreated) << strCase;
            }
            if (!stCut.bRestart || !setSeen.insert(restartKey(vecImages[i])).second) continue;
            const Restart stResult = restartOn(vecImages[i]);
            expectNoTemporary(stResult.mapAfter, " after the restart " + strCase);
            EXPECT_EQ(stResult.mapAfter, mapCreated) << strCase;
        }
        if (HasFailure()) return;
    }
}
