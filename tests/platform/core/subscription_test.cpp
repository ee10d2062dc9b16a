#include "platform/core/subscription.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(Subscription, HandlerIsCalledUntilItsSubscriptionGoes) {
    TSignal<int> signal;
    std::vector<int> seen;
    {
        const TSubscription sub = signal.Subscribe([&](int n) { seen.push_back(n); });
        EXPECT_TRUE(sub.Connected());
        signal.Emit(1);
    }
    signal.Emit(2);
    EXPECT_EQ(seen, std::vector<int>{1});
    EXPECT_TRUE(signal.Empty());

    TSubscription sub = signal.Subscribe([&](int n) { seen.push_back(n); });
    sub.Reset();
    sub.Reset();  // a second Reset does nothing
    signal.Emit(3);
    EXPECT_EQ(seen, std::vector<int>{1});
    EXPECT_FALSE(sub.Connected());
}

TEST(Subscription, HandlersRunInTheOrderTheySubscribed) {
    TSignal<> signal;
    std::string order;
    const TSubscription a = signal.Subscribe([&] { order += 'a'; });
    TSubscription b = signal.Subscribe([&] { order += 'b'; });
    const TSubscription c = signal.Subscribe([&] { order += 'c'; });
    signal.Emit();
    b.Reset();
    signal.Emit();
    EXPECT_EQ(order, "abcac");
}

TEST(Subscription, MovingHandsTheHandlerOnAndAssigningDropsTheOldOne) {
    TSignal<> signal;
    int first = 0, second = 0;
    TSubscription a = signal.Subscribe([&] { ++first; });
    TSubscription moved(std::move(a));
    EXPECT_FALSE(a.Connected());
    a.Reset();  // the moved-from subscription removes nothing
    signal.Emit();
    EXPECT_EQ(first, 1);

    moved = signal.Subscribe([&] { ++second; });  // drops the first handler
    signal.Emit();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);

    TSubscription other;
    other = std::move(moved);
    moved = TSubscription();
    signal.Emit();
    EXPECT_EQ(second, 2);
    TSubscription& same = other;
    other = std::move(same);  // self-assignment keeps it
    signal.Emit();
    EXPECT_EQ(second, 3);
}

TEST(Subscription, OutlivingTheSourceIsHarmless) {
    auto signal = std::make_unique<TSignal<>>();
    TSubscription sub = signal->Subscribe([] {});
    TSubscription moved = signal->Subscribe([] {});
    signal.reset();
    EXPECT_FALSE(sub.Connected());
    sub.Reset();
    TSubscription target = std::move(moved);
    // target and sub go out of scope after the signal: no access to it.
}

TEST(Subscription, HandlersMayUnsubscribeDuringDispatch) {
    TSignal<> signal;
    std::string calls;
    TSubscription self, later, added;
    const TSubscription first = signal.Subscribe([&] {
        calls += '1';
        later.Reset();  // removed before its turn: not called
        if (!added.Connected()) added = signal.Subscribe([&] { calls += '+'; });
    });
    self = signal.Subscribe([&] {
        calls += 's';
        self.Reset();  // removes itself while it runs
    });
    later = signal.Subscribe([&] { calls += 'L'; });
    signal.Emit();
    EXPECT_EQ(calls, "1s");  // one added during the Emit waits for the next
    signal.Emit();
    EXPECT_EQ(calls, "1s1+");
}

TEST(Subscription, NestedEmitsAndRemovalsKeepTheListWhole) {
    TSignal<int> signal;
    std::vector<int> seen;
    TSubscription b;
    const TSubscription a = signal.Subscribe([&](int depth) {
        seen.push_back(depth);
        if (depth == 0) signal.Emit(1);
    });
    b = signal.Subscribe([&](int depth) {
        seen.push_back(10 + depth);
        b.Reset();
    });
    signal.Emit(0);
    // The inner Emit runs b and removes it; the outer one does not call it again.
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 11}));
    signal.Emit(5);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 11, 5}));
}

TEST(Subscription, AHandlerMayDestroyTheSource) {
    auto signal = std::make_unique<TSignal<>>();
    int after = 0;
    const TSubscription killer = signal->Subscribe([&] { signal.reset(); });
    const TSubscription next = signal->Subscribe([&] { ++after; });
    signal->Emit();
    EXPECT_EQ(signal, nullptr);
    EXPECT_EQ(after, 1);  // the Emit in progress finishes its round
    EXPECT_FALSE(killer.Connected());
}

TEST(Subscription, AnExceptionEndsTheEmitAndLeavesTheSignalUsable) {
    TSignal<> signal;
    int calls = 0;
    TSubscription thrower;
    thrower = signal.Subscribe([&] {
        thrower.Reset();
        throw std::runtime_error("refused");
    });
    const TSubscription counter = signal.Subscribe([&] { ++calls; });
    EXPECT_THROW(signal.Emit(), std::runtime_error);
    EXPECT_EQ(calls, 0);
    signal.Emit();  // the thrower is gone, the list compacted
    EXPECT_EQ(calls, 1);
}

TEST(Subscription, ACopiedSignalStartsWithoutHandlers) {
    TSignal<> signal;
    int calls = 0;
    const TSubscription sub = signal.Subscribe([&] { ++calls; });
    TSignal<> copy(signal);
    copy.Emit();
    EXPECT_EQ(calls, 0);
    signal = copy;  // keeps its own handler
    signal.Emit();
    EXPECT_EQ(calls, 1);
}

TEST(Subscription, ADroppedHandlerIsDestroyedAndMayDropAnother) {
    TSignal<> signal;
    auto token = std::make_shared<int>(0);
    TSubscription inner = signal.Subscribe([] {});
    struct DropsOnDestruction {
        DropsOnDestruction(TSubscription* o, std::shared_ptr<int> t)
            : other(o), token(std::move(t)) {}
        TSubscription* other;
        std::shared_ptr<int> token;
        ~DropsOnDestruction() {
            if (other) other->Reset();
        }
    };
    auto holder = std::make_shared<DropsOnDestruction>(&inner, token);
    TSubscription outer = signal.Subscribe([holder] {});
    holder.reset();
    EXPECT_EQ(token.use_count(), 2);  // the handler keeps it
    EXPECT_TRUE(inner.Connected());
    outer.Reset();  // destroying the handler removes inner as well
    EXPECT_FALSE(inner.Connected());
    EXPECT_EQ(token.use_count(), 1);
}

}  // namespace
