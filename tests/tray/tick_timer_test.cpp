// The tick timer: its three states, the shared object's lifetime, one-shot
// timers, and timers freed from their own ticks.

#include "tray/tick_timer.h"
#include "tray/tick_timer_handler.h"

#include <QTest>

#include <memory>
#include <vector>

namespace kestrune::test {

class TickTimerTest : public QObject {
    Q_OBJECT

private:
    // Long enough for several ticks of a 10 ms timer on a busy machine.
    static constexpr int Quiet = 200;

private slots:
    void aTimerAlwaysStartsInactive() {
        int ticks = 0;
        TTickTimer timer(10, [&](TTickTimer&) { ++ticks; });
        QCOMPARE(timer.IntervalMs(), 10u);
        QVERIFY(!timer.Active());
        QVERIFY(!timer.OneShot());
        QTest::qWait(Quiet);
        QCOMPARE(ticks, 0);

        const TTickTimer plain;
        QCOMPARE(plain.IntervalMs(), 1000u);
        QVERIFY(!plain.OnTick());
        QVERIFY(plain.TimerId() != timer.TimerId());
    }

    void intervalZeroNeverArms() {
        int ticks = 0;
        TTickTimer timer(0, [&](TTickTimer&) { ++ticks; });
        timer.SetActive(true);
        QVERIFY(!timer.Active());
        QVERIFY(!timer.Arm());
        QTest::qWait(Quiet);
        QCOMPARE(ticks, 0);
    }

    void twoTimersTickIndependentlyEachWithItselfAsSender() {
        std::vector<TTickTimer*> firstSenders;
        std::vector<TTickTimer*> secondSenders;
        TTickTimer first(10, [&](TTickTimer& Sender) { firstSenders.push_back(&Sender); });
        TTickTimer second(10, [&](TTickTimer& Sender) { secondSenders.push_back(&Sender); });
        first.SetActive(true);
        second.SetActive(true);
        QTRY_VERIFY(firstSenders.size() >= 3 && secondSenders.size() >= 3);
        QVERIFY(std::all_of(firstSenders.begin(), firstSenders.end(),
                            [&](TTickTimer* sender) { return sender == &first; }));
        QVERIFY(std::all_of(secondSenders.begin(), secondSenders.end(),
                            [&](TTickTimer* sender) { return sender == &second; }));

        first.SetActive(false);
        const std::size_t stoppedAt = firstSenders.size();
        const std::size_t secondBefore = secondSenders.size();
        QTRY_VERIFY(secondSenders.size() >= secondBefore + 3);
        QCOMPARE(firstSenders.size(), stoppedAt);
    }

    void rewritingTheSameIntervalKeepsThePeriodRunning() {
        // A rewrite every 10 ms: if it restarted the 100 ms period, no tick would come.
        int ticks = 0;
        TTickTimer timer(100, [&](TTickTimer&) { ++ticks; });
        TTickTimer rewriter(10, [&](TTickTimer&) { timer.SetIntervalMs(100); });
        timer.SetActive(true);
        rewriter.SetActive(true);
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 2, 10000);
    }

    void aNewIntervalStartsANewPeriodOfThatLength() {
        int ticks = 0;
        TTickTimer timer(3600 * 1000, [&](TTickTimer&) { ++ticks; });
        timer.SetActive(true);
        timer.SetIntervalMs(10);
        QVERIFY(timer.Active());
        QTRY_VERIFY(ticks >= 3);
    }

    void intervalZeroSuspendsAndANewIntervalResumesWithoutTouchingActive() {
        int ticks = 0;
        TTickTimer timer(10, [&](TTickTimer&) { ++ticks; });
        timer.SetActive(true);
        QTRY_VERIFY(ticks >= 1);

        timer.SetIntervalMs(0);
        QVERIFY(timer.Active());
        const int suspendedAt = ticks;
        QTest::qWait(Quiet);
        QCOMPARE(ticks, suspendedAt);

        timer.SetIntervalMs(20);
        QVERIFY(timer.Active());
        QTRY_VERIFY(ticks >= suspendedAt + 3);
    }

