#include "app/ClientSetup.h"
#include "app/SettingsManager.h"

#include <QTest>

#include <atomic>
#include <barrier>
#include <thread>
#include <vector>

class TestSingletons : public QObject {
    Q_OBJECT
private slots:
    void sameObjectFromEveryThread();
    void accessorsReturnTheSameObjectEveryTime();
};

void TestSingletons::sameObjectFromEveryThread()
{
    // Eight threads released together ask for the store before anyone has built it.
    constexpr int kThreads = 8;
    std::barrier start(kThreads);
    std::vector<CSettingsManager*> seen(kThreads, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            seen[i] = CSettingsManager::Instance();
        });
    }
    for (auto& t : threads)
        t.join();
    for (CSettingsManager* s : seen)
        QCOMPARE(s, seen.front());
    QVERIFY(seen.front());
}

void TestSingletons::accessorsReturnTheSameObjectEveryTime()
{
    QCOMPARE(CSettingsManager::Instance(), CSettingsManager::Instance());
    CClientConfigManager* setup = GetClientSetup();
    QCOMPARE(GetClientSetup(), setup);
    CClientLanguageManager* languages = GetLanguageManager();
    QVERIFY(languages);
    QCOMPARE(GetLanguageManager(), languages);
    // The language manager is built once: its four loads are not repeated.
    const int count = languages->Count();
    GetLanguageManager();
    QCOMPARE(languages->Count(), count);
}

QTEST_MAIN(TestSingletons)
#include "tst_singletons.moc"
