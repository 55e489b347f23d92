#include "states/Vemostatebank.h"

int TVemoStateBank::Made() const {
    int n = 0;
    for (const auto& state : states_)
        if (state) ++n;
    return n;
}

void TVemoStateBank::Release() {
    for (auto& state : states_) state.reset();
}
