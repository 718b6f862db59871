#pragma once

#include "page/PersonActions.h"

#include <functional>
#include <utility>
#include <vector>

// The person's actions in all the windows of a browser, told to the receiver in the order they
// came. While a page's history is being read (to learn whether an address was typed or Back was
// pressed), the actions that follow wait for it: that reading may tell of an earlier one.
class PersonActionQueue {
public:
    using Action = std::function<void(PersonActions &)>;

    explicit PersonActionQueue(PersonActions &receiver)
        : m_receiver(receiver)
    {
    }

    void tell(Action action)
    {
        if (m_holds > 0)
            m_held.push_back(std::move(action));
        else
            action(m_receiver);
    }
    // A reading begins: actions wait until every reading has been released.
    void hold() { ++m_holds; }
    void release()
    {
        if (--m_holds > 0)
            return;
        for (const Action &action : std::exchange(m_held, {}))
            action(m_receiver);
    }

private:
    PersonActions &m_receiver;
    int m_holds = 0;
    std::vector<Action> m_held;
};
