#include "platform/Transaction.h"

#include <algorithm>
#include <vector>

#include "platform/TransactionQueue.h"

namespace corkwallery::platform {

namespace {
struct State {
    int depth = 0;
    bool disableActions = false;
    std::vector<Layer*> pending;
};
State& state() {
    static State s;
    return s;
}
}  // namespace

void Transaction::begin() {
    ++state().depth;
}

void Transaction::commit() {
    State& s = state();
    if (s.depth == 0)
        return;
    if (--s.depth > 0)
        return;
    s.disableActions = false;
    auto pending = std::move(s.pending);
    s.pending.clear();
    for (Layer* root : pending)
        root->setNeedsDisplay();
}

void Transaction::setDisableActions(bool disable) {
    state().disableActions = disable;
}
bool Transaction::disableActions() {
    return state().disableActions;
}
bool Transaction::isOpen() {
    return state().depth > 0;
}

void deferDisplay(Layer& root) {
    auto& pending = state().pending;
    if (std::find(pending.begin(), pending.end(), &root) == pending.end())
        pending.push_back(&root);
}

void forgetDeferredDisplay(Layer& root) {
    std::erase(state().pending, &root);
}

}  // namespace corkwallery::platform
