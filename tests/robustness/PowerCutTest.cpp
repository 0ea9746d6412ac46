// Power cuts during every scheme-file and version-file write (a flush, the
// version write of a restart, the first start that creates every file): at
// each operation, at each byte of a data write, with each loss mode of what
// a reboot finds, then a controller started again on it. Every file holds its
// old or its new content whole, the restart removes leftover temporaries and
// sends the ISP only what it loaded, a write that returned loses nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "RobustnessFixture.h"

namespace {

struct CutPoint {
    size_t nOperation;
    size_t nBytes;  // bytes of a cut write that reach the file
    bool bRestart;  // also start a controller on what it leaves
    bool bLast;     // no cut: the write completes
    std::string strName;
};

// Every operation and the end; within a write every byte when p_bEveryByte,
// else its first byte, first record and all but its last byte, which are
// also the in-write points that get restarts.
std::vector<CutPoint> cutPoints(const std::vector<faultfs::Event>& p_vecEvents, bool p_bEveryByte) {
    std::vector<CutPoint> vecCuts;
    for (size_t i = 0; i < p_vecEvents.size(); ++i) {
        const std::string strAt = "at operation " + std::to_string(i) + " (" + faultfs::describe(p_vecEvents[i]) + ")";
        vecCuts.push_back({i, 0, true, false, strAt});
        const size_t nBytes = p_vecEvents[i].eOp == faultfs::Op::Write ? p_vecEvents[i].nBytes : 0;
        for (size_t k = 1; k < nBytes; ++k) {
            const bool bSampled = k == 1 || k == 8 || k == nBytes - 1;
            if (p_bEveryByte || bSampled)
                vecCuts.push_back({i, k, bSampled, false, strAt + " after " + std::to_string(k) + " bytes"});
        }
    }
    vecCuts.push_back({p_vecEvents.size(), 0, true, true, "after the last operation"});
    return vecCuts;
}

typedef std::function<void(const faultfs::Image&, const std::string&, const CutPoint&, int)> Check;

}  // namespace

class PowerCutTest : public RobustnessFixture {
protected:
    // Learns the operations of p_fnWrite, then runs it from p_mapBefore cut at
    // each point and hands every reboot image to p_fnCheck.
    void cutEverywhere(const faultfs::Image& p_mapBefore, bool p_bEveryByte, const std::function<int()>& p_fnWrite,
                       const Check& p_fnCheck) {
        faultfs::arm(configDir());
        ASSERT_EQ(p_fnWrite(), SNS_SUCCESS);
        m_vecEvents = faultfs::events();
        faultfs::disarm();
        m_mapNew = faultfs::readDirectory(configDir());
        for (const CutPoint& stCut : cutPoints(m_vecEvents, p_bEveryByte)) {
            faultfs::writeDirectory(configDir(), p_mapBefore);
            faultfs::arm(configDir());
            if (!stCut.bLast) faultfs::cutAt(stCut.nOperation, stCut.nBytes);
            const int nResult = p_fnWrite();
            std::vector<faultfs::Image> vecImages;
            for (faultfs::Loss eLoss : faultfs::kAllLosses) vecImages.push_back(faultfs::rebootImage(eLoss));
            faultfs::disarm();
            for (size_t i = 0; i < vecImages.size(); ++i)
                p_fnCheck(vecImages[i], stCut.strName + " / loss mode " + std::to_string(i), stCut, nResult);
            if (HasFailure()) return;
        }
    }

    // Starts channel 1 on the image: the schemes it loaded, the brightness it
    // sent, and what it left on disk. Restarts on images that differ only in
    // their temporaries behave alike (start-up never reads them), so only the
    // first of each kind runs; the others give an empty result.
    struct Restart {
        std::vector<std::string> vecSchemes;
        std::vector<int> vecBrightnessSent;
        faultfs::Image mapAfter;
    };
    bool restartOn(faultfs::Image p_mapImage, const std::string& p_strCase, Restart& p_stRestart) {
        faultfs::Image mapKind = p_mapImage;
        for (auto& stEntry : mapKind)
            if (isTemporary(stEntry.first)) stEntry.second.clear();
        if (!m_setSeen.insert(mapKind).second) return false;
        faultfs::writeDirectory(configDir(), p_mapImage);
        ispsim::clearCalls();
        const std::unique_ptr<simdevice::RunningCamera> pCamera = camera("").start();
        EXPECT_TRUE(pCamera->started) << p_strCase;
        ISensorControllerTestAccess objAccess(pCamera->controller());
        for (u32 i = 0; i < 4; ++i) p_stRestart.vecSchemes.push_back(image(objAccess.scheme(i), objAccess.keyValSum()));
        p_stRestart.vecBrightnessSent = sentValues(KEY_BRIGHTNESS);
        p_stRestart.mapAfter = faultfs::readDirectory(configDir());
        pCamera->controller().uinit();
        for (const auto& stEntry : p_stRestart.mapAfter)
            EXPECT_FALSE(isTemporary(stEntry.first)) << stEntry.first << " after the restart " << p_strCase;
        return true;
    }

    int startAndStopResult() { return startAndStop() ? SNS_SUCCESS : -1; }

    size_t count(faultfs::Op p_eOp, const std::string& p_strName = std::string()) const {
        return static_cast<size_t>(std::count_if(m_vecEvents.begin(), m_vecEvents.end(), [&](const faultfs::Event& e) {
            return e.eOp == p_eOp && (p_strName.empty() || e.strName == p_strName);
        }));
    }

