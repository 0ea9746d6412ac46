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
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "RobustnessFixture.h"

namespace {

struct CutPoint {
    size_t nOperation;  // the number of operations when it is after the last
    size_t nBytes;      // bytes of a cut write that reach the file
    bool bRestart;      // also start a controller on what it leaves
    bool bLast;
    std::string strName;
};

// Every operation, every byte of every write when p_bEveryByte (else its
// first byte, its first whole record and all but its last byte), and the end.
// Restarts follow the operations, those bytes and the end.
std::vector<CutPoint> cutPoints(const std::vector<faultfs::Event>& p_vecEvents, bool p_bEveryByte) {
    std::vector<CutPoint> vecCuts;
    for (size_t i = 0; i < p_vecEvents.size(); ++i) {
        const std::string strAt = "at operation " + std::to_string(i) + " (" + faultfs::describe(p_vecEvents[i]) + ")";
        vecCuts.push_back({i, 0, true, false, strAt});
        if (p_vecEvents[i].eOp != faultfs::Op::Write) continue;
        const size_t nBytes = p_vecEvents[i].nBytes;
        for (size_t k = 1; k < nBytes; ++k) {
            const bool bSampled = k == 1 || k == 8 || k == nBytes - 1;
            if (p_bEveryByte || bSampled) vecCuts.push_back({i, k, bSampled, false, strAt + " after " + std::to_string(k) + " bytes"});
        }
    }
    vecCuts.push_back({p_vecEvents.size(), 0, true, true, "after the last operation"});
    return vecCuts;
}

}  // namespace

class PowerCutTest : public RobustnessFixture {
protected:
    // The operations of one run of p_fnWrite on the directory as it is.
    static std::vector<faultfs::Event> operationsOf(const std::string& p_strDirectory, const std::function<int()>& p_fnWrite) {
        faultfs::arm(p_strDirectory);
        EXPECT_EQ(p_fnWrite(), SNS_SUCCESS);
        const std::vector<faultfs::Event> vecEvents = faultfs::events();
        faultfs::disarm();
        return vecEvents;
    }

    // Runs p_fnWrite from p_mapBefore with the power cut at each point and
    // hands each reboot image to p_fnCheck with the run's name and result.
    void cutEverywhere(const faultfs::Image& p_mapBefore, const std::vector<CutPoint>& p_vecCuts,
                       const std::function<int()>& p_fnWrite,
                       const std::function<void(const faultfs::Image&, const std::string&, const CutPoint&, int)>& p_fnCheck) {
        for (const CutPoint& stCut : p_vecCuts) {
            faultfs::writeDirectory(configDir(), p_mapBefore);
            faultfs::arm(configDir());
            if (!stCut.bLast) faultfs::cutAt(stCut.nOperation, stCut.nBytes);
            const int nResult = p_fnWrite();
            std::vector<faultfs::Image> vecImages;
            for (faultfs::Loss eLoss : faultfs::kAllLosses) vecImages.push_back(faultfs::rebootImage(eLoss));
            faultfs::disarm();
            for (size_t i = 0; i < vecImages.size(); ++i)
                p_fnCheck(vecImages[i], stCut.strName + " / " + faultfs::lossName(faultfs::kAllLosses[i]), stCut, nResult);
            if (HasFailure()) return;
        }
    }

    // Starts a controller of channel 1 on the image: what it loaded, what it
    // sent and what it left on disk.
    struct Restart {
        std::vector<std::string> vecSchemes;
        std::vector<int> vecBrightnessSent;
        faultfs::Image mapAfter;
    };
    Restart restartOn(const faultfs::Image& p_mapImage, const std::string& p_strCase) {
        faultfs::writeDirectory(configDir(), p_mapImage);
        ispsim::clearCalls();
        ISensorController objController;
        objController.setChannelID(1);
        objController.setVideoStreamModule(&m_objVideo);
        EXPECT_TRUE(objController.init(moduleConfig())) << p_strCase;
        ISensorControllerTestAccess objAccess(objController);
        Restart stRestart;
        for (u32 i = 0; i < 4; ++i) stRestart.vecSchemes.push_back(image(objAccess.scheme(i), objAccess.keyValSum()));
        stRestart.vecBrightnessSent = sentValues(KEY_BRIGHTNESS);
        stRestart.mapAfter = faultfs::readDirectory(configDir());
        objController.uinit();
        for (const auto& stEntry : stRestart.mapAfter)
            EXPECT_FALSE(isTemporary(stEntry.first)) << stEntry.first << " after the restart " << p_strCase;
        return stRestart;
    }

    // Restarts on images that differ only in what their temporary files hold
    // behave alike: start-up never reads them (the start-up fuzz target feeds
    // it leftovers of any content), so one restart stands for all of them.
    bool firstOfItsKind(faultfs::Image p_mapImage) {
        for (auto& stEntry : p_mapImage)
            if (isTemporary(stEntry.first)) stEntry.second.clear();
        return m_setSeen.insert(p_mapImage).second;
    }

    std::set<faultfs::Image> m_setSeen;
};

