// Power cuts during a flush, the version write of a restart and a first start:
// at each file operation and byte of a write, with each loss mode of a reboot,
// then a restart on what is left. Every file holds its old or its new content
// whole, the restart removes leftover temporaries and sends the ISP only what
// it loaded, a write that returned loses nothing.
#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "RobustnessFixture.h"

// A reboot image, its case, whether it is one to restart on, whether the
// write ran uncut, and what the write returned.
typedef std::function<void(const faultfs::Image&, const std::string&, bool, bool, int)> Check;

class PowerCutTest : public RobustnessFixture {
protected:
    // Learns the operations of p_fnWrite, then runs it from p_mapBefore cut
    // at each of them and uncut, and hands every reboot image to p_fnCheck.
    // Within a write it cuts at every byte when p_bEveryByte, else at its
    // first byte, first record and all but its last byte, which are also the
    // in-write cuts to restart on.
    void cutEverywhere(const faultfs::Image& p_mapBefore, bool p_bEveryByte, const std::function<int()>& p_fnWrite,
                       const Check& p_fnCheck) {
        faultfs::arm(configDir());
        ASSERT_EQ(p_fnWrite(), SNS_SUCCESS);
        m_vecEvents = faultfs::events();
        faultfs::disarm();
        m_mapNew = faultfs::readDirectory(configDir());
        for (size_t i = 0; i <= m_vecEvents.size(); ++i) {
            const bool bUncut = i == m_vecEvents.size();
            const size_t nBytes = !bUncut && m_vecEvents[i].eOp == faultfs::Op::Write ? m_vecEvents[i].nBytes : 0;
            for (size_t k = 0; (k == 0 || k < nBytes) && !HasFailure(); ++k) {
                const bool bRestart = k <= 1 || k == 8 || k == nBytes - 1;
                if (!p_bEveryByte && !bRestart) continue;
                const std::string strCase = bUncut ? "uncut"
                                                   : "at operation " + std::to_string(i) + " (" +
                                                         faultfs::describe(m_vecEvents[i]) + ") after " +
                                                         std::to_string(k) + " bytes";
                faultfs::writeDirectory(configDir(), p_mapBefore);
                faultfs::arm(configDir());
                if (!bUncut) faultfs::cutAt(i, k);
                const int nResult = p_fnWrite();
                std::vector<faultfs::Image> vecImages;
                for (faultfs::Loss eLoss : faultfs::kAllLosses) vecImages.push_back(faultfs::rebootImage(eLoss));
                faultfs::disarm();
                for (size_t n = 0; n < vecImages.size(); ++n)
                    p_fnCheck(vecImages[n], strCase + " / loss mode " + std::to_string(n), bRestart, bUncut, nResult);
            }
        }
    }

    // Starts channel 1 on the image, keeping the schemes it loaded, the
    // brightness it sent and the files it left. Start-up never reads
    // temporaries, so of images that differ only in them the first runs; false
    // for the others.
    bool restartOn(const faultfs::Image& p_mapImage, const std::string& p_strCase) {
        faultfs::Image mapKind = p_mapImage;
        for (auto& stEntry : mapKind)
            if (isTemporary(stEntry.first)) stEntry.second.clear();
        if (!m_setSeen.insert(mapKind).second) return false;
        faultfs::writeDirectory(configDir(), p_mapImage);
        ispsim::clearCalls();
        const std::unique_ptr<simdevice::RunningCamera> pCamera = camera("").start();
        EXPECT_TRUE(pCamera->started) << p_strCase;
        ISensorControllerTestAccess objAccess(pCamera->controller());
        m_vecSchemes.clear();
        for (u32 i = 0; i < 4; ++i) m_vecSchemes.push_back(image(objAccess.scheme(i), objAccess.keyValSum()));
        m_vecSent = sentValues(KEY_BRIGHTNESS);
        m_mapAfter = faultfs::readDirectory(configDir());
        EXPECT_EQ(lasting(m_mapAfter), m_mapAfter) << "temporaries left after the restart " << p_strCase;
        return true;
    }

