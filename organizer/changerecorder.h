#pragma once

#include <cstddef>

#include "organizer/change.h"

// Where a run or an undo writes down its changes, so that they can be taken back: each change
// before it is made, and afterwards whether it was made.
class ChangeRecorder {
public:
    virtual ~ChangeRecorder() = default;

    // Writes down a change about to be made and sets its `number`. Returns 0, or the errno
    // that kept it from being written down: the change must then not be made.
    virtual int Intend(const Change& change, std::size_t& number) = 0;
    // Writes down whether change `number` was made.
    virtual void Settle(std::size_t number, bool made) = 0;
};
