// The tick timer: its three states, the shared object's lifetime, one-shot
// timers, and timers freed from their own ticks.

#include "tray/tick_timer.h"
#include "tray/tick_timer_handler.h"

#include <QAbstractEventDispatcher>
#include <QTest>

#include <climits>
#include <memory>
#include <vector>

namespace kestrune::test {

class TickTimerTest : public QObject {
    Q_OBJECT

private:
    // Long enough for several ticks of a 10 ms timer on a busy machine.
    static constexpr int Quiet = 200;

    // What the window system was asked for on behalf of the tick timers.
    static QList<QAbstractEventDispatcher::TimerInfo> Registered() {
        return QAbstractEventDispatcher::instance()->registeredTimers(
            TTickTimerHandler::SharedTimerWindow());
    }

    // Counts the window-system timer events the shared object gets and notes
    // the interval of the one timer registered as each arrives.
    class EventCount : public QObject {
    public:
        bool eventFilter(QObject*, QEvent* Event) override {
            if (Event->type() == QEvent::Timer) {
                ++Events;
                const auto timers = Registered();
                Steps.push_back(timers.size() == 1 ? timers[0].interval : -1);
            }
            return false;
        }
        int Events = 0;
        std::vector<int> Steps;
    };

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

    void ticksAreAskedForWithMillisecondAccuracy() {
        // A coarse timer may come 5 % early: a 400 ms double-click time would
        // end after 380 ms.
        TTickTimer first(500, [](TTickTimer&) {});
        TTickTimer second(400, [](TTickTimer&) {});
        first.SetActive(true);
        second.SetActive(true);
        const auto timers = Registered();
        QCOMPARE(timers.size(), 2);
        for (const auto& timer : timers) {
            QCOMPARE(timer.timerType, Qt::PreciseTimer);
        }
        QVERIFY(timers[0].interval + timers[1].interval == 900);
    }

    void intervalsPastTheSignedRangeRun() {
        int ticks = 0;
        for (const std::uint32_t interval : {0x80000000u, 0xFFFFFFFFu}) {
            TTickTimer timer(interval, [&](TTickTimer&) { ++ticks; });
            timer.SetActive(true);
            QVERIFY(timer.Active());
            QCOMPARE(timer.IntervalMs(), interval);
            const auto timers = Registered();
            QCOMPARE(timers.size(), 1);
            QCOMPARE(timers[0].interval, INT_MAX);
        }
        QCOMPARE(ticks, 0);
    }

    void aLongIntervalIsServedInStepsAndTicksOncePerPeriod() {
        // With steps of 20 ms a 50 ms period is 20 + 20 + 10: one tick on
        // every third window-system event, counted, not timed.
        TTickTimerHandler::SetLongestStepMs(20);
        std::vector<int> eventsAtTick;
        EventCount count;
        TTickTimer timer(50, [&](TTickTimer& Self) {
            eventsAtTick.push_back(count.Events);
            if (eventsAtTick.size() == 2) {
                Self.SetActive(false);
            }
        });
        TTickTimerHandler::SharedTimerWindow()->installEventFilter(&count);
        timer.SetActive(true);
        QTRY_VERIFY(!timer.Active());
        TTickTimerHandler::SetLongestStepMs(INT_MAX);
        QCOMPARE(eventsAtTick, (std::vector<int>{3, 6}));
        QCOMPARE(count.Steps, (std::vector<int>{20, 20, 10, 20, 20, 10}));
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