    // Cuts a start from p_mapBefore at every step: every file that stands is
    // complete, none that was stored is lost, and a restart on what is left
    // loads what the files hold and leaves every file.
    void cutStartEverywhere(const faultfs::Image& p_mapBefore, bool p_bEveryByte) {
        cutEverywhere(
            p_mapBefore, p_bEveryByte, [this]() { return startAndStop() ? SNS_SUCCESS : -1; },
            [&](const faultfs::Image& p_mapImage, const std::string& p_strCase, bool, bool p_bUncut, int p_nResult) {
                ASSERT_EQ(m_mapNew.size(), 5u);
                EXPECT_EQ(p_nResult, SNS_SUCCESS) << p_strCase;
                for (const auto& stEntry : lasting(p_mapImage))
                    EXPECT_EQ(stEntry.second, m_mapNew.at(stEntry.first)) << stEntry.first << " is torn " << p_strCase;
                EXPECT_TRUE((p_mapBefore.empty() && !p_bUncut) || lasting(p_mapImage) == m_mapNew)
                    << "lost " << p_strCase;
                if (!restartOn(p_mapImage, p_strCase)) return;
                EXPECT_EQ(m_mapAfter, m_mapNew) << p_strCase;
                for (int i = 0; i < 4; ++i) EXPECT_EQ(m_vecSchemes[i], m_mapAfter.at(schemeName(i))) << i << p_strCase;
            });
        EXPECT_GE(count(faultfs::Op::Rename, versionName()), 1u);
    }

    size_t count(faultfs::Op p_eOp, const std::string& p_strName = std::string()) const {
        return static_cast<size_t>(std::count_if(m_vecEvents.begin(), m_vecEvents.end(), [&](const faultfs::Event& e) {
            return e.eOp == p_eOp && (p_strName.empty() || e.strName == p_strName);
        }));
    }

    std::vector<faultfs::Event> m_vecEvents;  // of the uncut write
    faultfs::Image m_mapNew;                  // the directory after it
    std::set<faultfs::Image> m_setSeen;
    std::vector<std::string> m_vecSchemes;
    std::vector<int> m_vecSent;
    faultfs::Image m_mapAfter;
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
        [&](const faultfs::Image& p_mapImage, const std::string& p_strCase, bool p_bRestart, bool p_bUncut,
            int p_nResult) {
            // Only scheme 0 changes, whole; a completed flush is never lost.
            EXPECT_TRUE(lasting(p_mapImage) == mapOld || lasting(p_mapImage) == m_mapNew) << "torn " << p_strCase;
            EXPECT_TRUE(!p_bUncut || (p_nResult == SNS_SUCCESS && lasting(p_mapImage) == m_mapNew)) << p_strCase;
            if (p_bRestart) vecRestarts.emplace_back(p_mapImage, p_strCase);
        });
    objController.uinit();
    // The flush rewrote scheme 0 and nothing else.
    faultfs::Image mapOnlyScheme0 = mapOld;
    mapOnlyScheme0[schemeName(0)] = m_mapNew.at(schemeName(0));
    ASSERT_EQ(m_mapNew, mapOnlyScheme0);
    ASSERT_NE(m_mapNew, mapOld);
    for (size_t i = 0; i < vecRestarts.size() && !HasFailure(); ++i) {
        const auto& stCase = vecRestarts[i];
        if (!restartOn(stCase.first, stCase.second)) continue;
        EXPECT_TRUE(m_vecSchemes[0] == mapOld.at(schemeName(0)) || m_vecSchemes[0] == m_mapNew.at(schemeName(0)))
            << stCase.second;
        EXPECT_EQ(m_mapAfter.at(schemeName(0)), m_vecSchemes[0]) << stCase.second;
        for (int i = 1; i < 4; ++i) EXPECT_EQ(m_vecSchemes[i], mapOld.at(schemeName(i))) << i << stCase.second;
        EXPECT_EQ(m_vecSent, std::vector<int>{valueOf(m_vecSchemes[0], KEY_BRIGHTNESS)}) << stCase.second;
    }
    // The data goes out in more than one write, so cuts fell between them too.
    EXPECT_GE(count(faultfs::Op::Write), 2u);
}

TEST_F(PowerCutTest, RestartCutAtEveryStepOfItsVersionWriteKeepsEveryScheme) {
    primeFiles();
    const faultfs::Image mapStored = faultfs::readDirectory(configDir());
    cutStartEverywhere(mapStored, true);
    EXPECT_EQ(m_mapNew, mapStored);
}

TEST_F(PowerCutTest, FirstStartCutAtAnyStepLeavesCompleteFilesAndTheRestartCreatesTheRest) {
    cutStartEverywhere(faultfs::Image(), false);
}
