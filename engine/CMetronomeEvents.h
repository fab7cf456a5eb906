#pragma once

#include <cstdint>

// What the beat engine reports to its owner, in the order the events are declared. Every event is
// raised synchronously: the handler runs before the raising operation goes on, and may read and
// write the engine's properties.
class CMetronomeEvents {
public:
    virtual ~CMetronomeEvents() = default;
    virtual void BpmChange() {}
    virtual void Click(double& Dlit) { (void)Dlit; }
    virtual void Step() {}
    virtual void PauseChange() {}
    virtual void AccelerandoChange() {}
    virtual void EnableChange() {}
    virtual void Progress(int32_t& percent) { (void)percent; }
};
