// ComObject: the count, the self-deletion and the identifiers an object answers to.
#include "platform/core/com_object.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

const IID IID_PROBE = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44}};
const IID IID_OTHER = {0x55555555, 0x6666, 0x7777, {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88}};

class IProbe : public IUnknown {};

// Counts its deletions; answers to IID_OTHER with itself when asked to.
class Probe final : public ComObject<IProbe, IID_PROBE> {
  public:
    Probe(std::atomic<int>* deleted, bool knowsOther) : deleted_(deleted), knowsOther_(knowsOther) {}

  private:
    ~Probe() override { ++*deleted_; }
    HRESULT QueryOther(REFIID riid, void** object) override {
        if (knowsOther_ && riid == IID_OTHER) {
            AddRef();
            *object = static_cast<IProbe*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    std::atomic<int>* deleted_;
    bool knowsOther_;
};

TEST(ComObjectTest, CountsReferencesAndDeletesItselfAtTheLast) {
    std::atomic<int> deleted{0};
    auto* probe = new Probe(&deleted, false);
    EXPECT_EQ(probe->AddRef(), 2u);
    EXPECT_EQ(probe->Release(), 1u);
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(probe->Release(), 0u);
    EXPECT_EQ(deleted, 1);
}

TEST(ComObjectTest, QueryInterfaceAnswersItsOwnIdentifierAndWhatTheClassAdds) {
    std::atomic<int> deleted{0};
    for (bool knowsOther : {false, true}) {
        auto* probe = new Probe(&deleted, knowsOther);
        EXPECT_EQ(probe->QueryInterface(IID_PROBE, nullptr), E_POINTER);
        void* found = probe;  // must be cleared on failure
        const IID unknown = {};
        EXPECT_EQ(probe->QueryInterface(unknown, &found), E_NOINTERFACE);
        EXPECT_EQ(found, nullptr);
        EXPECT_EQ(probe->QueryInterface(IID_OTHER, &found), knowsOther ? S_OK : E_NOINTERFACE);
        EXPECT_EQ(found, knowsOther ? static_cast<IProbe*>(probe) : nullptr);
        ASSERT_EQ(probe->QueryInterface(IID_PROBE, &found), S_OK);
        EXPECT_EQ(found, static_cast<IProbe*>(probe));
        // One reference from new, one per successful query.
        EXPECT_EQ(probe->Release(), knowsOther ? 2u : 1u);
        while (probe->Release() != 0) {
        }
    }
    EXPECT_EQ(deleted, 2);
}

TEST(ComObjectTest, ReferencesHandedBetweenThreadsDeleteOnce) {
    std::atomic<int> deleted{0};
    constexpr int THREADS = 4;
    constexpr int ROUNDS = 10000;
    auto* probe = new Probe(&deleted, false);
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t) {
        probe->AddRef();
        threads.emplace_back([probe] {
            for (int i = 0; i < ROUNDS; ++i) {
                probe->AddRef();
                probe->Release();
            }
            probe->Release();
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(probe->Release(), 0u);
    EXPECT_EQ(deleted, 1);
}

}  // namespace