TEST_F(PowerCutTest, FlushCutAtEveryStepAndByteLeavesTheOldOrTheNewScheme) {
    primeFiles();
    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));
    const faultfs::Image mapOld = faultfs::readDirectory(configDir());
    const int nNewBrightness = access().schemeValue(0, KEY_BRIGHTNESS) + 7;
    ASSERT_EQ(objController.setParameter(KEY_BRIGHTNESS, nNewBrightness, true), SNS_SUCCESS);
    const auto fnFlush = [&objController]() { return objController.flush(); };
    const std::vector<faultfs::Event> vecEvents = operationsOf(configDir(), fnFlush);
    const faultfs::Image mapNew = faultfs::readDirectory(configDir());
    ASSERT_EQ(valueOf(mapNew.at(schemeName(0)), KEY_BRIGHTNESS), nNewBrightness);
    ASSERT_NE(valueOf(mapOld.at(schemeName(0)), KEY_BRIGHTNESS), nNewBrightness);
    // The data goes out in more than one write, so cuts fall between them too.
    ASSERT_GE(std::count_if(vecEvents.begin(), vecEvents.end(),
                            [](const faultfs::Event& e) { return e.eOp == faultfs::Op::Write; }), 2);

    std::vector<std::pair<faultfs::Image, std::string>> vecRestarts;
    cutEverywhere(mapOld, cutPoints(vecEvents, true), fnFlush,
                  [&](const faultfs::Image& p_mapImage, const std::string& p_strCase, const CutPoint& p_stCut, int p_nResult) {
                      for (const auto& stEntry : lasting(p_mapImage)) {
                          const bool bOld = mapOld.count(stEntry.first) != 0 && mapOld.at(stEntry.first) == stEntry.second;
                          const bool bNew = mapNew.count(stEntry.first) != 0 && mapNew.at(stEntry.first) == stEntry.second;
                          EXPECT_TRUE(bOld || bNew) << stEntry.first << " is torn " << p_strCase;
                      }
                      for (int i = 1; i < 4; ++i) EXPECT_EQ(p_mapImage.at(schemeName(i)), mapOld.at(schemeName(i))) << i << p_strCase;
                      EXPECT_EQ(p_mapImage.at(versionName()), mapOld.at(versionName())) << p_strCase;
                      EXPECT_TRUE(p_mapImage.count(schemeName(0)) != 0) << "lost " << p_strCase;
                      if (p_stCut.bLast) {
                          EXPECT_EQ(p_nResult, SNS_SUCCESS);
                          EXPECT_EQ(lasting(p_mapImage), mapNew) << "a completed flush is lost: " << p_strCase;
                      }
                      if (p_stCut.bRestart && firstOfItsKind(p_mapImage)) vecRestarts.emplace_back(p_mapImage, p_strCase);
                  });
    objController.uinit();

    for (const auto& stCase : vecRestarts) {
        const Restart stResult = restartOn(stCase.first, stCase.second);
        const std::string& strScheme0 = stResult.vecSchemes[0];
        EXPECT_TRUE(strScheme0 == mapOld.at(schemeName(0)) || strScheme0 == mapNew.at(schemeName(0))) << stCase.second;
        EXPECT_EQ(stResult.mapAfter.at(schemeName(0)), strScheme0) << stCase.second;
        for (int i = 1; i < 4; ++i) EXPECT_EQ(stResult.vecSchemes[i], mapOld.at(schemeName(i))) << i << stCase.second;
        EXPECT_EQ(stResult.vecBrightnessSent, std::vector<int>{valueOf(strScheme0, KEY_BRIGHTNESS)}) << stCase.second;
        if (HasFailure()) return;
    }
}

TEST_F(PowerCutTest, RestartCutAtEveryStepOfItsVersionWriteKeepsEveryScheme) {
    primeFiles();
    const faultfs::Image mapStored = faultfs::readDirectory(configDir());
    const auto fnStart = [this]() { return startAndStop() ? SNS_SUCCESS : -1; };
    const std::vector<faultfs::Event> vecEvents = operationsOf(configDir(), fnStart);
    ASSERT_TRUE(std::any_of(vecEvents.begin(), vecEvents.end(), [](const faultfs::Event& e) {
        return e.eOp == faultfs::Op::Rename && e.strName == "snsversion.cfg";
    }));

    cutEverywhere(mapStored, cutPoints(vecEvents, true), fnStart,
                  [&](const faultfs::Image& p_mapImage, const std::string& p_strCase, const CutPoint&, int p_nResult) {
                      EXPECT_EQ(p_nResult, SNS_SUCCESS) << p_strCase;
                      EXPECT_EQ(lasting(p_mapImage), lasting(mapStored)) << p_strCase;
                      if (!firstOfItsKind(p_mapImage)) return;
                      const Restart stResult = restartOn(p_mapImage, p_strCase);
                      EXPECT_EQ(lasting(stResult.mapAfter), lasting(mapStored)) << p_strCase;
                      EXPECT_EQ(valueOf(stResult.vecSchemes[1], KEY_BRIGHTNESS), 77) << p_strCase;
                  });
}

TEST_F(PowerCutTest, FirstStartCutAtAnyStepLeavesCompleteFilesAndTheRestartCreatesTheRest) {
    const auto fnStart = [this]() { return startAndStop() ? SNS_SUCCESS : -1; };
    const std::vector<faultfs::Event> vecEvents = operationsOf(configDir(), fnStart);
    const faultfs::Image mapCreated = faultfs::readDirectory(configDir());
    ASSERT_EQ(mapCreated.size(), 5u);

    cutEverywhere(faultfs::Image(), cutPoints(vecEvents, false), fnStart,
                  [&](const faultfs::Image& p_mapImage, const std::string& p_strCase, const CutPoint& p_stCut, int p_nResult) {
                      EXPECT_EQ(p_nResult, SNS_SUCCESS) << p_strCase;
                      for (const auto& stEntry : lasting(p_mapImage))
                          EXPECT_EQ(stEntry.second, mapCreated.at(stEntry.first)) << stEntry.first << " is torn " << p_strCase;
                      if (p_stCut.bLast) { EXPECT_EQ(lasting(p_mapImage), mapCreated) << p_strCase; }
                      if (p_stCut.bRestart && firstOfItsKind(p_mapImage)) {
                          EXPECT_EQ(restartOn(p_mapImage, p_strCase).mapAfter, mapCreated) << p_strCase;
                      }
                  });
}
