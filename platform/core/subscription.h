#pragma once
// Removable subscriptions: a source keeps a TSignal, a listener keeps the
// TSubscription that Subscribe returns. Dropping the subscription (destroying
// it, assigning another one to it, Reset) removes the handler; a subscription
// that outlives its source does nothing when it goes.
//
//   TSignal<int> changed;
//   TSubscription sub = changed.Subscribe([](int n) { ... });
//   changed.Emit(3);   // calls the handler
//   sub.Reset();       // or let sub go out of scope
//
// Emit calls the handlers in the order they subscribed. A handler may
// subscribe others (they are called from the next Emit on), remove itself or
// any other (a removed handler is not called again, not even later in the
// same Emit) and destroy the source. An exception from a handler ends the
// Emit and reaches its caller. Single-threaded, like everything it serves.

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace subscription_detail {

// What a subscription holds of its source: the source may be gone.
class Registry {
  public:
    virtual ~Registry() = default;
    virtual void Remove(uint64_t id) = 0;
};

}  // namespace subscription_detail

class [[nodiscard]] TSubscription {
  public:
    TSubscription() = default;
    ~TSubscription() { Reset(); }
    TSubscription(const TSubscription&) = delete;
    TSubscription& operator=(const TSubscription&) = delete;
    TSubscription(TSubscription&& other) noexcept
        : registry_(std::move(other.registry_)), id_(std::exchange(other.id_, 0)) {}
    TSubscription& operator=(TSubscription&& other) noexcept {
        if (this != &other) {
            Reset();
            registry_ = std::move(other.registry_);
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }

    // Removes the handler now; nothing when already removed or when the
    // source is gone.
    void Reset() noexcept {
        if (auto registry = registry_.lock()) registry->Remove(id_);
        registry_.reset();
        id_ = 0;
    }
    // The handler is still subscribed to a living source.
    bool Connected() const { return id_ != 0 && !registry_.expired(); }

  private:
    template <class... Args>
    friend class TSignal;
    TSubscription(std::weak_ptr<subscription_detail::Registry> registry, uint64_t id)
        : registry_(std::move(registry)), id_(id) {}
    std::weak_ptr<subscription_detail::Registry> registry_;
    uint64_t id_ = 0;
};

template <class... Args>
class TSignal {
  public:
    using Handler = std::function<void(Args...)>;

    TSignal() : handlers_(std::make_shared<Handlers>()) {}
    // Handlers subscribe to one object, not to its value: a copy or a moved-to
    // object starts without handlers, and assigning keeps the target's own.
    TSignal(const TSignal&) : TSignal() {}
    TSignal& operator=(const TSignal&) { return *this; }

    TSubscription Subscribe(Handler handler) {
        const uint64_t id = handlers_->nextId++;
        handlers_->entries.push_back(Entry{id, std::make_shared<Handler>(std::move(handler))});
        return TSubscription(handlers_, id);
    }

    // Calls every handler subscribed when Emit began and not removed since.
    void Emit(Args... args) const {
        if (handlers_->entries.empty()) return;  // the common case costs nothing
        // Held for the whole call: a handler may destroy the signal.
        const std::shared_ptr<Handlers> handlers = handlers_;
        Dispatch guard(*handlers);
        const size_t count = handlers->entries.size();
        for (size_t i = 0; i < count; ++i) {
            // Kept alive while it runs: a handler may remove itself.
            const std::shared_ptr<Handler> handler = handlers->entries[i].handler;
            if (handler) (*handler)(args...);
        }
    }

    bool Empty() const {
        for (const auto& e : handlers_->entries) {
            if (e.handler) return false;
        }
        return true;
    }

  private:
    struct Entry {
        uint64_t id;
        std::shared_ptr<Handler> handler;  // empty once removed during an Emit
    };
    struct Handlers : subscription_detail::Registry {
        std::vector<Entry> entries;
        uint64_t nextId = 1;
        int dispatching = 0;  // Emit calls in progress
        bool removedWhileDispatching = false;

        void Remove(uint64_t id) override {
            for (auto it = entries.begin(); it != entries.end(); ++it) {
                if (it->id != id) continue;
                if (dispatching > 0) {
                    // Positions stay as they are until the last Emit ends.
                    it->handler.reset();
                    removedWhileDispatching = true;
                } else {
                    // Destroyed once the list is whole again: its captures
                    // may hold subscriptions of their own.
                    const std::shared_ptr<Handler> removed = std::move(it->handler);
                    entries.erase(it);
                }
                return;
            }
        }
    };
    struct Dispatch {
        Handlers& h;
        explicit Dispatch(Handlers& handlers) : h(handlers) { ++h.dispatching; }
        ~Dispatch() {
            if (--h.dispatching > 0 || !h.removedWhileDispatching) return;
            h.removedWhileDispatching = false;
            std::erase_if(h.entries, [](const Entry& e) { return !e.handler; });
        }
    };
    std::shared_ptr<Handlers> handlers_;
};
