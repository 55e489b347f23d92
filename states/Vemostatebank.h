#pragma once
// One instance of each concrete state of one event context, made on first
// request and kept as long as the context. A request stores the given return
// state in the instance, replacing the one it had.

#include <array>
#include <memory>

#include "states/Vemoeventstate.h"
#include "states/Vemotoolstates.h"
#include "states/Vemoviewstate.h"

class TVemoStateBank {
public:
    static constexpr int kStateCount = 22;

    explicit TVemoStateBank(TVemoEventContext& context) : context_(context) {}
    TVemoStateBank(const TVemoStateBank&) = delete;
    TVemoStateBank& operator=(const TVemoStateBank&) = delete;

    template <class T>
    T* Get(TVemoEventState* returnState) {
        static_assert(T::kBankIndex >= 0 && T::kBankIndex < kStateCount);
        std::unique_ptr<TVemoEventState>& slot = states_[T::kBankIndex];
        if (!slot) slot = std::make_unique<T>(context_);
        slot->SetReturnState(returnState);
        return static_cast<T*>(slot.get());
    }
    // How many states exist so far.
    int Made() const;
    // Destroys every state; later requests make new ones.
    void Release();

private:
    TVemoEventContext& context_;
    std::array<std::unique_ptr<TVemoEventState>, kStateCount> states_;
};