    void emptyingTheCallbackSuspendsUntilActiveIsWrittenAgain() {
        int ticks = 0;
        const TTickEvent count = [&](TTickTimer&) { ++ticks; };
        TTickTimer timer(10, count);
        timer.SetActive(true);
        QTRY_VERIFY(ticks >= 1);

        timer.SetOnTick({});
        QVERIFY(timer.Active());
        timer.SetOnTick(count);
        const int suspendedAt = ticks;
        QTest::qWait(Quiet);
        QCOMPARE(ticks, suspendedAt);

        timer.SetActive(true);
        QTRY_VERIFY(ticks >= suspendedAt + 3);
    }

    void aOneShotTimerTicksOnceEachTimeItIsSwitchedOnAndIsOffInItsCallback() {
        int ticks = 0;
        bool activeInCallback = true;
        TTickTimer timer(10, [&](TTickTimer& Sender) {
            ++ticks;
            activeInCallback = Sender.Active();
        });
        timer.SetOneShot(true);
        timer.SetActive(true);
        QTRY_COMPARE(ticks, 1);
        QVERIFY(!activeInCallback);
        QVERIFY(!timer.Active());
        QTest::qWait(Quiet);
        QCOMPARE(ticks, 1);

        timer.SetActive(true);
        QTRY_COMPARE(ticks, 2);
        QTest::qWait(Quiet);
        QCOMPARE(ticks, 2);
    }

    void theSharedObjectLivesFromTheFirstTimerToTheLast() {
        QVERIFY(TTickTimerHandler::SharedTimerWindow() == nullptr);
        auto first = std::make_unique<TTickTimer>();
        TTickTimerHandler* const shared = TTickTimerHandler::SharedTimerWindow();
        QVERIFY(shared != nullptr);
        auto second = std::make_unique<TTickTimer>();
        QCOMPARE(TTickTimerHandler::SharedTimerWindow(), shared);
        QCOMPARE(shared->UserCount(), 2);

        first.reset();
        QCOMPARE(TTickTimerHandler::SharedTimerWindow(), shared);
        QCOMPARE(shared->UserCount(), 1);
        second.reset();
        QVERIFY(TTickTimerHandler::SharedTimerWindow() == nullptr);

        int ticks = 0;
        TTickTimer again(10, [&](TTickTimer&) { ++ticks; });
        QVERIFY(TTickTimerHandler::SharedTimerWindow() != nullptr);
        QCOMPARE(TTickTimerHandler::SharedTimerWindow()->UserCount(), 1);
        again.SetActive(true);
        QTRY_VERIFY(ticks >= 1);
    }

    void aTimerFreedWhileRunningNeverTicksAgain() {
        int ticks = 0;
        // Keeps the shared object alive after the timer has gone.
        const TTickTimer keeper;
        auto timer = std::make_unique<TTickTimer>(10, [&](TTickTimer&) { ++ticks; });
        timer->SetActive(true);
        QTRY_VERIFY(ticks >= 1);
        timer.reset();
        const int freedAt = ticks;
        QTest::qWait(Quiet);
        QCOMPARE(ticks, freedAt);
    }

    void theLastTimerMayFreeItselfFromItsOwnTick() {
        std::unique_ptr<TTickTimer> timer;
        int ticks = 0;
        timer = std::make_unique<TTickTimer>(10, [&](TTickTimer&) {
            ++ticks;
            timer.reset();
        });
        timer->SetActive(true);
        QTRY_VERIFY(!timer);
        QCOMPARE(ticks, 1);
        QVERIFY(TTickTimerHandler::SharedTimerWindow() == nullptr);

        // A new timer gets a new shared object, and it works.
        int later = 0;
        TTickTimer next(10, [&](TTickTimer&) { ++later; });
        next.SetActive(true);
        QTRY_VERIFY(later >= 1);
    }
};

} // namespace kestrune::test

QTEST_MAIN(kestrune::test::TickTimerTest)
#include "tick_timer_test.moc"