    std::vector<faultfs::Event> m_vecEvents;  // of the uncut write
    faultfs::Image m_mapNew;                  // the directory after it
    std::set<faultfs::Image> m_setSeen;
};

TEST_F(PowerCutTest, FlushCutAtEveryStepAndByteLeavesTheOldOrTheNewScheme) {
    primeFiles();
    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));
    const faultfs::Image mapOld = faultfs::readDirectory(configDir());
    ASSERT_EQ(objController.setParameter(KEY_BRIGHTNESS, valueOf(mapOld.at(schemeName(0)), KEY_BRIGHTNESS) + 7, true),
              SNS_SUCCESS);
    std::vector<std::pair<faultfs::Image, std::string>> vecRestarts;
    cutEverywhere(
        mapOld, true, [&objController]() { return objController.flush(); },
        [&](const faultfs::Image& p_mapImage, const std::string& p_strCase, const CutPoint& p_stCut, int p_nResult) {
            for (const auto& stEntry : lasting(p_mapImage)) {
                const bool bOld = mapOld.count(stEntry.first) != 0 && mapOld.at(stEntry.first) == stEntry.second;
                EXPECT_TRUE(bOld || m_mapNew.at(stEntry.first) == stEntry.second)
                    << stEntry.first << " is torn " << p_strCase;
            }
            for (int i = 1; i < 4; ++i)
                EXPECT_EQ(p_mapImage.at(schemeName(i)), mapOld.at(schemeName(i))) << i << p_strCase;
            EXPECT_EQ(p_mapImage.at(versionName()), mapOld.at(versionName())) << p_strCase;
            EXPECT_EQ(p_mapImage.count(schemeName(0)), 1u) << "lost " << p_strCase;
            if (p_stCut.bLast) {
                EXPECT_EQ(p_nResult, SNS_SUCCESS);
                EXPECT_EQ(lasting(p_mapImage), m_mapNew) << "a completed flush is lost: " << p_strCase;
            }
            if (p_stCut.bRestart) vecRestarts.emplace_back(p_mapImage, p_strCase);
        });
    objController.uinit();
    ASSERT_NE(m_mapNew.at(schemeName(0)), mapOld.at(schemeName(0)));
    for (const auto& stCase : vecRestarts) {
        Restart r;
        if (!restartOn(stCase.first, stCase.second, r)) continue;
        EXPECT_TRUE(r.vecSchemes[0] == mapOld.at(schemeName(0)) || r.vecSchemes[0] == m_mapNew.at(schemeName(0)))
            << stCase.second;
        EXPECT_EQ(r.mapAfter.at(schemeName(0)), r.vecSchemes[0]) << stCase.second;
        for (int i = 1; i < 4; ++i) EXPECT_EQ(r.vecSchemes[i], mapOld.at(schemeName(i))) << i << stCase.second;
        EXPECT_EQ(r.vecBrightnessSent, std::vector<int>{valueOf(r.vecSchemes[0], KEY_BRIGHTNESS)}) << stCase.second;
        if (HasFailure()) return;
    }
    // The data goes out in more than one write, so cuts fell between them too.
    EXPECT_GE(count(faultfs::Op::Write), 2u);
}

TEST_F(PowerCutTest, RestartCutAtEveryStepOfItsVersionWriteKeepsEveryScheme) {
    primeFiles();
    const faultfs::Image mapStored = lasting(faultfs::readDirectory(configDir()));
    cutEverywhere(
        faultfs::readDirectory(configDir()), true, [this]() { return startAndStopResult(); },
        [&](const faultfs::Image& p_mapImage, const std::string& p_strCase, const CutPoint&, int p_nResult) {
            EXPECT_EQ(p_nResult, SNS_SUCCESS) << p_strCase;
            EXPECT_EQ(lasting(p_mapImage), mapStored) << p_strCase;
            Restart r;
            if (!restartOn(p_mapImage, p_strCase, r)) return;
            EXPECT_EQ(lasting(r.mapAfter), mapStored) << p_strCase;
            EXPECT_EQ(valueOf(r.vecSchemes[1], KEY_BRIGHTNESS), 77) << p_strCase;
        });
    EXPECT_GE(count(faultfs::Op::Rename, versionName()), 1u);
}

TEST_F(PowerCutTest, FirstStartCutAtAnyStepLeavesCompleteFilesAndTheRestartCreatesTheRest) {
    cutEverywhere(
        faultfs::Image(), false, [this]() { return startAndStopResult(); },
        [&](const faultfs::Image& p_mapImage, const std::string& p_strCase, const CutPoint& p_stCut, int p_nResult) {
            ASSERT_EQ(m_mapNew.size(), 5u);
            EXPECT_EQ(p_nResult, SNS_SUCCESS) << p_strCase;
            for (const auto& stEntry : lasting(p_mapImage))
                EXPECT_EQ(stEntry.second, m_mapNew.at(stEntry.first)) << stEntry.first << " is torn " << p_strCase;
            if (p_stCut.bLast) {
                EXPECT_EQ(lasting(p_mapImage), m_mapNew) << p_strCase;
            }
            Restart r;
            if (p_stCut.bRestart && restartOn(p_mapImage, p_strCase, r)) {
                EXPECT_EQ(r.mapAfter, m_mapNew) << p_strCase;
            }
        });
}
